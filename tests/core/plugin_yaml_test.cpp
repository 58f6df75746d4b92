#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/plugin_yaml.h"

namespace varnick {
namespace {

TEST(PluginKeyText, ResolvesPlainKeysAsYaml11AndJavaWriteThem) {
    struct Case {
        const char* text;
        ScalarStyle style;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"M4A1", ScalarStyle::Plain, "M4A1"},
        {"1911", ScalarStyle::Plain, "1911"},
        {"0", ScalarStyle::Plain, "0"},
        {"-0", ScalarStyle::Plain, "0"},
        {"+12", ScalarStyle::Plain, "12"},
        {"1_000", ScalarStyle::Plain, "1000"},
        {"123456789012345678901234567890", ScalarStyle::Plain, "123456789012345678901234567890"},
        {"010", ScalarStyle::Plain, "8"},
        {"0x1A", ScalarStyle::Plain, "26"},
        {"0b101", ScalarStyle::Plain, "5"},
        {"1:30", ScalarStyle::Plain, "90"},
        {"yes", ScalarStyle::Plain, "true"},
        {"Off", ScalarStyle::Plain, "false"},
        {"y", ScalarStyle::Plain, "y"},
        {"~", ScalarStyle::Plain, std::nullopt},
        {"", ScalarStyle::Plain, std::nullopt},
        {"NULL", ScalarStyle::Plain, std::nullopt},
        {"1.5", ScalarStyle::Plain, "1.5"},
        {"1.50", ScalarStyle::Plain, std::nullopt},
        {"0.0", ScalarStyle::Plain, "0.0"},
        {"0.001", ScalarStyle::Plain, "0.001"},
        {"0.0001", ScalarStyle::Plain, std::nullopt},
        {"1e3", ScalarStyle::Plain, std::nullopt},
        {".inf", ScalarStyle::Plain, "Infinity"},
        {"-.inf", ScalarStyle::Plain, "-Infinity"},
        {".NaN", ScalarStyle::Plain, "NaN"},
        {"NaN", ScalarStyle::Plain, "NaN"},
        {"2001-12-14", ScalarStyle::Plain, std::nullopt},
        {"<<", ScalarStyle::Plain, std::nullopt},
        {"yes", ScalarStyle::DoubleQuoted, "yes"},
        {"010", ScalarStyle::SingleQuoted, "010"},
    };
    for (const Case& testCase : cases) {
        EXPECT_EQ(pluginKeyText(testCase.text, testCase.style, false, {}), testCase.expected) << testCase.text;
    }
    EXPECT_EQ(pluginKeyText("010", ScalarStyle::Plain, true, "tag:yaml.org,2002:str"), "010");
    EXPECT_EQ(pluginKeyText("010", ScalarStyle::Plain, true, "tag:yaml.org,2002:int"), "8");
    EXPECT_EQ(pluginKeyText("x", ScalarStyle::Plain, true, "!custom"), std::nullopt);
}

std::string describe(std::string_view text) {
    YamlEventStream stream([text](char* buffer, std::size_t capacity) mutable -> std::optional<std::size_t> {
        const std::size_t count = std::min<std::size_t>(capacity, std::min<std::size_t>(text.size(), 3));
        std::copy_n(text.data(), count, buffer);
        text.remove_prefix(count);
        return count;
    });
    std::string out;
    while (const YamlEvent* event = stream.next()) {
        if (event->kind == YamlEventKind::Scalar) {
            out += std::to_string(event->line) + ":" + std::string(event->value) + (event->hasAnchor ? "&" : "") +
                   (event->hasTag ? "!" : "") + " ";
        } else if (event->kind == YamlEventKind::Alias) {
            out += "*" + std::string(event->anchor) + " ";
        }
    }
    if (stream.failed()) {
        out += "error at " + std::to_string(stream.error().line);
    }
    return out;
}

TEST(YamlEventStream, GivesScalarsAsTheReaderSeesThemAndTheLineOfAnError) {
    struct Case {
        const char* name;
        std::string text;
        std::string events;
    };
    const Case cases[] = {
        {"quoting and escapes", "\"a\\x41\": 'it''s'\r\n", "0:aA 0:it's "},
        {"CR-only line ends", "a: 1\rb: 2\r", "0:a 0:1 1:b 1:2 "},
        {"byte-order mark is no text", "\xEF\xBB\xBFk: v", "0:k 0:v "},
        {"tag and anchor", "!!str a: &x b\nc: *x\n", "0:a! 0:b& 1:c *x "},
        {"tab as indentation", "a:\n\tb: 1\n", "0:a error at 1"},
        {"unclosed quote", "a: \"b\nc: d\n", "0:a error at 2"},
        {"DEL", "a: b\x7F", "error at 0"},
    };
    for (const Case& testCase : cases) {
        EXPECT_EQ(describe(testCase.text), testCase.events) << testCase.name;
    }
}

TEST(YamlEventStream, SourceReadErrorIsToldApart) {
    YamlEventStream stream([](char*, std::size_t) -> std::optional<std::size_t> { return std::nullopt; });
    while (stream.next() != nullptr) {
    }
    EXPECT_TRUE(stream.failed());
    EXPECT_TRUE(stream.error().sourceFailed);
}

}  // namespace
}  // namespace varnick
