#pragma once

#include <filesystem>
#include <string_view>

#include "core/desktop_services.h"

namespace varnick {

// Returns the plugin's weapons file, relative to the current directory.
std::filesystem::path weaponsFilePath();

// Puts the result text on the clipboard and reports the outcome in a message.
void copyResult(std::string_view resultText, DesktopServices& desktop);

// Appends the result text to the weapons file, or refuses; reports the outcome in exactly one message.
void addToWeaponsFile(std::string_view resultText, DesktopServices& desktop,
                      const std::filesystem::path& weaponsFile = weaponsFilePath());

}  // namespace varnick
