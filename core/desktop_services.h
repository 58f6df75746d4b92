#pragma once

#include <string_view>

#include "core/messages.h"

namespace varnick {

// What the result actions need from the desktop: the window layer implements it, tests record it.
class DesktopServices {
public:
    virtual ~DesktopServices() = default;

    // Shows a message in a modal message box, with the icon of its kind, and returns once it is dismissed.
    virtual void showMessage(const Message& message) = 0;

    // Replaces the clipboard's whole content with one plain UTF-8 text; returns false if it could not be taken.
    virtual bool setClipboardText(std::string_view text) = 0;
};

}  // namespace varnick
