#include "skin/skin_format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <utility>

namespace varnick::skin {
namespace {

// Qt 6's QPalette::ColorRole names, NoRole and the count excepted. The engine resolves them through Qt's own
// enum, so a name here that Qt does not know fails the engine's tests rather than a user's start-up.
constexpr std::array<std::string_view, 20> kRoleNames = {
    "WindowText",  "Button",        "Light",       "Midlight",        "Dark",
    "Mid",         "Text",          "BrightText",  "ButtonText",      "Base",
    "Window",      "Shadow",        "Highlight",   "HighlightedText", "Link",
    "LinkVisited", "AlternateBase", "ToolTipBase", "ToolTipText",     "PlaceholderText"};

constexpr std::size_t kHeaderSize = 12;
constexpr std::size_t kSectionHeaderSize = 8;
constexpr std::string_view kStyleTag = "STYL";
constexpr std::string_view kPaletteTag = "PALT";
constexpr std::string_view kLookTag = "LOOK";
constexpr std::string_view kResourcesTag = "RCC ";

bool isRoleName(std::string_view name) {
    return std::find(kRoleNames.begin(), kRoleNames.end(), name) != kRoleNames.end();
}

void putU16(std::string& out, std::uint16_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

void putU32(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

std::uint32_t getU(std::string_view bytes, std::size_t at, int width) {
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

void putSection(std::string& out, std::string_view tag, std::string_view payload) {
    out.append(tag);
    putU32(out, static_cast<std::uint32_t>(payload.size()));
    out.append(payload);
}

bool readPalette(std::string_view payload, std::vector<PaletteEntry>& palette) {
    std::size_t at = 0;
    while (at < payload.size()) {
        if (payload.size() - at < 2) return false;
        const auto group = static_cast<unsigned char>(payload[at]);
        const std::size_t nameLength = static_cast<unsigned char>(payload[at + 1]);
        at += 2;
        if (group > static_cast<unsigned char>(PaletteGroup::Disabled) || payload.size() - at < nameLength + 4) {
            return false;
        }
        PaletteEntry entry;
        entry.group = static_cast<PaletteGroup>(group);
        entry.role = std::string(payload.substr(at, nameLength));
        if (!isRoleName(entry.role)) return false;
        at += nameLength;
        entry.red = static_cast<std::uint8_t>(payload[at]);
        entry.green = static_cast<std::uint8_t>(payload[at + 1]);
        entry.blue = static_cast<std::uint8_t>(payload[at + 2]);
        entry.alpha = static_cast<std::uint8_t>(payload[at + 3]);
        at += 4;
        palette.push_back(std::move(entry));
    }
    return true;
}

// Each value: name length (1 byte), name, value length (1 byte), value.
bool readLook(std::string_view payload, std::vector<LookValue>& look) {
    std::size_t at = 0;
    auto readText = [&](std::string& text) {
        if (at >= payload.size()) return false;
        const std::size_t length = static_cast<unsigned char>(payload[at++]);
        if (payload.size() - at < length) return false;
        text = std::string(payload.substr(at, length));
        at += length;
        return true;
    };
    while (at < payload.size()) {
        LookValue value;
        if (!readText(value.name) || value.name.empty() || !readText(value.value)) return false;
        look.push_back(std::move(value));
    }
    return true;
}

std::string_view trim(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r";
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool parseHexByte(std::string_view digits, std::uint8_t& value) {
    unsigned int parsed = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), parsed, 16);
    if (error != std::errc() || end != digits.data() + digits.size()) return false;
    value = static_cast<std::uint8_t>(parsed);
    return true;
}

// "#rrggbb" or "#rrggbbaa".
bool parseColour(std::string_view text, PaletteEntry& entry) {
    if ((text.size() != 7 && text.size() != 9) || text[0] != '#') return false;
    if (!std::all_of(text.begin() + 1, text.end(), [](char c) {
            return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        })) {
        return false;
    }
    entry.alpha = 255;
    return parseHexByte(text.substr(1, 2), entry.red) && parseHexByte(text.substr(3, 2), entry.green) &&
           parseHexByte(text.substr(5, 2), entry.blue) &&
           (text.size() == 7 || parseHexByte(text.substr(7, 2), entry.alpha));
}

}  // namespace

std::span<const std::string_view> paletteRoleNames() {
    return kRoleNames;
}

std::uint32_t skinChecksum(std::string_view bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string packSkin(const Skin& skin) {
    std::string palette;
    for (const PaletteEntry& entry : skin.palette) {
        palette.push_back(static_cast<char>(entry.group));
        palette.push_back(static_cast<char>(entry.role.size()));
        palette.append(entry.role);
        for (std::uint8_t channel : {entry.red, entry.green, entry.blue, entry.alpha}) {
            palette.push_back(static_cast<char>(channel));
        }
    }
    std::string look;
    for (const LookValue& value : skin.look) {
        for (const std::string* text : {&value.name, &value.value}) {
            look.push_back(static_cast<char>(text->size()));
            look.append(*text);
        }
    }
    std::string body;
    std::uint16_t sections = 2;
    putSection(body, kStyleTag, skin.styleName);
    putSection(body, kPaletteTag, palette);
    if (!look.empty()) {
        putSection(body, kLookTag, look);
        ++sections;
    }
    if (!skin.resources.empty()) {
        putSection(body, kResourcesTag, skin.resources);
        ++sections;
    }

    std::string file(kSkinMagic);
    putU16(file, kSkinVersion);
    putU16(file, sections);
    putU32(file, skinChecksum(body));
    return file + body;
}

ReadResult readSkin(std::string_view bytes) {
    ReadResult result;
    if (bytes.size() < kSkinMagic.size() || bytes.substr(0, kSkinMagic.size()) != kSkinMagic) {
        result.error = ReadError::NotASkin;
        return result;
    }
    result.error = ReadError::Corrupt;
    if (bytes.size() < kHeaderSize) return result;
    if (getU(bytes, 4, 2) != kSkinVersion) {
        result.error = ReadError::UnsupportedVersion;
        return result;
    }
    const std::uint32_t sectionCount = getU(bytes, 6, 2);
    const std::string_view body = bytes.substr(kHeaderSize);
    if (getU(bytes, 8, 4) != skinChecksum(body)) return result;

    Skin skin;
    bool haveStyle = false, havePalette = false, haveLook = false, haveResources = false;
    std::size_t at = 0;
    for (std::uint32_t section = 0; section < sectionCount; ++section) {
        if (body.size() - at < kSectionHeaderSize) return result;
        const std::string_view tag = body.substr(at, 4);
        const std::size_t length = getU(body, at + 4, 4);
        at += kSectionHeaderSize;
        if (body.size() - at < length) return result;
        const std::string_view payload = body.substr(at, length);
        at += length;
        // Unknown sections are skipped so that a later writer can add some without a new version.
        if (tag == kStyleTag) {
            if (std::exchange(haveStyle, true)) return result;
            skin.styleName = std::string(payload);
        } else if (tag == kPaletteTag) {
            if (std::exchange(havePalette, true) || !readPalette(payload, skin.palette)) return result;
        } else if (tag == kLookTag) {
            if (std::exchange(haveLook, true) || !readLook(payload, skin.look)) return result;
        } else if (tag == kResourcesTag) {
            if (std::exchange(haveResources, true)) return result;
            skin.resources = std::string(payload);
        }
    }
    if (at != body.size() || !haveStyle || skin.styleName.empty()) return result;
    result.error = ReadError::None;
    result.skin = std::move(skin);
    return result;
}

SkinSource parseSkinSource(std::string_view text) {
    SkinSource source;
    enum class Section { None, Skin, Palette, Look } section = Section::None;
    PaletteGroup group = PaletteGroup::All;
    int lineNumber = 0;
    auto fail = [&](std::string_view what) {
        source.error = "line " + std::to_string(lineNumber) + ": " + std::string(what);
        return source;
    };
    while (!text.empty()) {
        ++lineNumber;
        const auto end = text.find('\n');
        const std::string_view line = trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == ';') continue;

        if (line.front() == '[') {
            static constexpr std::array<std::pair<std::string_view, PaletteGroup>, 4> kPaletteSections = {{
                {"[Palette]", PaletteGroup::All},
                {"[Palette.Active]", PaletteGroup::Active},
                {"[Palette.Inactive]", PaletteGroup::Inactive},
                {"[Palette.Disabled]", PaletteGroup::Disabled},
            }};
            if (line == "[Skin]") {
                section = Section::Skin;
                continue;
            }
            if (line == "[Look]") {
                section = Section::Look;
                continue;
            }
            const auto found = std::find_if(kPaletteSections.begin(), kPaletteSections.end(),
                                            [&](const auto& known) { return known.first == line; });
            if (found == kPaletteSections.end()) return fail("unknown section " + std::string(line));
            section = Section::Palette;
            group = found->second;
            continue;
        }

        const auto equals = line.find('=');
        if (equals == std::string_view::npos) return fail("expected key = value");
        const std::string_view key = trim(line.substr(0, equals));
        const std::string_view value = trim(line.substr(equals + 1));
        if (section == Section::Skin) {
            if (key == "Style") {
                source.skin.styleName = std::string(value);
            } else {
                return fail("unknown key " + std::string(key));
            }
        } else if (section == Section::Palette) {
            PaletteEntry entry;
            entry.group = group;
            entry.role = std::string(key);
            if (!isRoleName(key)) return fail("unknown palette role " + std::string(key));
            if (!parseColour(value, entry)) return fail("colour must be #rrggbb or #rrggbbaa");
            source.skin.palette.push_back(std::move(entry));
        } else if (section == Section::Look) {
            if (key.empty()) return fail("look value without a name");
            if (key.size() > 255 || value.size() > 255) return fail("look name or value longer than 255 bytes");
            source.skin.look.push_back({std::string(key), std::string(value)});
        } else {
            return fail("key outside a section");
        }
    }
    ++lineNumber;
    if (source.skin.styleName.empty()) return fail("[Skin] names no Style");
    return source;
}

}  // namespace varnick::skin
