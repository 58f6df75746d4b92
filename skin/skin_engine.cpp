#include "skin/skin_engine.h"

#include <QApplication>
#include <QFile>
#include <QMetaEnum>
#include <QPalette>
#include <QResource>
#include <QStyle>
#include <QStyleFactory>
#include <cstring>
#include <memory>
#include <string>

#include "skin/skin_format.h"

namespace {

using varnick::skin::PaletteGroup;
using varnick::skin::ReadError;

QPalette::ColorGroup colourGroup(PaletteGroup group) {
    switch (group) {
        case PaletteGroup::Active:
            return QPalette::Active;
        case PaletteGroup::Inactive:
            return QPalette::Inactive;
        case PaletteGroup::Disabled:
            return QPalette::Disabled;
        case PaletteGroup::All:
            break;
    }
    return QPalette::All;
}

// The resource data of the skin attached last, registered with Qt. It is released when the application ends,
// or when this library is unloaded first; then the style sheet simply finds its pictures no more.
const uchar* g_resources = nullptr;

void releaseResources() {
    if (g_resources == nullptr) return;
    QResource::unregisterResource(g_resources);
    delete[] g_resources;
    g_resources = nullptr;
}

struct ResourcesAtUnload {
    ~ResourcesAtUnload() {
        qRemovePostRoutine(releaseResources);
        releaseResources();
    }
} g_resourcesAtUnload;

bool registerResources(const std::string& data) {
    if (data.empty()) return true;
    auto* copy = new uchar[data.size()];
    std::memcpy(copy, data.data(), data.size());
    if (!QResource::registerResource(copy)) {
        delete[] copy;
        return false;
    }
    releaseResources();
    g_resources = copy;
    qRemovePostRoutine(releaseResources);
    qAddPostRoutine(releaseResources);
    return true;
}

int errorCode(ReadError error) {
    switch (error) {
        case ReadError::None:
            return SKINH_OK;
        case ReadError::NotASkin:
            return SKINH_ERROR_NOT_A_SKIN;
        case ReadError::UnsupportedVersion:
            return SKINH_ERROR_VERSION;
        case ReadError::Corrupt:
            break;
    }
    return SKINH_ERROR_CORRUPT;
}

}  // namespace

extern "C" SKINH_API int SKINH_CALL SkinH_AttachEx(const char* skinFile, const char* /*reserved*/) {
    if (skinFile == nullptr || *skinFile == '\0' ||
        qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        return SKINH_ERROR_ARGUMENT;
    }
    QFile file(QString::fromUtf8(skinFile));
    if (!file.open(QIODevice::ReadOnly)) return SKINH_ERROR_FILE;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return SKINH_ERROR_FILE;

    const auto read =
        varnick::skin::readSkin(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (read.error != ReadError::None) return errorCode(read.error);
    const varnick::skin::Skin& skin = read.skin;

    std::unique_ptr<QStyle> style(QStyleFactory::create(QString::fromStdString(skin.styleName)));
    if (!style) return SKINH_ERROR_STYLE;

    QPalette palette = style->standardPalette();
    const QMetaEnum roles = QMetaEnum::fromType<QPalette::ColorRole>();
    for (const auto& entry : skin.palette) {
        const int role = roles.keyToValue(entry.role.c_str());
        if (role < 0) return SKINH_ERROR_CORRUPT;
        palette.setColor(colourGroup(entry.group), static_cast<QPalette::ColorRole>(role),
                         QColor(entry.red, entry.green, entry.blue, entry.alpha));
    }

    if (!registerResources(skin.resources)) return SKINH_ERROR_CORRUPT;

    // Everything handed to Qt lives on Qt's heap (no string literals of this library), so the application keeps
    // working if the library is unloaded before it.
    QApplication::setStyle(style.release());
    QApplication::setPalette(palette);
    qApp->setStyleSheet(QString::fromStdString(skin.styleSheet));
    return SKINH_OK;
}
