#include "ui/toolkit/fonts.h"
#include "ui/toolkit/text.h"

#include <QApplication>
#include <QFontDatabase>
#include <QString>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdlib>
#endif

namespace varnick::ui {
namespace {

#if defined(_WIN32)

// Chinese Windows has both faces the definitions name, and the system substitutes missing faces by itself.
QString resolvedFamily(std::string_view face) {
    return toQString(face);
}

// The stock DEFAULT_GUI_FONT: its face, its character height (a negative height in the LOGFONT) and weight.
QFont systemGuiFont() {
    LOGFONTW logFont{};
    const HGDIOBJ stock = GetStockObject(DEFAULT_GUI_FONT);
    if (stock == nullptr || GetObjectW(stock, sizeof logFont, &logFont) == 0 || logFont.lfFaceName[0] == L'\0') {
        QFont font;
        font.setPixelSize(kDefaultFontPixelSize);
        return font;
    }
    QFont font(QString::fromWCharArray(logFont.lfFaceName));
    font.setPixelSize(logFont.lfHeight != 0 ? std::abs(static_cast<int>(logFont.lfHeight)) : kDefaultFontPixelSize);
    if (logFont.lfWeight != 0) {
        font.setWeight(static_cast<QFont::Weight>(logFont.lfWeight));
    }
    return font;
}

#else

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

#endif

}  // namespace

QFont defaultGuiFont() {
#if defined(_WIN32)
    return systemGuiFont();
#else
    QFont font(toQString(kDefaultFontFamily));
    font.setPixelSize(kDefaultFontPixelSize);
    font.setStyleHint(QFont::SansSerif);
    return font;
#endif
}

void applyDefaultFont(QApplication& application) {
#if !defined(_WIN32)
    for (const Substitute& substitute : kSubstitutes) {
        const QString face = toQString(substitute.face);
        if (!QFontDatabase::hasFamily(face)) {
            QFont::insertSubstitution(face, toQString(substitute.replacement));
        }
    }
#endif
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
