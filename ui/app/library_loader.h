#pragma once

#include <filesystem>
#include <string>

namespace varnick::ui {

// The address of a function bound from a library; cast it to the function's real type before calling.
using LibraryFunction = void (*)();

// Returns the function functionName of the library libraryName, or nullptr if neither the library nor the
// function can be found. The first successful call binds it: a bare name is looked for in firstDirectory (the
// program directory) first, then by the system's ordinary library search; later calls return the stored entry.
LibraryFunction bindLibraryFunction(const std::filesystem::path& firstDirectory, const std::string& libraryName,
                                    const std::string& functionName);

// Unloads every library loaded by bindLibraryFunction and forgets every stored entry; run at shutdown, after
// nothing uses the libraries' code any more.
void releaseLibraries();

}  // namespace varnick::ui
