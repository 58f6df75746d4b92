// Additions to weapons files, judged by the plugin's own reader: every addition either is refused with the file
// byte-identical, or leaves a file in which SnakeYAML reads every former weapon unchanged and the new one with the
// typed text intact.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/addition_plan.h"
#include "core/encoding.h"
#include "core/gun_definition.h"
#include "core/messages.h"
#include "core/result_actions.h"
#include "tests/core/plugin_judge.h"
#include "tests/core/test_support.h"

namespace varnick {
namespace {

namespace fs = std::filesystem;
using test::fieldRefusal;
using test::filledIn;
using test::gbk;
using test::judgeFiles;
using test::PluginReading;
using test::readBytes;
using test::RecordingDesktop;
using test::TempDir;
using test::writeBytes;

// A field of the gun maker and where the plugin finds its value.
struct Field {
    std::string GunValues::*member;
    const char* path;  // below the weapon's key; empty for the name, which is the key
    bool quoted;       // written in double quotes, so blanks at either end are kept
};

const Field kName{&GunValues::name, "", false};
const Field kHeldName{&GunValues::heldName, "Item_Information.Item_Name", true};
const Field kLore{&GunValues::lore, "Item_Information.Item_Lore", true};
const Field kItemType{&GunValues::itemType, "Item_Information.Item_Type", false};
const Field kDamage{&GunValues::projectileDamage, "Shooting.Projectile_Damage", false};
const Field kSpread{&GunValues::bulletSpread, "Shooting.Bullet_Spread", false};
const Field kDeathMessage{&GunValues::deathMessage, "Custom_Death_Message.Normal", true};
const Field kZoom{&GunValues::zoomAmount, "Scope.Zoom_Amount", false};

// What the plugin should read for a typed value: quoted values unchanged, plain ones without blanks at either end,
// nothing typed as no value.
std::string readBack(const Field& field, const std::string& typed) {
    if (field.quoted) {
        return typed;
    }
    const std::size_t first = typed.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return "null";
    }
    return typed.substr(first, typed.find_last_not_of(" \t") - first + 1);
}

// A weapons file before the addition, in the encoding the plugin reads it in.
struct BaseFile {
    const char* name;
    std::string bytes;
    std::string charset;
};

std::vector<BaseFile> baseFiles() {
    const std::string text =
        "# server weapons\r\nAK47:\r\n    Item_Information:\r\n        Item_Name: \"&eAK47\"\r\n        Item_Type: "
        "271\r\n    Custom_Death_Message:\r\n        Normal: \"&b<shooter> shot <victim>\"\r\nM1911:\r\n    "
        "Item_Information:\r\n        Item_Name: \"&e1911\"\r\n";
    const std::string chinese = "\r\n大狙:\r\n    Item_Information:\r\n        Item_Name: \"&e大狙\"";
    return {{"ASCII file", text, "UTF-8"},
            {"UTF-8 file", text + chinese, "UTF-8"},
            {"code page 936 file", gbk(text + chinese), "GBK"}};
}

// One addition waiting for the judge.
struct Added {
    std::string label;
    fs::path file;
    std::string charset;
    std::size_t baseIndex;
    std::string weapon;                                // the new weapon's key
    std::vector<std::pair<Field, std::string>> typed;  // hostile fields and their typed text
};

// Judges the additions together with the base files and the untouched reference weapon, one Java run per
// charset, and checks that each added file reads as the base plus the new weapon with every typed text intact.
void judgeAdditions(const std::vector<Added>& added, const TempDir& directory) {
    const std::vector<BaseFile> bases = baseFiles();
    for (const std::string charset : {"UTF-8", "GBK"}) {
        std::vector<fs::path> files;
        std::vector<std::size_t> baseOf;
        // The reference: each base with the worked example added under the name REF, nothing hostile.
        for (std::size_t b = 0; b < bases.size(); ++b) {
            if (bases[b].charset != charset) {
                continue;
            }
            const fs::path base = directory.path() / ("base" + std::to_string(b)) / "defaultWeapons.yml";
            fs::create_directories(base.parent_path());
            writeBytes(base, bases[b].bytes);
            const fs::path reference = directory.path() / ("reference" + std::to_string(b)) / "defaultWeapons.yml";
            fs::create_directories(reference.parent_path());
            writeBytes(reference, bases[b].bytes);
            GunValues values = test::workedExampleGun();
            values.name = "REF";
            RecordingDesktop desktop;
            addToWeaponsFile(buildGunDefinition(values), desktop, reference);
            ASSERT_EQ(desktop.messages, std::vector<std::string>{std::string(messages::kAddDone.text)})
                << bases[b].name;
            files.push_back(base);
            files.push_back(reference);
            baseOf.push_back(b);
        }
        std::vector<const Added*> judged;
        for (const Added& addition : added) {
            if (addition.charset == charset) {
                files.push_back(addition.file);
                judged.push_back(&addition);
            }
        }
        const std::vector<PluginReading> readings = judgeFiles(charset, files);
        std::map<std::size_t, std::pair<PluginReading, PluginReading>> baseReadings;
        for (std::size_t i = 0; i < baseOf.size(); ++i) {
            const PluginReading& base = readings[2 * i];
            const PluginReading& reference = readings[2 * i + 1];
            ASSERT_TRUE(base.readable) << base.error;
            ASSERT_TRUE(reference.readable) << reference.error;
            baseReadings[baseOf[i]] = {base, reference};
        }
        for (std::size_t i = 0; i < judged.size(); ++i) {
            const Added& addition = *judged[i];
            const PluginReading& reading = readings[2 * baseOf.size() + i];
            const auto& [base, reference] = baseReadings.at(addition.baseIndex);
            ASSERT_TRUE(reading.readable) << addition.label << ": " << reading.error;
            std::vector<std::string> expectedWeapons = base.weapons;
            expectedWeapons.push_back(addition.weapon);
            EXPECT_EQ(reading.weapons, expectedWeapons) << addition.label;
            for (const std::string& former : base.weapons) {
                EXPECT_EQ(reading.leaves.at(former), base.leaves.at(former)) << addition.label << ", " << former;
            }
            if (reading.leaves.count(addition.weapon) == 0) {
                ADD_FAILURE() << addition.label << ": the new weapon has no leaves";
                continue;
            }
            std::map<std::string, std::string> expected = reference.leaves.at("REF");
            for (const auto& [field, text] : addition.typed) {
                if (*field.path != '\0') {
                    expected[field.path] = readBack(field, text);
                }
            }
            EXPECT_EQ(reading.leaves.at(addition.weapon), expected) << addition.label;
        }
    }
}

enum class Expect { Add, Refuse, Either, AddUnlessCodePage936 };

TEST(JudgedAddition, HostileFieldValues) {
    struct Row {
        const char* category;
        Field field;
        std::string value;
        Expect expect;
    };
    const std::string longName(1000, 'n');
    const std::string tooLongName(1100, 'n');
    const std::string longLore(100000, 'l');
    std::string longChinese;
    for (int i = 0; i < 3000; ++i) {
        longChinese += "枪毙";
    }
    const Row rows[] = {
        {"blank before the name", kName, " NEW", Expect::Refuse},
        {"blank after the name", kName, "NEW ", Expect::Refuse},
        {"blanks around a quoted value", kHeldName, "  &eNEW  ", Expect::Add},
        {"blank before a plain value", kDamage, " 4", Expect::Add},
        {"blank after a plain value", kDamage, "4 ", Expect::Add},
        {"tab after a plain value", kDamage, "4\t", Expect::Add},
        {"empty plain value", kZoom, "", Expect::Add},
        {"empty quoted value", kHeldName, "", Expect::Add},
        {"tag as the damage", kDamage, "!5", Expect::Refuse},
        {"anchor as the damage", kDamage, "&a 5", Expect::Refuse},
        {"alias as the damage", kDamage, "*a", Expect::Refuse},
        {"sequence entry as the damage", kDamage, "- 5", Expect::Refuse},
        {"flow sequence as the damage", kDamage, "[5]", Expect::Refuse},
        {"flow mapping as the damage", kDamage, "{a: 5}", Expect::Refuse},
        {"block scalar as the damage", kDamage, "|", Expect::Refuse},
        {"folded scalar as the damage", kDamage, ">", Expect::Refuse},
        {"percent sign first", kDamage, "%5", Expect::Refuse},
        {"at sign first", kDamage, "@5", Expect::Refuse},
        {"backquote first", kDamage, "`5", Expect::Refuse},
        {"comment as the damage", kDamage, "#5", Expect::Refuse},
        {"comment after the damage", kDamage, "4 # note", Expect::Refuse},
        {"single-quoted damage", kDamage, "'5'", Expect::Refuse},
        {"double-quoted damage", kDamage, "\"5\"", Expect::Refuse},
        {"question mark first", kDamage, "? 5", Expect::Refuse},
        {"colon and blank inside a plain value", kItemType, "a: b", Expect::Refuse},
        {"colon inside a plain value", kItemType, "a:b", Expect::Add},
        {"octal damage", kDamage, "010", Expect::Refuse},
        {"boolean item type", kItemType, "yes", Expect::Refuse},
        {"null damage", kDamage, "~", Expect::Refuse},
        {"exponent damage", kDamage, "1e3", Expect::Refuse},
        {"decimal spread", kSpread, "0.5", Expect::Add},
        {"negative damage", kDamage, "-4", Expect::Add},
        {"ampersand first in a name", kName, "&NEW", Expect::Refuse},
        {"asterisk first in a name", kName, "*NEW", Expect::Refuse},
        {"exclamation first in a name", kName, "!NEW", Expect::Refuse},
        {"dash and blank first in a name", kName, "- NEW", Expect::Refuse},
        {"dash first in a name", kName, "-NEW", Expect::Either},
        {"hash first in a name", kName, "#NEW", Expect::Refuse},
        {"hash inside a name", kName, "NEW#1", Expect::Add},
        {"comment in a name", kName, "NEW #1", Expect::Refuse},
        {"brackets as a name", kName, "[NEW]", Expect::Refuse},
        {"braces in a name", kName, "NEW{1}", Expect::Either},
        {"colon and blank in a name", kName, "NE: W", Expect::Refuse},
        {"colon in a name", kName, "NE:W", Expect::Either},
        {"apostrophe inside a name", kName, "NE'W", Expect::Add},
        {"quoted name", kName, "\"NEW\"", Expect::Refuse},
        {"single-quoted name", kName, "'NEW'", Expect::Refuse},
        {"backslash in a plain name", kName, "NE\\W", Expect::Add},
        {"colour codes in the held name", kHeldName, "&e&lNEW", Expect::Add},
        {"hash in the held name", kHeldName, "#1 gun", Expect::Add},
        {"indicators in a quoted value", kLore, "&a *b !c |d >e 'f' [g] {h} % @ ` ? - :", Expect::Add},
        {"Chinese death message", kDeathMessage, "&b<shooter> 把 <victim> 枪毙", Expect::Add},
        {"Chinese name", kName, "沙漠之鹰", Expect::Add},
        {"tag on the name", kName, "!!str NEW", Expect::Refuse},
        {"tag inside quotes", kHeldName, "!!str x", Expect::Add},
        {"integer tag on the damage", kDamage, "!!int 5", Expect::Refuse},
        {"anchor on the name", kName, "&a NEW", Expect::Refuse},
        {"merge key as the name", kName, "<<", Expect::Refuse},
        {"merge key as the damage", kDamage, "<<", Expect::Refuse},
        {"escaped slash in the held name", kHeldName, "AK\\/47", Expect::Refuse},
        {"escaped line feed in the held name", kHeldName, "a\\nb", Expect::Refuse},
        {"escaped backslash in the lore", kLore, "a\\\\b", Expect::Refuse},
        {"Windows path in the lore", kLore, "C:\\Users", Expect::Refuse},
        {"hex escape in the held name", kHeldName, "\\x41", Expect::Refuse},
        {"quote inside the held name", kHeldName, "a\"b", Expect::Refuse},
        {"quotes around a word of the death message", kDeathMessage, "say \"hi\"", Expect::Refuse},
        {"ESC in the held name", kHeldName, "a\x1B[0m", Expect::Refuse},
        {"DEL in the lore", kLore, "a\x7F", Expect::Refuse},
        {"NUL in the held name", kHeldName, std::string("a\0b", 3), Expect::Refuse},
        {"bell in the damage", kDamage, "4\a", Expect::Refuse},
        {"C1 control in the held name", kHeldName,
         "a\xC2\x9B"
         "b",
         Expect::Refuse},
        {"next line in the held name", kHeldName,
         "a\xC2\x85"
         "b",
         Expect::Refuse},
        {"line separator in the lore", kLore,
         "a\xE2\x80\xA8"
         "b",
         Expect::Refuse},
        {"tab inside the held name", kHeldName, "a\tb", Expect::Either},
        {"tab inside the name", kName, "NE\tW", Expect::Either},
        {"tab first in a plain value", kDamage, "\t4", Expect::Refuse},
        {"tab alone as a plain value", kDamage, "\t", Expect::Refuse},
        {"U+FFFE in the held name", kHeldName, "a\xEF\xBF\xBE", Expect::Refuse},
        {"zero-width space in the name", kName, "NE\xE2\x80\x8BW", Expect::Refuse},
        {"zero-width space in the held name", kHeldName,
         "a\xE2\x80\x8B"
         "b",
         Expect::Refuse},
        {"soft hyphen in the lore", kLore,
         "a\xC2\xAD"
         "b",
         Expect::Refuse},
        {"byte-order mark in the held name", kHeldName, "\xEF\xBB\xBFx", Expect::Refuse},
        {"CR LF in the lore", kLore, "a\r\nb", Expect::Refuse},
        {"CR LF in the name", kName, "NE\r\nW", Expect::Refuse},
        {"line feed in the death message", kDeathMessage, "a\nb", Expect::Refuse},
        {"CR in the held name", kHeldName, "a\rb", Expect::Refuse},
        {"line break that forges a key", kLore, "x\"\r\n        Item_Name: \"y", Expect::Refuse},
        {"line break that forges an entry", kLore, "x\"\r\n        Evil: \"y", Expect::Refuse},
        {"long name", kName, longName, Expect::Add},
        {"name beyond the reader's key length", kName, tooLongName, Expect::Refuse},
        {"long lore", kLore, longLore, Expect::Add},
        {"long Chinese death message", kDeathMessage, longChinese, Expect::Add},
        {"yes as the name", kName, "yes", Expect::Refuse},
        {"hexadecimal name", kName, "0x1A", Expect::Refuse},
        {"octal name", kName, "010", Expect::Refuse},
        {"null name", kName, "~", Expect::Refuse},
        {"null word as the name", kName, "null", Expect::Refuse},
        {"empty name", kName, "", Expect::Refuse},
        {"date as the name", kName, "2024-01-01", Expect::Refuse},
        {"number as the name", kName, "1911", Expect::Add},
        {"decimal as the name", kName, "1.5", Expect::Either},
        {"NaN as the name", kName, "NaN", Expect::Add},
        {"emoji in the held name", kHeldName, "\xF0\x9F\x98\x80", Expect::AddUnlessCodePage936},
        {"bullet in the name", kName, "NEW\xE2\x80\xA2", Expect::AddUnlessCodePage936},
        {"Korean in the lore", kLore, "\xEC\xB4\x9D", Expect::AddUnlessCodePage936},
        {"euro sign in the lore", kLore,
         "\xE2\x82\xAC"
         "5",
         Expect::AddUnlessCodePage936},
    };

    TempDir directory;
    const std::vector<BaseFile> bases = baseFiles();
    std::vector<Added> added;
    int number = 0;
    for (std::size_t b = 0; b < bases.size(); ++b) {
        for (const Row& row : rows) {
            const std::string label = std::string(bases[b].name) + ", " + row.category;
            const fs::path file = directory.path() / ("row" + std::to_string(number++)) / "defaultWeapons.yml";
            fs::create_directories(file.parent_path());
            writeBytes(file, bases[b].bytes);
            GunValues values = test::workedExampleGun();
            values.name = "NEW";
            values.*row.field.member = row.value;
            RecordingDesktop desktop;
            addToWeaponsFile(buildGunDefinition(values), desktop, file);
            ASSERT_EQ(desktop.messages.size(), 1u) << label;
            const bool wasAdded = desktop.messages[0] == messages::kAddDone.text;
            const bool codePage936 = bases[b].charset == "GBK";
            const Expect expect =
                row.expect == Expect::AddUnlessCodePage936 ? (codePage936 ? Expect::Refuse : Expect::Add) : row.expect;
            if (expect == Expect::Add) {
                EXPECT_TRUE(wasAdded) << label << ": " << desktop.messages[0];
            } else if (expect == Expect::Refuse) {
                EXPECT_FALSE(wasAdded) << label;
            }
            if (wasAdded) {
                added.push_back({label, file, bases[b].charset, b, values.name, {{row.field, row.value}}});
            } else {
                EXPECT_EQ(readBytes(file), bases[b].bytes) << label;
                // A refusal names what the user can change: a field, or a character the file cannot hold.
                const bool namesAField = desktop.messages[0].rfind(fieldRefusal("").substr(0, 10), 0) == 0;
                EXPECT_TRUE(namesAField || desktop.messages[0] == messages::kAddUnencodable.text)
                    << label << ": " << desktop.messages[0];
            }
        }
    }
    judgeAdditions(added, directory);
}

TEST(JudgedAddition, RefusalNamesTheFieldThatCannotBeRead) {
    struct Row {
        Field field;
        std::string value;
        std::string field_name;
    };
    const Row rows[] = {
        {kName, " NEW", "枪械名称"},         {kName, "yes", "枪械名称"},           {kName, "NE\r\nW", "枪械名称"},
        {kHeldName, "AK\\/47", "Item_Name"}, {kDamage, "!5", "Projectile_Damage"}, {kLore, "a\x7F", "Item_Lore"},
        {kLore, "a\r\nb", "Item_Lore"},      {kDeathMessage, "a\"b", "Normal"},    {kZoom, "&x 5", "Zoom_Amount"},
    };
    for (const Row& row : rows) {
        TempDir directory;
        const fs::path file = directory.path() / "defaultWeapons.yml";
        writeBytes(file, "A: 1");
        GunValues values = test::workedExampleGun();
        values.*row.field.member = row.value;
        RecordingDesktop desktop;
        addToWeaponsFile(buildGunDefinition(values), desktop, file);
        EXPECT_EQ(desktop.messages, std::vector<std::string>{fieldRefusal(row.field_name)}) << row.value;
    }
}

TEST(JudgedAddition, GeneratedRecords) {
    // Characters that mean something to YAML, blanks, a few that the reader refuses, and Chinese.
    const std::vector<std::string> alphabet = {"a",
                                               "B",
                                               "1",
                                               "0",
                                               "-",
                                               "?",
                                               ":",
                                               ",",
                                               "[",
                                               "]",
                                               "{",
                                               "}",
                                               "#",
                                               "&",
                                               "*",
                                               "!",
                                               "|",
                                               ">",
                                               "'",
                                               "\"",
                                               "%",
                                               "@",
                                               "`",
                                               "\\",
                                               " ",
                                               " ",
                                               "\t",
                                               "~",
                                               "<<",
                                               "x",
                                               ".",
                                               "枪",
                                               "械",
                                               "。",
                                               "\xEF\xBC\x81",
                                               "\r\n",
                                               "\n",
                                               "\x1B",
                                               "\xE2\x80\x8B",
                                               "\\/",
                                               "\\n",
                                               "yes",
                                               "0x",
                                               "&e",
                                               ": ",
                                               " #"};
    std::mt19937 random(20261211);
    const auto randomText = [&](std::size_t maxLength) {
        std::string text;
        const std::size_t length = std::uniform_int_distribution<std::size_t>(0, maxLength)(random);
        for (std::size_t i = 0; i < length; ++i) {
            text += alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
        }
        return text;
    };
    const Field fields[] = {kName, kHeldName, kLore, kDamage, kDeathMessage};

    TempDir directory;
    const std::vector<BaseFile> bases = baseFiles();
    std::vector<Added> added;
    constexpr int kRecords = 3000;
    int refused = 0;
    for (int record = 0; record < kRecords; ++record) {
        const std::size_t b = static_cast<std::size_t>(record) % bases.size();
        const fs::path file = directory.path() / ("record" + std::to_string(record)) / "defaultWeapons.yml";
        fs::create_directories(file.parent_path());
        writeBytes(file, bases[b].bytes);
        GunValues values = test::workedExampleGun();
        std::vector<std::pair<Field, std::string>> typed;
        for (const Field& field : fields) {
            std::string text = randomText(6);
            if (field.member == kName.member) {
                text = "W" + std::to_string(record) + text;  // never the name of a former weapon
            }
            values.*field.member = text;
            typed.emplace_back(field, text);
        }
        RecordingDesktop desktop;
        addToWeaponsFile(buildGunDefinition(values), desktop, file);
        const std::string label = "record " + std::to_string(record) + " (" + bases[b].name + ")";
        ASSERT_EQ(desktop.messages.size(), 1u) << label;
        if (desktop.messages[0] == messages::kAddDone.text) {
            added.push_back({label, file, bases[b].charset, b, values.name, typed});
        } else {
            ++refused;
            EXPECT_EQ(readBytes(file), bases[b].bytes) << label;
        }
    }
    // The alphabet is hostile, yet plenty of records must still get through.
    EXPECT_GT(added.size(), kRecords / 20u);
    EXPECT_GT(refused, kRecords / 20);
    judgeAdditions(added, directory);
}

TEST(JudgedAddition, FileShapes) {
    const std::string gun = buildGunDefinition([] {
        GunValues values = test::workedExampleGun();
        values.name = "M4A1";
        return values;
    }());
    struct Row {
        const char* name;
        std::string former;
        std::string message;  // empty when the definition is to be added
        std::string charset = "UTF-8";
    };
    const std::string duplicate(messages::kAddDuplicateName.text);
    const std::string shape(messages::kAddUnsupportedFileShape.text);
    const auto broken = [](int line) { return filledIn(messages::kAddBrokenFile.text, std::to_string(line)); };
    const Row rows[] = {
        {"comments", "# weapons\r\nA:  # first\r\n    b: 1 # one\r\n# end", ""},
        {"LF line ends", "A:\n    b: 1\nB:\n    c: 2\n", ""},
        {"CR LF line ends", "A:\r\n    b: 1\r\n", ""},
        {"CR-only line ends", "A:\r    b: 1\rB: 2\r", ""},
        {"no final line break", "A:\r\n    b: 1", ""},
        {"last line a comment without a line break", "A: 1\r\n# end", ""},
        {"empty file", "", ""},
        {"comments only", "# nothing yet\r\n", ""},
        {"document start marker", "---\r\nA: 1\r\n", ""},
        {"document start marker alone", "--- # weapons\r\n", ""},
        {"byte-order mark",
         "\xEF\xBB\xBF"
         "A: 1\r\n",
         ""},
        {"block scalar at the end", "A:\r\n    lore: |\r\n        text\r\n", ""},
        {"block scalar at the end without a line break", "A:\r\n    lore: >\r\n        text", shape},
        {"indentless sequence at the end", "A:\r\n- x\r\n- y", ""},
        {"quoted keys", "\"A\": 1\r\n'B': 2\r\n", ""},
        {"CR-only duplicate", "A: 1\rM4A1:\r    b: 1\r", duplicate},
        {"escaped quoted key", "\"M\\x34A1\": 1\r\n", duplicate},
        {"unicode escape in a quoted key", "\"M4\\u00411\": 1\r\n", duplicate},
        {"single-quoted key", "'M4A1': 1\r\n", duplicate},
        {"tagged key", "!!str M4A1: 1\r\n", duplicate},
        {"anchored key", "&w M4A1: 1\r\n", duplicate},
        {"aliased key", "A: &n M4A1\r\n*n : 1\r\n", duplicate},
        {"explicit key", "? M4A1\r\n: 1\r\n", duplicate},
        {"flow style", "{A: {b: 1}, B: 2}\r\n", shape},
        {"flow style with the name", "{M4A1: 1}", shape},
        {"indented top level", "  A:\r\n      b: 1\r\n  B: 2\r\n", shape},
        {"document end marker", "A: 1\r\n...\r\n", shape},
        {"two documents", "A: 1\r\n---\r\nB: 2\r\n", shape},
        {"a list at the top", "- A\r\n- B\r\n", shape},
        {"tab as indentation", "A:\r\n    b: 1\r\nB:\r\n\tc: 2\r\n", broken(4)},
        {"unclosed quote at the end", "A: 1\r\nB: \"open", broken(2)},
        {"unclosed flow mapping at the end", "A: 1\r\nB: {c: 1", broken(2)},
        {"DEL in a comment", "A: 1\r\n# \x7F\r\nB: 2", broken(2)},
        {"bad indentation", "A:\r\n    b: 1\r\n  c: 2\r\n", broken(3)},
        {"UTF-16",
         std::string("\xFF\xFE"
                     "A\0:\0 \0"
                     "1\0",
                     10),
         std::string(messages::kAddWideEncodingFile.text)},
    };
    TempDir directory;
    std::vector<Added> added;
    std::vector<PluginReading> formerReadings;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        const fs::path file = directory.path() / ("shape" + std::to_string(i)) / "defaultWeapons.yml";
        fs::create_directories(file.parent_path());
        writeBytes(file, row.former);
        RecordingDesktop desktop;
        addToWeaponsFile(gun, desktop, file);
        const std::string expected = row.message.empty() ? std::string(messages::kAddDone.text) : row.message;
        EXPECT_EQ(desktop.messages, std::vector<std::string>{expected}) << row.name;
        if (row.message.empty()) {
            EXPECT_EQ(readBytes(file), row.former + gun) << row.name;
            added.push_back({row.name, file, row.charset, i, "M4A1", {}});
        } else {
            EXPECT_EQ(readBytes(file), row.former) << row.name;
        }
    }
    // The judge reads each added file: the former weapons and then M4A1.
    std::vector<fs::path> files;
    for (const Added& addition : added) {
        const fs::path former = addition.file.parent_path() / "former.yml.txt";
        writeBytes(former, rows[addition.baseIndex].former);
        files.push_back(former);
        files.push_back(addition.file);
    }
    const std::vector<PluginReading> readings = judgeFiles("UTF-8", files);
    for (std::size_t i = 0; i < added.size(); ++i) {
        const PluginReading& former = readings[2 * i];
        const PluginReading& after = readings[2 * i + 1];
        ASSERT_TRUE(former.readable) << added[i].label << ": " << former.error;
        ASSERT_TRUE(after.readable) << added[i].label << ": " << after.error;
        std::vector<std::string> expected = former.weapons;
        expected.push_back("M4A1");
        EXPECT_EQ(after.weapons, expected) << added[i].label;
        for (const std::string& weapon : former.weapons) {
            EXPECT_EQ(after.leaves.at(weapon), former.leaves.at(weapon)) << added[i].label;
        }
        EXPECT_EQ(after.leaves.at("M4A1").at("Item_Information.Item_Name"), "&eM4A1") << added[i].label;
    }
}

TEST(JudgedAddition, EncodingOfTheFile) {
    GunValues values = test::workedExampleGun();
    values.name = "史诗";
    const std::string chinese = buildGunDefinition(values);
    struct Row {
        const char* name;
        std::string former;
        std::string appended;  // the bytes expected after the former ones
        std::string charset;
    };
    // 沙漠之鹰 in code page 936 is also valid UTF-8, and 史诗 in UTF-8 is also valid code page 936.
    const std::string desertEagle = "沙漠之鹰:\r\n    Item_Information:\r\n        Item_Name: \"&e沙漠之鹰\"\r\n";
    const Row rows[] = {
        {"ASCII file on Linux takes UTF-8", "A: 1\r\n", chinese, "UTF-8"},
        {"code page 936 file", gbk(desertEagle + "B: \"大狙\"\r\n"), gbk(chinese), "GBK"},
        {"code page 936 bytes that are valid UTF-8", gbk(desertEagle), gbk(chinese), "GBK"},
        {"UTF-8 bytes that are valid code page 936", "A: \"史诗\"\r\n", chinese, "UTF-8"},
        {"UTF-8 file", desertEagle, chinese, "UTF-8"},
    };
    TempDir directory;
    std::vector<fs::path> files;
    std::vector<std::string> charsets;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        const fs::path file = directory.path() / ("encoding" + std::to_string(i)) / "defaultWeapons.yml";
        fs::create_directories(file.parent_path());
        writeBytes(file, row.former);
        for (int addition = 0; addition < 2; ++addition) {
            RecordingDesktop desktop;
            addToWeaponsFile(chinese, desktop, file);
            // The second addition finds the first one's name, in whichever encoding it went in.
            EXPECT_EQ(desktop.messages,
                      std::vector<std::string>{
                          std::string(addition == 0 ? messages::kAddDone.text : messages::kAddDuplicateName.text)})
                << row.name;
        }
        EXPECT_EQ(readBytes(file), row.former + row.appended) << row.name;
        const std::vector<PluginReading> readings = judgeFiles(row.charset, {file});
        ASSERT_TRUE(readings[0].readable) << row.name << ": " << readings[0].error;
        EXPECT_EQ(readings[0].weapons.back(), "史诗") << row.name;
        EXPECT_EQ(readings[0].leaves.at("史诗").at("Custom_Death_Message.Normal"), values.deathMessage) << row.name;
    }
}

TEST(PlanAddition, WindowsKeepsCodePage936ForAnAsciiFileUnlessTheFolderIsUtf8) {
    GunValues values = test::workedExampleGun();
    values.name = "大狙";
    const std::string definition = buildGunDefinition(values);
    TempDir directory;
    const fs::path weapons = directory.path() / "defaultWeapons.yml";
    writeBytes(weapons, "A: 1\r\n");
    const FileReader reader = plainFileReader(weapons);

    EXPECT_EQ(planAddition(reader, definition, weapons, Platform::Windows).bytes, gbk(definition));
    EXPECT_EQ(planAddition(reader, definition, weapons, Platform::Unix).bytes, definition);

    writeBytes(directory.path() / "other.yml", "B:\r\n    Item_Name: \"&e步枪\"\r\n");
    EXPECT_EQ(planAddition(reader, definition, weapons, Platform::Windows).bytes, definition);
}

TEST(AddToWeaponsFile, NameHeldByAnotherFileOfTheFolderIsADuplicate) {
    TempDir directory;
    const fs::path weapons = directory.path() / "defaultWeapons.yml";
    writeBytes(weapons, "A: 1\r\n");
    writeBytes(directory.path() / "rifles.yml", "'M4A1':\r\n    b: 1\r\n");
    writeBytes(directory.path() / "broken.yml", "M1911:\r\n\tb: 1\r\n");  // the plugin loads nothing from it
    writeBytes(directory.path() / "notes.txt", "AK47:\r\n");              // not a weapons file
    const auto add = [&](const std::string& name) {
        GunValues values = test::workedExampleGun();
        values.name = name;
        RecordingDesktop desktop;
        addToWeaponsFile(buildGunDefinition(values), desktop, weapons);
        return desktop.messages;
    };
    EXPECT_EQ(add("M4A1"), std::vector<std::string>{filledIn(messages::kAddDuplicateInOtherFile.text, "rifles.yml")});
    EXPECT_EQ(readBytes(weapons), "A: 1\r\n");
    EXPECT_EQ(readBytes(directory.path() / "rifles.yml"), "'M4A1':\r\n    b: 1\r\n");
    EXPECT_EQ(add("M1911"), std::vector<std::string>{std::string(messages::kAddDone.text)});
    EXPECT_EQ(add("AK47"), std::vector<std::string>{std::string(messages::kAddDone.text)});
}

}  // namespace
}  // namespace varnick
