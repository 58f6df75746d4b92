// Times adding one gun definition to generated weapons files of 10 KB, 1 MB and 50 MB (ASCII, UTF-8 and code page
// 936 content), against reading the same file once, and compares the addition's peak memory for 50 MB and 10 KB.
// Every run appends a weapon whose name is new, then truncates the file back, so all runs see the same file.
//
// Usage: varnick_bench_file [--runs N] DIRECTORY
//        varnick_bench_file --peak-child FILE NAME   (internal: one addition, then prints the peak memory)

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bench/report.h"
#include "core/desktop_services.h"
#include "core/encoding.h"
#include "core/gun_definition.h"
#include "core/messages.h"
#include "core/result_actions.h"
#include "core/throwable_definition.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Keeps the last message and never shows anything, so that an addition costs only its own work.
class SilentDesktop : public varnick::DesktopServices {
public:
    void showMessage(const varnick::Message& message) override { lastMessage.assign(message.text); }
    bool setClipboardText(std::string_view) override { return true; }
    std::string lastMessage;
};

enum class Content { Ascii, Utf8, CodePage936 };

const char* contentName(Content content) {
    switch (content) {
        case Content::Ascii:
            return "ASCII";
        case Content::Utf8:
            return "UTF-8";
        case Content::CodePage936:
            return "GBK";
    }
    return "";
}

varnick::GunValues gun(const std::string& name, bool chinese, int seed) {
    varnick::GunValues values;
    values.name = name;
    values.heldName = chinese ? "&e突击步枪 " + name : "&eAssault rifle " + name;
    values.itemType = std::to_string(256 + seed % 200);
    values.lore = chinese ? "&7一把可靠的步枪|&7射速快,后坐力小" : "&7A dependable rifle|&7Fast, with little recoil";
    values.recoilAmount = std::to_string(seed % 5);
    values.projectileAmount = std::to_string(1 + seed % 3);
    values.projectileType = seed % 2 ? "snowball" : "arrow";
    values.projectileDamage = std::to_string(4 + seed % 17);
    values.projectileSpeed = std::to_string(20 + seed % 80);
    values.bulletSpread = std::to_string(seed % 4);
    values.deathMessage =
        chinese ? "&b<shooter> 使用 " + name + " 把 <victim> 枪毙" : "&b<shooter> shot <victim> with " + name;
    values.zoomAmount = std::to_string(2 + seed % 6);
    values.ammoItemId = "341";
    values.reloadAmount = std::to_string(10 + seed % 50);
    values.reloadDuration = std::to_string(20 + seed % 60);
    values.dualWield = seed % 7 == 0;
    values.scopeEnabled = seed % 3 == 0;
    values.ammoEnabled = seed % 2 == 0;
    return values;
}

varnick::ThrowableValues throwable(const std::string& name, bool chinese, int seed) {
    varnick::ThrowableValues values;
    values.name = name;
    values.heldName = chinese ? "&c手雷 " + name : "&cGrenade " + name;
    values.itemType = "341";
    values.lore = chinese ? "&7拉开保险后扔出" : "&7Pull the pin, then throw";
    values.explosionPower = std::to_string(2 + seed % 6);
    values.explosionRadius = std::to_string(3 + seed % 5);
    values.explosionDelay = varnick::explosionDelayTicks(std::to_string(1 + seed % 4));
    values.projectileAmount = "1";
    values.projectileSubtype = "341";
    values.projectileSpeed = std::to_string(5 + seed % 10);
    values.shootSound = "SHOOT_ARROW-1-1-0";
    values.deathMessage = chinese ? "&b<shooter> 把 <victim> 炸飞了" : "&b<shooter> blew up <victim>";
    return values;
}

std::string weaponName(Content content, const char* prefix, int number) {
    return (content == Content::Ascii ? std::string(prefix) : std::string("步枪_") + prefix) + std::to_string(number);
}

// Writes a weapons file of at least the given size: gun and grenade blocks as the makers write them, with the
// occasional comment line, in the content's encoding.
void generateWeaponsFile(const fs::path& path, Content content, std::size_t size) {
    const bool chinese = content != Content::Ascii;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::string block;
    std::size_t written = 0;
    for (int seed = 0; written < size; ++seed) {
        block =
            seed % 4 == 3
                ? "\r\n" + varnick::buildThrowableDefinition(throwable(weaponName(content, "g", seed), chinese, seed))
                : varnick::buildGunDefinition(gun(weaponName(content, "w", seed), chinese, seed));
        if (seed % 50 == 0)
            block += chinese ? "\r\n# ---- 第 " + std::to_string(seed / 50) + " 组 ----"
                             : "\r\n# ---- group " + std::to_string(seed / 50) + " ----";
        if (content == Content::CodePage936) block = varnick::toCodePage936(block).value();
        out << block;
        written += block.size();
    }
}

double secondsOf(const std::function<void()>& work) {
    const Clock::time_point start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// The processor time of the last timed addition: on a shared machine it shows what waiting for a processor added.
double lastAdditionCpuSeconds = 0;

// Appends one new weapon to the file, then truncates it back; returns the addition's time in seconds.
double timeAddition(const fs::path& path, Content content, int run) {
    const std::uintmax_t size = fs::file_size(path);
    const std::string text =
        varnick::buildGunDefinition(gun(weaponName(content, "new", run), content != Content::Ascii, run));
    SilentDesktop desktop;
    const double cpuBefore = processCpuSeconds();
    const double seconds = secondsOf([&] { varnick::addToWeaponsFile(text, desktop, path); });
    lastAdditionCpuSeconds = processCpuSeconds() - cpuBefore;
    if (desktop.lastMessage != varnick::messages::kAddDone.text) {
        std::fprintf(stderr, "bench: adding to %s failed: %s\n", path.c_str(), desktop.lastMessage.c_str());
        std::exit(1);
    }
    fs::resize_file(path, size);
    return seconds;
}

// The floor for one pass over the file: plain reads in the chunk size the weapons file uses.
double timePlainRead(const fs::path& path) {
    return secondsOf([&] {
        const int fd = open(path.c_str(), O_RDONLY);
        std::vector<char> buffer(64 * 1024);
        unsigned sum = 0;
        for (ssize_t got; (got = read(fd, buffer.data(), buffer.size())) > 0;)
            sum += static_cast<unsigned char>(buffer[0]);
        close(fd);
        if (sum == 1) std::fputs("", stderr);  // keeps the loop from being optimised away
    });
}

long peakResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int peakChild(const fs::path& path, const std::string& name) {
    SilentDesktop desktop;
    varnick::addToWeaponsFile(varnick::buildGunDefinition(gun(name, false, 1)), desktop, path);
    if (desktop.lastMessage != varnick::messages::kAddDone.text) return 1;
    std::printf("%ld\n", peakResidentKilobytes());
    return 0;
}

// Runs one addition in a fresh process, so that nothing this process touched counts; returns its peak in MB.
double peakOfAdditionMegabytes(const fs::path& path, int run) {
    const std::uintmax_t size = fs::file_size(path);
    int pipeFds[2];
    if (pipe(pipeFds) != 0) std::exit(1);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    const std::string self = fs::read_symlink("/proc/self/exe");
    const std::string name = "peak_" + std::to_string(run);
    const char* argv[] = {self.c_str(), "--peak-child", path.c_str(), name.c_str(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, self.c_str(), &actions, nullptr, const_cast<char**>(argv), environ) != 0) std::exit(1);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    char output[64] = {};
    const ssize_t got = read(pipeFds[0], output, sizeof output - 1);
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (got <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "bench: the peak-memory child failed on %s\n", path.c_str());
        std::exit(1);
    }
    fs::resize_file(path, size);
    return std::atol(output) / 1024.0;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 4 && std::strcmp(argv[1], "--peak-child") == 0) return peakChild(argv[2], argv[3]);
    int runs = 15;
    const char* directory = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            runs = std::atoi(argv[++i]);
        } else {
            directory = argv[i];
        }
    }
    if (directory == nullptr || runs < 1) {
        std::fprintf(stderr, "usage: %s [--runs N] DIRECTORY\n", argv[0]);
        return 2;
    }
    using varnick::bench::median;
    using varnick::bench::printRow;
    constexpr double kMegabyte = 1024.0 * 1024.0;
    // The file sizes and the goal for the addition's median time, in milliseconds (none for the smallest).
    struct Size {
        const char* label;
        std::size_t bytes;
        std::optional<double> goalMs;
    };
    const Size sizes[] = {
        {"10 KB", 10 * 1024, std::nullopt}, {"1 MB", 1024 * 1024, 30.0}, {"50 MB", 50 * 1024 * 1024, 1000.0}};
    constexpr int kSizes = 3;

    fs::create_directories(directory);
    for (const Content content : {Content::Ascii, Content::Utf8, Content::CodePage936}) {
        std::vector<double> addSeconds[kSizes], addCpuSeconds[kSizes], readSeconds[kSizes], peakMb[kSizes];
        fs::path paths[kSizes];
        for (int which = 0; which < kSizes; ++which) {
            // Each file has a folder of its own: an addition reads every .yml file beside the weapons file.
            paths[which] = fs::path(directory) / (std::string(contentName(content)) + "-" + sizes[which].label) /
                           "defaultWeapons.yml";
            fs::create_directories(paths[which].parent_path());
            generateWeaponsFile(paths[which], content, sizes[which].bytes);
            timeAddition(paths[which], content, -1);  // warms the page cache and the code
        }
        for (int run = 0; run < runs; ++run) {
            for (int which = 0; which < kSizes; ++which) {
                addSeconds[which].push_back(timeAddition(paths[which], content, run));
                addCpuSeconds[which].push_back(lastAdditionCpuSeconds);
                readSeconds[which].push_back(timePlainRead(paths[which]));
            }
        }
        for (int run = 0; run < 3; ++run)
            for (const int which : {0, kSizes - 1}) peakMb[which].push_back(peakOfAdditionMegabytes(paths[which], run));

        const std::string label = contentName(content);
        char note[96];
        for (int which = 0; which < kSizes; ++which) {
            const double ms = median(addSeconds[which]) * 1000;
            const double speed = static_cast<double>(fs::file_size(paths[which])) / kMegabyte / (ms / 1000);
            std::snprintf(note, sizeof note, "%.0f MB/s, %.2f ms of processor time; baseline is one plain read", speed,
                          median(addCpuSeconds[which]) * 1000);
            const std::optional<double> goal = sizes[which].goalMs;
            char goalText[32];
            std::snprintf(goalText, sizeof goalText, "<= %.0f ms", goal.value_or(0));
            printRow("add to " + std::string(sizes[which].label) + " " + label + " file (ms)", ms,
                     median(readSeconds[which]) * 1000, goal ? goalText : "-",
                     goal ? std::optional<bool>(ms <= *goal) : std::nullopt, note);
        }
        const double growth = median(peakMb[kSizes - 1]) - median(peakMb[0]);
        std::snprintf(note, sizeof note, "%+.2f MB; baseline is the 10 KB file", growth);
        printRow("peak RSS, add to 50 MB " + label + " (MB)", median(peakMb[kSizes - 1]), median(peakMb[0]), "< +4 MB",
                 growth < 4, note);
        for (const fs::path& path : paths) fs::remove_all(path.parent_path());
    }
    return 0;
}
