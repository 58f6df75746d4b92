#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace varnick {

// An existing weapons file, open for one addition; closed when destroyed.
class WeaponsFile {
public:
    // The size of the pieces the file is read in.
    static constexpr std::size_t kChunkSize = 64 * 1024;

    // Opens an existing regular file for reading and appending, never creating anything; nothing on failure.
    static std::unique_ptr<WeaponsFile> open(const std::filesystem::path& path);

    ~WeaponsFile();
    WeaponsFile(const WeaponsFile&) = delete;
    WeaponsFile& operator=(const WeaponsFile&) = delete;

    // Reads the whole file once from its start in pieces of kChunkSize, handing each to the sink; false on a read
    // error.
    bool read(const std::function<void(std::string_view)>& sink);

    // Reads up to capacity bytes from the offset into the buffer: how many were read (0 at the end of the file),
    // or nothing on a read error.
    std::optional<std::size_t> readAt(std::uint64_t offset, char* buffer, std::size_t capacity);

    // Appends the bytes after the file's last byte and flushes them to disk; on any failure truncates the file
    // back to its former size and returns false.
    bool append(std::string_view bytes);

private:
    WeaponsFile() = default;

#ifdef _WIN32
    void* m_handle = nullptr;
#else
    int m_readFd = -1;
    int m_writeFd = -1;
#endif
};

}  // namespace varnick
