#pragma once

#include <QColor>
#include <QImage>

namespace varnick::ui {

// Returns an opaque copy of a picture blended once over a face colour: each channel becomes
// alpha / 255 * picture + (1 - alpha / 255) * face, rounded to the nearest integer.
QImage blendOverFace(const QImage& picture, const QColor& face);

}  // namespace varnick::ui
