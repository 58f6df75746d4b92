#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/encoding.h"

namespace varnick {

// The encodings a definition can be appended in.
enum class FileEncoding { Utf8, CodePage936 };

// What one pass over a weapons file found.
struct WeaponsFileFacts {
    bool byteOrderMark = false;         // the file begins with the UTF-8 byte-order mark
    bool nonAscii = false;              // some byte is above 0x7F
    bool validUtf8 = true;              // all bytes together are well-formed UTF-8
    bool holdsUtf8Name = false;         // a top-level key equals the name's UTF-8 bytes
    bool holdsCodePage936Name = false;  // a top-level key equals the name's code page 936 bytes

    // Returns the encoding an addition must use so that the file keeps one encoding.
    FileEncoding encoding() const;

    // Returns whether the file already holds the weapon's name, written in the given encoding, as a top-level key.
    bool holdsName(FileEncoding encoding) const;
};

// Gathers WeaponsFileFacts from a file's bytes handed over in pieces of any size, in one pass and constant memory.
class WeaponsFileScanner {
public:
    // Looks for the name in its UTF-8 bytes and, if given, in its code page 936 bytes; an empty name never matches.
    WeaponsFileScanner(std::string utf8Name, std::optional<std::string> codePage936Name);

    // Takes the next piece of the file.
    void feed(std::string_view bytes);

    // Returns the facts of everything fed; the scanner must not be fed afterwards.
    WeaponsFileFacts finish();

private:
    enum class LineState { Start, Plain, PlainColon, Quoted, QuotedClosed, QuotedColon, Skip };
    static constexpr int kNames = 2;

    void feedKeyBytes(std::string_view bytes);
    void feedKeyByte(char byte);
    bool keyEndsHere(int name) const;
    bool anyAlive() const;
    void endKey(const bool (&matches)[kNames]);

    std::string m_names[kNames];
    bool m_hasName[kNames] = {};
    bool m_found[kNames] = {};

    Utf8Validator m_validator;
    std::size_t m_bomSeen = 0;  // bytes of the byte-order mark matched at the file's start
    bool m_bomDecided = false;
    bool m_byteOrderMark = false;

    LineState m_state = LineState::Start;
    char m_quote = 0;
    std::size_t m_keyLength = 0;
    bool m_alive[kNames] = {};
    bool m_inBlankRun = false;
    bool m_matchBeforeBlanks[kNames] = {};
    bool m_matchBeforeColon[kNames] = {};
};

// Returns the facts of a weapons file's content held in memory, as one pass over it finds them.
WeaponsFileFacts scanWeaponsFileContent(std::string_view content, const std::string& utf8Name,
                                        const std::optional<std::string>& codePage936Name);

}  // namespace varnick
