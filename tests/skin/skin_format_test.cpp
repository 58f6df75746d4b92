#include "skin/skin_format.h"

#include <gtest/gtest.h>

#include <string>

namespace varnick::skin {
namespace {

Skin sampleSkin() {
    Skin skin;
    skin.styleName = "Fusion";
    skin.palette = {{PaletteGroup::All, "Window", 0xEE, 0xF0, 0xF4, 0xFF},
                    {PaletteGroup::Disabled, "ButtonText", 0x9A, 0xA0, 0xA8, 0x80}};
    skin.look = {{"Border", "#b4bac6"}, {"ComboArrow", ":/varnick-skin/箭头.png"}, {"Empty", ""}};
    skin.resources = std::string("qres\0\0\0\3", 8);
    return skin;
}

// Recomputes the checksum after a test has changed the body, so that the reader gets past it.
std::string withFixedChecksum(std::string file) {
    const std::uint32_t crc = skinChecksum(std::string_view(file).substr(12));
    for (int i = 0; i < 4; ++i) file[8 + i] = static_cast<char>((crc >> (8 * i)) & 0xFF);
    return file;
}

TEST(SkinFileTest, PackedSkinReadsBackEqual) {
    const std::string file = packSkin(sampleSkin());
    EXPECT_EQ(file.substr(0, 4), ".SHE");
    const ReadResult read = readSkin(file);
    ASSERT_EQ(read.error, ReadError::None);
    EXPECT_EQ(read.skin, sampleSkin());
}

TEST(SkinFileTest, SkinWithOnlyAStyleReadsBack) {
    Skin skin;
    skin.styleName = "Windows";
    const ReadResult read = readSkin(packSkin(skin));
    ASSERT_EQ(read.error, ReadError::None);
    EXPECT_EQ(read.skin, skin);
}

TEST(SkinFileTest, DamagedFilesAreRefused) {
    const std::string good = packSkin(sampleSkin());
    auto replaced = [&](std::size_t at, std::string_view bytes) {
        std::string file = good;
        file.replace(at, bytes.size(), bytes);
        return file;
    };
    Skin noStyle = sampleSkin();
    noStyle.styleName.clear();
    const std::string styleSection = good.substr(12, 8 + 6);  // "STYL", length 6, "Fusion"
    const char oneSectionMore = static_cast<char>(good[6] + 1);
    std::string twoStyles = good + styleSection;
    twoStyles[6] = oneSectionMore;

    const struct {
        const char* name;
        std::string file;
        ReadError expected;
    } cases[] = {
        {"empty file", "", ReadError::NotASkin},
        {"magic only, short", ".SH", ReadError::NotASkin},
        {"another magic", replaced(0, "MZ\x90"), ReadError::NotASkin},
        {"magic without header", ".SHE\x01", ReadError::Corrupt},
        {"version 2", replaced(4, std::string("\x02\x00", 2)), ReadError::UnsupportedVersion},
        {"flipped resource byte", replaced(good.size() - 3, "X"), ReadError::Corrupt},
        {"truncated", good.substr(0, good.size() - 1), ReadError::Corrupt},
        {"trailing byte", withFixedChecksum(good + "x"), ReadError::Corrupt},
        {"one section more than present", withFixedChecksum(replaced(6, std::string(1, oneSectionMore))),
         ReadError::Corrupt},
        {"section length beyond the file", withFixedChecksum(replaced(16, std::string("\xFF\xFF\x00\x00", 4))),
         ReadError::Corrupt},
        {"empty style name", packSkin(noStyle), ReadError::Corrupt},
        {"style section twice", withFixedChecksum(twoStyles), ReadError::Corrupt},
        {"unknown palette role", withFixedChecksum(replaced(good.find("Window"), "Wxndow")), ReadError::Corrupt},
        {"palette group 4", withFixedChecksum(replaced(good.find("Window") - 2, "\x04")), ReadError::Corrupt},
        // The look's last value, "Empty" = "", claims one byte more than its section holds.
        {"look value beyond its section", withFixedChecksum(replaced(good.find("Empty") + 5, "\x01")),
         ReadError::Corrupt},
        {"look name empty", withFixedChecksum(replaced(good.find("Border") - 1, std::string(1, '\0'))),
         ReadError::Corrupt},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(readSkin(testCase.file).error, testCase.expected) << testCase.name;
    }
}

TEST(SkinFileTest, UnknownSectionsAreSkipped) {
    std::string file = packSkin(sampleSkin());
    file += std::string(
        "XTRA\x03\x00\x00\x00"
        "abc",
        11);
    file[6] = static_cast<char>(file[6] + 1);
    const ReadResult read = readSkin(withFixedChecksum(file));
    ASSERT_EQ(read.error, ReadError::None);
    EXPECT_EQ(read.skin, sampleSkin());
}

TEST(SkinSourceTest, ParsesStylePaletteGroupsAndLook) {
    const SkinSource source = parseSkinSource(
        "; comment\r\n"
        "[Skin]\r\n"
        "Style = Fusion\r\n"
        "\r\n"
        "[Palette]\n"
        "  Window = #EEF0f4  \n"
        "[Palette.Disabled]\n"
        "ButtonText=#9aa0a880\n"
        "[Look]\n"
        "Border = #b4bac6\n"
        "ComboArrow = :/varnick-skin/箭头.png\n"
        "Empty =\n");
    ASSERT_EQ(source.error, "");
    Skin expected = sampleSkin();
    expected.resources.clear();
    EXPECT_EQ(source.skin, expected);
}

TEST(SkinSourceTest, MistakesNameTheirLine) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"[Skin]\nStyle = Fusion\n[Colours]\n", "line 3: unknown section [Colours]"},
        {"Style = Fusion\n", "line 1: key outside a section"},
        {"[Skin]\nStyle = Fusion\nFont = 12\n", "line 3: unknown key Font"},
        {"[Skin]\nStyle Fusion\n", "line 2: expected key = value"},
        {"[Skin]\nStyle = Fusion\n[Palette]\nWindows = #ffffff\n", "line 4: unknown palette role Windows"},
        {"[Skin]\nStyle = Fusion\n[Palette]\nWindow = #fff\n", "line 4: colour must be #rrggbb or #rrggbbaa"},
        {"[Skin]\nStyle = Fusion\n[Palette]\nWindow = #ffffgg\n", "line 4: colour must be #rrggbb or #rrggbbaa"},
        {"[Skin]\n", "line 2: [Skin] names no Style"},
        {"[Skin]\nStyle = Fusion\n[Look]\n = #ffffff\n", "line 4: look value without a name"},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(parseSkinSource(testCase.text).error, testCase.error) << testCase.text;
    }
}

}  // namespace
}  // namespace varnick::skin
