#include "core/encoding.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <cstdint>
#include <cstring>
#include <memory>

namespace varnick {

namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

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

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};

// ICU 72 resolves "GBK" to windows-936-2000, the mapping of the Windows code page, without an ambiguous-alias
// warning; the STOP callbacks make every unmappable or malformed character an error instead of a substitute.
UConverter* codePage936Converter() {
    thread_local const std::unique_ptr<UConverter, ConverterCloser> converter = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<UConverter, ConverterCloser> opened(ucnv_open("GBK", &status));
        if (U_FAILURE(status)) {
            return std::unique_ptr<UConverter, ConverterCloser>();
        }
        ucnv_setFromUCallBack(opened.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
        ucnv_setToUCallBack(opened.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
        if (U_FAILURE(status)) {
            return std::unique_ptr<UConverter, ConverterCloser>();
        }
        return opened;
    }();
    return converter.get();
}

std::optional<std::u16string> toUtf16(std::string_view utf8) {
    if (!isValidUtf8(utf8) || utf8.size() > INT32_MAX) {
        return std::nullopt;
    }
    std::u16string utf16(utf8.size(), u'\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8(utf16.data(), static_cast<int32_t>(utf16.size()), &length, utf8.data(),
                  static_cast<int32_t>(utf8.size()), &status);
    if (U_FAILURE(status)) {
        return std::nullopt;
    }
    utf16.resize(static_cast<std::size_t>(length));
    return utf16;
}

// Converts UTF-16 to code page 936 into out.
bool fromUtf16(const std::u16string& utf16, std::string* out) {
    UConverter* converter = codePage936Converter();
    if (converter == nullptr) {
        return false;
    }
    ucnv_resetFromUnicode(converter);
    const auto sourceLength = static_cast<int32_t>(utf16.size());
    UErrorCode status = U_ZERO_ERROR;
    // Code page 936 takes at most two bytes for each UTF-16 unit.
    out->resize(utf16.size() * 2);
    const int32_t length =
        ucnv_fromUChars(converter, out->data(), static_cast<int32_t>(out->size()), utf16.data(), sourceLength, &status);
    if (U_FAILURE(status)) {
        return false;
    }
    out->resize(static_cast<std::size_t>(length));
    return true;
}

}  // namespace

std::optional<std::string> toCodePage936(std::string_view utf8) {
    if (isAscii(utf8)) {
        return std::string(utf8);
    }
    const auto utf16 = toUtf16(utf8);
    if (!utf16) {
        return std::nullopt;
    }
    std::string bytes;
    if (!fromUtf16(*utf16, &bytes)) {
        return std::nullopt;
    }
    // The converter skips default-ignorable characters (U+200B, U+00AD, U+FEFF...) even with the STOP callback;
    // only a text that reads back unchanged may go out.
    if (fromCodePage936(bytes) != utf8) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::string> fromCodePage936(std::string_view bytes) {
    if (isAscii(bytes)) {
        return std::string(bytes);
    }
    UConverter* converter = codePage936Converter();
    if (converter == nullptr || bytes.size() > INT32_MAX / 2) {
        return std::nullopt;
    }
    ucnv_resetToUnicode(converter);
    std::u16string utf16(bytes.size(), u'\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = ucnv_toUChars(converter, utf16.data(), static_cast<int32_t>(utf16.size()), bytes.data(),
                                         static_cast<int32_t>(bytes.size()), &status);
    if (U_FAILURE(status)) {
        return std::nullopt;
    }
    // Each UTF-16 unit takes at most three UTF-8 bytes.
    std::string utf8(static_cast<std::size_t>(length) * 3, '\0');
    int32_t utf8Length = 0;
    u_strToUTF8(utf8.data(), static_cast<int32_t>(utf8.size()), &utf8Length, utf16.data(), length, &status);
    if (U_FAILURE(status)) {
        return std::nullopt;
    }
    utf8.resize(static_cast<std::size_t>(utf8Length));
    return utf8;
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
