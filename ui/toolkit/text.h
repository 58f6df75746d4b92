#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace varnick::ui {

// Returns the QString of a UTF-8 text, the program's own form of text.
inline QString toQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Returns the UTF-8 form of a QString.
inline std::string toStdString(const QString& text) {
    return text.toStdString();
}

}  // namespace varnick::ui
