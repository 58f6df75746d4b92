#pragma once

#include <string_view>

namespace varnick {

// What the result actions need from the desktop: the window layer implements it, tests record it.
class DesktopServices {
public:
    virtual ~DesktopServices() = default;

    // Shows a UTF-8 text in a modal message box (CR LF breaks the line) and returns once it is dismissed.
    virtual void showMessage(std::string_view text) = 0;

    // Replaces the clipboard's whole content with one plain UTF-8 text; returns false if it could not be taken.
    virtual bool setClipboardText(std::string_view text) = 0;
};

}  // namespace varnick
