#pragma once

#include <filesystem>
#include <string>

namespace varnick::ui {

// The names under which the carried files are written beside the program.
inline constexpr char kSkinLibraryFileName[] = "jedata.dll";
inline constexpr char8_t kSkinFileName[] = u8"皮肤.she";
inline constexpr char kSkinAttachFunction[] = "SkinH_AttachEx";

// The resources that hold the carried skin engine library and skin file.
inline constexpr char kCarriedSkinLibraryResource[] = ":/carried/jedata.dll";
inline constexpr char kCarriedSkinFileResource[] = ":/carried/skin.she";

// Puts the carried skin engine and skin into the program directory (leaving equal files alone, replacing others
// by rename) and attaches the skin, binding the engine from that directory first; returns false if the library
// at the name is not the carried one or SkinH_AttachEx could not be bound. A skin the engine refuses leaves the
// toolkit's own look and returns true.
bool attachSkin(const std::filesystem::path& programDirectory);

}  // namespace varnick::ui
