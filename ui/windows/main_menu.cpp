#include "ui/windows/main_menu.h"

#include <string>

#include "core/messages.h"
#include "ui/texts.h"
#include "ui/toolkit/window.h"
#include "ui/windows/gun_maker.h"
#include "ui/windows/throwable_maker.h"

namespace varnick::ui {
namespace {

bool onCreated(Window& window, const Event&) {
    window.setCaption(std::string(texts::kTitlePrefix) + std::string(texts::kVersion));
    return true;
}

// The makers open unowned and not modal, so each stays usable on its own and keeps the program running
// after the main menu has been closed.
bool onGuns(Window&, const Event&) {
    openWindow(gunMakerWindow(), nullptr, false);
    return true;
}

bool onGrenades(Window&, const Event&) {
    openWindow(throwableMakerWindow(), nullptr, false);
    return true;
}

bool onNoticePressed(Window&, const Event&) {
    showMessage(setClipboardText(texts::kContactAddress) ? texts::kCopied : messages::kCopyClipboardBusy);
    return true;
}

constexpr Colour kNoticeColour = rgb(88, 48, 224);

// Records in stacking order; the toolkit creates them from the last one up, which makes the Tab order
// run from 按钮1 to 按钮6.
// clang-format off
constexpr ControlDef kControls[] = {
    //             name           parent      left  top  width height  content
    transLabel   ("透明标签1",    "分组框2",  {  8,  16, 416,  64}, texts::kSponsorNotice).wrapping().coloured(kNoticeColour),
    groupBox     ("分组框2",                  {  0, 224, 440,  88}, "关于赞助"),
    pictureButton("按钮6",        "分组框1",  {248, 160, 184,  48}, ":/pictures/grenades.png"),
    pictureButton("按钮5",        "分组框1",  {  8, 160, 184,  48}, ":/pictures/landmines.png"),
    pictureButton("按钮4",        "分组框1",  {248,  96, 184,  48}, ":/pictures/melee.png"),
    pictureButton("按钮3",        "分组框1",  {  8,  96, 184,  48}, ":/pictures/airstrikes.png"),
    pictureButton("按钮2",        "分组框1",  {248,  24, 184,  48}, ":/pictures/riot_shields.png"),
    pictureButton("按钮1",        "分组框1",  {  8,  24, 184,  48}, ":/pictures/guns.png"),
    groupBox     ("分组框1",                  {  0,   0, 440, 224}, "导航"),
};

constexpr Binding kBindings[] = {
    //  control        event            handler
    {"",           kEventMain,     onCreated},
    {"按钮1",      kEventMain,     onGuns},
    {"按钮6",      kEventMain,     onGrenades},
    {"透明标签1",  kEventLeftDown, onNoticePressed},
};
// clang-format on

constexpr WindowDef kMainMenu{.caption = "",
                              .width = 447,
                              .height = 344,
                              .background = kDefaultColour,
                              .controls = kControls,
                              .bindings = kBindings};

}  // namespace

const WindowDef& mainMenuWindow() {
    return kMainMenu;
}

}  // namespace varnick::ui
