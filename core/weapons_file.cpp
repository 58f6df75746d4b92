#include "core/weapons_file.h"

#include <cstring>
#include <utility>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#endif

namespace varnick {

// ---- Facts -------------------------------------------------------------------------------------------------

FileEncoding WeaponsFileFacts::encoding() const {
    return byteOrderMark || (nonAscii && validUtf8) ? FileEncoding::Utf8 : FileEncoding::CodePage936;
}

bool WeaponsFileFacts::holdsName(FileEncoding fileEncoding) const {
    return fileEncoding == FileEncoding::Utf8 ? holdsUtf8Name : holdsCodePage936Name;
}

// ---- Scanner -----------------------------------------------------------------------------------------------

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr std::size_t kByteOrderMarkLength = 3;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

bool isBlankOrLineEnd(char c) {
    return isBlank(c) || c == '\n';
}

}  // namespace

WeaponsFileScanner::WeaponsFileScanner(std::string utf8Name, std::optional<std::string> codePage936Name) {
    m_names[0] = std::move(utf8Name);
    m_names[1] = std::move(codePage936Name).value_or(std::string());
    for (int i = 0; i < kNames; ++i) {
        m_hasName[i] = !m_names[i].empty();
    }
}

bool WeaponsFileScanner::keyEndsHere(int name) const {
    return m_alive[name] && m_keyLength == m_names[name].size();
}

bool WeaponsFileScanner::anyAlive() const {
    return m_alive[0] || m_alive[1];
}

void WeaponsFileScanner::feedKeyByte(char byte) {
    for (int i = 0; i < kNames; ++i) {
        m_alive[i] = m_alive[i] && m_keyLength < m_names[i].size() && m_names[i][m_keyLength] == byte;
    }
    ++m_keyLength;
}

void WeaponsFileScanner::endKey(const bool (&matches)[kNames]) {
    for (int i = 0; i < kNames; ++i) {
        m_found[i] = m_found[i] || matches[i];
    }
}

// The key of a line is matched byte by byte against the names as it arrives, so a line split between pieces
// needs no buffer, and a line is left for memchr as soon as no name can match it any more.
void WeaponsFileScanner::feedKeyBytes(std::string_view bytes) {
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    while (p < end) {
        if (m_state == LineState::Skip) {
            const void* lineEnd = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
            if (lineEnd == nullptr) {
                return;
            }
            p = static_cast<const char*>(lineEnd) + 1;
            m_state = LineState::Start;
            continue;
        }
        const char c = *p++;
        switch (m_state) {
            case LineState::Start:
                if (c == '\n') {
                    break;
                }
                if (isBlank(c) || c == '#' || c == '-') {
                    m_state = LineState::Skip;
                    break;
                }
                m_keyLength = 0;
                m_inBlankRun = false;
                for (int i = 0; i < kNames; ++i) {
                    m_alive[i] = m_hasName[i];
                }
                if (c == '"' || c == '\'') {
                    m_quote = c;
                    m_state = LineState::Quoted;
                    break;
                }
                m_state = LineState::Plain;
                --p;  // the first byte of a plain key is handled as a key byte
                break;
            case LineState::Plain:
                if (c == '\n') {
                    m_state = LineState::Start;
                } else if (c == ':') {
                    for (int i = 0; i < kNames; ++i) {
                        m_matchBeforeColon[i] = m_inBlankRun ? m_matchBeforeBlanks[i] : keyEndsHere(i);
                    }
                    m_state = LineState::PlainColon;
                } else if (isBlank(c)) {
                    // Blanks before the colon are not part of the key, blanks inside it are: remember how the
                    // key stood before them and keep matching them as key bytes.
                    if (!m_inBlankRun) {
                        m_inBlankRun = true;
                        for (int i = 0; i < kNames; ++i) {
                            m_matchBeforeBlanks[i] = keyEndsHere(i);
                        }
                    }
                    feedKeyByte(c);
                    if (!anyAlive() && !m_matchBeforeBlanks[0] && !m_matchBeforeBlanks[1]) {
                        m_state = LineState::Skip;
                    }
                } else if (c == '#' && m_inBlankRun) {
                    m_state = LineState::Skip;  // a comment, so no colon of a key follows
                } else {
                    m_inBlankRun = false;
                    feedKeyByte(c);
                    if (!anyAlive()) {
                        m_state = LineState::Skip;
                    }
                }
                break;
            case LineState::PlainColon:
                if (isBlankOrLineEnd(c)) {
                    endKey(m_matchBeforeColon);
                    m_state = c == '\n' ? LineState::Start : LineState::Skip;
                    break;
                }
                // A colon not followed by a blank belongs to the key.
                m_inBlankRun = false;
                feedKeyByte(':');
                m_state = anyAlive() ? LineState::Plain : LineState::Skip;
                --p;
                break;
            case LineState::Quoted:
                if (c == '\n') {
                    m_state = LineState::Start;
                } else if (c == m_quote) {
                    for (int i = 0; i < kNames; ++i) {
                        m_matchBeforeColon[i] = keyEndsHere(i);
                    }
                    m_state = LineState::QuotedClosed;
                } else {
                    feedKeyByte(c);
                    if (!anyAlive()) {
                        m_state = LineState::Skip;
                    }
                }
                break;
            case LineState::QuotedClosed:
                if (c == ':') {
                    m_state = LineState::QuotedColon;
                } else if (c == '\n') {
                    m_state = LineState::Start;
                } else if (c != ' ' && c != '\t') {
                    m_state = LineState::Skip;
                }
                break;
            case LineState::QuotedColon:
                if (isBlankOrLineEnd(c)) {
                    endKey(m_matchBeforeColon);
                }
                m_state = c == '\n' ? LineState::Start : LineState::Skip;
                break;
            case LineState::Skip:
                break;
        }
    }
}

void WeaponsFileScanner::feed(std::string_view bytes) {
    m_validator.feed(bytes);
    if (!m_bomDecided) {
        std::size_t i = 0;
        while (i < bytes.size() && m_bomSeen < kByteOrderMarkLength && bytes[i] == kByteOrderMark[m_bomSeen]) {
            ++i;
            ++m_bomSeen;
        }
        if (m_bomSeen == kByteOrderMarkLength) {
            m_bomDecided = true;
            m_byteOrderMark = true;
        } else if (i < bytes.size()) {
            m_bomDecided = true;
            // The bytes that looked like the start of a mark belong to the first line after all.
            feedKeyBytes(std::string_view(kByteOrderMark, m_bomSeen));
        } else {
            return;
        }
        bytes.remove_prefix(i);
    }
    feedKeyBytes(bytes);
}

WeaponsFileFacts WeaponsFileScanner::finish() {
    if (!m_bomDecided) {
        m_bomDecided = true;
        feedKeyBytes(std::string_view(kByteOrderMark, m_bomSeen));
    }
    if (m_state == LineState::PlainColon || m_state == LineState::QuotedColon) {
        endKey(m_matchBeforeColon);  // the end of the file ends the last line
    }
    m_state = LineState::Skip;

    WeaponsFileFacts facts;
    facts.byteOrderMark = m_byteOrderMark;
    facts.nonAscii = m_validator.sawNonAscii();
    facts.validUtf8 = m_validator.complete();
    facts.holdsUtf8Name = m_found[0];
    facts.holdsCodePage936Name = m_found[1];
    return facts;
}

WeaponsFileFacts scanWeaponsFileContent(std::string_view content, const std::string& utf8Name,
                                        const std::optional<std::string>& codePage936Name) {
    WeaponsFileScanner scanner(utf8Name, codePage936Name);
    while (!content.empty()) {
        const std::string_view chunk = content.substr(0, WeaponsFile::kChunkSize);
        scanner.feed(chunk);
        content.remove_prefix(chunk.size());
    }
    return scanner.finish();
}

// ---- File --------------------------------------------------------------------------------------------------

#ifdef _WIN32

std::unique_ptr<WeaponsFile> WeaponsFile::open(const std::filesystem::path& path) {
    // Read and write sharing lets a running server keep the file open; FILE_WRITE_DATA is what SetEndOfFile
    // needs to take a failed addition back.
    HANDLE handle = CreateFileW(
        path.c_str(), FILE_READ_DATA | FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    BY_HANDLE_FILE_INFORMATION information;
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        CloseHandle(handle);
        return nullptr;
    }
    std::unique_ptr<WeaponsFile> file(new WeaponsFile());
    file->m_handle = handle;
    return file;
}

WeaponsFile::~WeaponsFile() {
    if (m_handle != nullptr) {
        CloseHandle(static_cast<HANDLE>(m_handle));
    }
}

bool WeaponsFile::read(const std::function<void(std::string_view)>& sink) {
    const auto handle = static_cast<HANDLE>(m_handle);
    const std::unique_ptr<char[]> buffer(new char[kChunkSize]);
    ULONGLONG offset = 0;
    for (;;) {
        OVERLAPPED position = {};
        position.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFULL);
        position.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        if (!ReadFile(handle, buffer.get(), static_cast<DWORD>(kChunkSize), &got, &position)) {
            if (GetLastError() == ERROR_HANDLE_EOF) {
                return true;
            }
            return false;
        }
        if (got == 0) {
            return true;
        }
        sink(std::string_view(buffer.get(), got));
        offset += got;
    }
}

bool WeaponsFile::append(std::string_view bytes) {
    const auto handle = static_cast<HANDLE>(m_handle);
    LARGE_INTEGER before;
    if (!GetFileSizeEx(handle, &before)) {
        return false;
    }
    const auto expected = before.QuadPart + static_cast<LONGLONG>(bytes.size());
    bool written = true;
    std::string_view rest = bytes;
    while (written && !rest.empty()) {
        // Offsets of all ones write at the current end of the file, as an append-only handle would.
        OVERLAPPED atEnd = {};
        atEnd.Offset = 0xFFFFFFFF;
        atEnd.OffsetHigh = 0xFFFFFFFF;
        const auto piece = static_cast<DWORD>(rest.size() < (1u << 30) ? rest.size() : (1u << 30));
        DWORD put = 0;
        written = WriteFile(handle, rest.data(), piece, &put, &atEnd) && put > 0;
        if (written) {
            rest.remove_prefix(put);
        }
    }
    LARGE_INTEGER after;
    if (written && FlushFileBuffers(handle) && GetFileSizeEx(handle, &after) && after.QuadPart == expected) {
        return true;
    }
    SetFilePointerEx(handle, before, nullptr, FILE_BEGIN);
    SetEndOfFile(handle);
    FlushFileBuffers(handle);
    return false;
}

#else

namespace {

int openNoCreate(const std::filesystem::path& path, int flags) {
    // O_NONBLOCK keeps a FIFO at the path from blocking the open; it means nothing for the regular file we accept.
    for (;;) {
        const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd >= 0 || errno != EINTR) {
            return fd;
        }
    }
}

bool clearNonBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t piece = bytes.size() < SSIZE_MAX ? bytes.size() : SSIZE_MAX;
        const ssize_t put = ::write(fd, bytes.data(), piece);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (put == 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

void truncateTo(int fd, off_t size) {
    while (::ftruncate(fd, size) != 0 && errno == EINTR) {
    }
    ::fsync(fd);
}

}  // namespace

std::unique_ptr<WeaponsFile> WeaponsFile::open(const std::filesystem::path& path) {
    std::unique_ptr<WeaponsFile> file(new WeaponsFile());
    // Writing goes through an append-only descriptor; reading needs its own, checked to reach the same file.
    file->m_writeFd = openNoCreate(path, O_WRONLY | O_APPEND);
    if (file->m_writeFd < 0) {
        return nullptr;
    }
    struct stat written;
    if (fstat(file->m_writeFd, &written) != 0 || !S_ISREG(written.st_mode)) {
        return nullptr;
    }
    file->m_readFd = openNoCreate(path, O_RDONLY);
    if (file->m_readFd < 0) {
        return nullptr;
    }
    struct stat read;
    if (fstat(file->m_readFd, &read) != 0 || read.st_dev != written.st_dev || read.st_ino != written.st_ino) {
        return nullptr;
    }
    if (!clearNonBlocking(file->m_writeFd) || !clearNonBlocking(file->m_readFd)) {
        return nullptr;
    }
    return file;
}

WeaponsFile::~WeaponsFile() {
    if (m_readFd >= 0) {
        ::close(m_readFd);
    }
    if (m_writeFd >= 0) {
        ::close(m_writeFd);
    }
}

bool WeaponsFile::read(const std::function<void(std::string_view)>& sink) {
    const std::unique_ptr<char[]> buffer(new char[kChunkSize]);
    off_t offset = 0;
    for (;;) {
        const ssize_t got = ::pread(m_readFd, buffer.get(), kChunkSize, offset);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (got == 0) {
            return true;
        }
        sink(std::string_view(buffer.get(), static_cast<std::size_t>(got)));
        offset += got;
    }
}

bool WeaponsFile::append(std::string_view bytes) {
    struct stat before;
    if (fstat(m_writeFd, &before) != 0) {
        return false;
    }
    struct stat after;
    if (writeAll(m_writeFd, bytes) && ::fsync(m_writeFd) == 0 && fstat(m_writeFd, &after) == 0 &&
        after.st_size == before.st_size + static_cast<off_t>(bytes.size())) {
        return true;
    }
    truncateTo(m_writeFd, before.st_size);
    return false;
}

#endif

}  // namespace varnick
