#pragma once

#include <QPointer>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ui/toolkit/desktop.h"
#include "ui/toolkit/fonts.h"
#include "ui/toolkit/window_definition.h"

class QEventLoop;
class QWidget;

namespace varnick::ui {

namespace detail {
class WindowWidget;
class EventRouter;
}  // namespace detail

// One live window opened from a WindowDef. Handlers receive it and reach its controls by name; a name that
// the definition does not hold is a programming error, reported as a warning, with an empty result.
class Window {
public:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    ~Window();

    // Returns the definition this window was opened from.
    const WindowDef& definition() const { return m_definition; }

    // Returns the title-bar text.
    std::string caption() const;

    // Sets the title-bar text at once.
    void setCaption(std::string_view caption);

    // Returns a control's text: an edit box's whole text (CR LF between the lines of a multi-line box), a combo
    // box's current item (empty when none is current), the caption of the other kinds.
    std::string text(std::string_view control) const;

    // Replaces an edit box's whole text, read-only or not, and fires its event 0 once; on a button, check box,
    // group box or transparent label, replaces the caption. A combo box has no text of its own to set.
    void setText(std::string_view control, std::string_view text);

    // Appends a text to an edit box, moves the caret behind it, scrolls it into view and fires event 0 once.
    void addText(std::string_view control, std::string_view text);

    // Returns whether a check box is checked.
    bool isChecked(std::string_view control) const;

    // Checks or clears a check box without firing its event 0.
    void setChecked(std::string_view control, bool checked);

    // Returns the index of a combo box's current item from 0, or -1 when none is current.
    int comboIndex(std::string_view control) const;

    // Returns whether a control takes input (a control in a disabled group box does not).
    bool isEnabled(std::string_view control) const;

    // Enables or disables a control; a disabled one keeps its text and leaves the Tab order.
    void setEnabled(std::string_view control, bool enabled);

    // Returns whether a control is shown within its window (a control in a hidden group box is not).
    bool isVisible(std::string_view control) const;

    // Shows or hides a control; a hidden one leaves the Tab order.
    void setVisible(std::string_view control, bool visible);

    // Closes the window without asking; it and its controls are destroyed once the current event is done.
    void close();

    // Returns whether the window is still open, that is, neither closed nor being destroyed.
    bool isOpen() const;

    // Returns the window's top-level widget.
    QWidget* topLevel() const;

private:
    struct Control {
        const ControlDef* definition = nullptr;
        QWidget* widget = nullptr;
    };

    friend bool openWindow(const WindowDef& definition, Window* owner, bool modal);
    friend class detail::WindowWidget;
    friend class detail::EventRouter;

    Window(const WindowDef& definition, detail::WindowWidget* top);

    void createControls();
    QWidget* createControl(const ControlDef& control, QWidget* parent);
    void bindControl(std::size_t index);
    void fitClientArea();
    void centreOnScreen();
    void show();
    bool moveFocus(bool forward);
    bool canTakeTabFocus(const Control& control) const;
    int controlIndexOf(const QObject* object) const;
    const Control* find(std::string_view control) const;
    bool fire(std::string_view control, const Event& event);
    void forget();

    const WindowDef& m_definition;
    QPointer<detail::WindowWidget> m_top;
    std::unique_ptr<detail::EventRouter> m_router;
    std::vector<Control> m_controls;  // in creation order, the last record first
    std::map<std::string, std::size_t, std::less<>> m_byName;
    QEventLoop* m_modalLoop = nullptr;
    bool m_open = true;
};

// Opens a window from its definition, owned by another window or by none, and returns whether it opened. An
// open window of the same definition is only restored or brought to the front. A modal window blocks the
// program's other windows, and the call returns once it has closed.
bool openWindow(const WindowDef& definition, Window* owner, bool modal);

// Returns the open window of a definition, or nullptr when there is none.
Window* liveWindow(const WindowDef& definition);

// Returns a record whose fields are read from the window's controls through a field list; fields the list does
// not name keep their defaults.
template <typename Record>
Record readRecord(const Window& window, std::span<const FieldBinding<Record>> fields) {
    Record record{};
    for (const FieldBinding<Record>& field : fields) {
        if (field.flag != nullptr) {
            record.*field.flag = window.isChecked(field.control);
        } else {
            record.*field.text = window.text(field.control);
        }
    }
    return record;
}

}  // namespace varnick::ui
