#include "core/gun_definition.h"

#include "core/definition_text.h"

namespace varnick {

std::string buildGunDefinition(const GunValues& values) {
    DefinitionText text;
    text.emptyLine();
    text.nameLine(values.name);

    text.sectionLine("Item_Information");
    text.quotedEntryLine("Item_Name", values.heldName);
    text.entryLine("Item_Type", values.itemType);
    text.quotedEntryLine("Item_Lore", values.lore);
    text.entryLine("Sounds_Acquired", "BAT_TAKEOFF-1-1-0");

    text.sectionLine("Shooting");
    text.entryLine("Cancel_Left_Click_Block_Damage", "true");
    text.entryLine("Cancel_Right_Click_Interactions", "true");
    if (values.dualWield) {
        text.entryLine("Dual_Wield", "true");
    }
    text.entryLine("Recoil_Amount", values.recoilAmount);
    text.entryLine("Projectile_Amount", values.projectileAmount);
    text.entryLine("Projectile_Type", values.projectileType);
    text.entryLine("Projectile_Damage", values.projectileDamage);
    text.entryLine("Projectile_Speed", values.projectileSpeed);
    text.entryLine("Bullet_Spread", values.bulletSpread);
    text.entryLine("Sounds_Shoot", "BLAZE_HIT-1-2-0,ZOMBIE_WOOD-1-2-0");

    text.sectionLine("Custom_Death_Message");
    text.quotedEntryLine("Normal", values.deathMessage);

    if (values.scopeEnabled) {
        text.sectionLine("Scope");
        text.entryLine("Enable", "true");
        text.entryLine("Night_Vision", "true");
        text.entryLine("Zoom_Amount", values.zoomAmount);
    }

    // Reloading belongs to the ammunition option: with both options clear the gun has unlimited bullets,
    // so the definition ends with the death message.
    if (values.ammoEnabled) {
        text.sectionLine("Ammo");
        text.entryLine("Enable", "true");
        text.entryLine("Ammo_Item_ID", values.ammoItemId);
        text.entryLine("Sounds_Out_Of_Ammo", "NOTE_PLING-1-2-0");
        text.entryLine("Sounds_Shoot_With_No_Ammo", "NOTE_STICKS-1-2-0");

        text.sectionLine("Reload");
        text.entryLine("Enable", "true");
        text.entryLine("Reload_Amount", values.reloadAmount);
        text.entryLine("Take_Ammo_On_Reload", "true");
        text.entryLine("Reload_Bullets_Individually", "true");
        text.entryLine("Reload_Duration", values.reloadDuration);
        text.entryLine("Sounds_Reloading", "IRONGOLEM_THROW-1-2-0");
    }
    return text.take();
}

}  // namespace varnick
