#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace varnick {

// Returns the code page 936 bytes of a UTF-8 text, or nothing if the text is not valid UTF-8 or holds a
// character that code page 936 cannot represent; no character is ever dropped or replaced.
std::optional<std::string> toCodePage936(std::string_view utf8);

// Returns the UTF-8 form of code page 936 bytes, or nothing if they are not valid code page 936.
std::optional<std::string> fromCodePage936(std::string_view bytes);

// Returns whether every character of a UTF-8 text can be written in code page 936; ASCII text costs no conversion.
bool canEncodeCodePage936(std::string_view utf8);

// Returns how many code page 936 bytes a UTF-8 text takes, or nothing if it cannot be encoded.
std::optional<std::size_t> codePage936Length(std::string_view utf8);

// Returns whether a byte sequence is well-formed UTF-8 (no overlong forms, surrogates or values above U+10FFFF).
bool isValidUtf8(std::string_view bytes);

// Returns the character of well-formed UTF-8 text that starts at the given offset and moves the offset past it.
inline char32_t decodeUtf8At(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at++]);
    if (lead < 0x80) return lead;
    const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
    char32_t value = lead & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) value = (value << 6) | (static_cast<unsigned char>(text[at++]) & 0x3F);
    return value;
}

// Checks UTF-8 well-formedness of a byte stream that arrives in pieces; a character may be split between pieces.
class Utf8Validator {
public:
    // Takes the next piece of the stream; returns false once the stream is known to be malformed.
    bool feed(std::string_view bytes);

    // Returns whether everything fed so far is well-formed and ends on a whole character.
    bool complete() const { return !m_failed && m_pending == 0; }

    // Returns whether any byte fed so far is above 0x7F.
    bool sawNonAscii() const { return m_sawNonAscii; }

private:
    int m_pending = 0;
    unsigned char m_low = 0x80;
    unsigned char m_high = 0xBF;
    bool m_failed = false;
    bool m_sawNonAscii = false;
};

}  // namespace varnick
