#include "core/result_actions.h"

#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "core/definition_check.h"
#include "core/encoding.h"
#include "core/locked_append.h"
#include "core/messages.h"
#include "core/weapons_file.h"

namespace varnick {

namespace {

// Decides what to append from the locked file's bytes, or refuses: the definition must be readable by the plugin,
// encodable in the file's encoding and a weapon the file does not hold yet.
AppendPlan decideAddition(const FileReader& readWeaponsFile, std::string_view resultText) {
    const std::optional<std::string> name = definitionWeaponName(resultText);
    if (!name) {
        return {{}, messages::kAddUnreadableDefinition};
    }
    WeaponsFileScanner scanner(*name, toCodePage936(*name));
    if (!readWeaponsFile([&scanner](std::string_view chunk) { scanner.feed(chunk); })) {
        return {{}, messages::kAddWriteFailed};
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
        return {{}, messages::kAddUnencodable};
    }
    if (facts.holdsName(encoding)) {
        return {{}, messages::kAddDuplicateName};
    }
    return {std::move(*bytes), {}};
}

// Every path returns before the message is shown, so the file is closed and unlocked by then.
Message addAndDescribe(std::string_view resultText, const std::filesystem::path& weaponsFile, FileSystem& fileSystem) {
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
    return appendUnderLock(fileSystem, weaponsFile,
                           [resultText](const FileReader& reader) { return decideAddition(reader, resultText); });
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
    desktop.showMessage(addAndDescribe(resultText, weaponsFile, fileSystem));
}

}  // namespace varnick
