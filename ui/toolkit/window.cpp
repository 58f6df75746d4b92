#include "ui/toolkit/window.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QtDebug>
#include <algorithm>

#include "ui/toolkit/controls.h"
#include "ui/toolkit/edit_box.h"
#include "ui/toolkit/picture.h"
#include "ui/toolkit/text.h"

namespace varnick::ui {
namespace {

// The frame of a fixed single-border window with a title bar, which the stored outer sizes were made with.
const QMargins kStoredFrame{3, 26, 3, 3};

// Twice this edge width plus one line of the font is the least height of a single-line edit box.
constexpr int kEdgeWidth = 2;

// The open list of a combo box reaches this far below the box's top.
constexpr int kComboListReach = 160;

constexpr Qt::WindowFlags kWindowFlags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                         Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;

QColor toQColor(const Colour& colour) {
    return colour.isDefault ? QColor() : QColor(colour.red, colour.green, colour.blue);
}

std::vector<Window*>& liveWindows() {
    static std::vector<Window*> windows;
    return windows;
}

int keyState(Qt::KeyboardModifiers modifiers) {
    return ((modifiers & Qt::ControlModifier) ? kKeyCtrl : 0) | ((modifiers & Qt::ShiftModifier) ? kKeyShift : 0) |
           ((modifiers & Qt::AltModifier) ? kKeyAlt : 0);
}

// Returns the event index of a mouse event, or 0 for one that maps to none.
int mouseEventIndex(const QMouseEvent& event) {
    const Qt::MouseButton button = event.button();
    switch (event.type()) {
        case QEvent::MouseButtonPress:
            return button == Qt::LeftButton ? kEventLeftDown : button == Qt::RightButton ? kEventRightDown : 0;
        case QEvent::MouseButtonDblClick:
            // Qt reports the second press of a double click as this event and never as a press.
            return button == Qt::LeftButton ? kEventDoubleClick : button == Qt::RightButton ? kEventRightDown : 0;
        case QEvent::MouseButtonRelease:
            return button == Qt::LeftButton ? kEventLeftUp : button == Qt::RightButton ? kEventRightUp : 0;
        case QEvent::MouseMove:
            return kEventMouseMove;
        default:
            return 0;
    }
}

class ComboRowDelegate : public QStyledItemDelegate {
public:
    ComboRowDelegate(int extraHeight, QObject* parent) : QStyledItemDelegate(parent), m_extraHeight(extraHeight) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(0, m_extraHeight);
    }

private:
    int m_extraHeight;
};

QWidget* createComboBox(const ControlDef& control, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setEditable(false);
    for (std::string_view item : control.items) {
        combo->addItem(toQString(item));
    }
    combo->setItemDelegate(new ComboRowDelegate(control.extraRowHeight, combo));
    const int last = combo->count() - 1;
    combo->setCurrentIndex(control.currentIndex < 0 ? -1 : std::min(control.currentIndex, last));
    return combo;
}

QWidget* createPictureButton(const ControlDef& control, QWidget* parent) {
    const QImage picture(toQString(control.picture));
    if (picture.isNull()) {
        qWarning() << "picture" << toQString(control.picture) << "of button" << toQString(control.name)
                   << "could not be loaded";
    }
    const QColor face = parent->palette().color(QPalette::Button);
    const QPixmap blended = picture.isNull() ? QPixmap() : QPixmap::fromImage(blendOverFace(picture, face));
    return new CaptionButton(toQString(control.text), blended, parent);
}

}  // namespace

namespace detail {

// Delivers the Qt events of a window's controls to its bound handlers.
class EventRouter : public QObject {
public:
    explicit EventRouter(Window& window) : m_window(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::KeyPress:
                if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
                    m_window.close();
                    return true;
                }
                return false;
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove:
                return routeMouse(watched, *static_cast<QMouseEvent*>(event));
            case QEvent::FocusIn:
            case QEvent::FocusOut:
                routeFocus(watched, *static_cast<QFocusEvent*>(event));
                return false;
            default:
                return false;
        }
    }

private:
    bool routeMouse(QObject* watched, const QMouseEvent& event) {
        const int index = mouseEventIndex(event);
        const int control = m_window.controlIndexOf(watched);
        if (index == 0 || control < 0) {
            return false;
        }
        const Window::Control& target = m_window.m_controls[static_cast<std::size_t>(control)];
        if (!target.widget->isEnabled()) {
            return false;
        }
        QPoint at = event.position().toPoint();
        if (watched != target.widget) {
            at = static_cast<QWidget*>(watched)->mapTo(target.widget, at);
        }
        const Event delivered{index, at.x(), at.y(), keyState(event.modifiers())};
        // A handler's false keeps the press from the control's own handling.
        return !m_window.fire(target.definition->name, delivered);
    }

    void routeFocus(QObject* watched, const QFocusEvent& event) {
        const int control = m_window.controlIndexOf(watched);
        if (control < 0 || event.reason() == Qt::PopupFocusReason) {
            return;
        }
        const Window::Control& target = m_window.m_controls[static_cast<std::size_t>(control)];
        if (watched == target.widget) {
            m_window.fire(target.definition->name,
                          Event{event.type() == QEvent::FocusIn ? kEventFocusIn : kEventFocusOut, 0, 0, 0});
        }
    }

    Window& m_window;
};

// The top-level widget of a live window; it owns the Window that handlers see.
class WindowWidget : public QWidget {
public:
    WindowWidget(const WindowDef& definition, QWidget* owner) : QWidget(owner, kWindowFlags) {
        setAttribute(Qt::WA_DeleteOnClose);
        setWindowTitle(toQString(definition.caption));
        m_window.reset(new Window(definition, this));
    }

    ~WindowWidget() override { m_window.reset(); }

    Window& window() { return *m_window; }

protected:
    void paintEvent(QPaintEvent*) override {
        const QColor background = toQColor(m_window->definition().background);
        if (background.isValid()) {
            QPainter painter(this);
            painter.fillRect(rect(), background);
        }
    }

    void closeEvent(QCloseEvent* event) override {
        event->accept();
        m_window->forget();
    }

    bool focusNextPrevChild(bool next) override { return m_window->moveFocus(next); }

private:
    std::unique_ptr<Window> m_window;
};

}  // namespace detail

Window::Window(const WindowDef& definition, detail::WindowWidget* top)
    : m_definition(definition), m_top(top), m_router(std::make_unique<detail::EventRouter>(*this)) {
    liveWindows().push_back(this);
    top->installEventFilter(m_router.get());
    createControls();
    fitClientArea();
}

Window::~Window() {
    forget();
}

void Window::forget() {
    m_open = false;
    std::erase(liveWindows(), this);
    if (m_modalLoop != nullptr) {
        m_modalLoop->quit();
        m_modalLoop = nullptr;
    }
}

void Window::createControls() {
    const std::span<const ControlDef> records = m_definition.controls;
    m_controls.reserve(records.size());
    for (auto record = records.rbegin(); record != records.rend(); ++record) {
        QWidget* parent = m_top;
        if (!record->parent.empty()) {
            const Control* group = find(record->parent);
            if (group != nullptr && group->definition->kind == ControlKind::GroupBox) {
                parent = group->widget;
            } else {
                qWarning() << "control" << toQString(record->name) << "has no group box" << toQString(record->parent)
                           << "created before it";
            }
        }
        QWidget* widget = createControl(*record, parent);
        widget->setObjectName(toQString(record->name));
        widget->hide();
        widget->setEnabled(record->enabled);
        if (!record->font.face.empty()) {
            widget->setFont(fontFor(record->font));
        }
        const Geometry& geometry = record->geometry;
        int top = geometry.top;
        int height = geometry.height;
        if (record->kind == ControlKind::EditBox && !record->multiLine) {
            height = std::max(height, QFontMetrics(widget->font()).height() + 2 * kEdgeWidth);
            // The raised box grows about its stored middle, so its text stays level with the label beside it.
            top -= std::min((height - geometry.height) / 2, std::max(top, 0));
        }
        widget->setGeometry(geometry.left, top, geometry.width, height);
        if (record->kind == ControlKind::ComboBox) {
            auto* combo = static_cast<QComboBox*>(widget);
            const int rowHeight = std::max(1, combo->view()->sizeHintForRow(0));
            combo->setMaxVisibleItems(std::max(1, (kComboListReach - height) / rowHeight));
        }
        m_byName.emplace(std::string(record->name), m_controls.size());
        m_controls.push_back({&*record, widget});
    }
    // Among siblings the first record lies on top; it is raised last.
    for (const Control& control : m_controls) {
        control.widget->raise();
    }
    for (const Control& control : m_controls) {
        if (control.definition->visible) {
            control.widget->show();
        }
    }
    for (std::size_t index = 0; index < m_controls.size(); ++index) {
        bindControl(index);
    }
}

QWidget* Window::createControl(const ControlDef& control, QWidget* parent) {
    QWidget* widget = nullptr;
    switch (control.kind) {
        case ControlKind::EditBox:
            widget = control.multiLine ? static_cast<QWidget*>(new TextEditBox(control, parent))
                                       : static_cast<QWidget*>(new LineEditBox(control, parent));
            break;
        case ControlKind::GroupBox:
            widget = new CaptionGroupBox(toQString(control.text), parent);
            break;
        case ControlKind::Button:
            widget = control.picture.empty() ? new CaptionButton(toQString(control.text), QPixmap(), parent)
                                             : createPictureButton(control, parent);
            break;
        case ControlKind::CheckBox:
            widget = new CaptionCheckBox(toQString(control.text), parent);
            break;
        case ControlKind::ComboBox:
            widget = createComboBox(control, parent);
            break;
        case ControlKind::TransLabel:
            widget = new TransLabel(toQString(control.text), toQColor(control.textColour), control.wordWrap, parent);
            break;
    }
    const bool canFocus = control.kind != ControlKind::GroupBox && control.kind != ControlKind::TransLabel;
    widget->setFocusPolicy(control.tabStop && canFocus ? Qt::StrongFocus : canFocus ? Qt::ClickFocus : Qt::NoFocus);
    // Each control is its own target for the mouse: an unhandled press never reaches its group box.
    widget->setAttribute(Qt::WA_NoMousePropagation);
    return widget;
}

void Window::bindControl(std::size_t index) {
    const Control& control = m_controls[index];
    const std::string_view name = control.definition->name;
    QWidget* widget = control.widget;
    std::vector<QWidget*> targets{widget};
    if (auto* area = dynamic_cast<QAbstractScrollArea*>(widget)) {
        targets.push_back(area->viewport());
    }
    const bool tracksMouse =
        std::any_of(m_definition.bindings.begin(), m_definition.bindings.end(),
                    [name](const Binding& b) { return b.control == name && b.event == kEventMouseMove; });
    for (QWidget* target : targets) {
        target->installEventFilter(m_router.get());
        target->setMouseTracking(tracksMouse);
    }
    const auto fireMain = [this, name] { fire(name, Event{}); };
    switch (control.definition->kind) {
        case ControlKind::Button:
        case ControlKind::CheckBox:
            QObject::connect(static_cast<QAbstractButton*>(widget), &QAbstractButton::clicked, m_router.get(),
                             fireMain);
            break;
        case ControlKind::EditBox:
            if (auto* line = dynamic_cast<LineEditBox*>(widget)) {
                QObject::connect(line, &QLineEdit::textChanged, m_router.get(), fireMain);
            } else if (auto* text = dynamic_cast<TextEditBox*>(widget)) {
                QObject::connect(text, &QPlainTextEdit::textChanged, m_router.get(), fireMain);
            }
            break;
        default:
            break;
    }
}

void Window::fitClientArea() {
    QSize client(std::max(0, m_definition.width - kStoredFrame.left() - kStoredFrame.right()),
                 std::max(0, m_definition.height - kStoredFrame.top() - kStoredFrame.bottom()));
    // A frame drawn thicker than the stored one must not cut off controls: the client area reaches them all.
    for (const Control& control : m_controls) {
        if (control.widget->parentWidget() == m_top) {
            const QRect area = control.widget->geometry();
            client = client.expandedTo(QSize(area.x() + area.width(), area.y() + area.height()));
        }
    }
    m_top->setFixedSize(client);
}

void Window::centreOnScreen() {
    QScreen* screen = m_top->screen() != nullptr ? m_top->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->geometry();
    const int outerWidth = m_top->width() + kStoredFrame.left() + kStoredFrame.right();
    const int outerHeight = m_top->height() + kStoredFrame.top() + kStoredFrame.bottom();
    m_top->move(area.x() + (area.width() - outerWidth) / 2, area.y() + (area.height() - outerHeight) / 2);
}

void Window::show() {
    centreOnScreen();
    m_top->show();
    m_top->activateWindow();
    const auto first = std::find_if(m_controls.begin(), m_controls.end(),
                                    [this](const Control& control) { return canTakeTabFocus(control); });
    if (first != m_controls.end()) {
        first->widget->setFocus(Qt::OtherFocusReason);
    }
}

bool Window::canTakeTabFocus(const Control& control) const {
    return control.definition->tabStop && control.widget->focusPolicy() != Qt::NoFocus && control.widget->isEnabled() &&
           control.widget->isVisibleTo(m_top);
}

bool Window::moveFocus(bool forward) {
    const int count = static_cast<int>(m_controls.size());
    const int at = m_top->focusWidget() != nullptr ? controlIndexOf(m_top->focusWidget()) : -1;
    for (int step = 1; step <= count; ++step) {
        const int index =
            at < 0 ? (forward ? step - 1 : count - step) : (((at + (forward ? step : -step)) % count) + count) % count;
        const Control& candidate = m_controls[static_cast<std::size_t>(index)];
        if (canTakeTabFocus(candidate)) {
            candidate.widget->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return false;
}

int Window::controlIndexOf(const QObject* object) const {
    for (; object != nullptr && object != m_top; object = object->parent()) {
        for (std::size_t index = 0; index < m_controls.size(); ++index) {
            if (m_controls[index].widget == object) {
                return static_cast<int>(index);
            }
        }
    }
    return -1;
}

const Window::Control* Window::find(std::string_view control) const {
    const auto found = m_byName.find(control);
    return found == m_byName.end() ? nullptr : &m_controls[found->second];
}

bool Window::fire(std::string_view control, const Event& event) {
    if (!m_open) {
        return true;
    }
    for (const Binding& binding : m_definition.bindings) {
        if (binding.control == control && binding.event == event.index && binding.handler != nullptr) {
            return binding.handler(*this, event);
        }
    }
    return true;
}

namespace {

void missing(std::string_view control) {
    qWarning("no control named %.*s", static_cast<int>(control.size()), control.data());
}

}  // namespace

std::string Window::caption() const {
    return m_top ? toStdString(m_top->windowTitle()) : std::string();
}

void Window::setCaption(std::string_view caption) {
    if (m_top) {
        m_top->setWindowTitle(toQString(caption));
    }
}

std::string Window::text(std::string_view control) const {
    const Control* found = find(control);
    if (found == nullptr) {
        missing(control);
        return {};
    }
    QWidget* widget = found->widget;
    switch (found->definition->kind) {
        case ControlKind::EditBox:
            return toStdString(dynamic_cast<EditBoxAccess*>(widget)->boxText());
        case ControlKind::GroupBox:
            return toStdString(static_cast<CaptionGroupBox*>(widget)->caption());
        case ControlKind::Button:
            return toStdString(static_cast<CaptionButton*>(widget)->caption());
        case ControlKind::CheckBox:
            return toStdString(static_cast<CaptionCheckBox*>(widget)->caption());
        case ControlKind::ComboBox:
            return toStdString(static_cast<QComboBox*>(widget)->currentText());
        case ControlKind::TransLabel:
            return toStdString(static_cast<TransLabel*>(widget)->caption());
    }
    return {};
}

void Window::setText(std::string_view control, std::string_view text) {
    const Control* found = find(control);
    if (found == nullptr) {
        missing(control);
        return;
    }
    QWidget* widget = found->widget;
    switch (found->definition->kind) {
        case ControlKind::EditBox: {
            {
                const QSignalBlocker quiet(widget);
                dynamic_cast<EditBoxAccess*>(widget)->setBoxText(toQString(text));
            }
            fire(found->definition->name, Event{});
            break;
        }
        case ControlKind::GroupBox:
            static_cast<CaptionGroupBox*>(widget)->setCaption(toQString(text));
            break;
        case ControlKind::Button:
            static_cast<CaptionButton*>(widget)->setCaption(toQString(text));
            break;
        case ControlKind::CheckBox:
            static_cast<CaptionCheckBox*>(widget)->setCaption(toQString(text));
            break;
        case ControlKind::ComboBox:
            qWarning("a combo box has no text of its own to set");
            break;
        case ControlKind::TransLabel:
            static_cast<TransLabel*>(widget)->setCaption(toQString(text));
            break;
    }
}

void Window::addText(std::string_view control, std::string_view text) {
    const Control* found = find(control);
    auto* box = found != nullptr ? dynamic_cast<EditBoxAccess*>(found->widget) : nullptr;
    if (box == nullptr) {
        missing(control);
        return;
    }
    {
        const QSignalBlocker quiet(found->widget);
        box->appendBoxText(toQString(text));
    }
    fire(found->definition->name, Event{});
}

bool Window::isChecked(std::string_view control) const {
    const Control* found = find(control);
    auto* box = found != nullptr ? dynamic_cast<QCheckBox*>(found->widget) : nullptr;
    return box != nullptr ? box->isChecked() : (missing(control), false);
}

void Window::setChecked(std::string_view control, bool checked) {
    const Control* found = find(control);
    if (auto* box = found != nullptr ? dynamic_cast<QCheckBox*>(found->widget) : nullptr) {
        box->setChecked(checked);
    } else {
        missing(control);
    }
}

int Window::comboIndex(std::string_view control) const {
    const Control* found = find(control);
    auto* combo = found != nullptr ? dynamic_cast<QComboBox*>(found->widget) : nullptr;
    return combo != nullptr ? combo->currentIndex() : (missing(control), -1);
}

bool Window::isEnabled(std::string_view control) const {
    const Control* found = find(control);
    return found != nullptr ? found->widget->isEnabled() : (missing(control), false);
}

void Window::setEnabled(std::string_view control, bool enabled) {
    if (const Control* found = find(control)) {
        found->widget->setEnabled(enabled);
    } else {
        missing(control);
    }
}

bool Window::isVisible(std::string_view control) const {
    const Control* found = find(control);
    return found != nullptr ? found->widget->isVisibleTo(m_top) : (missing(control), false);
}

void Window::setVisible(std::string_view control, bool visible) {
    if (const Control* found = find(control)) {
        found->widget->setVisible(visible);
    } else {
        missing(control);
    }
}

void Window::close() {
    if (m_open && m_top) {
        m_top->close();
    }
}

bool Window::isOpen() const {
    return m_open && !m_top.isNull();
}

QWidget* Window::topLevel() const {
    return m_top.data();
}

Window* liveWindow(const WindowDef& definition) {
    for (Window* window : liveWindows()) {
        if (&window->definition() == &definition && window->isOpen()) {
            return window;
        }
    }
    return nullptr;
}

bool openWindow(const WindowDef& definition, Window* owner, bool modal) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        return false;
    }
    if (Window* live = liveWindow(definition)) {
        QWidget* top = live->topLevel();
        if (top->isMinimized()) {
            top->showNormal();
        } else {
            top->raise();
            top->activateWindow();
        }
        return true;
    }
    QWidget* ownerWidget = owner != nullptr && owner->isOpen() ? owner->topLevel() : nullptr;
    auto* top = new detail::WindowWidget(definition, ownerWidget);
    Window& window = top->window();
    window.fire({}, Event{});
    if (!window.isOpen()) {
        return true;  // its creation handler closed it before it was ever shown
    }
    if (modal) {
        top->setWindowModality(Qt::ApplicationModal);
    }
    window.show();
    if (modal && window.isOpen()) {
        QEventLoop loop;
        window.m_modalLoop = &loop;
        loop.exec();  // the window may be gone once this returns
    }
    return true;
}

}  // namespace varnick::ui
