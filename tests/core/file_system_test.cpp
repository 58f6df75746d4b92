#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "core/file_system.h"
#include "core/messages.h"
#include "core/result_actions.h"
#include "tests/core/test_support.h"

namespace varnick {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using test::readBytes;
using test::TempDir;
using test::writeBytes;

const std::string kCarried = "carried library bytes\0with a NUL"s;

ino_t inodeOf(const fs::path& path) {
    struct stat status;
    return ::lstat(path.c_str(), &status) == 0 ? status.st_ino : 0;
}

TEST(RegularFileHolds, OnlyARegularFileWithExactlyTheBytes) {
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> place;
        bool expected;
    };
    const Case cases[] = {
        {"equal file", [](const fs::path& path) { writeBytes(path, kCarried); }, true},
        {"missing", [](const fs::path&) {}, false},
        {"cut short", [](const fs::path& path) { writeBytes(path, kCarried.substr(0, 5)); }, false},
        {"longer", [](const fs::path& path) { writeBytes(path, kCarried + "x"); }, false},
        {"same size, one byte differs",
         [](const fs::path& path) {
             std::string changed = kCarried;
             changed.back() ^= 1;
             writeBytes(path, changed);
         },
         false},
        {"symlink to an equal file",
         [](const fs::path& path) {
             writeBytes(fs::path(path) += ".target", kCarried);
             fs::create_symlink(fs::path(path) += ".target", path);
         },
         false},
        {"FIFO", [](const fs::path& path) { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); }, false},
        {"directory", [](const fs::path& path) { fs::create_directory(path); }, false},
    };
    for (const Case& testCase : cases) {
        TempDir directory;
        const fs::path path = directory.path() / "jedata.dll";
        testCase.place(path);
        EXPECT_EQ(regularFileHolds(path, kCarried), testCase.expected) << testCase.name;
    }
}

TEST(PlaceFile, LeavesAnEqualFileAloneAndReplacesAnythingElseByRename) {
    TempDir directory;
    const fs::path path = directory.path() / "jedata.dll";

    ASSERT_TRUE(placeFile(path, kCarried));
    EXPECT_EQ(readBytes(path), kCarried);

    // An equal file is not written at all: same inode, same time of last change.
    const ino_t placed = inodeOf(path);
    const fs::file_time_type changed = fs::last_write_time(path) - std::chrono::hours(1);
    fs::last_write_time(path, changed);
    ASSERT_TRUE(placeFile(path, kCarried));
    EXPECT_EQ(inodeOf(path), placed);
    EXPECT_EQ(fs::last_write_time(path), changed);

    // A different file is replaced, never rewritten: a reader that had it open (a running copy that mapped the
    // library) still sees the former bytes whole.
    writeBytes(path, std::string(3 * kCarried.size(), 'x'));
    std::ifstream runningCopy(path, std::ios::binary);
    ASSERT_TRUE(placeFile(path, kCarried));
    EXPECT_EQ(readBytes(path), kCarried);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(runningCopy), std::istreambuf_iterator<char>()),
              std::string(3 * kCarried.size(), 'x'));
    EXPECT_EQ(std::distance(fs::directory_iterator(directory.path()), fs::directory_iterator()), 1)
        << "no temporary file is left behind";
}

TEST(PlaceFile, ReplacesASymlinkAndNeverOpensOtherKindsOfFile) {
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> place;
        bool placed;
        fs::file_type leftAtName;
    };
    const Case cases[] = {
        {"symlink to a file elsewhere",
         [](const fs::path& path) {
             writeBytes(fs::path(path) += ".target", "someone else's file");
             fs::create_symlink(fs::path(path) += ".target", path);
         },
         true, fs::file_type::regular},
        {"dangling symlink", [](const fs::path& path) { fs::create_symlink("nowhere", path); }, true,
         fs::file_type::regular},
        {"FIFO without a reader", [](const fs::path& path) { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); }, false,
         fs::file_type::fifo},
        {"directory", [](const fs::path& path) { fs::create_directory(path); }, false, fs::file_type::directory},
    };
    for (const Case& testCase : cases) {
        TempDir directory;
        const fs::path path = directory.path() / "jedata.dll";
        testCase.place(path);
        EXPECT_EQ(placeFile(path, kCarried), testCase.placed) << testCase.name;
        EXPECT_EQ(fs::symlink_status(path).type(), testCase.leftAtName) << testCase.name;
        EXPECT_EQ(regularFileHolds(path, kCarried), testCase.placed) << testCase.name;
        const fs::path target = fs::path(path) += ".target";
        if (fs::exists(target)) {
            EXPECT_EQ(readBytes(target), "someone else's file") << testCase.name;
        }
    }
}

// Without the signals ignored, either write below kills the process; with them ignored each fails with its error.
TEST(IgnoreWriteSignals, ASizeLimitAndAClosedPipeFailTheWriteInsteadOfKilling) {
    TempDir directory;
    const fs::path path = directory.path() / "limited";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ignoreWriteSignals();
        int ends[2];
        if (::pipe(ends) != 0) ::_exit(10);
        ::close(ends[0]);
        if (::write(ends[1], "x", 1) != -1 || errno != EPIPE) ::_exit(11);
        const rlimit limit{8, 8};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(12);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd < 0) ::_exit(13);
        if (::write(fd, "12345678", 8) != 8) ::_exit(14);
        if (::write(fd, "9", 1) != -1 || errno != EFBIG) ::_exit(15);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// A lock held by another open of the file (as another running copy holds it) makes the addition wait for it and
// then refuse, leaving the file as it was.
TEST(PlatformFileSystem, AHeldLockRefusesTheAdditionAfterWaiting) {
    TempDir directory;
    const fs::path weapons = directory.path() / "defaultWeapons.yml";
    writeBytes(weapons, "A: 1\r\n");
    const int holder = ::open(weapons.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    test::RecordingDesktop desktop;
    addToWeaponsFile(test::gunNamed("M4A1"), desktop, weapons);
    EXPECT_EQ(desktop.messages, std::vector<std::string>{std::string(messages::kAddBusy.text)});
    EXPECT_EQ(readBytes(weapons), "A: 1\r\n");

    ::close(holder);
    test::RecordingDesktop afterRelease;
    addToWeaponsFile(test::gunNamed("M4A1"), afterRelease, weapons);
    EXPECT_EQ(afterRelease.messages, std::vector<std::string>{std::string(messages::kAddDone.text)});
}

}  // namespace
}  // namespace varnick
