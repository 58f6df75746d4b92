#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/encoding.h"
#include "core/file_system.h"
#include "core/messages.h"
#include "core/result_actions.h"
#include "tests/core/fault_file_system.h"
#include "tests/core/test_support.h"

namespace varnick {
namespace {

namespace fs = std::filesystem;
using test::Fault;
using test::FaultFileSystem;
using test::readBytes;
using test::RecordingDesktop;
using test::Step;
using test::TempDir;
using test::writeBytes;
using Kind = Fault::Kind;
using Messages = std::vector<std::string>;

// Another program appending to the file the way an editor's "append" or a script's >> does.
void appendAsAnotherWriter(const fs::path& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(fd);
}

// Another program saving the file the way most editors do: a new file renamed over the name.
void replaceByRename(const fs::path& path, std::string_view bytes) {
    const fs::path temporary = fs::path(path) += ".new";
    writeBytes(temporary, bytes);
    fs::rename(temporary, path);
}

TEST(LockedAppend, EveryFaultAndInterleavingEndsInTheFilesTrueStateAndOneMessage) {
    const std::string definition = test::gunNamed("M4A1");
    const std::string former = "A:\r\n    b: 1\r\n";
    const std::string ours = definition;  // an ASCII-only file on Linux takes UTF-8
    const std::string firstHalf = ours.substr(0, ours.size() / 2);
    const std::string secondHalf = ours.substr(ours.size() / 2);
    const std::string other = "# another writer's line\r\n";
    const std::string replacement = "B:\r\n    c: 2\r\n";

    fs::path weapons;  // the file of the case being run, for the other writer's actions
    const auto otherAppends = [&weapons, &other] { appendAsAnotherWriter(weapons, other); };
    const auto otherReplaces = [&weapons, &replacement] { replaceByRename(weapons, replacement); };
    const auto otherCutsShort = [&weapons] { fs::resize_file(weapons, 4); };

    // A successful addition calls, in order: Open, Lock, Status, Identity, Read (four times: data and end for the
    // encoding pass, again for the YAML pass), Append, Sync, Read (back), Identity; a rollback then calls Status,
    // Truncate, Sync, Status.
    constexpr int kReadBack = 5;
    struct Case {
        const char* name;
        std::vector<Fault> faults;
        Message message;
        std::string expected;
    };
    const Case cases[] = {
        {"no fault", {}, messages::kAddDone, former + ours},
        {"open fails", {{Step::Open, 1}}, messages::kAddWriteFailed, former},
        {"another program holds the lock", {{Step::Lock, 1, Kind::Busy}}, messages::kAddBusy, former},
        {"lock fails", {{Step::Lock, 1}}, messages::kAddWriteFailed, former},
        {"status after the lock fails", {{Step::Status, 1}}, messages::kAddWriteFailed, former},
        {"file renamed over between open and lock",
         {{Step::Lock, 1, Kind::None, otherReplaces}},
         messages::kAddWriteFailed,
         replacement},
        {"reading the file fails", {{Step::Read, 1}}, messages::kAddWriteFailed, former},
        {"write fails having written nothing", {{Step::Append, 1}}, messages::kAddWriteFailed, former},
        {"write stops halfway, then fails (size limit, full disk)",
         {{Step::Append, 1, Kind::Short}, {Step::Append, 2}},
         messages::kAddWriteFailed,
         former},
        {"write stops halfway and the rollback fails (append-only file)",
         {{Step::Append, 1, Kind::Short}, {Step::Append, 2}, {Step::Truncate, 1}},
         messages::kAddWriteFailedPartly,
         former + firstHalf},
        {"write in two pieces succeeds", {{Step::Append, 1, Kind::Short}}, messages::kAddDone, former + ours},
        {"sync fails", {{Step::Sync, 1}}, messages::kAddWriteFailed, former},
        {"read-back differs", {{Step::Read, kReadBack, Kind::Corrupt}}, messages::kAddWriteFailed, former},
        {"read-back fails", {{Step::Read, kReadBack}}, messages::kAddWriteFailed, former},
        {"another writer appends before our write",
         {{Step::Append, 1, Kind::None, otherAppends}},
         messages::kAddDone,
         former + other + ours},
        {"another writer appends after our write",
         {{Step::Sync, 1, Kind::None, otherAppends}},
         messages::kAddDone,
         former + ours + other},
        {"another writer appends after our write, then sync fails: their bytes stay",
         {{Step::Sync, 1, Kind::Fail, otherAppends}},
         messages::kAddWriteFailedPartly,
         former + ours + other},
        {"another writer appends between our two pieces",
         {{Step::Append, 1, Kind::Short}, {Step::Append, 2, Kind::None, otherAppends}},
         messages::kAddWriteFailedPartly,
         former + firstHalf + other + secondHalf},
        {"file cut short by another writer before the read-back: nothing is cut or zero-filled",
         {{Step::Read, kReadBack, Kind::None, otherCutsShort}},
         messages::kAddWriteFailedPartly,
         former.substr(0, 4)},
        {"file renamed over after our write",
         {{Step::Identity, 2, Kind::None, otherReplaces}},
         messages::kAddWriteFailed,
         replacement},
        {"identity after the write cannot be taken", {{Step::Identity, 2}}, messages::kAddWriteFailed, former},
        {"status before the rollback fails",
         {{Step::Sync, 1}, {Step::Status, 2}},
         messages::kAddWriteFailedPartly,
         former + ours},
        {"status after the rollback fails",
         {{Step::Sync, 1}, {Step::Status, 3}},
         messages::kAddWriteFailedPartly,
         former},
    };
    for (const Case& testCase : cases) {
        TempDir directory;
        weapons = directory.path() / "defaultWeapons.yml";
        writeBytes(weapons, former);
        FaultFileSystem fileSystem(testCase.faults);
        RecordingDesktop desktop;
        addToWeaponsFile(definition, desktop, weapons, fileSystem);
        EXPECT_EQ(desktop.messages, Messages{std::string(testCase.message.text)}) << testCase.name;
        EXPECT_EQ(readBytes(weapons), testCase.expected) << testCase.name;
    }
}

TEST(LockedAppend, RefusalAppendsNothingAndReadsTheLockedFile) {
    TempDir directory;
    const fs::path weapons = directory.path() / "defaultWeapons.yml";
    const std::string former = "M4A1:\r\n    a: 1\r\n";
    writeBytes(weapons, former);
    FaultFileSystem fileSystem({});
    RecordingDesktop desktop;
    addToWeaponsFile(test::gunNamed("M4A1"), desktop, weapons, fileSystem);
    EXPECT_EQ(desktop.messages, Messages{std::string(messages::kAddDuplicateName.text)});
    EXPECT_EQ(readBytes(weapons), former);
    EXPECT_EQ(fileSystem.calls(Step::Lock), 1);
    EXPECT_GE(fileSystem.calls(Step::Read), 1);
    EXPECT_EQ(fileSystem.calls(Step::Append), 0);
}

}  // namespace
}  // namespace varnick
