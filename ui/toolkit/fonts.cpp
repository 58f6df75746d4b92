#include "ui/toolkit/fonts.h"
#include "ui/toolkit/text.h"

#include <QApplication>
#include <QFontDatabase>
#include <QString>

namespace varnick::ui {
namespace {

struct Substitute {
    std::string_view face;
    std::string_view replacement;
};

// The two faces the definitions name are Windows fonts; Noto CJK comes with the program's set-up.
constexpr Substitute kSubstitutes[] = {
    {"微软雅黑", "Noto Sans CJK SC"},
    {"Microsoft YaHei", "Noto Sans CJK SC"},
    {"宋体", "Noto Serif CJK SC"},
    {"SimSun", "Noto Serif CJK SC"},
};

QString resolvedFamily(std::string_view face) {
    const QString family = toQString(face);
    if (QFontDatabase::hasFamily(family)) {
        return family;
    }
    for (const Substitute& substitute : kSubstitutes) {
        if (substitute.face == face) {
            return toQString(substitute.replacement);
        }
    }
    return family;
}

}  // namespace

QFont defaultGuiFont() {
    QFont font(toQString(kDefaultFontFamily));
    font.setPixelSize(kDefaultFontPixelSize);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

void applyDefaultFont(QApplication& application) {
    for (const Substitute& substitute : kSubstitutes) {
        const QString face = toQString(substitute.face);
        if (!QFontDatabase::hasFamily(face)) {
            QFont::insertSubstitution(face, toQString(substitute.replacement));
        }
    }
    application.setFont(defaultGuiFont());
}

QFont fontFor(const FontSpec& spec) {
    if (spec.face.empty()) {
        return defaultGuiFont();
    }
    QFont font(resolvedFamily(spec.face));
    // A pixel size is the em height, which is the character height without internal leading.
    font.setPixelSize(spec.pixelHeight > 0 ? spec.pixelHeight : kDefaultFontPixelSize);
    font.setWeight(static_cast<QFont::Weight>(spec.weight));
    return font;
}

}  // namespace varnick::ui
