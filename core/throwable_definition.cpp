#include "core/throwable_definition.h"

#include <cstddef>

#include "core/definition_text.h"

namespace varnick {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Digits of a decimal number times two; the digits are worked on as text so that no length of input overflows.
std::string doubled(std::string_view digits) {
    std::string result(digits.size() + 1, '0');
    int carry = 0;
    for (std::size_t i = digits.size(); i-- > 0;) {
        const int value = (digits[i] - '0') * 2 + carry;
        result[i + 1] = static_cast<char>('0' + value % 10);
        carry = value / 10;
    }
    result[0] = static_cast<char>('0' + carry);
    return result;
}

void incremented(std::string& digits) {
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return;
        }
        digits[i] = '0';
    }
    digits.insert(digits.begin(), '1');
}

}  // namespace

std::string explosionDelayTicks(std::string_view seconds) {
    std::size_t pos = 0;
    const bool negative = !seconds.empty() && seconds[0] == '-';
    if (negative) {
        ++pos;
    }
    const std::size_t wholeStart = pos;
    while (pos < seconds.size() && isDigit(seconds[pos])) {
        ++pos;
    }
    const std::string_view whole = seconds.substr(wholeStart, pos - wholeStart);
    std::string_view fraction;
    if (pos < seconds.size() && seconds[pos] == '.') {
        const std::size_t fractionStart = ++pos;
        while (pos < seconds.size() && isDigit(seconds[pos])) {
            ++pos;
        }
        fraction = seconds.substr(fractionStart, pos - fractionStart);
        if (fraction.empty()) {
            return std::string(seconds);
        }
    }
    if (whole.empty() || pos != seconds.size()) {
        return std::string(seconds);
    }

    // seconds * 20 = (whole.fraction digits) * 2 / 10^(fraction length - 1): exact, with one rounding digit.
    std::string ticks = doubled(std::string(whole) + std::string(fraction));
    bool roundUp = false;
    if (fraction.empty()) {
        ticks += '0';
    } else {
        const std::size_t dropped = fraction.size() - 1;
        if (ticks.size() <= dropped) {
            ticks.insert(0, dropped - ticks.size() + 1, '0');
        }
        roundUp = dropped > 0 && ticks[ticks.size() - dropped] >= '5';
        ticks.resize(ticks.size() - dropped);
    }
    if (roundUp) {
        incremented(ticks);
    }
    const std::size_t firstNonZero = ticks.find_first_not_of('0');
    if (firstNonZero == std::string::npos) {
        return "0";
    }
    ticks.erase(0, firstNonZero);
    return negative ? "-" + ticks : ticks;
}

std::string buildThrowableDefinition(const ThrowableValues& values) {
    DefinitionText text;
    text.nameLine(values.name);

    text.sectionLine("Item_Information");
    text.quotedEntryLine("Item_Name", values.heldName);
    text.entryLine("Item_Type", values.itemType);
    text.quotedEntryLine("Item_Lore", values.lore);

    text.sectionLine("Explosions");
    text.entryLine("Enable", "true");
    text.entryLine("Explosion_Radius", values.explosionRadius);
    text.entryLine("Explosion_Delay", explosionDelayTicks(values.explosionDelay));

    text.sectionLineWithBlank("Extras");
    text.entryLine("One_Time_Use", "true");

    text.sectionLine("Shooting");
    text.entryLine("Right_Click_To_Shoot", "true");
    text.entryLine("Cancel_Right_Click_Interactions", "true");
    text.entryLine("Delay_Between_Shots", "10");
    text.entryLine("Projectile_Amount", values.projectileAmount);
    text.entryLine("Projectile_Type", "grenade");
    text.entryLine("Projectile_Subtype", values.projectileSubtype);
    text.entryLine("Projectile_Speed", values.projectileSpeed);
    text.entryLine("Sounds_Shoot", values.shootSound);

    text.sectionLine("Custom_Death_Message");
    text.quotedEntryLine("Normal", values.deathMessage);
    return text.take();
}

}  // namespace varnick
