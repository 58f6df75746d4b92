#include "core/encoding.h"

#include "core/code_page_936.h"

#include <cstdint>
#include <cstring>

namespace varnick {

namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// The Windows table of code page 936 (which ICU follows) pairs the byte 0xFF with the private-use character
// U+F8F5. GBK has no byte 0xFF and the plugin's reader refuses it, so the byte is not read, and the character,
// which then cannot read back, is not written.
constexpr char kByteFF = '\xFF';

bool isAscii(std::string_view text) {
    const char* p = text.data();
    std::size_t n = text.size();
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        if (word & kHighBits) {
            return false;
        }
    }
    for (; n > 0; ++p, --n) {
        if (static_cast<unsigned char>(*p) >= 0x80) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<std::string> toCodePage936(std::string_view utf8) {
    if (isAscii(utf8)) {
        return std::string(utf8);
    }
    if (!isValidUtf8(utf8)) {
        return std::nullopt;
    }
    auto bytes = codepage936::encode(utf8);
    if (!bytes) {
        return std::nullopt;
    }
    // The converter skips default-ignorable characters (U+200B, U+00AD, U+FEFF...) even with the STOP callback;
    // only a text that reads back unchanged may go out.
    if (fromCodePage936(*bytes) != utf8) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::string> fromCodePage936(std::string_view bytes) {
    if (isAscii(bytes)) {
        return std::string(bytes);
    }
    if (bytes.find(kByteFF) != std::string_view::npos) {
        return std::nullopt;
    }
    return codepage936::decode(bytes);
}

bool canEncodeCodePage936(std::string_view utf8) {
    return codePage936Length(utf8).has_value();
}

std::optional<std::size_t> codePage936Length(std::string_view utf8) {
    if (isAscii(utf8)) {
        return utf8.size();
    }
    // Measured by converting, so that a character the converter would drop is refused here as well.
    const auto bytes = toCodePage936(utf8);
    if (!bytes) {
        return std::nullopt;
    }
    return bytes->size();
}

bool isValidUtf8(std::string_view bytes) {
    Utf8Validator validator;
    validator.feed(bytes);
    return validator.complete();
}

bool Utf8Validator::feed(std::string_view bytes) {
    if (m_failed) {
        return false;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const unsigned char* const end = p + bytes.size();
    while (p < end) {
        if (m_pending == 0) {
            // Weapon files are mostly ASCII: step over it eight bytes at a time.
            while (end - p >= 8) {
                std::uint64_t word;
                std::memcpy(&word, p, 8);
                if (word & kHighBits) {
                    break;
                }
                p += 8;
            }
            if (p == end) {
                break;
            }
            const unsigned char lead = *p++;
            if (lead < 0x80) {
                continue;
            }
            m_sawNonAscii = true;
            m_low = 0x80;
            m_high = 0xBF;
            if (lead >= 0xC2 && lead <= 0xDF) {
                m_pending = 1;
            } else if (lead >= 0xE0 && lead <= 0xEF) {
                m_pending = 2;
                if (lead == 0xE0) {
                    m_low = 0xA0;  // overlong below U+0800
                } else if (lead == 0xED) {
                    m_high = 0x9F;  // surrogates
                }
            } else if (lead >= 0xF0 && lead <= 0xF4) {
                m_pending = 3;
                if (lead == 0xF0) {
                    m_low = 0x90;  // overlong below U+10000
                } else if (lead == 0xF4) {
                    m_high = 0x8F;  // above U+10FFFF
                }
            } else {
                m_failed = true;
                return false;
            }
        } else {
            const unsigned char next = *p++;
            if (next < m_low || next > m_high) {
                m_sawNonAscii = true;
                m_failed = true;
                return false;
            }
            --m_pending;
            m_low = 0x80;
            m_high = 0xBF;
        }
    }
    return true;
}

}  // namespace varnick
