#include "core/weapons_file.h"

#include <cstring>
#include <utility>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#endif

namespace varnick {

// ---- File --------------------------------------------------------------------------------------------------

#ifdef _WIN32

std::unique_ptr<WeaponsFile> WeaponsFile::open(const std::filesystem::path& path) {
    // Read and write sharing lets a running server keep the file open; FILE_WRITE_DATA is what SetEndOfFile
    // needs to take a failed addition back.
    HANDLE handle = CreateFileW(
        path.c_str(), FILE_READ_DATA | FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    BY_HANDLE_FILE_INFORMATION information;
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        CloseHandle(handle);
        return nullptr;
    }
    std::unique_ptr<WeaponsFile> file(new WeaponsFile());
    file->m_handle = handle;
    return file;
}

WeaponsFile::~WeaponsFile() {
    if (m_handle != nullptr) {
        CloseHandle(static_cast<HANDLE>(m_handle));
    }
}

std::optional<std::size_t> WeaponsFile::readAt(std::uint64_t offset, char* buffer, std::size_t capacity) {
    OVERLAPPED position = {};
    position.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFULL);
    position.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    const auto piece = static_cast<DWORD>(capacity < (1u << 30) ? capacity : (1u << 30));
    if (!ReadFile(static_cast<HANDLE>(m_handle), buffer, piece, &got, &position)) {
        if (GetLastError() == ERROR_HANDLE_EOF) {
            return 0;
        }
        return std::nullopt;
    }
    return static_cast<std::size_t>(got);
}

bool WeaponsFile::append(std::string_view bytes) {
    const auto handle = static_cast<HANDLE>(m_handle);
    LARGE_INTEGER before;
    if (!GetFileSizeEx(handle, &before)) {
        return false;
    }
    const auto expected = before.QuadPart + static_cast<LONGLONG>(bytes.size());
    bool written = true;
    std::string_view rest = bytes;
    while (written && !rest.empty()) {
        // Offsets of all ones write at the current end of the file, as an append-only handle would.
        OVERLAPPED atEnd = {};
        atEnd.Offset = 0xFFFFFFFF;
        atEnd.OffsetHigh = 0xFFFFFFFF;
        const auto piece = static_cast<DWORD>(rest.size() < (1u << 30) ? rest.size() : (1u << 30));
        DWORD put = 0;
        written = WriteFile(handle, rest.data(), piece, &put, &atEnd) && put > 0;
        if (written) {
            rest.remove_prefix(put);
        }
    }
    LARGE_INTEGER after;
    if (written && FlushFileBuffers(handle) && GetFileSizeEx(handle, &after) && after.QuadPart == expected) {
        return true;
    }
    SetFilePointerEx(handle, before, nullptr, FILE_BEGIN);
    SetEndOfFile(handle);
    FlushFileBuffers(handle);
    return false;
}

#else

namespace {

int openNoCreate(const std::filesystem::path& path, int flags) {
    // O_NONBLOCK keeps a FIFO at the path from blocking the open; it means nothing for the regular file we accept.
    for (;;) {
        const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd >= 0 || errno != EINTR) {
            return fd;
        }
    }
}

bool clearNonBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t piece = bytes.size() < SSIZE_MAX ? bytes.size() : SSIZE_MAX;
        const ssize_t put = ::write(fd, bytes.data(), piece);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (put == 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

void truncateTo(int fd, off_t size) {
    while (::ftruncate(fd, size) != 0 && errno == EINTR) {
    }
    ::fsync(fd);
}

}  // namespace

std::unique_ptr<WeaponsFile> WeaponsFile::open(const std::filesystem::path& path) {
    std::unique_ptr<WeaponsFile> file(new WeaponsFile());
    // Writing goes through an append-only descriptor; reading needs its own, checked to reach the same file.
    file->m_writeFd = openNoCreate(path, O_WRONLY | O_APPEND);
    if (file->m_writeFd < 0) {
        return nullptr;
    }
    struct stat written;
    if (fstat(file->m_writeFd, &written) != 0 || !S_ISREG(written.st_mode)) {
        return nullptr;
    }
    file->m_readFd = openNoCreate(path, O_RDONLY);
    if (file->m_readFd < 0) {
        return nullptr;
    }
    struct stat read;
    if (fstat(file->m_readFd, &read) != 0 || read.st_dev != written.st_dev || read.st_ino != written.st_ino) {
        return nullptr;
    }
    if (!clearNonBlocking(file->m_writeFd) || !clearNonBlocking(file->m_readFd)) {
        return nullptr;
    }
    return file;
}

WeaponsFile::~WeaponsFile() {
    if (m_readFd >= 0) {
        ::close(m_readFd);
    }
    if (m_writeFd >= 0) {
        ::close(m_writeFd);
    }
}

std::optional<std::size_t> WeaponsFile::readAt(std::uint64_t offset, char* buffer, std::size_t capacity) {
    const std::size_t piece = capacity < SSIZE_MAX ? capacity : SSIZE_MAX;
    for (;;) {
        const ssize_t got = ::pread(m_readFd, buffer, piece, static_cast<off_t>(offset));
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            return std::nullopt;
        }
    }
}

bool WeaponsFile::append(std::string_view bytes) {
    struct stat before;
    if (fstat(m_writeFd, &before) != 0) {
        return false;
    }
    struct stat after;
    if (writeAll(m_writeFd, bytes) && ::fsync(m_writeFd) == 0 && fstat(m_writeFd, &after) == 0 &&
        after.st_size == before.st_size + static_cast<off_t>(bytes.size())) {
        return true;
    }
    truncateTo(m_writeFd, before.st_size);
    return false;
}

#endif

bool WeaponsFile::read(const std::function<void(std::string_view)>& sink) {
    const std::unique_ptr<char[]> buffer(new char[kChunkSize]);
    for (std::uint64_t offset = 0;;) {
        const std::optional<std::size_t> got = readAt(offset, buffer.get(), kChunkSize);
        if (!got) {
            return false;
        }
        if (*got == 0) {
            return true;
        }
        sink(std::string_view(buffer.get(), *got));
        offset += *got;
    }
}

}  // namespace varnick
