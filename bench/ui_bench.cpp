// Times Varnick and the baseline program under an X server (DISPLAY): start-up to the main menu shown, the
// guns button to the gun maker shown, and the peak resident memory with all three windows open.
// A window counts as shown when the X server reports it mapped on the root window with the expected title;
// the harness blocks on the X connection for that, so no polling interval blurs the figures.
//
// Usage: varnick_bench_ui [--runs N] [--warmups N] VARNICK_EXECUTABLE BASELINE_EXECUTABLE

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/report.h"
#include "bench/window_titles.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double millisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

struct Program {
    const char* path;
    const char* menuTitle;
    const char* gunMakerTitle;
    const char* throwableMakerTitle;
};

// Client positions of the guns and grenades buttons' centres: both sit in a group box at the window's origin.
constexpr int kGunsX = 8 + 92, kGunsY = 24 + 24;
constexpr int kGrenadesX = 248 + 92, kGrenadesY = 160 + 24;

// Windows can vanish between an event and the harness's request about them; such errors are expected.
int ignoreXError(Display*, XErrorEvent*) {
    return 0;
}

// Watches the root window of the X server for top-level windows being mapped, and fakes input with XTEST.
class XWatcher {
public:
    struct Shown {
        Window window;
        Clock::time_point at;
    };

    XWatcher() : m_display(XOpenDisplay(nullptr)) {
        if (m_display == nullptr) throw std::runtime_error("cannot open the X display (is DISPLAY set?)");
        int event = 0, error = 0, major = 0, minor = 0;
        if (!XTestQueryExtension(m_display, &event, &error, &major, &minor))
            throw std::runtime_error("the X server has no XTEST extension");
        XSetErrorHandler(ignoreXError);
        m_root = DefaultRootWindow(m_display);
        m_netWmName = XInternAtom(m_display, "_NET_WM_NAME", False);
        m_utf8String = XInternAtom(m_display, "UTF8_STRING", False);
        XSelectInput(m_display, m_root, SubstructureNotifyMask);
        XSync(m_display, False);
    }
    ~XWatcher() { XCloseDisplay(m_display); }
    XWatcher(const XWatcher&) = delete;
    XWatcher& operator=(const XWatcher&) = delete;

    // Waits until a top-level window with the title is mapped; the time is when the server's report arrived.
    std::optional<Shown> waitShown(const std::string& title, Clock::duration timeout) {
        const Clock::time_point deadline = Clock::now() + timeout;
        XEvent event;
        while (nextEvent(event, deadline)) {
            const Clock::time_point at = Clock::now();
            switch (event.type) {
                case CreateNotify:
                    // A title set after mapping arrives as a property change on the window itself.
                    XSelectInput(m_display, event.xcreatewindow.window, PropertyChangeMask);
                    break;
                case MapNotify:
                    if (event.xmap.event != m_root) break;
                    m_mapped.insert(event.xmap.window);
                    if (titleOf(event.xmap.window) == title) return Shown{event.xmap.window, at};
                    break;
                case PropertyNotify:
                    if (m_mapped.count(event.xproperty.window) && titleOf(event.xproperty.window) == title)
                        return Shown{event.xproperty.window, at};
                    break;
                case UnmapNotify:
                    m_mapped.erase(event.xunmap.window);
                    break;
                case DestroyNotify:
                    m_mapped.erase(event.xdestroywindow.window);
                    break;
                default:
                    break;
            }
        }
        return std::nullopt;
    }

    // Moves the pointer to a client position of the window and presses the left button there; returns the moment
    // just before the release, which is when a push button reports its click.
    Clock::time_point click(Window window, int x, int y) {
        int rootX = 0, rootY = 0;
        Window child = 0;
        XTranslateCoordinates(m_display, window, m_root, x, y, &rootX, &rootY, &child);
        XTestFakeMotionEvent(m_display, -1, rootX, rootY, CurrentTime);
        XSync(m_display, False);
        std::this_thread::sleep_for(50ms);
        XTestFakeButtonEvent(m_display, 1, True, CurrentTime);
        XSync(m_display, False);
        std::this_thread::sleep_for(50ms);
        const Clock::time_point at = Clock::now();
        XTestFakeButtonEvent(m_display, 1, False, CurrentTime);
        XFlush(m_display);
        return at;
    }

    // Puts the window above its siblings, so that a click on it is not caught by a window opened over it.
    void raise(Window window) {
        XRaiseWindow(m_display, window);
        XSync(m_display, False);
    }

    // Handles whatever the server reported during the given time, so that no stale event is read as fresh.
    void drain(Clock::duration during) { waitShown({}, during); }

private:
    bool nextEvent(XEvent& event, Clock::time_point deadline) {
        while (!XPending(m_display)) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left <= 0ms) return false;
            pollfd connection{ConnectionNumber(m_display), POLLIN, 0};
            poll(&connection, 1, static_cast<int>(left.count()));
        }
        XNextEvent(m_display, &event);
        return true;
    }

    std::string titleOf(Window window) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::string title;
        if (XGetWindowProperty(m_display, window, m_netWmName, 0, 1024, False, m_utf8String, &type, &format, &count,
                               &after, &data) == Success &&
            data != nullptr) {
            title.assign(reinterpret_cast<const char*>(data), count);
        }
        if (data != nullptr) XFree(data);
        return title;
    }

    Display* m_display;
    Window m_root = 0;
    Atom m_netWmName = 0;
    Atom m_utf8String = 0;
    std::set<Window> m_mapped;
};

pid_t launch(const char* path) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        execl(path, path, static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid < 0) throw std::runtime_error("fork failed");
    return pid;
}

void stop(pid_t pid) {
    kill(pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return;
        std::this_thread::sleep_for(20ms);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

long cpuTicks(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t afterName = line.rfind(')');
    if (afterName == std::string::npos) return -1;
    // Fields after the command name: state is field 3, utime and stime are fields 14 and 15.
    std::istringstream fields(line.substr(afterName + 2));
    std::string field;
    long ticks = 0;
    for (int number = 3; number <= 15 && fields >> field; ++number)
        if (number >= 14) ticks += std::stol(field);
    return ticks;
}

// Waits until the process has used no CPU time for 200 ms (or 5 s have passed), so that the next step does not
// queue behind painting or lazy set-up that the previous step started.
void waitIdle(pid_t pid) {
    long last = cpuTicks(pid);
    int quiet = 0;
    for (int i = 0; i < 100 && quiet < 4; ++i) {
        std::this_thread::sleep_for(50ms);
        const long now = cpuTicks(pid);
        quiet = now == last ? quiet + 1 : 0;
        last = now;
    }
}

double peakResidentMegabytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

struct RunFigures {
    double startupMs;
    double openGunMakerMs;
    double peakMb;
};

[[noreturn]] void fail(const Program& program, const char* step) {
    std::fprintf(stderr, "bench: %s: %s was not shown within the time limit\n", program.path, step);
    std::exit(1);
}

// One run: start, wait for the main menu, open the gun maker, open the throwable maker, read the peak memory.
RunFigures runOnce(XWatcher& x, const Program& program) {
    const Clock::time_point started = Clock::now();
    const pid_t pid = launch(program.path);
    const auto menu = x.waitShown(program.menuTitle, 30s);
    if (!menu) fail(program, "the main menu");
    RunFigures figures{millisecondsBetween(started, menu->at), 0, 0};

    waitIdle(pid);
    const Clock::time_point clicked = x.click(menu->window, kGunsX, kGunsY);
    const auto gunMaker = x.waitShown(program.gunMakerTitle, 30s);
    if (!gunMaker) fail(program, "the gun maker");
    figures.openGunMakerMs = millisecondsBetween(clicked, gunMaker->at);

    waitIdle(pid);
    x.raise(menu->window);
    x.click(menu->window, kGrenadesX, kGrenadesY);
    if (!x.waitShown(program.throwableMakerTitle, 30s)) fail(program, "the throwable maker");
    waitIdle(pid);
    figures.peakMb = peakResidentMegabytes(pid);

    stop(pid);
    x.drain(100ms);
    return figures;
}

}  // namespace

int main(int argc, char* argv[]) {
    int runs = 15;
    int warmups = 2;
    std::vector<const char*> paths;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            runs = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--warmups") == 0 && i + 1 < argc) {
            warmups = std::atoi(argv[++i]);
        } else {
            paths.push_back(argv[i]);
        }
    }
    if (paths.size() != 2 || runs < 1 || warmups < 0) {
        std::fprintf(stderr, "usage: %s [--runs N] [--warmups N] VARNICK_EXECUTABLE BASELINE_EXECUTABLE\n", argv[0]);
        return 2;
    }
    using namespace varnick::bench;
    const Program varnick{paths[0], kVarnickMenuTitle, kVarnickGunMakerTitle, kVarnickThrowableMakerTitle};
    const Program baseline{paths[1], kBaselineMenuTitle, kBaselineGunMakerTitle, kBaselineThrowableMakerTitle};

    try {
        XWatcher x;
        std::vector<double> startup[2], opening[2], peak[2];
        for (int run = 0; run < warmups + runs; ++run) {
            // Alternating which program goes first spreads any drift of the machine over both.
            for (int turn = 0; turn < 2; ++turn) {
                const int which = (run + turn) % 2;
                const RunFigures figures = runOnce(x, which == 0 ? varnick : baseline);
                if (run < warmups) continue;
                startup[which].push_back(figures.startupMs);
                opening[which].push_back(figures.openGunMakerMs);
                peak[which].push_back(figures.peakMb);
            }
        }
        const auto row = [](const std::string& figure, const std::vector<double>(&samples)[2], double goal) {
            const double ours = median(samples[0]);
            const double theirs = median(samples[1]);
            char goalText[32];
            std::snprintf(goalText, sizeof goalText, "<= %.1fx", goal);
            printRow(figure, ours, theirs, goalText, ours <= goal * theirs);
        };
        row("start-up to main menu shown (ms)", startup, 1.3);
        row("guns button to gun maker shown (ms)", opening, 1.5);
        row("peak RSS, three windows open (MB)", peak, 1.3);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
