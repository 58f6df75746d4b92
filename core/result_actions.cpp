#include "core/result_actions.h"

#include <optional>
#include <string>
#include <system_error>

#include "core/addition_plan.h"
#include "core/messages.h"
#include "core/weapons_file.h"

namespace varnick {

namespace {

// Every path returns before the message is shown, so the file is closed by then.
std::string addAndDescribe(std::string_view resultText, const std::filesystem::path& weaponsFile) {
    if (resultText.empty()) {
        return std::string(messages::kAddNothingGenerated);
    }
    std::error_code error;
    const bool present = std::filesystem::exists(weaponsFile, error);
    if (error) {
        return std::string(messages::kAddWriteFailed);
    }
    if (!present) {
        return std::string(messages::kAddNoWeaponsFile);
    }

    const std::unique_ptr<WeaponsFile> file = WeaponsFile::open(weaponsFile);
    if (!file) {
        return std::string(messages::kAddWriteFailed);
    }
    const AdditionPlan plan =
        planAddition([&file](std::uint64_t offset, char* buffer,
                             std::size_t capacity) { return file->readAt(offset, buffer, capacity); },
                     resultText, weaponsFile);
    if (!plan.refusal.empty()) {
        return plan.refusal;
    }
    if (!file->append(plan.bytes)) {
        return std::string(messages::kAddWriteFailed);
    }
    return std::string(messages::kAddDone);
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

void addToWeaponsFile(std::string_view resultText, DesktopServices& desktop, const std::filesystem::path& weaponsFile) {
    desktop.showMessage(addAndDescribe(resultText, weaponsFile));
}

}  // namespace varnick
