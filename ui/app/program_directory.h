#pragma once

#include <filesystem>

namespace varnick::ui {

// Returns the directory that holds the running executable, absolute and without a trailing separator.
std::filesystem::path programDirectory();

// Makes path the process's current directory; returns false if it could not.
bool setCurrentDirectory(const std::filesystem::path& path);

}  // namespace varnick::ui
