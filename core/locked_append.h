#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "core/file_system.h"
#include "core/messages.h"

namespace varnick {

// The size of the pieces a FileReader hands over.
inline constexpr std::size_t kReadChunkSize = 64 * 1024;

// Streams a locked file's bytes from its start to the sink in pieces; may be called more than once; false on a
// read error.
using FileReader = std::function<bool(const std::function<void(std::string_view)>& sink)>;

// What to add to a file, decided from its bytes: the exact bytes to append, or the message of a refusal.
struct AppendPlan {
    std::string bytes;
    Message refusal{};  // its text is empty when the bytes are to be appended
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
Message appendUnderLock(FileSystem& fileSystem, const std::filesystem::path& path, const AppendPlanner& planner);

}  // namespace varnick
