#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace varnick {

// Returns the weapon's name if the UTF-8 definition text parses as one YAML document holding one mapping whose
// only key is a non-empty scalar; nothing otherwise.
std::optional<std::string> definitionWeaponName(std::string_view definition);

}  // namespace varnick
