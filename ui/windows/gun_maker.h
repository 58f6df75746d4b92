#pragma once

#include "ui/toolkit/window_definition.h"

namespace varnick::ui {

// Returns the definition of the gun maker: its fields, the generate button, the result box and its two actions.
const WindowDef& gunMakerWindow();

}  // namespace varnick::ui
