#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "core/file_system.h"
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

}  // namespace
}  // namespace varnick
