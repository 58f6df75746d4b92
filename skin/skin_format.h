#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The skin file format and its human-readable source; free of Qt so that the build tool and the engine share it.
namespace varnick::skin {

inline constexpr std::string_view kSkinMagic = ".SHE";
inline constexpr std::uint16_t kSkinVersion = 1;

// The colour groups a palette entry applies to; All sets the colour in every group.
enum class PaletteGroup : std::uint8_t { All = 0, Active = 1, Inactive = 2, Disabled = 3 };

// One colour of the palette: a group, a role named as Qt names its palette roles ("Window", "ButtonText"), RGBA.
struct PaletteEntry {
    PaletteGroup group = PaletteGroup::All;
    std::string role;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 255;

    bool operator==(const PaletteEntry&) const = default;
};

// One value of the skin's look that the palette does not hold, as text: a colour "#rrggbb", a radius in pixels,
// a picture's resource path. The engine knows the names; others are kept and ignored.
struct LookValue {
    std::string name;
    std::string value;

    bool operator==(const LookValue&) const = default;
};

// A whole skin: the Qt style it builds on, palette entries applied in order over that style's palette, the values
// of its look, and the pictures the look names, as one block of Qt binary resource data (may be empty).
struct Skin {
    std::string styleName;
    std::vector<PaletteEntry> palette;
    std::vector<LookValue> look;
    std::string resources;

    bool operator==(const Skin&) const = default;
};

// Returns the palette role names the format accepts, in Qt's spelling.
std::span<const std::string_view> paletteRoleNames();

// Returns the CRC-32 (the zlib polynomial) of bytes, the checksum a skin file carries of everything after its
// header.
std::uint32_t skinChecksum(std::string_view bytes);

// Returns the bytes of the skin file for skin; precondition: every entry's role is one of paletteRoleNames(), every
// look name is 1 to 255 bytes and every look value at most 255 bytes.
std::string packSkin(const Skin& skin);

enum class ReadError { None, NotASkin, UnsupportedVersion, Corrupt };

struct ReadResult {
    ReadError error = ReadError::None;
    Skin skin;  // meaningful only when error is None
};

// Decodes the bytes of a skin file; refuses a wrong magic, another version, a checksum mismatch, a truncated
// or duplicated section, a missing style name, an unknown palette role and a malformed look.
ReadResult readSkin(std::string_view bytes);

struct SkinSource {
    Skin skin;          // style, palette and look; the resources are left empty
    std::string error;  // empty on success, else "line N: what is wrong"
};

// Parses the text of a skin source file (see assets/skin/README.md).
SkinSource parseSkinSource(std::string_view text);

}  // namespace varnick::skin
