#pragma once

#include <functional>
#include <string_view>

#include "core/desktop_services.h"

class QWidget;

namespace varnick::ui {

// Shows one message over an owner window, or none, and returns once the user has dismissed it.
using MessagePresenter = std::function<void(QWidget* owner, const Message& message)>;

// Routes every message box through a presenter and returns the one it replaces; an empty presenter restores
// the modal Qt message box.
MessagePresenter setMessagePresenter(MessagePresenter presenter);

// Shows a modal message box titled "Varnick" over the active window: the message's text, the information icon
// for a success or the warning icon for a failure, and one button "确定".
void showMessage(const Message& message);

// Replaces the clipboard's whole content with one plain UTF-8 text, line ends unchanged; returns whether the
// clipboard now holds it.
bool setClipboardText(std::string_view text);

// The desktop services of core, on Qt: message boxes through the presenter and the system clipboard.
class QtDesktopServices : public varnick::DesktopServices {
public:
    // Shows the message with showMessage.
    void showMessage(const Message& message) override;

    // Puts the text on the clipboard with setClipboardText.
    bool setClipboardText(std::string_view text) override;
};

}  // namespace varnick::ui
