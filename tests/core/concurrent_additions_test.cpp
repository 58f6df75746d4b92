// Real processes sharing one weapons file: two adders and a script-like appender run at once.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "core/encoding.h"
#include "core/messages.h"
#include "core/result_actions.h"
#include "tests/core/child_process.h"
#include "tests/core/test_support.h"

namespace varnick {
namespace {

namespace fs = std::filesystem;
using test::collectReport;
using test::gunNamed;
using test::readBytes;
using test::RecordingDesktop;
using test::spawnReportingChild;
using test::TempDir;
using test::writeAll;
using test::writeBytes;

constexpr int kAdditionsEach = 200;

std::string nameOf(int process, int addition) {
    return "P" + std::to_string(process) + "_" + std::to_string(addition);
}

std::string lineOf(int number) {
    return "# appended by a script, line " + std::to_string(number) + "\r\n";
}

TEST(ConcurrentAdditions, TwoAddersAndAnAppenderLoseNothing) {
    TempDir directory;
    const fs::path weapons = directory.path() / "defaultWeapons.yml";
    const std::string former = "AK47:\r\n    Item_Information:\r\n        Item_Type: 418\r\n";
    writeBytes(weapons, former);

    int stop[2];
    ASSERT_EQ(::pipe(stop), 0);
    // The appender writes numbered lines with O_APPEND, taking no lock, one every few milliseconds until the adders
    // are done.
    const auto appender = spawnReportingChild([&] {
        ::close(stop[1]);
        const int fd = ::open(weapons.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        int lines = 0;
        pollfd done{stop[0], POLLIN, 0};
        while (fd >= 0 && ::poll(&done, 1, 3) == 0) {
            if (!writeAll(fd, lineOf(lines))) break;
            ++lines;
        }
        return std::to_string(lines);
    });
    ::close(stop[0]);

    // Each adder reports every addition's message, one line each: D for done, B for busy, X for anything else.
    std::vector<test::ReportingChild> adders;
    for (int process = 0; process < 2; ++process) {
        adders.push_back(spawnReportingChild([&weapons, process] {
            std::string report;
            for (int addition = 0; addition < kAdditionsEach; ++addition) {
                RecordingDesktop desktop;
                addToWeaponsFile(gunNamed(nameOf(process, addition)), desktop, weapons);
                const std::string& message = desktop.messages.size() == 1 ? desktop.messages[0] : "";
                report += message == messages::kAddDone.text ? 'D' : message == messages::kAddBusy.text ? 'B' : 'X';
            }
            return report;
        }));
    }
    std::vector<std::string> reports;
    for (const auto& adder : adders) reports.push_back(collectReport(adder));
    ::close(stop[1]);
    const std::string appended = collectReport(appender);
    ASSERT_EQ(appended.find_first_not_of("0123456789"), std::string::npos) << appended;
    const int lines = std::stoi(appended);

    const std::string file = readBytes(weapons);
    EXPECT_EQ(file.find('\0'), std::string::npos) << "the file holds a NUL byte";
    EXPECT_EQ(file.substr(0, former.size()), former);
    std::size_t expectedSize = former.size();
    for (int process = 0; process < 2; ++process) {
        ASSERT_EQ(reports[process].size(), static_cast<std::size_t>(kAdditionsEach)) << reports[process];
        EXPECT_EQ(reports[process].find('X'), std::string::npos) << "process " << process << ": " << reports[process];
        EXPECT_NE(reports[process].find('D'), std::string::npos) << "process " << process << " never added";
        for (int addition = 0; addition < kAdditionsEach; ++addition) {
            const std::string bytes = gunNamed(nameOf(process, addition));  // UTF-8, as the file is on Linux
            const bool reported = reports[process][static_cast<std::size_t>(addition)] == 'D';
            EXPECT_EQ(file.find(bytes) != std::string::npos, reported) << nameOf(process, addition);
            if (reported) expectedSize += bytes.size();
        }
    }
    EXPECT_GT(lines, 0);
    for (int line = 0; line < lines; ++line) {
        EXPECT_NE(file.find(lineOf(line)), std::string::npos) << "line " << line << " of " << lines << " lost";
        expectedSize += lineOf(line).size();
    }
    EXPECT_EQ(file.size(), expectedSize) << "bytes beyond the reported additions and lines";
}

}  // namespace
}  // namespace varnick
