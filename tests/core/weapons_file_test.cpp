#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/weapons_file.h"

namespace varnick {
namespace {

// Feeds the content in pieces of the given size and returns what the scanner found.
WeaponsFileFacts scanInPieces(std::string_view content, std::size_t pieceSize, const std::string& utf8Name,
                              const std::optional<std::string>& codePage936Name) {
    WeaponsFileScanner scanner(utf8Name, codePage936Name);
    while (!content.empty()) {
        scanner.feed(content.substr(0, pieceSize));
        content.remove_prefix(std::min(pieceSize, content.size()));
    }
    return scanner.finish();
}

TEST(WeaponsFileScanner, FindsTheNameOnlyAsTopLevelKeyInPiecesOfAnySize) {
    struct Case {
        const char* name;
        std::string content;
        std::string weapon;
        bool holds;
    };
    const Case cases[] = {
        {"plain key", "M4A1:\r\n    Item_Information:\r\n", "M4A1", true},
        {"key on the last line without a line end", "Other:\r\n    a: 1\r\nM4A1:", "M4A1", true},
        {"key with a value", "M4A1: 1\r\n", "M4A1", true},
        {"line feed only", "M4A1:\nX:\n", "M4A1", true},
        {"blanks before the colon", "M4A1  \t:\r\n", "M4A1", true},
        {"double-quoted key", "\"M4A1\":\r\n", "M4A1", true},
        {"single-quoted key", "'M4A1' :\r\n", "M4A1", true},
        {"key after a byte-order mark", "\xEF\xBB\xBFM4A1:\r\n", "M4A1", true},
        {"key with a blank inside", "M4 A1:\r\n", "M4 A1", true},
        {"key with a colon inside", "a:b:\r\n", "a:b", true},
        {"key at the end of a long file", "A:\r\n" + std::string(1000, '#') + "\r\nM4A1:", "M4A1", true},
        {"indented key", "Other:\r\n    M4A1:\r\n", "M4A1", false},
        {"comment", "#M4A1:\r\n", "M4A1", false},
        {"sequence entry", "- M4A1:\r\n", "M4A1", false},
        {"longer key", "M4A1X:\r\n", "M4A1", false},
        {"shorter key", "M4A:\r\n", "M4A1", false},
        {"key that ends with the name", "XM4A1:\r\n", "M4A1", false},
        {"blank inside the key", "M4 A1:\r\n", "M4A1", false},
        {"colon not followed by a blank", "M4A1:x\r\n", "M4A1", false},
        {"key that only begins with the name and a colon", "M4A1:x: 1\r\n", "M4A1", false},
        {"no colon", "M4A1\r\nx: 1\r\n", "M4A1", false},
        {"name in a comment after blanks", "Other # M4A1:\r\n", "M4A1", false},
        {"name as a value", "Other: M4A1:\r\n", "M4A1", false},
        {"unclosed quote", "\"M4A1:\r\n", "M4A1", false},
        {"mismatched quotes", "\"M4A1':\r\n", "M4A1", false},
        {"partial byte-order mark belongs to the key",
         "\xEF\xBB"
         "M4A1:\r\n",
         "M4A1", false},
        {"empty file", "", "M4A1", false},
        {"empty name never matches", ":\r\n", "", false},
    };
    for (const Case& testCase : cases) {
        for (std::size_t piece = 1; piece <= testCase.content.size() + 1; ++piece) {
            const WeaponsFileFacts facts = scanInPieces(testCase.content, piece, testCase.weapon, std::nullopt);
            EXPECT_EQ(facts.holdsUtf8Name, testCase.holds) << testCase.name << ", pieces of " << piece;
            EXPECT_FALSE(facts.holdsCodePage936Name) << testCase.name;
        }
    }
}

TEST(WeaponsFileScanner, ComparesBothEncodingsOfTheName) {
    const std::string utf8 = "使用";
    const std::string gbk = "\xCA\xB9\xD3\xC3";
    const WeaponsFileFacts inGbk = scanWeaponsFileContent("A:\r\n" + gbk + ":\r\n", utf8, gbk);
    EXPECT_FALSE(inGbk.holdsUtf8Name);
    EXPECT_TRUE(inGbk.holdsCodePage936Name);
    EXPECT_TRUE(inGbk.holdsName(FileEncoding::CodePage936));

    const WeaponsFileFacts inUtf8 = scanWeaponsFileContent("A:\r\n" + utf8 + ":\r\n", utf8, gbk);
    EXPECT_TRUE(inUtf8.holdsUtf8Name);
    EXPECT_FALSE(inUtf8.holdsCodePage936Name);
    EXPECT_TRUE(inUtf8.holdsName(FileEncoding::Utf8));
}

TEST(WeaponsFileScanner, ChoosesTheEncodingTheFileAlreadyUses) {
    struct Case {
        const char* name;
        std::string content;
        FileEncoding encoding;
    };
    const Case cases[] = {
        {"empty file", "", FileEncoding::CodePage936},
        {"ASCII only", "A:\r\n    b: 1", FileEncoding::CodePage936},
        {"UTF-8 Chinese", "A:\r\n    b: \"使用\"", FileEncoding::Utf8},
        {"code page 936 Chinese", "A:\r\n    b: \"\xCA\xB9\xD3\xC3\"", FileEncoding::CodePage936},
        {"mark and ASCII",
         "\xEF\xBB\xBF"
         "A: 1",
         FileEncoding::Utf8},
        {"mark before bytes that are not UTF-8",
         "\xEF\xBB\xBF"
         "A: \xCA\xB9",
         FileEncoding::Utf8},
        {"UTF-8 cut off at the end", "A: \xE4\xBD", FileEncoding::CodePage936},
        {"UTF-8 then one stray byte", "A: 使用\r\nB: \xFF", FileEncoding::CodePage936},
    };
    for (const Case& testCase : cases) {
        for (std::size_t piece = 1; piece <= testCase.content.size() + 1; ++piece) {
            EXPECT_EQ(scanInPieces(testCase.content, piece, "x", std::nullopt).encoding(), testCase.encoding)
                << testCase.name << ", pieces of " << piece;
        }
    }
}

}  // namespace
}  // namespace varnick
