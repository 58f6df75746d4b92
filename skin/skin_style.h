#pragma once

#include <QColor>
#include <QPixmap>
#include <QProxyStyle>
#include <QString>

namespace varnick::skin {

// The parts of the skin's look that the palette does not hold: border colours by state, corner radii, and the
// combo box arrow's pictures (resource paths).
struct SkinLook {
    QColor border;          // buttons, edit boxes, combo boxes, tool tips and lists at rest
    QColor hoverBorder;     // buttons and combo boxes under the mouse
    QColor focusBorder;     // a control with the keyboard focus
    QColor pressedBorder;   // a button held down
    QColor disabledBorder;  // a disabled control
    QColor frameBorder;     // group box frames
    QColor separator;       // the line between a combo box's field and its arrow
    int buttonRadius = 3;
    int editRadius = 2;
    int frameRadius = 4;
    QString comboArrow;
    QString comboArrowDisabled;

    // Returns the look drawn from palette alone: its Dark, Mid and Highlight colours, the radii above, no pictures.
    static SkinLook fromPalette(const QPalette& palette);

    // Sets the value named name from its text ("#rrggbb", a radius of 0 to 16, a resource path); returns false,
    // leaving the look as it was, when a known name has a malformed value. Unknown names are ignored.
    bool set(const QString& name, const QString& value);
};

// Fusion made flat: button faces keep the palette's Button colour in every state and only their 1-px border
// follows hover, focus and press; edit boxes, combo boxes and group boxes get 1-px borders with small radii.
// It sets no fonts and paints no window or label backgrounds; combo box lists open below the box.
class SkinStyle : public QProxyStyle {
public:
    // Takes ownership of base; the look's pictures are loaded now, so their resources must be registered already.
    SkinStyle(QStyle* base, const SkinLook& look);

    // Returns the look this style draws with.
    const SkinLook& look() const { return m_look; }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl subControl,
                         const QWidget* widget = nullptr) const override;
    QRect subElementRect(SubElement element, const QStyleOption* option,
                         const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;

private:
    QColor borderFor(const QStyleOption* option, bool hovers, bool presses) const;

    SkinLook m_look;
    QPixmap m_arrow;
    QPixmap m_arrowDisabled;
};

}  // namespace varnick::skin
