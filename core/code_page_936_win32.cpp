#include "core/code_page_936.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <climits>

namespace varnick::codepage936 {
namespace {

constexpr UINT kCodePage = 936;

std::optional<std::wstring> toUtf16(std::string_view utf8) {
    if (utf8.empty()) {
        return std::wstring();
    }
    if (utf8.size() > INT_MAX) {
        return std::nullopt;
    }
    const int sourceLength = static_cast<int>(utf8.size());
    std::wstring utf16(utf8.size(), L'\0');
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), sourceLength, utf16.data(),
                                           static_cast<int>(utf16.size()));
    if (length <= 0) {
        return std::nullopt;
    }
    utf16.resize(static_cast<std::size_t>(length));
    return utf16;
}

}  // namespace

std::optional<std::string> encode(std::string_view utf8) {
    const auto utf16 = toUtf16(utf8);
    if (!utf16) {
        return std::nullopt;
    }
    if (utf16->empty()) {
        return std::string();
    }
    // Code page 936 takes at most two bytes for each UTF-16 unit.
    std::string bytes(utf16->size() * 2, '\0');
    BOOL usedDefault = FALSE;
    const int length =
        WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, utf16->data(), static_cast<int>(utf16->size()),
                            bytes.data(), static_cast<int>(bytes.size()), nullptr, &usedDefault);
    if (length <= 0 || usedDefault) {
        return std::nullopt;
    }
    bytes.resize(static_cast<std::size_t>(length));
    return bytes;
}

std::optional<std::string> decode(std::string_view bytes) {
    if (bytes.empty()) {
        return std::string();
    }
    if (bytes.size() > INT_MAX) {
        return std::nullopt;
    }
    std::wstring utf16(bytes.size(), L'\0');
    const int length =
        MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), utf16.data(),
                            static_cast<int>(utf16.size()));
    if (length <= 0) {
        return std::nullopt;
    }
    // Each UTF-16 unit takes at most three UTF-8 bytes.
    std::string utf8(static_cast<std::size_t>(length) * 3, '\0');
    const int utf8Length = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, utf16.data(), length, utf8.data(),
                                               static_cast<int>(utf8.size()), nullptr, nullptr);
    if (utf8Length <= 0) {
        return std::nullopt;
    }
    utf8.resize(static_cast<std::size_t>(utf8Length));
    return utf8;
}

}  // namespace varnick::codepage936
