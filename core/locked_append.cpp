#include "core/locked_append.h"

#include <cstdint>
#include <memory>
#include <optional>

#include "core/messages.h"

namespace varnick {
namespace {

// Where the addition's own bytes went.
struct Landing {
    bool any = false;        // at least one byte was written
    bool located = true;     // every piece's position is known
    bool contiguous = true;  // no other bytes came between the pieces
    std::uint64_t start = 0;
    std::uint64_t end = 0;
};

bool holdsAt(OpenFile& file, std::uint64_t offset, std::string_view expected) {
    const std::unique_ptr<char[]> buffer(new char[kReadChunkSize]);
    while (!expected.empty()) {
        const std::size_t wanted = expected.size() < kReadChunkSize ? expected.size() : kReadChunkSize;
        const std::optional<std::size_t> got = file.read(offset, buffer.get(), wanted);
        if (!got || *got == 0 || expected.substr(0, *got) != std::string_view(buffer.get(), *got)) return false;
        expected.remove_prefix(*got);
        offset += *got;
    }
    return true;
}

// Writes every byte, each piece as one append, and notes where the pieces landed; false if a write failed.
bool appendAll(OpenFile& file, std::string_view bytes, Landing& landing) {
    while (!bytes.empty()) {
        const AppendResult result = file.append(bytes);
        if (result.written == 0 || result.written > bytes.size()) return false;
        bytes.remove_prefix(result.written);
        if (!result.endOffset || *result.endOffset < result.written) {
            landing.any = true;
            landing.located = false;
            continue;
        }
        const std::uint64_t pieceStart = *result.endOffset - result.written;
        if (!landing.any) {
            landing.start = pieceStart;
        } else if (pieceStart != landing.end) {
            landing.contiguous = false;
        }
        landing.any = true;
        landing.end = *result.endOffset;
    }
    return true;
}

// Takes the addition's bytes back if that touches nobody else's, and says what the file holds now.
Message rollBack(OpenFile& file, const Landing& landing) {
    if (!landing.any) return messages::kAddWriteFailed;
    if (!landing.located || !landing.contiguous) return messages::kAddWriteFailedPartly;
    // Bytes after ours belong to another writer and must stay, so ours stay with them.
    const std::optional<FileStatus> before = file.status();
    if (!before || before->size != landing.end || !file.truncate(landing.start)) {
        return messages::kAddWriteFailedPartly;
    }
    file.sync();
    const std::optional<FileStatus> after = file.status();
    if (!after || after->size != landing.start) return messages::kAddWriteFailedPartly;
    return messages::kAddWriteFailed;
}

}  // namespace

OwnedMessage appendUnderLock(FileSystem& fileSystem, const std::filesystem::path& path, const AppendPlanner& planner) {
    const std::unique_ptr<OpenFile> file = fileSystem.open(path);
    if (!file) return messages::kAddWriteFailed;
    switch (file->lock(kLockPatience)) {
        case LockResult::Locked:
            break;
        case LockResult::Busy:
            return messages::kAddBusy;
        case LockResult::Failed:
            return messages::kAddWriteFailed;
    }
    // A file renamed over the name between the open and the lock is one that other writers lock instead.
    const std::optional<FileStatus> locked = file->status();
    if (!locked || fileSystem.identity(path) != locked->identity) return messages::kAddWriteFailed;

    const FileReader reader = [&file](std::uint64_t offset, char* buffer, std::size_t size) {
        return file->read(offset, buffer, size);
    };
    const AppendPlan plan = planner(reader);
    if (!plan.refusal.text.empty()) return plan.refusal;

    Landing landing;
    const bool done = appendAll(*file, plan.bytes, landing) && landing.located && landing.contiguous && file->sync() &&
                      holdsAt(*file, landing.start, plan.bytes) && fileSystem.identity(path) == locked->identity;
    return done ? messages::kAddDone : rollBack(*file, landing);
}

}  // namespace varnick
