#pragma once

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <functional>
#include <string>

namespace varnick::test {

// A forked child that sends its report back through a pipe; pid is -1 when it could not be started.
struct ReportingChild {
    pid_t pid = -1;
    int reportEnd = -1;
};

// Writes the bytes to a descriptor in one write; returns whether they all went.
inline bool writeAll(int fd, const std::string& bytes) {
    return ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

// Starts a child that runs the body and sends what it returns through a pipe, then exits with 0, or with 3 when
// the report did not go whole.
inline ReportingChild spawnReportingChild(const std::function<std::string()>& body) {
    int ends[2];
    if (::pipe(ends) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ends[0]);
        const std::string report = body();
        ::_exit(writeAll(ends[1], report) ? 0 : 3);
    }
    ::close(ends[1]);
    if (child < 0) {
        ::close(ends[0]);
        return {};
    }
    return {child, ends[0]};
}

// Waits for a child and returns its report; when it could not start or did not exit with 0, returns a note
// saying so instead ("no child", "child ended with status N").
inline std::string collectReport(const ReportingChild& child) {
    if (child.pid < 0) return "no child";
    std::string report;
    char buffer[4096];
    for (ssize_t got; (got = ::read(child.reportEnd, buffer, sizeof buffer)) > 0;)
        report.append(buffer, static_cast<std::size_t>(got));
    ::close(child.reportEnd);
    int status = 0;
    if (::waitpid(child.pid, &status, 0) != child.pid) return "no child";
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "child ended with status " + std::to_string(status);
    return report;
}

// Runs the body in a child process and returns its report, as collectReport does.
inline std::string runInChild(const std::function<std::string()>& body) {
    return collectReport(spawnReportingChild(body));
}

}  // namespace varnick::test
