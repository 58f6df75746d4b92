#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "core/desktop_services.h"
#include "core/encoding.h"
#include "core/gun_definition.h"
#include "core/messages.h"
#include "tests/test_files.h"

namespace varnick::test {

// Records every message's text and kind and keeps the clipboard text; the clipboard can be made unavailable.
class RecordingDesktop : public DesktopServices {
public:
    void showMessage(const Message& message) override {
        messages.emplace_back(message.text);
        kinds.push_back(message.kind);
    }

    bool setClipboardText(std::string_view text) override {
        if (!clipboardAvailable) {
            return false;
        }
        clipboard = std::string(text);
        return true;
    }

    std::vector<std::string> messages;
    std::vector<MessageKind> kinds;
    std::optional<std::string> clipboard;
    bool clipboardAvailable = true;
};

// A fresh directory under the system's temporary directory, removed with everything in it when destroyed.
class TempDir {
public:
    TempDir() {
        std::random_device random;
        m_path = std::filesystem::temp_directory_path() /
                 ("varnick-core-" + std::to_string(random()) + "-" +
                  std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        std::filesystem::create_directories(m_path);
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// Makes a directory current for its lifetime and restores the former current directory afterwards.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::filesystem::path& directory) : m_former(std::filesystem::current_path()) {
        std::filesystem::current_path(directory);
    }
    ~CurrentDirectory() { std::filesystem::current_path(m_former); }
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    std::filesystem::path m_former;
};

inline std::string fixture(const std::string& name) {
    return readBytes(std::filesystem::path(VARNICK_CORE_FIXTURES) / name);
}

// Splits a text at each CR LF; a text with n CR LFs gives n + 1 lines.
inline std::vector<std::string> crLfLines(std::string_view text) {
    std::vector<std::string> lines;
    for (;;) {
        const std::size_t end = text.find("\r\n");
        lines.emplace_back(text.substr(0, end));
        if (end == std::string_view::npos) {
            return lines;
        }
        text.remove_prefix(end + 2);
    }
}

// Returns the code page 936 bytes of a UTF-8 text that code page 936 can hold.
inline std::string gbk(const std::string& utf8) {
    return toCodePage936(utf8).value();
}

// Returns a message with its %1 filled in.
inline std::string filledIn(std::string_view message, std::string_view part) {
    std::string text(message);
    return text.replace(text.find("%1"), 2, part);
}

// Returns the refusal that names a field of the definition.
inline std::string fieldRefusal(std::string_view field) {
    return filledIn(messages::kAddUnreadableField.text, field);
}

// The gun maker's initial entries with the worked example's scope and ammunition values and all three flags set.
inline GunValues workedExampleGun() {
    GunValues values;
    values.name = "M4A1";
    values.heldName = "&eM4A1";
    values.itemType = "418";
    values.lore = "m4";
    values.recoilAmount = "1";
    values.projectileAmount = "1";
    values.projectileType = "arrow";
    values.projectileDamage = "4";
    values.projectileSpeed = "20";
    values.bulletSpread = "1";
    values.deathMessage = "&b<shooter> 使用 xxx 把 <victim> 枪毙";
    values.zoomAmount = "5";
    values.ammoItemId = "341";
    values.reloadAmount = "30";
    values.reloadDuration = "60";
    values.dualWield = true;
    values.scopeEnabled = true;
    values.ammoEnabled = true;
    return values;
}

// The gun definition of the worked example's entries under another weapon name.
inline std::string gunNamed(const std::string& name) {
    GunValues values = workedExampleGun();
    values.name = name;
    return buildGunDefinition(values);
}

}  // namespace varnick::test
