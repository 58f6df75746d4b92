#pragma once

#include "varnick_version.h"

// The titles the harness waits for: Varnick's three windows and their counterparts in the baseline program.
namespace varnick::bench {

inline constexpr const char* kVarnickMenuTitle = "Varnick V" VARNICK_VERSION_SHORT;
inline constexpr const char* kVarnickGunMakerTitle = "Varnick - 枪械制作";
inline constexpr const char* kVarnickThrowableMakerTitle = "Varnick - 投掷型武器制作";

inline constexpr const char* kBaselineMenuTitle = "Baseline - main menu";
inline constexpr const char* kBaselineGunMakerTitle = "Baseline - gun maker";
inline constexpr const char* kBaselineThrowableMakerTitle = "Baseline - throwable maker";

}  // namespace varnick::bench
