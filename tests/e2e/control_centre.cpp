// Prints where an end-to-end test clicks a control: the centre of its rectangle in its window's client area, as
// "x y", computed from the window's table. Usage: varnick_control_centre WINDOW CONTROL, where WINDOW is
// main_menu, gun_maker or throwable_maker and CONTROL is a control's name in UTF-8.
#include <cstdio>
#include <string_view>

#include "ui/toolkit/window_definition.h"
#include "ui/windows/gun_maker.h"
#include "ui/windows/main_menu.h"
#include "ui/windows/throwable_maker.h"

namespace {

using varnick::ui::ControlDef;
using varnick::ui::WindowDef;

const WindowDef* windowNamed(std::string_view name) {
    if (name == "main_menu") return &varnick::ui::mainMenuWindow();
    if (name == "gun_maker") return &varnick::ui::gunMakerWindow();
    if (name == "throwable_maker") return &varnick::ui::throwableMakerWindow();
    return nullptr;
}

const ControlDef* controlNamed(const WindowDef& window, std::string_view name) {
    for (const ControlDef& control : window.controls) {
        if (control.name == name) return &control;
    }
    return nullptr;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: varnick_control_centre main_menu|gun_maker|throwable_maker CONTROL\n");
        return 2;
    }
    const WindowDef* window = windowNamed(argv[1]);
    const ControlDef* control = window != nullptr ? controlNamed(*window, argv[2]) : nullptr;
    if (control == nullptr) {
        std::fprintf(stderr, "varnick_control_centre: no control %s in window %s\n", argv[2], argv[1]);
        return 1;
    }
    int x = control->geometry.left + control->geometry.width / 2;
    int y = control->geometry.top + control->geometry.height / 2;
    // A group box's children are placed relative to it, and group boxes sit on the window itself.
    if (const ControlDef* group = control->parent.empty() ? nullptr : controlNamed(*window, control->parent)) {
        x += group->geometry.left;
        y += group->geometry.top;
    }
    std::printf("%d %d\n", x, y);
    return 0;
}
