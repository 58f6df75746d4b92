#pragma once

#include <span>

#include "core/gun_definition.h"
#include "ui/toolkit/window_definition.h"

namespace varnick::ui {

// Returns the definition of the gun maker: its fields, the generate button, the result box and its two actions.
const WindowDef& gunMakerWindow();

// Returns which control of the gun maker fills which field of the record it builds from.
std::span<const FieldBinding<GunValues>> gunMakerFields();

}  // namespace varnick::ui
