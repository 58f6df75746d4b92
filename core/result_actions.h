#pragma once

#include <filesystem>
#include <string_view>

#include "core/desktop_services.h"
#include "core/file_system.h"

namespace varnick {

// Returns the plugin's weapons file, relative to the current directory.
std::filesystem::path weaponsFilePath();

// Puts the result text on the clipboard, refusing an empty one, and reports the outcome in one message.
void copyResult(std::string_view resultText, DesktopServices& desktop);

// Appends the result text after the weapons file's last byte in the encoding the file already uses, under the
// file's lock and checked by reading it back, or refuses and leaves the file as it was; never creates a file or
// folder, and reports the outcome in exactly one message.
void addToWeaponsFile(std::string_view resultText, DesktopServices& desktop,
                      const std::filesystem::path& weaponsFile = weaponsFilePath(),
                      FileSystem& fileSystem = platformFileSystem());

}  // namespace varnick
