#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

namespace varnick {

// What tells one file apart from every other on the machine: the device (volume) and the file's number on it.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t file = 0;

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The identity and current size of an open file.
struct FileStatus {
    FileIdentity identity;
    std::uint64_t size = 0;
};

// How an attempt to take a file's lock ended.
enum class LockResult { Locked, Busy, Failed };

// What one append call did: how many bytes it wrote (none on failure) and the offset right after them, if known.
struct AppendResult {
    std::size_t written = 0;
    std::optional<std::uint64_t> endOffset;
};

// An existing regular file open for reading and appending; the lock, if taken, and the file close on destruction.
class OpenFile {
public:
    virtual ~OpenFile() = default;

    // Takes the exclusive lock that writers of the file agree on, waiting at most the patience for another holder.
    virtual LockResult lock(std::chrono::milliseconds patience) = 0;

    // Reads up to size bytes at the offset into the buffer; returns how many were read (0 at the end), or nothing
    // on a read error.
    virtual std::optional<std::size_t> read(std::uint64_t offset, char* buffer, std::size_t size) = 0;

    // Writes a leading part of the bytes (at least one byte, possibly all) after the file's last byte as one
    // append, wherever the end stands at that moment.
    virtual AppendResult append(std::string_view bytes) = 0;

    // Returns once everything written has reached the disk; false if it could not.
    virtual bool sync() = 0;

    // Cuts the file to the size, which must not exceed its current size; false on failure.
    virtual bool truncate(std::uint64_t size) = 0;

    // Returns the open file's identity and size, or nothing on failure.
    virtual std::optional<FileStatus> status() = 0;
};

// The file-system operations that an addition to a shared file uses.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Opens an existing regular file for reading and appending without creating anything and without blocking on a
    // FIFO or device; nothing if the path names no regular file or it cannot be opened so.
    virtual std::unique_ptr<OpenFile> open(const std::filesystem::path& path) = 0;

    // Returns the identity of the file the path names now, or nothing if it names none.
    virtual std::optional<FileIdentity> identity(const std::filesystem::path& path) = 0;
};

// Returns the platform's file system.
FileSystem& platformFileSystem();

// Returns whether the path names a regular file (not through a symlink) whose bytes are exactly the given ones;
// never opens anything else, so a FIFO or device at the path cannot block.
bool regularFileHolds(const std::filesystem::path& path, std::string_view bytes);

// Puts a regular file holding exactly the bytes at the path: leaves an equal regular file alone, and otherwise
// writes a temporary file in the same directory, flushes it and renames it over the name, so that no reader of the
// former file sees it change and a symlink at the name is replaced rather than written through. Touches nothing
// when the name is held by something other than a regular file or symlink. Returns whether the name now holds
// the bytes.
bool placeFile(const std::filesystem::path& path, std::string_view bytes);

// Makes the signals that a file-size limit or a closed pipe would raise be ignored by the whole process, so that
// the write concerned fails with an error instead of killing it.
void ignoreWriteSignals();

}  // namespace varnick
