#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include "core/file_system.h"

namespace varnick {
namespace {

constexpr std::size_t kCompareChunk = 64 * 1024;

int openRetrying(const char* path, int flags, mode_t mode = 0) {
    for (;;) {
        const int fd = ::open(path, flags | O_CLOEXEC | O_NOCTTY, mode);
        if (fd >= 0 || errno != EINTR) return fd;
    }
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    int release() {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

FileIdentity identityOf(const struct stat& status) {
    return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

class PosixFile final : public OpenFile {
public:
    explicit PosixFile(int fd) : m_fd(fd) {}
    ~PosixFile() override { ::close(m_fd); }  // closing drops the lock too

    LockResult lock(std::chrono::milliseconds patience) override {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        for (;;) {
            if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) return LockResult::Locked;
            if (errno == EINTR) continue;
            if (errno != EWOULDBLOCK) return LockResult::Failed;
            if (std::chrono::steady_clock::now() >= deadline) return LockResult::Busy;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    std::optional<std::size_t> read(std::uint64_t offset, char* buffer, std::size_t size) override {
        for (;;) {
            const ssize_t got = ::pread(m_fd, buffer, size, static_cast<off_t>(offset));
            if (got >= 0) return static_cast<std::size_t>(got);
            if (errno != EINTR) return std::nullopt;
        }
    }

    AppendResult append(std::string_view bytes) override {
        const std::size_t piece = bytes.size() < SSIZE_MAX ? bytes.size() : SSIZE_MAX;
        for (;;) {
            // O_APPEND moves to the end and writes in one step, so another appender's bytes never land inside
            // ours; the offset then stands right after what this call wrote.
            const ssize_t put = ::write(m_fd, bytes.data(), piece);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return {};
            const off_t end = ::lseek(m_fd, 0, SEEK_CUR);
            if (end < 0) return {static_cast<std::size_t>(put), std::nullopt};
            return {static_cast<std::size_t>(put), static_cast<std::uint64_t>(end)};
        }
    }

    bool sync() override { return ::fsync(m_fd) == 0; }

    bool truncate(std::uint64_t size) override {
        for (;;) {
            if (::ftruncate(m_fd, static_cast<off_t>(size)) == 0) return true;
            if (errno != EINTR) return false;
        }
    }

    std::optional<FileStatus> status() override {
        struct stat status;
        if (::fstat(m_fd, &status) != 0) return std::nullopt;
        return FileStatus{identityOf(status), static_cast<std::uint64_t>(status.st_size)};
    }

private:
    int m_fd;
};

class PosixFileSystem final : public FileSystem {
public:
    std::unique_ptr<OpenFile> open(const std::filesystem::path& path) override {
        // O_NONBLOCK keeps a FIFO at the path from blocking the open; it means nothing for the regular file we
        // accept and is cleared before use.
        FileDescriptor fd(openRetrying(path.c_str(), O_RDWR | O_APPEND | O_NONBLOCK));
        if (fd.get() < 0) return nullptr;
        struct stat status;
        if (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) return nullptr;
        const int flags = ::fcntl(fd.get(), F_GETFL);
        if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) return nullptr;
        return std::make_unique<PosixFile>(fd.release());
    }

    std::optional<FileIdentity> identity(const std::filesystem::path& path) override {
        struct stat status;
        if (::stat(path.c_str(), &status) != 0) return std::nullopt;
        return identityOf(status);
    }
};

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t piece = bytes.size() < SSIZE_MAX ? bytes.size() : SSIZE_MAX;
        const ssize_t put = ::write(fd, bytes.data(), piece);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

bool syncDirectory(const std::filesystem::path& directory) {
    const FileDescriptor fd(openRetrying(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY));
    return fd.get() >= 0 && ::fsync(fd.get()) == 0;
}

}  // namespace

FileSystem& platformFileSystem() {
    static PosixFileSystem instance;
    return instance;
}

bool regularFileHolds(const std::filesystem::path& path, std::string_view bytes) {
    const FileDescriptor fd(openRetrying(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK));
    if (fd.get() < 0) return false;
    struct stat status;
    if (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        static_cast<std::uint64_t>(status.st_size) != bytes.size()) {
        return false;
    }
    const std::unique_ptr<char[]> buffer(new char[kCompareChunk]);
    std::uint64_t offset = 0;
    for (;;) {
        const ssize_t got = ::pread(fd.get(), buffer.get(), kCompareChunk, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return offset == bytes.size();
        const auto length = static_cast<std::size_t>(got);
        if (offset + length > bytes.size() || bytes.substr(offset, length) != std::string_view(buffer.get(), length)) {
            return false;
        }
        offset += length;
    }
}

bool placeFile(const std::filesystem::path& path, std::string_view bytes) {
    struct stat status;
    if (::lstat(path.c_str(), &status) == 0) {
        if (!S_ISREG(status.st_mode) && !S_ISLNK(status.st_mode)) return false;
        if (S_ISREG(status.st_mode) && regularFileHolds(path, bytes)) return true;
    } else if (errno != ENOENT) {
        return false;
    }

    const std::filesystem::path directory = path.parent_path();
    std::random_device random;
    std::filesystem::path temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 16; ++attempt) {
        temporary = path;
        temporary += ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(random() % 1000000);
        fd = openRetrying(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0644);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    // The rename lasts through a crash only once the directory has reached the disk; without that the name may
    // come back as the former file, which the next start replaces again.
    syncDirectory(directory);
    return true;
}

void ignoreWriteSignals() {
    ::signal(SIGXFSZ, SIG_IGN);
    ::signal(SIGPIPE, SIG_IGN);
}

}  // namespace varnick
