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
#include "skin/skin_style.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

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

// The resource data of the skin attached last, registered with Qt. It is released when the application ends.
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

// The application's style runs this library's code until the application ends, so the library stays loaded
// whatever its loader does later.
void pinThisLibrary() {
#if defined(_WIN32)
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(&pinThisLibrary), &module);
#else
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&pinThisLibrary), &info) != 0 && info.dli_fname != nullptr) {
        // RTLD_NOLOAD only takes one more reference on the loaded copy; RTLD_NODELETE keeps it past every dlclose.
        dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    }
#endif
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

    varnick::skin::SkinLook look = varnick::skin::SkinLook::fromPalette(palette);
    for (const auto& value : skin.look) {
        if (!look.set(QString::fromStdString(value.name), QString::fromStdString(value.value))) {
            return SKINH_ERROR_CORRUPT;
        }
    }

    if (!registerResources(skin.resources)) return SKINH_ERROR_CORRUPT;

    pinThisLibrary();
    QApplication::setStyle(new varnick::skin::SkinStyle(style.release(), look));
    QApplication::setPalette(palette);
    return SKINH_OK;
}
