#include "ui/app/library_loader.h"

#include <cstring>
#include <map>
#include <utility>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace varnick::ui {
namespace {

// The system hands out a function's address as a data pointer; copying the bits is the portable conversion.
template <typename Address>
LibraryFunction asFunction(Address address) {
    LibraryFunction function = nullptr;
    static_assert(sizeof(function) == sizeof(address));
    std::memcpy(&function, &address, sizeof(function));
    return function;
}

#if defined(_WIN32)
using LibraryHandle = HMODULE;

LibraryHandle openLibrary(const std::filesystem::path& path) {
    // No error box of the system's own for a library that is missing or broken: the caller reports it.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    const HMODULE handle = LoadLibraryW(path.c_str());
    SetErrorMode(previousMode);
    return handle;
}

LibraryFunction findFunction(LibraryHandle library, const std::string& name) {
    return asFunction(GetProcAddress(library, name.c_str()));
}

void closeLibrary(LibraryHandle library) {
    FreeLibrary(library);
}
#else
using LibraryHandle = void*;

LibraryHandle openLibrary(const std::filesystem::path& path) {
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

LibraryFunction findFunction(LibraryHandle library, const std::string& name) {
    return asFunction(dlsym(library, name.c_str()));
}

void closeLibrary(LibraryHandle library) {
    dlclose(library);
}
#endif

bool isBareName(const std::string& name) {
    const std::filesystem::path path(name);
    return !path.has_root_name() && !path.has_parent_path();
}

struct Libraries {
    std::vector<std::pair<std::string, LibraryHandle>> loaded;                 // in load order, released in reverse
    std::map<std::pair<std::string, std::string>, LibraryFunction> functions;  // by library and function name
};

Libraries& libraries() {
    static Libraries instance;
    return instance;
}

LibraryHandle loadLibrary(const std::filesystem::path& firstDirectory, const std::string& name) {
    Libraries& state = libraries();
    for (const auto& [loadedName, handle] : state.loaded) {
        if (loadedName == name) return handle;
    }

    LibraryHandle handle = nullptr;
    if (isBareName(name)) {
        handle = openLibrary(firstDirectory / std::filesystem::path(std::u8string(name.begin(), name.end())));
    }
    // The bare name goes to the system's own search (on Linux a name without a slash is not looked for in the
    // current directory, so it finds only installed libraries).
    if (handle == nullptr) handle = openLibrary(std::filesystem::path(std::u8string(name.begin(), name.end())));
    if (handle == nullptr) return nullptr;
    state.loaded.emplace_back(name, handle);
    return handle;
}

}  // namespace

LibraryFunction bindLibraryFunction(const std::filesystem::path& firstDirectory, const std::string& libraryName,
                                    const std::string& functionName) {
    Libraries& state = libraries();
    const auto key = std::make_pair(libraryName, functionName);
    if (const auto found = state.functions.find(key); found != state.functions.end()) return found->second;

    const LibraryHandle library = loadLibrary(firstDirectory, libraryName);
    if (library == nullptr) return nullptr;
    const LibraryFunction function = findFunction(library, functionName);
    if (function != nullptr) state.functions.emplace(key, function);
    return function;
}

void releaseLibraries() {
    Libraries& state = libraries();
    state.functions.clear();
    for (auto library = state.loaded.rbegin(); library != state.loaded.rend(); ++library) {
        closeLibrary(library->second);
    }
    state.loaded.clear();
}

}  // namespace varnick::ui
