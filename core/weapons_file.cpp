#include "core/weapons_file.h"

#include <cstring>
#include <utility>

#include "core/locked_append.h"

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
        const std::string_view chunk = content.substr(0, kReadChunkSize);
        scanner.feed(chunk);
        content.remove_prefix(chunk.size());
    }
    return scanner.finish();
}

}  // namespace varnick
