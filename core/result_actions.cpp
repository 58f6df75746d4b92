#include "core/result_actions.h"

#include <optional>
#include <string>
#include <system_error>

#include "core/definition_check.h"
#include "core/encoding.h"
#include "core/messages.h"
#include "core/weapons_file.h"

namespace varnick {

namespace {

// Every path returns before the message is shown, so the file is closed by then.
Message addAndDescribe(std::string_view resultText, const std::filesystem::path& weaponsFile) {
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

    const std::optional<std::string> name = definitionWeaponName(resultText);
    if (!name) {
        return messages::kAddUnreadableDefinition;
    }

    const std::unique_ptr<WeaponsFile> file = WeaponsFile::open(weaponsFile);
    if (!file) {
        return messages::kAddWriteFailed;
    }
    WeaponsFileScanner scanner(*name, toCodePage936(*name));
    if (!file->read([&scanner](std::string_view chunk) { scanner.feed(chunk); })) {
        return messages::kAddWriteFailed;
    }
    const WeaponsFileFacts facts = scanner.finish();

    const FileEncoding encoding = facts.encoding();
    std::optional<std::string> bytes;
    if (encoding == FileEncoding::Utf8) {
        if (isValidUtf8(resultText)) {
            bytes.emplace(resultText);
        }
    } else {
        bytes = toCodePage936(resultText);
    }
    if (!bytes) {
        return messages::kAddUnencodable;
    }
    if (facts.holdsName(encoding)) {
        return messages::kAddDuplicateName;
    }
    if (!file->append(*bytes)) {
        return messages::kAddWriteFailed;
    }
    return messages::kAddDone;
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
