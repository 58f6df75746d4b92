#include "ui/app/program_directory.h"

#include <system_error>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace varnick::ui {
namespace {

std::filesystem::path executablePath() {
#if defined(_WIN32)
    // MAX_PATH is not a limit on long-path systems, so the buffer grows until the whole path fits.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return std::filesystem::path(std::wstring(buffer.data(), length));
        buffer.resize(buffer.size() * 2);
    }
#else
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error);
#endif
}

}  // namespace

std::filesystem::path programDirectory() {
    return executablePath().parent_path();
}

bool setCurrentDirectory(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::current_path(path, error);
    return !error;
}

}  // namespace varnick::ui
