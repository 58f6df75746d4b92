#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/file_encoding.h"

namespace varnick {

// Reads up to capacity bytes of a file from the given offset into the buffer: returns how many were read (0 at
// the end of the file), or nothing on a read error. Called many times, at any offset, within one addition.
using FileReader = std::function<std::optional<std::size_t>(std::uint64_t offset, char* buffer, std::size_t capacity)>;

// What an addition to the weapons file is to do.
struct AdditionPlan {
    std::string refusal;  // the message to show if the addition is refused; empty when bytes are to be appended
    std::string bytes;    // the exact bytes to append when not refused
};

// Decides whether a definition can be appended to the weapons file so that the plugin reads every former weapon
// and the new one with the typed text intact, and in which encoding: the definition must be plain YAML, the file
// readable and of a shape that a definition can follow, and the name new to the file and to the other .yml files
// of its folder (which are only read). Reads the weapons file through the reader, never writes anything.
AdditionPlan planAddition(const FileReader& readWeaponsFile, std::string_view definitionUtf8,
                          const std::filesystem::path& weaponsFile, Platform platform = kBuildPlatform);

// Returns a reader of a file by its path, opened on first use; it reports a read error if the file cannot be opened.
FileReader plainFileReader(const std::filesystem::path& path);

}  // namespace varnick
