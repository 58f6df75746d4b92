#pragma once

#include <optional>
#include <string>
#include <string_view>

// The platform's code page 936 converter behind core/encoding.h: ICU on Linux, the system's own code page
// tables on Windows. Both refuse what they cannot convert exactly; neither substitutes nor best-fits.
namespace varnick::codepage936 {

// Returns the code page 936 bytes of well-formed UTF-8, or nothing if a character has no code page 936 form.
std::optional<std::string> encode(std::string_view utf8);

// Returns the UTF-8 form of code page 936 bytes, or nothing if they are not valid code page 936.
std::optional<std::string> decode(std::string_view bytes);

}  // namespace varnick::codepage936
