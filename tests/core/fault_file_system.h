#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/file_system.h"

namespace varnick::test {

// The operations of the file-system seam, counted separately.
enum class Step { Open, Lock, Read, Append, Sync, Truncate, Status, Identity, Count };

// What the fake does at one call of one step: run an action first (another writer, say), then fail the call,
// answer it with a fault of its own, or pass it on to the real file system.
struct Fault {
    enum class Kind { None, Fail, Busy, Short, Corrupt };

    Fault(Step faultStep, int faultOccurrence, Kind faultKind = Kind::Fail, std::function<void()> action = {})
        : step(faultStep), occurrence(faultOccurrence), kind(faultKind), before(std::move(action)) {}

    Step step;
    int occurrence;  // which call of the step, counting from 1
    Kind kind;
    std::function<void()> before;  // runs just before the call, if set
};

// The platform's file system with faults at chosen calls, in the manner of a fault-injection environment: Fail
// makes the call fail, Busy makes a lock find another holder, Short makes an append write only its first half,
// Corrupt makes a read hand back its first byte changed.
class FaultFileSystem final : public FileSystem {
public:
    explicit FaultFileSystem(std::vector<Fault> faults) : m_faults(std::move(faults)) {}

    std::unique_ptr<OpenFile> open(const std::filesystem::path& path) override {
        if (take(Step::Open) == Fault::Kind::Fail) return nullptr;
        std::unique_ptr<OpenFile> real = platformFileSystem().open(path);
        if (!real) return nullptr;
        return std::make_unique<File>(*this, std::move(real));
    }

    std::optional<FileIdentity> identity(const std::filesystem::path& path) override {
        if (take(Step::Identity) == Fault::Kind::Fail) return std::nullopt;
        return platformFileSystem().identity(path);
    }

    // Returns how often the step was called.
    int calls(Step step) const { return m_calls[static_cast<std::size_t>(step)]; }

private:
    class File final : public OpenFile {
    public:
        File(FaultFileSystem& owner, std::unique_ptr<OpenFile> real) : m_owner(owner), m_real(std::move(real)) {}

        LockResult lock(std::chrono::milliseconds patience) override {
            switch (m_owner.take(Step::Lock)) {
                case Fault::Kind::Fail:
                    return LockResult::Failed;
                case Fault::Kind::Busy:
                    return LockResult::Busy;
                default:
                    return m_real->lock(patience);
            }
        }

        std::optional<std::size_t> read(std::uint64_t offset, char* buffer, std::size_t size) override {
            const Fault::Kind kind = m_owner.take(Step::Read);
            if (kind == Fault::Kind::Fail) return std::nullopt;
            const std::optional<std::size_t> got = m_real->read(offset, buffer, size);
            if (kind == Fault::Kind::Corrupt && got && *got > 0) buffer[0] = static_cast<char>(buffer[0] ^ 0x20);
            return got;
        }

        AppendResult append(std::string_view bytes) override {
            const Fault::Kind kind = m_owner.take(Step::Append);
            if (kind == Fault::Kind::Fail) return {};
            if (kind == Fault::Kind::Short && bytes.size() > 1)
                return m_real->append(bytes.substr(0, bytes.size() / 2));
            return m_real->append(bytes);
        }

        bool sync() override { return m_owner.take(Step::Sync) != Fault::Kind::Fail && m_real->sync(); }

        bool truncate(std::uint64_t size) override {
            return m_owner.take(Step::Truncate) != Fault::Kind::Fail && m_real->truncate(size);
        }

        std::optional<FileStatus> status() override {
            if (m_owner.take(Step::Status) == Fault::Kind::Fail) return std::nullopt;
            return m_real->status();
        }

    private:
        FaultFileSystem& m_owner;
        std::unique_ptr<OpenFile> m_real;
    };

    Fault::Kind take(Step step) {
        const int call = ++m_calls[static_cast<std::size_t>(step)];
        Fault::Kind kind = Fault::Kind::None;
        for (const Fault& fault : m_faults) {
            if (fault.step != step || fault.occurrence != call) continue;
            if (fault.before) fault.before();
            if (fault.kind != Fault::Kind::None) kind = fault.kind;
        }
        return kind;
    }

    std::vector<Fault> m_faults;
    std::array<int, static_cast<std::size_t>(Step::Count)> m_calls = {};
};

}  // namespace varnick::test
