#include <gtest/gtest.h>
#include <unicode/uchar.h>

#include <optional>
#include <string>

#include "core/encoding.h"
#include "core/file_encoding.h"
#include "tests/core/test_support.h"

namespace varnick {
namespace {

using test::gbk;

TEST(DefaultIgnorable, TableMatchesIcu) {
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        ASSERT_EQ(isDefaultIgnorable(c),
                  u_hasBinaryProperty(static_cast<UChar32>(c), UCHAR_DEFAULT_IGNORABLE_CODE_POINT) != 0)
            << std::hex << static_cast<unsigned>(c);
    }
}

constexpr char kRealDefinition[] =
    "\r\n沙漠之鹰:\r\n    Item_Information:\r\n        Item_Name: \"&e沙漠之鹰\"\r\n        Item_Type: 418\r\n"
    "        Item_Lore: \"&7威力巨大的手枪|&7后坐力大\"\r\n    Custom_Death_Message:\r\n"
    "        Normal: \"&b<shooter> 使用 沙漠之鹰 把 <victim> 枪毙\"";

TEST(ChooseEncoding, FollowsTheFileAndThePlatform) {
    struct Case {
        std::string name;
        std::string bytes;
        bool folderHoldsUtf8Text;
        Platform platform;
        std::optional<FileEncoding> expected;
    };
    std::vector<Case> cases = {
        {"ASCII on Linux", "A:\r\n    b: 1", false, Platform::Unix, FileEncoding::Utf8},
        {"empty on Linux", "", false, Platform::Unix, FileEncoding::Utf8},
        {"ASCII on Windows", "A:\r\n    b: 1", false, Platform::Windows, FileEncoding::CodePage936},
        {"ASCII on Windows beside UTF-8 files", "A: 1", true, Platform::Windows, FileEncoding::Utf8},
        {"mark and ASCII on Windows",
         "\xEF\xBB\xBF"
         "A: 1",
         false, Platform::Windows, FileEncoding::Utf8},
        {"mark before bytes that are not UTF-8",
         "\xEF\xBB\xBF"
         "A: \xCA\xB9",
         false, Platform::Unix, FileEncoding::Utf8},
        {"UTF-16 LE",
         std::string("\xFF\xFE"
                     "A\0:\0",
                     6),
         false, Platform::Unix, std::nullopt},
        {"UTF-16 BE", std::string("\xFE\xFF\0A\0:", 6), false, Platform::Windows, std::nullopt},
        {"UTF-32 BE", std::string("\0\0\xFE\xFF\0\0\0A", 8), false, Platform::Unix, std::nullopt},
        {"emoji only UTF-8 can hold", "A: \"\xF0\x9F\x98\x80\"", false, Platform::Windows, FileEncoding::Utf8},
        {"valid in neither", "A: \"\xFF\xFE\x80\"", false, Platform::Unix, FileEncoding::CodePage936},
        {"UTF-8 cut off at the end", "A: 1\r\nB: \xE4\xBD", false, Platform::Unix, FileEncoding::CodePage936},
    };
    const std::string words[] = {"沙漠之鹰", "大狙", "枪械", "学习", "史诗", kRealDefinition};
    for (const std::string& word : words) {
        for (const Platform platform : {Platform::Unix, Platform::Windows}) {
            const std::string text = "A:\r\n    Normal: \"" + word + "\"\r\n";
            const char* where = platform == Platform::Unix ? " on Linux" : " on Windows";
            cases.push_back({word.substr(0, 12) + " in UTF-8" + where, text, false, platform, FileEncoding::Utf8});
            cases.push_back({word.substr(0, 12) + " in code page 936" + where, gbk(text), false, platform,
                             FileEncoding::CodePage936});
        }
    }
    for (const Case& testCase : cases) {
        EXPECT_EQ(chooseEncoding(surveyEncoding(testCase.bytes), testCase.folderHoldsUtf8Text, testCase.platform),
                  testCase.expected)
            << testCase.name;
    }
}

TEST(EncodingSurvey, SameFactsInPiecesOfAnySize) {
    const std::string texts[] = {
        gbk(kRealDefinition),
        std::string(kRealDefinition) + "\x7F",
        "\xEF\xBB\xBF" + std::string(kRealDefinition) + "\xC2\x80",
        "A: \xE4\xBD",
    };
    for (const std::string& text : texts) {
        const EncodingFacts whole = surveyEncoding(text);
        for (std::size_t piece = 1; piece <= text.size(); ++piece) {
            EncodingSurvey survey;
            for (std::size_t at = 0; at < text.size(); at += piece) {
                survey.feed(std::string_view(text).substr(at, piece));
            }
            const EncodingFacts facts = survey.finish();
            EXPECT_EQ(facts.utf8Mark, whole.utf8Mark);
            EXPECT_EQ(facts.validUtf8, whole.validUtf8);
            EXPECT_EQ(facts.validCodePage936, whole.validCodePage936);
            EXPECT_EQ(facts.utf8Reading.chinese, whole.utf8Reading.chinese);
            EXPECT_EQ(facts.codePage936Reading.other, whole.codePage936Reading.other);
            EXPECT_EQ(facts.utf8Problem, whole.utf8Problem) << "pieces of " << piece;
            EXPECT_EQ(facts.codePage936Problem, whole.codePage936Problem) << "pieces of " << piece;
        }
    }
}

TEST(EncodingSurvey, FindsTheFirstByteTheReaderRefuses) {
    struct Case {
        const char* name;
        std::string bytes;
        std::optional<std::uint64_t> utf8Problem;
        std::optional<std::uint64_t> codePage936Problem;
    };
    const Case cases[] = {
        {"clean", "A:\r\n\tb: 1\r", std::nullopt, std::nullopt},
        {"ESC", "A: 1\r\nB: \x1B", 9, 9},
        {"DEL", "A: \x7F", 3, 3},
        {"C1 control in UTF-8", "A: \xC2\x9B", 3, std::nullopt},
        {"NEL is allowed", "A: \xC2\x85", std::nullopt, std::nullopt},
        {"U+FFFE", "A: \xEF\xBF\xBE\xA1", 3, std::nullopt},
        {"lone lead byte at the end", "A: \xCA", 3, 3},
        {"0xFF", "AB\xFF", 2, 2},
    };
    for (const Case& testCase : cases) {
        const EncodingFacts facts = surveyEncoding(testCase.bytes);
        EXPECT_EQ(facts.utf8Problem, testCase.utf8Problem) << testCase.name;
        EXPECT_EQ(facts.codePage936Problem, testCase.codePage936Problem) << testCase.name;
    }
}

}  // namespace
}  // namespace varnick
