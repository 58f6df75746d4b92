#pragma once

#include "ui/toolkit/window_definition.h"

namespace varnick::ui {

// Returns the definition of the start window: six weapon-kind picture buttons and the sponsorship notice.
const WindowDef& mainMenuWindow();

}  // namespace varnick::ui
