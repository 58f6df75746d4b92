#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace varnick {

// Returns the code page 936 bytes of a UTF-8 text, or nothing if the text is not valid UTF-8 or holds a
// character that code page 936 cannot represent.
std::optional<std::string> toCodePage936(std::string_view utf8);

// Returns the UTF-8 form of code page 936 bytes, or nothing if they are not valid code page 936.
std::optional<std::string> fromCodePage936(std::string_view bytes);

// Returns whether every character of a UTF-8 text can be written in code page 936.
bool canEncodeCodePage936(std::string_view utf8);

// Returns how many code page 936 bytes a UTF-8 text takes, or nothing if it cannot be encoded.
std::optional<std::size_t> codePage936Length(std::string_view utf8);

// Returns whether a byte sequence is well-formed UTF-8.
bool isValidUtf8(std::string_view bytes);

}  // namespace varnick
