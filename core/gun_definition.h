#pragma once

#include <string>

namespace varnick {

// The gun maker's entries, each text as the control holds it (UTF-8, possibly empty).
struct GunValues {
    std::string name;
    std::string heldName;
    std::string itemType;
    std::string lore;
    std::string recoilAmount;
    std::string projectileAmount;
    std::string projectileType;
    std::string projectileDamage;
    std::string projectileSpeed;
    std::string bulletSpread;
    std::string deathMessage;
    std::string zoomAmount;
    std::string ammoItemId;
    std::string reloadAmount;
    std::string reloadDuration;
    bool dualWield = false;
    bool scopeEnabled = false;
    bool ammoEnabled = false;
};

// Returns the gun's weapon definition: CR LF between lines, a leading CR LF, none after the last line.
std::string buildGunDefinition(const GunValues& values);

}  // namespace varnick
