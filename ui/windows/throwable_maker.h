#pragma once

#include <span>

#include "core/throwable_definition.h"
#include "ui/toolkit/window_definition.h"

namespace varnick::ui {

// Returns the definition of the throwable (grenade) maker: its fields, the generate button and the result box.
const WindowDef& throwableMakerWindow();

// Returns which control of the throwable maker fills which field of the record it builds from.
std::span<const FieldBinding<ThrowableValues>> throwableMakerFields();

}  // namespace varnick::ui
