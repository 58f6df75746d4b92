#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <csignal>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include "core/file_system.h"

namespace varnick {
namespace {

constexpr std::size_t kCompareChunk = 64 * 1024;
constexpr DWORD kLargestPiece = 1u << 30;
constexpr std::uint64_t kLockOffset = 0x7FFFFFFFFFFFFFFEULL;

class Handle {
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle() {
        if (valid()) CloseHandle(m_handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    bool valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    HANDLE get() const { return m_handle; }
    HANDLE release() {
        const HANDLE handle = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        return handle;
    }

private:
    HANDLE m_handle;
};

std::optional<BY_HANDLE_FILE_INFORMATION> informationOf(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(handle, &information)) return std::nullopt;
    return information;
}

FileIdentity identityOf(const BY_HANDLE_FILE_INFORMATION& information) {
    return {information.dwVolumeSerialNumber,
            (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
}

bool isDiskFile(HANDLE handle, const BY_HANDLE_FILE_INFORMATION& information) {
    return GetFileType(handle) == FILE_TYPE_DISK && (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

OVERLAPPED at(std::uint64_t offset) {
    OVERLAPPED position = {};
    position.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFULL);
    position.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return position;
}

class Win32File final : public OpenFile {
public:
    explicit Win32File(HANDLE handle) : m_handle(handle) {}
    ~Win32File() override { CloseHandle(m_handle); }  // closing releases the lock too

    LockResult lock(std::chrono::milliseconds patience) override {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        for (;;) {
            // Byte-range locks on Windows stop other programs' reads and writes too, so the lock covers one byte far
            // beyond any end the file may reach: it excludes other copies of this program and nobody else.
            OVERLAPPED marker = at(kLockOffset);
            if (LockFileEx(m_handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &marker)) {
                return LockResult::Locked;
            }
            if (GetLastError() != ERROR_LOCK_VIOLATION) return LockResult::Failed;
            if (std::chrono::steady_clock::now() >= deadline) return LockResult::Busy;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    std::optional<std::size_t> read(std::uint64_t offset, char* buffer, std::size_t size) override {
        OVERLAPPED position = at(offset);
        DWORD got = 0;
        const DWORD wanted = static_cast<DWORD>(size < kLargestPiece ? size : kLargestPiece);
        if (!ReadFile(m_handle, buffer, wanted, &got, &position)) {
            if (GetLastError() == ERROR_HANDLE_EOF) return 0;
            return std::nullopt;
        }
        return static_cast<std::size_t>(got);
    }

    AppendResult append(std::string_view bytes) override {
        // Offsets of all ones write at the end of the file as it stands at that moment, as an append-only handle
        // would; the handle still has FILE_WRITE_DATA so that it can take a failed addition back.
        OVERLAPPED atEnd = {};
        atEnd.Offset = 0xFFFFFFFF;
        atEnd.OffsetHigh = 0xFFFFFFFF;
        const DWORD piece = static_cast<DWORD>(bytes.size() < kLargestPiece ? bytes.size() : kLargestPiece);
        DWORD put = 0;
        if (!WriteFile(m_handle, bytes.data(), piece, &put, &atEnd) || put == 0) return {};
        // A synchronous handle's file pointer stands right after the bytes the write put, wherever they landed.
        LARGE_INTEGER end;
        if (!SetFilePointerEx(m_handle, LARGE_INTEGER{}, &end, FILE_CURRENT)) return {put, std::nullopt};
        return {put, static_cast<std::uint64_t>(end.QuadPart)};
    }

    bool sync() override { return FlushFileBuffers(m_handle) != 0; }

    bool truncate(std::uint64_t size) override {
        FILE_END_OF_FILE_INFO end = {};
        end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
        return SetFileInformationByHandle(m_handle, FileEndOfFileInfo, &end, sizeof end) != 0;
    }

    std::optional<FileStatus> status() override {
        const auto information = informationOf(m_handle);
        if (!information) return std::nullopt;
        return FileStatus{identityOf(*information),
                          (static_cast<std::uint64_t>(information->nFileSizeHigh) << 32) | information->nFileSizeLow};
    }

private:
    HANDLE m_handle;
};

class Win32FileSystem final : public FileSystem {
public:
    std::unique_ptr<OpenFile> open(const std::filesystem::path& path) override {
        // Read and write sharing lets a running server keep the file open.
        Handle handle(CreateFileW(
            path.c_str(), FILE_READ_DATA | FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!handle.valid()) return nullptr;
        const auto information = informationOf(handle.get());
        if (!information || !isDiskFile(handle.get(), *information)) return nullptr;
        return std::make_unique<Win32File>(handle.release());
    }

    std::optional<FileIdentity> identity(const std::filesystem::path& path) override {
        const Handle handle(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!handle.valid()) return std::nullopt;
        const auto information = informationOf(handle.get());
        if (!information) return std::nullopt;
        return identityOf(*information);
    }
};

}  // namespace

FileSystem& platformFileSystem() {
    static Win32FileSystem instance;
    return instance;
}

bool regularFileHolds(const std::filesystem::path& path, std::string_view bytes) {
    const Handle handle(CreateFileW(path.c_str(), FILE_READ_DATA | FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!handle.valid()) return false;
    const auto information = informationOf(handle.get());
    if (!information || !isDiskFile(handle.get(), *information) ||
        (information->dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return false;
    }
    const std::uint64_t size =
        (static_cast<std::uint64_t>(information->nFileSizeHigh) << 32) | information->nFileSizeLow;
    if (size != bytes.size()) return false;
    const std::unique_ptr<char[]> buffer(new char[kCompareChunk]);
    std::uint64_t offset = 0;
    for (;;) {
        OVERLAPPED position = at(offset);
        DWORD got = 0;
        if (!ReadFile(handle.get(), buffer.get(), static_cast<DWORD>(kCompareChunk), &got, &position)) {
            if (GetLastError() != ERROR_HANDLE_EOF) return false;
            got = 0;
        }
        if (got == 0) return offset == bytes.size();
        if (offset + got > bytes.size() || bytes.substr(offset, got) != std::string_view(buffer.get(), got)) {
            return false;
        }
        offset += got;
    }
}

bool placeFile(const std::filesystem::path& path, std::string_view bytes) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && !link) return false;
        if (!link && regularFileHolds(path, bytes)) return true;
    } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
        return false;
    }

    std::random_device random;
    std::filesystem::path temporary;
    HANDLE created = INVALID_HANDLE_VALUE;
    for (int attempt = 0; created == INVALID_HANDLE_VALUE && attempt < 16; ++attempt) {
        temporary = path;
        temporary += L".tmp" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(random() % 1000000);
        created = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    if (created == INVALID_HANDLE_VALUE) return false;
    Handle handle(created);
    bool written = true;
    std::string_view rest = bytes;
    while (written && !rest.empty()) {
        const DWORD piece = static_cast<DWORD>(rest.size() < kLargestPiece ? rest.size() : kLargestPiece);
        DWORD put = 0;
        written = WriteFile(handle.get(), rest.data(), piece, &put, nullptr) && put > 0;
        if (written) rest.remove_prefix(put);
    }
    written = written && FlushFileBuffers(handle.get());
    CloseHandle(handle.release());
    // A library that a running copy has loaded cannot be replaced; the name then keeps its former file.
    if (!written || !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

void ignoreWriteSignals() {
    // Windows raises neither signal for a file write; a write past a limit simply fails.
}

}  // namespace varnick
