#pragma once

#include <string>
#include <string_view>

namespace varnick {

// The throwable maker's entries, each text as the edit box holds it (UTF-8, possibly empty).
struct ThrowableValues {
    std::string name;
    std::string heldName;
    std::string itemType;
    std::string lore;
    std::string explosionPower;
    std::string explosionRadius;
    std::string explosionDelay;
    std::string projectileAmount;
    std::string projectileSubtype;
    std::string projectileSpeed;
    std::string shootSound;
    std::string deathMessage;
};

// Returns the Explosion_Delay value for a delay typed in seconds: a decimal number of seconds (optional minus,
// digits, optionally a point and more digits) becomes whole ticks, 20 to a second, rounded to the nearest tick
// with halves away from zero; any other text, the empty text included, is returned unchanged.
std::string explosionDelayTicks(std::string_view seconds);

// Returns the throwable's weapon definition: 22 lines joined by CR LF, beginning with the name line.
std::string buildThrowableDefinition(const ThrowableValues& values);

}  // namespace varnick
