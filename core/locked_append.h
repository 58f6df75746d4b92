#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/file_system.h"
#include "core/messages.h"

namespace varnick {

// The size of the pieces the file is read in.
inline constexpr std::size_t kReadChunkSize = 64 * 1024;

// Reads up to size bytes of a file at the offset into the buffer: returns how many were read (0 at the end of the
// file), or nothing on a read error. Called any number of times, at any offset, while the file is locked.
using FileReader = std::function<std::optional<std::size_t>(std::uint64_t offset, char* buffer, std::size_t size)>;

// What to add to a file, decided from its bytes: the exact bytes to append, or the message of a refusal.
struct AppendPlan {
    std::string bytes;
    OwnedMessage refusal;  // its text is empty when the bytes are to be appended
};

// Decides an addition from the file's bytes, read through the reader while the file is locked.
using AppendPlanner = std::function<AppendPlan(const FileReader& readFile)>;

// How long an addition waits for another writer to release the file before it refuses.
inline constexpr std::chrono::milliseconds kLockPatience{2000};

// Appends what the planner decides to the existing file at the path while holding the file's lock, and returns the
// one message that describes the outcome. Success is returned only once the bytes are on disk, read back from
// where they landed, and the path still names the file written; on any failure only the addition's own bytes are
// taken back, and only while the file still ends where they ended, and the message says whether the file was left
// as it was.
OwnedMessage appendUnderLock(FileSystem& fileSystem, const std::filesystem::path& path, const AppendPlanner& planner);

}  // namespace varnick
