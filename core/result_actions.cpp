#include "core/result_actions.h"

#include <optional>
#include <string>
#include <system_error>

#include "core/addition_plan.h"
#include "core/locked_append.h"
#include "core/messages.h"

namespace varnick {

namespace {

// Every path returns before the message is shown, so the file is closed and unlocked by then.
OwnedMessage addAndDescribe(std::string_view resultText, const std::filesystem::path& weaponsFile,
                            FileSystem& fileSystem) {
    if (resultText.empty()) {
        return messages::kAddNothingGenerated;
    }
    std::error_code error;
    const bool present = std::filesystem::exists(weaponsFile, error);
    if (error) {
        return messages::kAddWriteFailed;
    }
    if (!present) {
        return messages::kAddNoWeaponsFile;
    }
    return appendUnderLock(fileSystem, weaponsFile, [resultText, &weaponsFile](const FileReader& reader) {
        return planAddition(reader, resultText, weaponsFile);
    });
}

}  // namespace

std::filesystem::path weaponsFilePath() {
    return std::filesystem::path("plugins") / "CrackShot" / "weapons" / "defaultWeapons.yml";
}

void copyResult(std::string_view resultText, DesktopServices& desktop) {
    if (resultText.empty()) {
        desktop.showMessage(messages::kCopyNothingGenerated);
        return;
    }
    desktop.showMessage(desktop.setClipboardText(resultText) ? messages::kCopyDone : messages::kCopyClipboardBusy);
}

void addToWeaponsFile(std::string_view resultText, DesktopServices& desktop, const std::filesystem::path& weaponsFile,
                      FileSystem& fileSystem) {
    desktop.showMessage(addAndDescribe(resultText, weaponsFile, fileSystem).view());
}

}  // namespace varnick
