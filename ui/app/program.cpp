#include "ui/app/program.h"

#include <QApplication>
#include <QIcon>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/file_system.h"
#include "ui/app/library_loader.h"
#include "ui/app/program_directory.h"
#include "ui/app/skin.h"
#include "ui/texts.h"
#include "ui/toolkit/text.h"
#include "ui/toolkit/window.h"
#include "ui/windows/main_menu.h"

namespace varnick::ui {
namespace {

// Hooks that run, in the order they were added, once the event loop has returned normally.
class ShutdownHooks {
public:
    void add(std::function<void()> hook) { m_hooks.push_back(std::move(hook)); }
    void run() {
        for (auto& hook : m_hooks) hook();
        m_hooks.clear();
    }

private:
    std::vector<std::function<void()>> m_hooks;
};

int runWindows(QApplication& application) {
    const std::filesystem::path directory = programDirectory();
    if (!setCurrentDirectory(directory)) {
        showMessage(texts::kCurrentDirectoryFailed);
        return -1;
    }

    std::string programText;  // program-wide text: empty for the whole run, released at shutdown
    ShutdownHooks hooks;
    hooks.add([&programText] { std::string().swap(programText); });

    applyDefaultFont(application);
    application.setWindowIcon(QIcon(QStringLiteral(":/icon/varnick.png")));

    if (!attachSkin(directory)) {
        showMessage(texts::kSkinBindingFailed);
        return -1;
    }
    if (!openWindow(mainMenuWindow(), nullptr, false)) {
        showMessage(texts::kStartWindowFailed);
        return -1;
    }
    if (liveWindow(mainMenuWindow()) != nullptr) application.exec();
    hooks.run();
    return 0;
}

}  // namespace

int runProgram(const char* executablePath) {
    // A file-size limit or a closed pipe makes the write concerned fail instead of ending the program.
    ignoreWriteSignals();
    int code = 0;
    {
        // The program takes no arguments: Qt sees the program name only, so no option can change it.
        int argc = 1;
        char* argv[] = {const_cast<char*>(executablePath), nullptr};
        QApplication application(argc, argv);
        application.setApplicationName(toQString(texts::kProgramName));
        code = runWindows(application);
    }
    // The skin engine's code may still be referenced by the application's style until the application is
    // gone, so the libraries are unloaded only after it.
    releaseLibraries();
    return code;
}

}  // namespace varnick::ui
