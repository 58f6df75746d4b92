#pragma once

#include <QFont>

#include "ui/toolkit/window_definition.h"

class QApplication;

namespace varnick::ui {

// The default GUI font: the system's on Windows; elsewhere a CJK sans-serif face at 12 pixels, which the
// definitions' stored sizes are made for.
inline constexpr std::string_view kDefaultFontFamily = "Noto Sans CJK SC";
inline constexpr int kDefaultFontPixelSize = 12;

// Makes the default GUI font the application's font and registers substitutes for the named faces that
// may be missing; call once at start-up, before any window opens.
void applyDefaultFont(QApplication& application);

// Returns the default GUI font, whether or not applyDefaultFont has run.
QFont defaultGuiFont();

// Returns the font a control asks for: the default GUI font for an empty face, or else the face at its
// character height (internal leading excluded) and weight, with a CJK substitute where the face is missing
// (the system's own on Windows).
QFont fontFor(const FontSpec& spec);

}  // namespace varnick::ui
