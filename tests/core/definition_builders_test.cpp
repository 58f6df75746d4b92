#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/gun_definition.h"
#include "core/throwable_definition.h"
#include "tests/core/test_support.h"

namespace varnick {
namespace {

using test::crLfLines;
using test::fixture;
using test::workedExampleGun;

std::string joinCrLf(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            text += "\r\n";
        }
        text += lines[i];
    }
    return text;
}

ThrowableValues workedExampleThrowable() {
    ThrowableValues values;
    values.name = "C4";
    values.heldName = "&cC4";
    values.itemType = "46";
    values.lore = "boom";
    values.explosionPower = "9";
    values.explosionRadius = "4";
    values.explosionDelay = "3";
    values.projectileAmount = "1";
    values.projectileSubtype = "46";
    values.projectileSpeed = "2";
    values.shootSound = "BLAZE_HIT-1-2-0";
    values.deathMessage = "&b<shooter> 使用 xxx 把 <victim> 给炸死了";
    return values;
}

TEST(GunDefinition, WorkedExampleMatchesFixtureByteForByte) {
    EXPECT_EQ(buildGunDefinition(workedExampleGun()), fixture("gun_worked_example.yml"));
}

TEST(ThrowableDefinition, WorkedExampleMatchesFixtureByteForByte) {
    EXPECT_EQ(buildThrowableDefinition(workedExampleThrowable()), fixture("throwable_worked_example.yml"));
}

// Every flag combination is the worked example with the lines of the unset options taken out: line 11 for
// dual wielding, 21-24 for the scope, 25-36 for ammunition and reloading.
TEST(GunDefinition, EveryFlagCombinationKeepsExactlyItsLines) {
    const std::vector<std::string> all = crLfLines(fixture("gun_worked_example.yml"));
    ASSERT_EQ(all.size(), 36u);
    for (int mask = 0; mask < 8; ++mask) {
        GunValues values = workedExampleGun();
        values.dualWield = (mask & 1) != 0;
        values.scopeEnabled = (mask & 2) != 0;
        values.ammoEnabled = (mask & 4) != 0;
        std::vector<std::string> expected;
        for (int number = 1; number <= 36; ++number) {
            const bool dropped = (number == 11 && !values.dualWield) ||
                                 (number >= 21 && number <= 24 && !values.scopeEnabled) ||
                                 (number >= 25 && !values.ammoEnabled);
            if (!dropped) {
                expected.push_back(all[static_cast<std::size_t>(number - 1)]);
            }
        }
        EXPECT_EQ(buildGunDefinition(values), joinCrLf(expected))
            << "dualWield=" << values.dualWield << " scope=" << values.scopeEnabled << " ammo=" << values.ammoEnabled;
    }
}

TEST(GunDefinition, ValuesAreInsertedUnchanged) {
    struct Case {
        const char* name;
        std::function<void(GunValues&)> change;
        std::size_t lineNumber;  // 1-based, in the document with all three flags set
        std::string expectedLine;
    };
    const Case cases[] = {
        {"empty name leaves the colon alone", [](GunValues& v) { v.name.clear(); }, 2, ":"},
        {"trailing blank of the name is kept", [](GunValues& v) { v.name = "M4A1 "; }, 2, "M4A1 :"},
        {"Chinese name", [](GunValues& v) { v.name = "大狙"; }, 2, "大狙:"},
        {"empty held name gives two quotes", [](GunValues& v) { v.heldName.clear(); }, 4, "        Item_Name: \"\""},
        {"double quote copied unchanged", [](GunValues& v) { v.heldName = "a\"b"; }, 4, "        Item_Name: \"a\"b\""},
        {"bar in the lore is not split", [](GunValues& v) { v.lore = "first|second"; }, 6,
         "        Item_Lore: \"first|second\""},
        {"empty item type ends in the blank", [](GunValues& v) { v.itemType.clear(); }, 5, "        Item_Type: "},
        {"leading blank never trimmed", [](GunValues& v) { v.projectileDamage = " 4"; }, 15,
         "        Projectile_Damage:  4"},
        {"combo text copied", [](GunValues& v) { v.projectileType = "egg"; }, 14, "        Projectile_Type: egg"},
        {"death message placeholders stay text", [](GunValues& v) { v.deathMessage = "<shooter>|<victim>"; }, 20,
         "        Normal: \"<shooter>|<victim>\""},
        {"empty zoom ends in the blank", [](GunValues& v) { v.zoomAmount.clear(); }, 24, "        Zoom_Amount: "},
        {"line break in a value splits the line", [](GunValues& v) { v.lore = "a\r\nb"; }, 7, "b\""},
        {"tab copied unchanged", [](GunValues& v) { v.reloadDuration = "\t60"; }, 35, "        Reload_Duration: \t60"},
    };
    for (const Case& testCase : cases) {
        GunValues values = workedExampleGun();
        testCase.change(values);
        const std::vector<std::string> lines = crLfLines(buildGunDefinition(values));
        ASSERT_GE(lines.size(), testCase.lineNumber) << testCase.name;
        EXPECT_EQ(lines[testCase.lineNumber - 1], testCase.expectedLine) << testCase.name;
    }
}

TEST(GunDefinition, ScopeWithoutAmmunitionEndsAtZoomEvenWithEmptyZoom) {
    GunValues values = workedExampleGun();
    values.scopeEnabled = true;
    values.ammoEnabled = false;
    values.zoomAmount.clear();
    const std::string text = buildGunDefinition(values);
    const std::string ending = "\r\n        Zoom_Amount: ";
    ASSERT_GE(text.size(), ending.size());
    EXPECT_EQ(text.substr(text.size() - ending.size()), ending);
}

TEST(ThrowableDefinition, EmptyEntriesStillGiveTwentyTwoLines) {
    ThrowableValues values;
    values.deathMessage = "&b<shooter> 使用 xxx 把 <victim> 给炸死了";
    const std::vector<std::string> lines = crLfLines(buildThrowableDefinition(values));
    ASSERT_EQ(lines.size(), 22u);
    const std::vector<std::pair<std::size_t, std::string>> expected = {
        {1, ":"},
        {3, "        Item_Name: \"\""},
        {4, "        Item_Type: "},
        {5, "        Item_Lore: \"\""},
        {8, "        Explosion_Radius: "},
        {9, "        Explosion_Delay: "},
        {10, "    Extras: "},
        {16, "        Projectile_Amount: "},
        {18, "        Projectile_Subtype: "},
        {19, "        Projectile_Speed: "},
        {20, "        Sounds_Shoot: "},
        {22, "        Normal: \"&b<shooter> 使用 xxx 把 <victim> 给炸死了\""},
    };
    for (const auto& [number, line] : expected) {
        EXPECT_EQ(lines[number - 1], line) << "line " << number;
    }
}

TEST(ThrowableDefinition, ExplosionPowerIsWrittenNowhere) {
    ThrowableValues other = workedExampleThrowable();
    other.explosionPower = "100";
    EXPECT_EQ(buildThrowableDefinition(other), buildThrowableDefinition(workedExampleThrowable()));
}

TEST(ThrowableDefinition, ExplosionDelaySecondsBecomeTicks) {
    struct Case {
        const char* seconds;
        const char* written;
    };
    const Case cases[] = {
        {"3", "60"},
        {"1.5", "30"},
        {"-1", "-20"},
        {"0", "0"},
        {"-0", "0"},
        {"-0.01", "0"},
        {"007", "140"},
        {"2.50", "50"},
        {"0.05", "1"},
        {"0.024", "0"},
        {"0.025", "1"},
        {"-0.025", "-1"},
        {"0.0249999", "0"},
        {"0.975", "20"},
        {"4.99", "100"},
        {"123456789012345678901234567890", "2469135780246913578024691357800"},
        // Anything that is not a plain decimal number of seconds stays as typed.
        {"", ""},
        {"abc", "abc"},
        {" 3", " 3"},
        {"3 ", "3 "},
        {"1.", "1."},
        {".5", ".5"},
        {"+3", "+3"},
        {"-", "-"},
        {"--1", "--1"},
        {"1e3", "1e3"},
        {"1,5", "1,5"},
        {"1.2.3", "1.2.3"},
        {"3秒", "3秒"},
    };
    for (const Case& testCase : cases) {
        EXPECT_EQ(explosionDelayTicks(testCase.seconds), testCase.written) << '"' << testCase.seconds << '"';
        ThrowableValues values = workedExampleThrowable();
        values.explosionDelay = testCase.seconds;
        EXPECT_EQ(crLfLines(buildThrowableDefinition(values))[8],
                  std::string("        Explosion_Delay: ") + testCase.written)
            << '"' << testCase.seconds << '"';
    }
}

}  // namespace
}  // namespace varnick
