#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/encoding.h"
#include "core/file_system.h"
#include "core/gun_definition.h"
#include "core/locked_append.h"
#include "core/messages.h"
#include "core/result_actions.h"
#include "tests/core/child_process.h"
#include "tests/core/test_support.h"

namespace varnick {
namespace {

namespace fs = std::filesystem;
using test::fieldRefusal;
using test::gbk;
using test::gunNamed;
using test::readBytes;
using test::RecordingDesktop;
using test::TempDir;
using test::workedExampleGun;
using test::writeBytes;

using Messages = std::vector<std::string>;

TEST(CopyResult, PutsTheWholeTextOnTheClipboardOrRefuses) {
    const std::string definition = gunNamed("M4A1");
    {
        RecordingDesktop desktop;
        copyResult(definition, desktop);
        EXPECT_EQ(desktop.clipboard, definition);
        EXPECT_EQ(desktop.messages, Messages{std::string(messages::kCopyDone.text)});
    }
    {
        RecordingDesktop desktop;
        desktop.clipboard = "former";
        copyResult("", desktop);
        EXPECT_EQ(desktop.clipboard, "former");
        EXPECT_EQ(desktop.messages, Messages{std::string(messages::kCopyNothingGenerated.text)});
    }
    {
        RecordingDesktop desktop;
        desktop.clipboardAvailable = false;
        copyResult(definition, desktop);
        EXPECT_EQ(desktop.clipboard, std::nullopt);
        EXPECT_EQ(desktop.messages, Messages{std::string(messages::kCopyClipboardBusy.text)});
    }
}

TEST(WeaponsFilePath, IsRelativeToTheCurrentDirectory) {
    EXPECT_EQ(weaponsFilePath(), fs::path("plugins") / "CrackShot" / "weapons" / "defaultWeapons.yml");
    EXPECT_TRUE(weaponsFilePath().is_relative());
}

TEST(AddToWeaponsFile, MissingFileIsReportedAndNothingIsCreated) {
    TempDir server;
    fs::create_directories(server.path() / "plugins" / "CrackShot");  // plugin folder without its weapons folder
    const test::CurrentDirectory inServer(server.path());
    for (const std::string& text : {gunNamed("M4A1"), std::string()}) {
        RecordingDesktop desktop;
        addToWeaponsFile(text, desktop);
        EXPECT_EQ(desktop.messages, Messages{std::string(text.empty() ? messages::kAddNothingGenerated.text
                                                                      : messages::kAddNoWeaponsFile.text)});
        EXPECT_FALSE(fs::exists(server.path() / "plugins" / "CrackShot" / "weapons"));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(server.path() / "plugins" / "CrackShot"), fs::directory_iterator()),
              0);
}

TEST(AddToWeaponsFile, UsesTheDefaultPathUnderTheCurrentDirectory) {
    TempDir server;
    const fs::path weapons = server.path() / weaponsFilePath();
    fs::create_directories(weapons.parent_path());
    writeBytes(weapons, "A:\r\n    b: 1");
    RecordingDesktop desktop;
    {
        const test::CurrentDirectory inServer(server.path());
        addToWeaponsFile(gunNamed("M4A1"), desktop);
    }
    EXPECT_EQ(desktop.messages, Messages{std::string(messages::kAddDone.text)});
    EXPECT_EQ(readBytes(weapons), "A:\r\n    b: 1" + gunNamed("M4A1"));
}

// These run on Linux, where an ASCII-only file takes UTF-8.
TEST(AddToWeaponsFile, AppendsAfterTheLastByteInTheFilesEncoding) {
    struct Case {
        const char* name;
        std::string former;
        std::vector<std::string> additions;  // UTF-8 result texts, added one after the other
        std::string expected;
    };
    const std::string chinese = gunNamed("大狙");
    const std::string emoji = gunNamed("M4A1\xF0\x9F\x98\x80");
    const Case cases[] = {
        {"file without a final line end", "A:\r\n    b: 1", {gunNamed("M4A1")}, "A:\r\n    b: 1" + gunNamed("M4A1")},
        {"file with a final CR LF", "A:\r\n    b: 1\r\n", {gunNamed("M4A1")}, "A:\r\n    b: 1\r\n" + gunNamed("M4A1")},
        {"empty file", "", {gunNamed("M4A1")}, gunNamed("M4A1")},
        {"two additions in a row",
         "A: 1",
         {gunNamed("M4A1"), gunNamed("AK47")},
         "A: 1" + gunNamed("M4A1") + gunNamed("AK47")},
        {"two weapons in one text",
         "A: 1",
         {gunNamed("M4A1") + gunNamed("AK47")},
         "A: 1" + gunNamed("M4A1") + gunNamed("AK47")},
        {"Chinese into an ASCII file as UTF-8", "A: 1", {chinese}, "A: 1" + chinese},
        {"ASCII into a code page 936 file as code page 936",
         "A: \"" + gbk("使用") + "\"",
         {gunNamed("M4A1")},
         "A: \"" + gbk("使用") + "\"" + gbk(gunNamed("M4A1"))},
        {"Chinese into a code page 936 file",
         "A: \"" + gbk("使用") + "\"",
         {chinese},
         "A: \"" + gbk("使用") + "\"" + gbk(chinese)},
        {"Chinese into a UTF-8 file as UTF-8", "A: \"使用\"", {chinese}, "A: \"使用\"" + chinese},
        {"file with a byte-order mark takes UTF-8",
         "\xEF\xBB\xBF"
         "A: 1",
         {chinese},
         "\xEF\xBB\xBF"
         "A: 1" +
             chinese},
        {"UTF-8 file holds what code page 936 cannot", "A: \"使用\"", {emoji}, "A: \"使用\"" + emoji},
        {"a name held only indented is no duplicate",
         "A:\r\n    M4A1: 1",
         {gunNamed("M4A1")},
         "A:\r\n    M4A1: 1" + gunNamed("M4A1")},
        {"quote inside a plain name", "A: 1", {gunNamed("M4A1\"x")}, "A: 1" + gunNamed("M4A1\"x")},
    };
    for (const Case& testCase : cases) {
        TempDir directory;
        const fs::path weapons = directory.path() / "defaultWeapons.yml";
        writeBytes(weapons, testCase.former);
        for (const std::string& addition : testCase.additions) {
            RecordingDesktop desktop;
            addToWeaponsFile(addition, desktop, weapons);
            EXPECT_EQ(desktop.messages, Messages{std::string(messages::kAddDone.text)}) << testCase.name;
        }
        EXPECT_EQ(readBytes(weapons), testCase.expected) << testCase.name;
    }
}

TEST(AddToWeaponsFile, ChineseTakesTwoBytesACharacterInCodePage936) {
    TempDir directory;
    const fs::path weapons = directory.path() / "defaultWeapons.yml";
    const std::string former = "A: \"" + gbk("使用") + "\"";
    writeBytes(weapons, former);
    RecordingDesktop desktop;
    addToWeaponsFile(gunNamed("大狙"), desktop, weapons);
    // The death message holds five Chinese characters and the name two: each loses one of its three UTF-8 bytes.
    EXPECT_EQ(fs::file_size(weapons), former.size() + gunNamed("大狙").size() - 7);
    EXPECT_NE(readBytes(weapons).find("\r\n\xB4\xF3\xBE\xD1:\r\n"), std::string::npos);
}

TEST(AddToWeaponsFile, RefusalsLeaveTheFileUntouched) {
    struct Case {
        const char* name;
        std::string former;
        std::string text;
        std::string message;
    };
    GunValues quoteInName = workedExampleGun();
    quoteInName.name = "\"M4A1";
    GunValues colonInName = workedExampleGun();
    colonInName.name = "M4: A1";
    GunValues quoteInLore = workedExampleGun();
    quoteInLore.lore = "the \"best\" gun";
    GunValues breakInName = workedExampleGun();
    breakInName.name = "M4\r\nA1";
    const std::string unreadableName = fieldRefusal(messages::kNameField);
    const std::string gbkFile = "A: \"" + gbk("使用") + "\"";
    const Case cases[] = {
        {"nothing generated", "A: 1", "", std::string(messages::kAddNothingGenerated.text)},
        {"empty name", "A: 1", gunNamed(""), unreadableName},
        {"null name", "A: 1", gunNamed("~"), unreadableName},
        {"name opening a quote", "A: 1", buildGunDefinition(quoteInName), unreadableName},
        {"colon and blank in the name", "A: 1", buildGunDefinition(colonInName), unreadableName},
        {"quote in a quoted value", "A: 1", buildGunDefinition(quoteInLore), fieldRefusal("Item_Lore")},
        {"line break in the name", "A: 1", buildGunDefinition(breakInName), unreadableName},
        {"not code page 936", gbkFile, gunNamed("M4A1\xF0\x9F\x98\x80"), std::string(messages::kAddUnencodable.text)},
        {"not UTF-8 for a UTF-8 file", "A: \"使用\"", gunNamed("M4A1") + "\xFF",
         std::string(messages::kAddUnencodable.text)},
        {"duplicate name", "M4A1:\r\n    a: 1\r\n", gunNamed("M4A1"), std::string(messages::kAddDuplicateName.text)},
        {"duplicate quoted name after others", "A: 1\r\n'M4A1':", gunNamed("M4A1"),
         std::string(messages::kAddDuplicateName.text)},
        {"duplicate Chinese name in code page 936", gbk("大狙") + ":\r\n    a: 1", gunNamed("大狙"),
         std::string(messages::kAddDuplicateName.text)},
        {"duplicate Chinese name in UTF-8", "大狙:\r\n    a: 1", gunNamed("大狙"),
         std::string(messages::kAddDuplicateName.text)},
    };
    for (const Case& testCase : cases) {
        TempDir directory;
        const fs::path weapons = directory.path() / "defaultWeapons.yml";
        writeBytes(weapons, testCase.former);
        const fs::file_time_type changed = fs::last_write_time(weapons) - std::chrono::hours(1);
        fs::last_write_time(weapons, changed);
        RecordingDesktop desktop;
        addToWeaponsFile(testCase.text, desktop, weapons);
        EXPECT_EQ(desktop.messages, Messages{testCase.message}) << testCase.name;
        EXPECT_EQ(readBytes(weapons), testCase.former) << testCase.name;
        EXPECT_EQ(fs::last_write_time(weapons), changed) << testCase.name;
    }
}

TEST(AddToWeaponsFile, ReadsAFileLargerThanOneChunkToItsEnd) {
    // The key of the duplicate straddles the boundary between the first and the second chunk.
    std::string former = "A:\r\n";
    while (former.size() < kReadChunkSize - 2) {
        former += "    # padding\r\n";
    }
    former.resize(kReadChunkSize - 2, '#');
    former += "\r\nM4A1:\r\n    a: 1\r\n";
    former += std::string(3 * kReadChunkSize, '#');

    TempDir directory;
    const fs::path weapons = directory.path() / "defaultWeapons.yml";
    writeBytes(weapons, former);
    RecordingDesktop duplicate;
    addToWeaponsFile(gunNamed("M4A1"), duplicate, weapons);
    EXPECT_EQ(duplicate.messages, Messages{std::string(messages::kAddDuplicateName.text)});
    EXPECT_EQ(readBytes(weapons), former);

    RecordingDesktop added;
    addToWeaponsFile(gunNamed("AK47"), added, weapons);
    EXPECT_EQ(added.messages, Messages{std::string(messages::kAddDone.text)});
    EXPECT_EQ(readBytes(weapons), former + gunNamed("AK47"));
}

TEST(AddToWeaponsFile, SomethingOtherThanAFileIsAWriteFailure) {
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> place;
    };
    const Case cases[] = {
        {"directory", [](const fs::path& path) { fs::create_directory(path); }},
        {"symlink to /dev/full", [](const fs::path& path) { fs::create_symlink("/dev/full", path); }},
        {"FIFO without a reader", [](const fs::path& path) { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); }},
    };
    for (const Case& testCase : cases) {
        TempDir directory;
        const fs::path weapons = directory.path() / "defaultWeapons.yml";
        testCase.place(weapons);
        RecordingDesktop desktop;
        addToWeaponsFile(gunNamed("M4A1"), desktop, weapons);
        EXPECT_EQ(desktop.messages, Messages{std::string(messages::kAddWriteFailed.text)}) << testCase.name;
        if (fs::is_directory(weapons)) {
            EXPECT_TRUE(fs::is_empty(weapons)) << testCase.name;
        }
    }
}

// Adds the definition in a child process whose file-size limit is the given number of bytes, with the write
// signals ignored as at program start; returns the messages the child showed, one a line, or a note of how it
// ended otherwise.
std::string addUnderSizeLimit(const std::string& definition, const fs::path& weapons, std::size_t limitBytes) {
    return test::runInChild([&] {
        ignoreWriteSignals();
        const rlimit limit{static_cast<rlim_t>(limitBytes), static_cast<rlim_t>(limitBytes)};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            _exit(2);
        }
        RecordingDesktop desktop;
        addToWeaponsFile(definition, desktop, weapons);
        std::string report;
        for (const std::string& message : desktop.messages) {
            report += message;
            report += '\n';
        }
        return report;
    });
}

// The file-size limit lets the write stop partway; with the write signals ignored, write reports EFBIG instead
// of killing the process, and the partial bytes are taken back.
TEST(AddToWeaponsFile, WriteThatFailsMidwayLeavesTheFileByteIdentical) {
    TempDir directory;
    const fs::path weapons = directory.path() / "defaultWeapons.yml";
    const std::string former = "A:\r\n    b: \"使用\"\r\n";
    writeBytes(weapons, former);
    const std::string definition = gunNamed("M4A1");
    ASSERT_GT(definition.size(), 100u);
    EXPECT_EQ(addUnderSizeLimit(definition, weapons, former.size() + 100),
              std::string(messages::kAddWriteFailed.text) + "\n");
    EXPECT_EQ(readBytes(weapons), former);
}

// An append-only file (chattr +a) can grow but not be cut: the partial bytes stay, and the message says so
// instead of claiming the file is unchanged.
TEST(AddToWeaponsFile, RollbackThatCannotCutSaysTheEndMayHoldAPartialDefinition) {
    TempDir directory;
    const fs::path weapons = directory.path() / "defaultWeapons.yml";
    const std::string former = "A:\r\n    b: 1\r\n";
    writeBytes(weapons, former);
    const int fd = open(weapons.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    int flags = 0;
    bool appendOnly = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (appendOnly) {
        flags |= FS_APPEND_FL;
        appendOnly = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    if (!appendOnly) {
        close(fd);
        GTEST_SKIP() << "this file system or user cannot make a file append-only";
    }
    const std::string definition = gunNamed("M4A1");
    const std::string report = addUnderSizeLimit(definition, weapons, former.size() + 100);
    flags &= ~FS_APPEND_FL;
    ioctl(fd, FS_IOC_SETFLAGS, &flags);
    close(fd);
    EXPECT_EQ(report, std::string(messages::kAddWriteFailedPartly.text) + "\n");
    EXPECT_EQ(readBytes(weapons), former + toCodePage936(definition).value().substr(0, 100));
}

}  // namespace
}  // namespace varnick
