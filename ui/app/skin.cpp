#include "ui/app/skin.h"

#include <QFile>
#include <QString>
#include <cstddef>
#include <string_view>

#include "core/file_system.h"
#include "skin/skin_engine.h"
#include "ui/app/library_loader.h"

namespace varnick::ui {
namespace {

QByteArray carriedBytes(const char* resource) {
    QFile carried(QString::fromUtf8(resource));
    if (!carried.open(QIODevice::ReadOnly)) return {};
    return carried.readAll();
}

std::string_view view(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

}  // namespace

bool attachSkin(const std::filesystem::path& directory) {
    const std::filesystem::path library = directory / kSkinLibraryFileName;
    const std::filesystem::path skinFile = directory / kSkinFileName;
    const QByteArray libraryBytes = carriedBytes(kCarriedSkinLibraryResource);
    const QByteArray skinBytes = carriedBytes(kCarriedSkinFileResource);
    if (libraryBytes.isEmpty()) return false;
    // A running copy of the program may have the library mapped, so the files are replaced, never rewritten.
    // Whatever stands at the library's name is what the loader maps: anything but the carried library (cut short by
    // a full disk, left from another version in a read-only directory) could crash the program when called.
    const bool libraryPlaced = placeFile(library, view(libraryBytes));
    const bool skinPlaced = !skinBytes.isEmpty() && placeFile(skinFile, view(skinBytes));
    if (!libraryPlaced) return false;
    const auto attach = reinterpret_cast<SkinH_AttachExFunction>(
        bindLibraryFunction(directory, kSkinLibraryFileName, kSkinAttachFunction));
    if (attach == nullptr) return false;
    // The engine changes nothing when it refuses the skin, so the windows simply keep the toolkit's look; a skin
    // file that could not be put in place (a FIFO at its name would block the engine's read) is not handed over.
    const std::u8string path = skinPlaced ? skinFile.u8string() : std::u8string();
    attach(reinterpret_cast<const char*>(path.c_str()), "");
    return true;
}

}  // namespace varnick::ui
