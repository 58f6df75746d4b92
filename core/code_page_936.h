#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The platform's code page 936 converter behind core/encoding.h: ICU on Linux, the system's own code page
// tables on Windows. Both refuse what they cannot convert exactly; neither substitutes nor best-fits.
namespace varnick::codepage936 {

// Converts well-formed UTF-8 to code page 936 into out, or only measures the result when out is null; returns
// the byte count, or nothing if a character has no code page 936 form.
std::optional<std::size_t> encode(std::string_view utf8, std::string* out);

// Returns the UTF-8 form of code page 936 bytes, or nothing if they are not valid code page 936.
std::optional<std::string> decode(std::string_view bytes);

}  // namespace varnick::codepage936
