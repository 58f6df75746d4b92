#include "ui/app/skin.h"

#include <QFile>
#include <QString>
#include <fstream>

#include "skin/skin_engine.h"
#include "ui/app/library_loader.h"

namespace varnick::ui {
namespace {

// A file that cannot be written is not reported: binding the library then decides whether start-up goes on.
void writeCarried(const char* resource, const std::filesystem::path& target) {
    QFile carried(QString::fromUtf8(resource));
    if (!carried.open(QIODevice::ReadOnly)) return;
    const QByteArray bytes = carried.readAll();
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(bytes.constData(), bytes.size());
}

}  // namespace

bool attachSkin(const std::filesystem::path& directory) {
    const std::filesystem::path skinFile = directory / kSkinFileName;
    writeCarried(kCarriedSkinLibraryResource, directory / kSkinLibraryFileName);
    writeCarried(kCarriedSkinFileResource, skinFile);

    const auto attach = reinterpret_cast<SkinH_AttachExFunction>(
        bindLibraryFunction(directory, kSkinLibraryFileName, kSkinAttachFunction));
    if (attach == nullptr) return false;
    // The engine changes nothing when it refuses the skin, so the windows simply keep the toolkit's look.
    const std::u8string path = skinFile.u8string();
    attach(reinterpret_cast<const char*>(path.c_str()), "");
    return true;
}

}  // namespace varnick::ui
