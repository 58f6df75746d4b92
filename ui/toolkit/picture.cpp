#include "ui/toolkit/picture.h"

namespace varnick::ui {
namespace {

int blendChannel(int picture, int face, int alpha) {
    return (alpha * picture + (255 - alpha) * face + 127) / 255;
}

}  // namespace

QImage blendOverFace(const QImage& picture, const QColor& face) {
    // Non-premultiplied channels are what the formula is written for.
    const QImage source = picture.convertToFormat(QImage::Format_ARGB32);
    QImage blended(source.size(), QImage::Format_RGB32);
    const int faceRed = face.red();
    const int faceGreen = face.green();
    const int faceBlue = face.blue();
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(blended.scanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            const int alpha = qAlpha(in[x]);
            out[x] = qRgb(blendChannel(qRed(in[x]), faceRed, alpha), blendChannel(qGreen(in[x]), faceGreen, alpha),
                          blendChannel(qBlue(in[x]), faceBlue, alpha));
        }
    }
    return blended;
}

}  // namespace varnick::ui
