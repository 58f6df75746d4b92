#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/encoding.h"

namespace varnick {
namespace {

TEST(CodePage936, ConvertsOrRefusesWithoutSubstituting) {
    struct Case {
        const char* name;
        std::string utf8;
        std::optional<std::string> bytes;
    };
    const Case cases[] = {
        {"ASCII unchanged", "M4A1: \"&e\"\r\n", std::string("M4A1: \"&e\"\r\n")},
        {"empty", "", std::string()},
        {"Chinese takes two bytes a character", "使用", std::string("\xCA\xB9\xD3\xC3")},
        {"mixed", "&b<shooter> 枪毙", std::string("&b<shooter> \xC7\xB9\xB1\xD0")},
        {"euro sign of the Windows code page", "\xE2\x82\xAC", std::string("\x80")},
        {"middle dot", "\xC2\xB7", std::string("\xA1\xA4")},
        {"emoji", "ok\xF0\x9F\x98\x80", std::nullopt},
        {"katakana middle dot", "\xE3\x83\xBB", std::nullopt},
        {"no-break space",
         "a\xC2\xA0"
         "b",
         std::nullopt},
        {"one bad character among good ones", "使用\xE2\x80\xA2使用", std::nullopt},
        {"replacement character", "\xEF\xBF\xBD", std::nullopt},
        {"question mark among Chinese is a real character", "使?用", std::string("\xCA\xB9?\xD3\xC3")},
        {"ideographic space", "\xE3\x80\x80", std::string("\xA1\xA1")},
        {"pinyin letter of the table", "\xC3\xA0", std::string("\xA8\xA4")},
        {"letter with only a best fit", "\xC3\xA4", std::nullopt},
        {"private-use character the tables give byte 0xFF", "\xEF\xA3\xB5", std::nullopt},
        {"zero-width space is not dropped",
         "a\xE2\x80\x8B"
         "b",
         std::nullopt},
        {"soft hyphen is not dropped", "\xE4\xBD\xBF\xC2\xAD", std::nullopt},
        {"invalid UTF-8", "a\xC0\xAF", std::nullopt},
        {"truncated UTF-8", "\xE4\xBD", std::nullopt},
    };
    for (const Case& testCase : cases) {
        EXPECT_EQ(toCodePage936(testCase.utf8), testCase.bytes) << testCase.name;
        EXPECT_EQ(canEncodeCodePage936(testCase.utf8), testCase.bytes.has_value()) << testCase.name;
        EXPECT_EQ(codePage936Length(testCase.utf8),
                  testCase.bytes ? std::optional<std::size_t>(testCase.bytes->size()) : std::nullopt)
            << testCase.name;
        if (testCase.bytes) {
            EXPECT_EQ(fromCodePage936(*testCase.bytes), testCase.utf8) << testCase.name;
        }
    }
}

TEST(CodePage936, DecodingRefusesMalformedBytes) {
    struct Case {
        const char* name;
        std::string bytes;
        std::optional<std::string> utf8;
    };
    const Case cases[] = {
        {"ASCII then a character", "ab\xCA\xB9", std::string("ab使")},
        {"lead byte without its trail byte", "\xCA", std::nullopt},
        {"lead byte before a line break", "\xCA\n", std::nullopt},
        {"0x7F is no trail byte", "\x81\x7F", std::nullopt},
        {"0xFF, which the tables give a private-use character", "\xFF", std::nullopt},
        {"0xFF as a trail byte", "\x81\xFF", std::nullopt},
        {"four-byte GB 18030 sequence", "\x81\x30\x81\x30", std::nullopt},
    };
    for (const Case& testCase : cases) {
        EXPECT_EQ(fromCodePage936(testCase.bytes), testCase.utf8) << testCase.name;
    }
}

TEST(CodePage936, LongTextRoundTrips) {
    std::string text;
    for (int i = 0; i < 5000; ++i) {
        text += "枪械名称 M4A1 ";
    }
    const auto bytes = toCodePage936(text);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(bytes->size(), 5000u * (4 * 2 + 6));
    EXPECT_EQ(fromCodePage936(*bytes), text);
}

TEST(Utf8Validator, AcceptsWellFormedAndRejectsMalformedAtEverySplit) {
    struct Case {
        const char* name;
        std::string bytes;
        bool valid;
    };
    const Case cases[] = {
        {"empty", "", true},
        {"ASCII longer than a word", "abcdefghijklmnopqrstuvwxyz", true},
        {"two-byte", "\xC2\xB7", true},
        {"three-byte", "中文 text 中文", true},
        {"four-byte", "\xF0\x9F\x98\x80", true},
        {"largest code point", "\xF4\x8F\xBF\xBF", true},
        {"lone continuation byte", "ab\x80", false},
        {"overlong two-byte", "\xC0\xAF", false},
        {"overlong three-byte", "\xE0\x80\xAF", false},
        {"overlong four-byte", "\xF0\x80\x80\xAF", false},
        {"surrogate", "\xED\xA0\x80", false},
        {"above U+10FFFF", "\xF4\x90\x80\x80", false},
        {"lead byte F5", "\xF5\x80\x80\x80", false},
        {"truncated at the end", "ok\xE4\xBD", false},
        {"lead byte followed by ASCII",
         "\xE4"
         "abc",
         false},
        {"code page 936 text", "\xCA\xB9\xD3\xC3", false},
    };
    for (const Case& testCase : cases) {
        EXPECT_EQ(isValidUtf8(testCase.bytes), testCase.valid) << testCase.name;
        for (std::size_t split = 0; split <= testCase.bytes.size(); ++split) {
            Utf8Validator validator;
            validator.feed(std::string_view(testCase.bytes).substr(0, split));
            validator.feed(std::string_view(testCase.bytes).substr(split));
            EXPECT_EQ(validator.complete(), testCase.valid) << testCase.name << " split at " << split;
        }
    }
}

}  // namespace
}  // namespace varnick
