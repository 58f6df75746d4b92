#include "skin/skin_style.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegion>
#include <QStyleOption>
#include <QTextEdit>
#include <algorithm>

namespace varnick::skin {
namespace {

// Button padding inside the 1-px border; a pressed button moves its content one pixel right and down.
constexpr int kButtonPaddingX = 4;
constexpr int kDialogButtonPaddingX = 10;
constexpr int kDialogButtonPaddingY = 3;
constexpr int kDialogButtonMinimumWidth = 64;
// Edit boxes: the 1-px border and 1 px of padding, so that 16-px-tall boxes keep their text.
constexpr int kEditFrameWidth = 2;
constexpr int kComboPaddingX = 4;
constexpr int kComboArrowWidth = 16;
// A group box's frame starts this far down, its caption sits on the frame line this far from the left edge.
constexpr int kGroupBoxFrameTop = 8;
constexpr int kGroupBoxTitleLeft = 8;
constexpr int kGroupBoxTitlePadding = 3;
constexpr int kToolTipFrameWidth = 2;
constexpr int kMaximumRadius = 16;

// A 1-px border inside rect, filled with fill; antialiased only when it has round corners.
void drawBox(QPainter* painter, const QRect& rect, const QColor& border, const QBrush& fill, int radius) {
    painter->save();
    painter->setPen(QPen(border, 1));
    painter->setBrush(fill);
    if (radius > 0) {
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->drawRoundedRect(QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    } else {
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->drawRect(rect.adjusted(0, 0, -1, -1));
    }
    painter->restore();
}

bool isTextEdit(const QWidget* widget) {
    return qobject_cast<const QPlainTextEdit*>(widget) != nullptr || qobject_cast<const QTextEdit*>(widget) != nullptr;
}

bool isDialogButton(const QWidget* widget) {
    return widget != nullptr && qobject_cast<const QPushButton*>(widget) != nullptr &&
           qobject_cast<const QDialogButtonBox*>(widget->parentWidget()) != nullptr;
}

bool parseColour(const QString& text, QColor& colour) {
    if (text.size() != 7 || !text.startsWith(QLatin1Char('#'))) return false;
    const QColor parsed = QColor::fromString(text);
    if (!parsed.isValid()) return false;
    colour = parsed;
    return true;
}

bool parseRadius(const QString& text, int& radius) {
    bool ok = false;
    const int parsed = text.toInt(&ok);
    if (!ok || parsed < 0 || parsed > kMaximumRadius) return false;
    radius = parsed;
    return true;
}

}  // namespace

SkinLook SkinLook::fromPalette(const QPalette& palette) {
    SkinLook look;
    look.border = palette.color(QPalette::Active, QPalette::Dark);
    look.hoverBorder = palette.color(QPalette::Active, QPalette::Highlight).lighter(150);
    look.focusBorder = palette.color(QPalette::Active, QPalette::Highlight);
    look.pressedBorder = palette.color(QPalette::Active, QPalette::Highlight).darker(125);
    look.disabledBorder = palette.color(QPalette::Active, QPalette::Mid);
    look.frameBorder = palette.color(QPalette::Active, QPalette::Mid);
    look.separator = palette.color(QPalette::Active, QPalette::Mid);
    return look;
}

bool SkinLook::set(const QString& name, const QString& value) {
    const struct {
        const char* name;
        QColor SkinLook::*colour;
    } colours[] = {{"Border", &SkinLook::border},
                   {"HoverBorder", &SkinLook::hoverBorder},
                   {"FocusBorder", &SkinLook::focusBorder},
                   {"PressedBorder", &SkinLook::pressedBorder},
                   {"DisabledBorder", &SkinLook::disabledBorder},
                   {"FrameBorder", &SkinLook::frameBorder},
                   {"ComboSeparator", &SkinLook::separator}};
    for (const auto& known : colours) {
        if (name == QLatin1String(known.name)) return parseColour(value, this->*known.colour);
    }
    const struct {
        const char* name;
        int SkinLook::*radius;
    } radii[] = {{"ButtonRadius", &SkinLook::buttonRadius},
                 {"EditRadius", &SkinLook::editRadius},
                 {"FrameRadius", &SkinLook::frameRadius}};
    for (const auto& known : radii) {
        if (name == QLatin1String(known.name)) return parseRadius(value, this->*known.radius);
    }
    if (name == QLatin1String("ComboArrow")) {
        comboArrow = value;
    } else if (name == QLatin1String("ComboArrowDisabled")) {
        comboArrowDisabled = value;
    }
    return true;
}

SkinStyle::SkinStyle(QStyle* base, const SkinLook& look) : QProxyStyle(base), m_look(look) {
    if (!m_look.comboArrow.isEmpty()) m_arrow.load(m_look.comboArrow);
    if (!m_look.comboArrowDisabled.isEmpty()) m_arrowDisabled.load(m_look.comboArrowDisabled);
}

// Later states win: hover, then focus, then press, then disabled.
QColor SkinStyle::borderFor(const QStyleOption* option, bool hovers, bool presses) const {
    if (!(option->state & State_Enabled)) return m_look.disabledBorder;
    if (presses && (option->state & State_Sunken)) return m_look.pressedBorder;
    if (option->state & State_HasFocus) return m_look.focusBorder;
    if (hovers && (option->state & State_MouseOver)) return m_look.hoverBorder;
    return m_look.border;
}

void SkinStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const {
    switch (element) {
        case PE_PanelButtonCommand:
            // The face is the palette's Button colour in every state: picture buttons are blended over it.
            drawBox(painter, option->rect, borderFor(option, true, true), option->palette.button(),
                    m_look.buttonRadius);
            return;
        case PE_PanelLineEdit: {
            const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
            if (frame != nullptr && frame->lineWidth <= 0) {
                painter->fillRect(option->rect, option->palette.base());
                return;
            }
            // Disabled edit boxes stay white; only their border and text fade.
            drawBox(painter, option->rect, borderFor(option, false, false),
                    option->palette.brush(QPalette::Active, QPalette::Base), m_look.editRadius);
            return;
        }
        case PE_FrameLineEdit:
            drawBox(painter, option->rect, borderFor(option, false, false), Qt::NoBrush, m_look.editRadius);
            return;
        case PE_Frame:
            if (isTextEdit(widget)) {
                drawBox(painter, option->rect, borderFor(option, false, false), option->palette.base(),
                        m_look.editRadius);
                return;
            }
            if (widget != nullptr && widget->inherits("QComboBoxPrivateContainer")) {
                drawBox(painter, option->rect, m_look.border, option->palette.base(), 0);
                return;
            }
            break;
        case PE_PanelTipLabel:
            drawBox(painter, option->rect, m_look.border, option->palette.toolTipBase(), 0);
            return;
        case PE_FrameFocusRect:
            // A push button shows its focus by its border colour.
            if (qobject_cast<const QPushButton*>(widget) != nullptr) return;
            break;
        default:
            break;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void SkinStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                            const QWidget* widget) const {
    const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
    if (button != nullptr && !(button->features & QStyleOptionButton::HasMenu)) {
        if (element == CE_PushButton) {
            proxy()->drawControl(CE_PushButtonBevel, button, painter, widget);
            QStyleOptionButton label(*button);
            label.rect = proxy()->subElementRect(SE_PushButtonContents, button, widget);
            proxy()->drawControl(CE_PushButtonLabel, &label, painter, widget);
            return;
        }
        if (element == CE_PushButtonBevel) {
            if ((button->features & QStyleOptionButton::Flat) && !(button->state & (State_Sunken | State_On))) {
                return;
            }
            proxy()->drawPrimitive(PE_PanelButtonCommand, button, painter, widget);
            return;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void SkinStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                   const QWidget* widget) const {
    if (control == CC_ComboBox) {
        const auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(option);
        if (combo != nullptr && !combo->editable) {
            drawBox(painter, option->rect, borderFor(option, true, false), option->palette.base(), m_look.editRadius);
            if (combo->subControls & SC_ComboBoxArrow) {
                const QRect arrow = proxy()->subControlRect(CC_ComboBox, combo, SC_ComboBoxArrow, widget);
                painter->save();
                painter->setPen(m_look.separator);
                const int line = combo->direction == Qt::RightToLeft ? arrow.right() : arrow.left();
                painter->drawLine(line, arrow.top(), line, arrow.bottom());
                painter->restore();
                const bool enabled = (option->state & State_Enabled) != 0;
                const QPixmap& picture = enabled || m_arrowDisabled.isNull() ? m_arrow : m_arrowDisabled;
                if (picture.isNull()) {
                    QStyleOption indicator(*option);
                    indicator.rect = arrow.adjusted(3, 0, -2, 0);
                    proxy()->drawPrimitive(PE_IndicatorArrowDown, &indicator, painter, widget);
                } else {
                    // Centred right of the separator, over the field's right border as well.
                    proxy()->drawItemPixmap(painter, arrow.adjusted(1, 0, 1, 0), Qt::AlignCenter, picture);
                }
            }
            return;
        }
    } else if (control == CC_GroupBox) {
        const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
        if (box != nullptr && !(box->subControls & SC_GroupBoxCheckBox)) {
            const QRect label = proxy()->subControlRect(CC_GroupBox, box, SC_GroupBoxLabel, widget);
            if (box->subControls & SC_GroupBoxFrame) {
                painter->save();
                // The caption interrupts the frame line it sits on.
                QRegion outside(option->rect);
                if (!box->text.isEmpty()) outside -= label;
                painter->setClipRegion(outside, Qt::IntersectClip);
                drawBox(painter, proxy()->subControlRect(CC_GroupBox, box, SC_GroupBoxFrame, widget),
                        m_look.frameBorder, Qt::NoBrush, m_look.frameRadius);
                painter->restore();
            }
            if ((box->subControls & SC_GroupBoxLabel) && !box->text.isEmpty()) {
                proxy()->drawItemText(painter, label.adjusted(kGroupBoxTitlePadding, 0, -kGroupBoxTitlePadding, 0),
                                      Qt::AlignCenter | Qt::TextShowMnemonic, box->palette,
                                      (box->state & State_Enabled) != 0, box->text, QPalette::WindowText);
            }
            return;
        }
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}

QRect SkinStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl subControl,
                                const QWidget* widget) const {
    const QRect rect = option->rect;
    if (control == CC_ComboBox) {
        const auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(option);
        if (combo != nullptr && !combo->editable) {
            const QRect arrow(rect.right() - kComboArrowWidth, rect.top() + 1, kComboArrowWidth, rect.height() - 2);
            switch (subControl) {
                case SC_ComboBoxFrame:
                    return rect;
                case SC_ComboBoxArrow:
                    return visualRect(option->direction, rect, arrow);
                case SC_ComboBoxEditField: {
                    const QRect field(rect.left() + kComboPaddingX, rect.top() + 1,
                                      arrow.left() - rect.left() - kComboPaddingX, rect.height() - 2);
                    return visualRect(option->direction, rect, field);
                }
                default:
                    break;
            }
        }
    } else if (control == CC_GroupBox) {
        const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
        if (box != nullptr && !(box->subControls & SC_GroupBoxCheckBox)) {
            const bool titled = !box->text.isEmpty();
            const QRect frame = rect.adjusted(0, titled ? kGroupBoxFrameTop : 0, 0, 0);
            switch (subControl) {
                case SC_GroupBoxFrame:
                    return frame;
                case SC_GroupBoxContents:
                    return frame.adjusted(1, 1, -1, -1);
                case SC_GroupBoxLabel: {
                    if (!titled) return {};
                    // The caption's box is one space wider than its text, which is centred in it.
                    const QString spaced = box->text + QLatin1Char(' ');
                    const int textWidth =
                        proxy()->itemTextRect(box->fontMetrics, QRect(), Qt::TextShowMnemonic, true, spaced).width();
                    const QRect label(rect.left() + kGroupBoxTitleLeft, rect.top(),
                                      textWidth + 2 * kGroupBoxTitlePadding, box->fontMetrics.height());
                    return visualRect(option->direction, rect, label);
                }
                default:
                    break;
            }
        }
    }
    return QProxyStyle::subControlRect(control, option, subControl, widget);
}

QRect SkinStyle::subElementRect(SubElement element, const QStyleOption* option, const QWidget* widget) const {
    if (element == SE_PushButtonContents) {
        const int paddingX = isDialogButton(widget) ? kDialogButtonPaddingX : kButtonPaddingX;
        const int paddingY = isDialogButton(widget) ? kDialogButtonPaddingY : 0;
        QRect contents = option->rect.adjusted(1 + paddingX, 1 + paddingY, -1 - paddingX, -1 - paddingY);
        if (option->state & State_Sunken) contents.adjust(1, 1, 0, 0);
        return visualRect(option->direction, option->rect, contents);
    }
    return QProxyStyle::subElementRect(element, option, widget);
}

QSize SkinStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                  const QWidget* widget) const {
    if (type == CT_PushButton) {
        if (isDialogButton(widget)) {
            return QSize(std::max(size.width(), kDialogButtonMinimumWidth) + 2 * (1 + kDialogButtonPaddingX),
                         size.height() + 2 * (1 + kDialogButtonPaddingY));
        }
        return size + QSize(2 * (1 + kButtonPaddingX), 2);
    }
    return QProxyStyle::sizeFromContents(type, option, size, widget);
}

int SkinStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const {
    switch (metric) {
        case PM_DefaultFrameWidth:
            if (qobject_cast<const QLineEdit*>(widget) != nullptr || isTextEdit(widget)) return kEditFrameWidth;
            break;
        case PM_ButtonShiftHorizontal:
        case PM_ButtonShiftVertical:
            return 0;  // the pressed content rectangle already moves
        case PM_ToolTipLabelFrameWidth:
            return kToolTipFrameWidth;
        default:
            break;
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
}

int SkinStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                         QStyleHintReturn* returnData) const {
    // A list that opens below the box, as a drop-down list does, rather than a menu over it.
    if (hint == SH_ComboBox_Popup) return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

}  // namespace varnick::skin
