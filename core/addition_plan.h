#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "core/file_encoding.h"
#include "core/locked_append.h"

namespace varnick {

// Decides whether a definition can be appended to the weapons file so that the plugin reads every former weapon
// and the new one with the typed text intact, and in which encoding: the definition must be plain YAML, the file
// readable and of a shape that a definition can follow, and the name new to the file and to the other .yml files
// of its folder (which are only read). Reads the weapons file through the reader, never writes anything.
AppendPlan planAddition(const FileReader& readWeaponsFile, std::string_view definitionUtf8,
                        const std::filesystem::path& weaponsFile, Platform platform = kBuildPlatform);

// Returns a reader of a file by its path, opened on first use; it reports a read error if the file cannot be opened.
FileReader plainFileReader(const std::filesystem::path& path);

}  // namespace varnick
