// Real processes sharing one weapons file: two adders and a script-like appender run at once.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "core/encoding.h"
#include "core/messages.h"
#include "core/result_actions.h"
#include "tests/core/test_support.h"

namespace varnick {
namespace {

namespace fs = std::filesystem;
using test::gunNamed;
using test::readBytes;
using test::RecordingDesktop;
using test::TempDir;
using test::writeBytes;

constexpr int kAdditionsEach = 200;

std::string nameOf(int process, int addition) {
    return "P" + std::to_string(process) + "_" + std::to_string(addition);
}

std::string lineOf(int number) {
    return "# appended by a script, line " + std::to_string(number) + "\r\n";
}

bool writeAll(int fd, const std::string& bytes) {
    return ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

std::string readAll(int fd) {
    std::string bytes;
    char buffer[4096];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, static_cast<std::size_t>(got));
    return bytes;
}

// Starts a child that runs the body and sends what it returns through a pipe; returns the child and the pipe's
// reading end.
std::pair<pid_t, int> spawn(const std::function<std::string()>& body) {
    int ends[2];
    if (::pipe(ends) != 0) return {-1, -1};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ends[0]);
        const std::string report = body();
        ::_exit(writeAll(ends[1], report) ? 0 : 3);
    }
    ::close(ends[1]);
    return {child, ends[0]};
}

std::string collect(std::pair<pid_t, int> child) {
    const std::string report = readAll(child.second);
    ::close(child.second);
    int status = 0;
    ::waitpid(child.first, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    return report;
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
    const auto appender = spawn([&] {
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
    std::vector<std::pair<pid_t, int>> adders;
    for (int process = 0; process < 2; ++process) {
        adders.push_back(spawn([&weapons, process] {
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
    for (const auto& adder : adders) reports.push_back(collect(adder));
    ::close(stop[1]);
    const int lines = std::stoi(collect(appender));

    const std::string file = readBytes(weapons);
    EXPECT_EQ(file.find('\0'), std::string::npos) << "the file holds a NUL byte";
    EXPECT_EQ(file.substr(0, former.size()), former);
    std::size_t expectedSize = former.size();
    for (int process = 0; process < 2; ++process) {
        ASSERT_EQ(reports[process].size(), static_cast<std::size_t>(kAdditionsEach));
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
