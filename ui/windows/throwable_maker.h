#pragma once

#include "ui/toolkit/window_definition.h"

namespace varnick::ui {

// Returns the definition of the throwable (grenade) maker: its fields, the generate button and the result box.
const WindowDef& throwableMakerWindow();

}  // namespace varnick::ui
