#pragma once

#include <functional>
#include <string_view>

#include "core/desktop_services.h"

class QWidget;

namespace varnick::ui {

// Shows one UTF-8 message text (CR LF between lines) over an owner window, or none, and returns once the
// user has dismissed it.
using MessagePresenter = std::function<void(QWidget* owner, std::string_view text)>;

// Routes every message box through a presenter and returns the one it replaces; an empty presenter restores
// the modal Qt message box.
MessagePresenter setMessagePresenter(MessagePresenter presenter);

// Shows a modal message box titled "Varnick" with the text and one OK button, over the active window.
void showMessage(std::string_view text);

// Replaces the clipboard's whole content with one plain UTF-8 text, line ends unchanged; returns whether the
// clipboard now holds it.
bool setClipboardText(std::string_view text);

// The desktop services of core, on Qt: message boxes through the presenter and the system clipboard.
class QtDesktopServices : public varnick::DesktopServices {
public:
    // Shows the text with showMessage.
    void showMessage(std::string_view text) override;

    // Puts the text on the clipboard with setClipboardText.
    bool setClipboardText(std::string_view text) override;
};

}  // namespace varnick::ui
