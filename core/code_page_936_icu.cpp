#include "core/code_page_936.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <cstdint>
#include <memory>

namespace varnick::codepage936 {
namespace {

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};

// ICU 72 resolves "GBK" to windows-936-2000, the mapping of the Windows code page, without an ambiguous-alias
// warning; the STOP callbacks make every unmappable or malformed character an error instead of a substitute.
UConverter* converter() {
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
    if (utf8.size() > INT32_MAX) {
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

}  // namespace

std::optional<std::string> encode(std::string_view utf8) {
    UConverter* const gbk = converter();
    const auto utf16 = toUtf16(utf8);
    if (gbk == nullptr || !utf16) {
        return std::nullopt;
    }
    ucnv_resetFromUnicode(gbk);
    UErrorCode status = U_ZERO_ERROR;
    // Code page 936 takes at most two bytes for each UTF-16 unit.
    std::string bytes(utf16->size() * 2, '\0');
    const int32_t length = ucnv_fromUChars(gbk, bytes.data(), static_cast<int32_t>(bytes.size()), utf16->data(),
                                           static_cast<int32_t>(utf16->size()), &status);
    if (U_FAILURE(status)) {
        return std::nullopt;
    }
    bytes.resize(static_cast<std::size_t>(length));
    return bytes;
}

std::optional<std::string> decode(std::string_view bytes) {
    UConverter* const gbk = converter();
    if (gbk == nullptr || bytes.size() > INT32_MAX / 2) {
        return std::nullopt;
    }
    ucnv_resetToUnicode(gbk);
    std::u16string utf16(bytes.size(), u'\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = ucnv_toUChars(gbk, utf16.data(), static_cast<int32_t>(utf16.size()), bytes.data(),
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

}  // namespace varnick::codepage936
