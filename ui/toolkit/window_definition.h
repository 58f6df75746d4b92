#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace varnick::ui {

class Window;

// The six control kinds a window definition can hold.
enum class ControlKind { EditBox, GroupBox, Button, CheckBox, ComboBox, TransLabel };

// What the user may type into an edit box.
enum class InputMode { Normal, ReadOnly, Integer };

// An RGB colour, or the system's button-face colour when isDefault is set.
struct Colour {
    bool isDefault = true;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

inline constexpr Colour kDefaultColour{};
inline constexpr Colour kBlack{false, 0, 0, 0};
inline constexpr Colour kWhite{false, 255, 255, 255};

// Returns the RGB colour with the given channels.
constexpr Colour rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return {false, red, green, blue};
}

// A font of its own: face name, character height in pixels (internal leading excluded) and weight.
// An empty face means the default GUI font.
struct FontSpec {
    std::string_view face{};
    int pixelHeight = 0;
    int weight = 400;
};

// Position relative to the parent's top-left corner and outer size, in pixels.
struct Geometry {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Event indices: 0 is each kind's main event, the negative ones mean the same for every control.
inline constexpr int kEventMain = 0;
inline constexpr int kEventLeftDown = -1;
inline constexpr int kEventLeftUp = -2;
inline constexpr int kEventDoubleClick = -3;
inline constexpr int kEventRightDown = -4;
inline constexpr int kEventRightUp = -5;
inline constexpr int kEventMouseMove = -6;
inline constexpr int kEventFocusIn = -7;
inline constexpr int kEventFocusOut = -8;

// Key-state bits passed with mouse events.
inline constexpr int kKeyCtrl = 1;
inline constexpr int kKeyShift = 2;
inline constexpr int kKeyAlt = 4;

// One delivered event: its index, and for mouse events the position within the control and the key state.
struct Event {
    int index = kEventMain;
    int x = 0;
    int y = 0;
    int keys = 0;
};

// A bound handler. For mouse events, returning false stops the press from going further.
using Handler = bool (*)(Window& window, const Event& event);

// One control record. Fields that do not apply to the record's kind keep their defaults.
struct ControlDef {
    ControlKind kind = ControlKind::EditBox;
    std::string_view name{};
    std::string_view parent{};  // the name of a group box, or empty for the window itself
    Geometry geometry{};
    std::string_view text{};  // an edit box's initial text, or the caption of the other kinds
    bool visible = true;
    bool enabled = true;
    bool tabStop = false;

    // Edit box.
    bool multiLine = false;
    InputMode inputMode = InputMode::Normal;
    int maxLength = 0;  // code page 936 bytes the user may enter; 0 means no limit
    bool hideSelection = true;

    // Button.
    std::string_view picture{};  // Qt resource path of a PNG with alpha; empty for a caption button
    FontSpec font{};

    // Combo box (always a drop-down list).
    std::span<const std::string_view> items{};
    int currentIndex = -1;
    int extraRowHeight = 1;

    // Transparent label.
    bool wordWrap = false;
    Colour textColour = kBlack;

    // Modifiers for the table rows; each returns a changed copy.
    // clang-format off
    constexpr ControlDef hidden() const { return with([](ControlDef& c) { c.visible = false; }); }
    constexpr ControlDef disabled() const { return with([](ControlDef& c) { c.enabled = false; }); }
    constexpr ControlDef multiLineBox() const { return with([](ControlDef& c) { c.multiLine = true; }); }
    constexpr ControlDef readOnly() const { return with([](ControlDef& c) { c.inputMode = InputMode::ReadOnly; }); }
    constexpr ControlDef integerText() const { return with([](ControlDef& c) { c.inputMode = InputMode::Integer; }); }
    constexpr ControlDef maxBytes(int n) const { return with([n](ControlDef& c) { c.maxLength = n; }); }
    constexpr ControlDef withFont(FontSpec f) const { return with([f](ControlDef& c) { c.font = f; }); }
    constexpr ControlDef wrapping() const { return with([](ControlDef& c) { c.wordWrap = true; }); }
    constexpr ControlDef coloured(Colour k) const { return with([k](ControlDef& c) { c.textColour = k; }); }
    // clang-format on

private:
    template <typename Change>
    constexpr ControlDef with(Change change) const {
        ControlDef copy = *this;
        change(copy);
        return copy;
    }
};

// Factories, one per control kind, each with that kind's defaults.
constexpr ControlDef editBox(std::string_view name, std::string_view parent, Geometry g, std::string_view text = {}) {
    return {.kind = ControlKind::EditBox, .name = name, .parent = parent, .geometry = g, .text = text, .tabStop = true};
}
constexpr ControlDef groupBox(std::string_view name, Geometry g, std::string_view caption) {
    return {.kind = ControlKind::GroupBox, .name = name, .geometry = g, .text = caption};
}
constexpr ControlDef button(std::string_view name, std::string_view parent, Geometry g, std::string_view caption) {
    return {
        .kind = ControlKind::Button, .name = name, .parent = parent, .geometry = g, .text = caption, .tabStop = true};
}
constexpr ControlDef pictureButton(std::string_view name, std::string_view parent, Geometry g,
                                   std::string_view picture) {
    return {.kind = ControlKind::Button,
            .name = name,
            .parent = parent,
            .geometry = g,
            .tabStop = true,
            .picture = picture};
}
constexpr ControlDef checkBox(std::string_view name, std::string_view parent, Geometry g, std::string_view caption) {
    return {
        .kind = ControlKind::CheckBox, .name = name, .parent = parent, .geometry = g, .text = caption, .tabStop = true};
}
constexpr ControlDef comboBox(std::string_view name, std::string_view parent, Geometry g,
                              std::span<const std::string_view> items, int currentIndex) {
    return {.kind = ControlKind::ComboBox,
            .name = name,
            .parent = parent,
            .geometry = g,
            .tabStop = true,
            .items = items,
            .currentIndex = currentIndex};
}
constexpr ControlDef transLabel(std::string_view name, std::string_view parent, Geometry g, std::string_view caption) {
    return {.kind = ControlKind::TransLabel, .name = name, .parent = parent, .geometry = g, .text = caption};
}

// Binds a handler to one event of a control, or of the window itself when control is empty.
struct Binding {
    std::string_view control{};
    int event = kEventMain;
    Handler handler = nullptr;
};

// Which control fills one field of a values record: a text field takes an edit box's text or a combo box's
// current text, a flag takes a check box's checked state.
template <typename Record>
struct FieldBinding {
    constexpr FieldBinding(std::string_view control, std::string Record::*text) : control(control), text(text) {}
    constexpr FieldBinding(std::string_view control, bool Record::*flag) : control(control), flag(flag) {}

    std::string_view control;
    std::string Record::*text = nullptr;  // set for a text field
    bool Record::*flag = nullptr;         // set for a flag
};

// The fixed description of one window. At most one live window exists per definition (by address).
struct WindowDef {
    std::string_view caption{};
    int width = 0;  // outer size, frame and title bar included
    int height = 0;
    Colour background = kDefaultColour;
    std::span<const ControlDef> controls{};  // stacking order: created last record first
    std::span<const Binding> bindings{};
};

}  // namespace varnick::ui
