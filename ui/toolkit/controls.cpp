#include "ui/toolkit/controls.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTextLayout>
#include <algorithm>

namespace varnick::ui {

QString literalCaption(const QString& caption) {
    QString literal = caption;
    literal.replace(u'&', QStringLiteral("&&"));
    return literal;
}

TransLabel::TransLabel(const QString& caption, const QColor& colour, bool wordWrap, QWidget* parent)
    : QWidget(parent), m_caption(caption), m_colour(colour), m_wordWrap(wordWrap) {
    setAutoFillBackground(false);
    setFocusPolicy(Qt::NoFocus);
}

void TransLabel::setCaption(const QString& caption) {
    if (caption == m_caption) {
        return;
    }
    m_caption = caption;
    // The label is not opaque, so the backing store paints its parents beneath the whole rectangle first.
    update();
}

void TransLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(m_colour.isValid() ? m_colour : palette().color(QPalette::WindowText));
    QString shown = m_caption;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (!m_wordWrap) {
        painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
        return;
    }
    // The stored sizes were made for a font with little leading: where the lines do not fit at the font's own
    // spacing, they move closer, down to the em height, so that none is cut off at the bottom.
    shown.replace(u'\n', QChar::LineSeparator);
    QTextLayout layout(shown, font());
    QTextOption option(Qt::AlignLeft);
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width());
    }
    layout.endLayout();
    const int count = layout.lineCount();
    if (count == 0) {
        return;
    }
    const qreal natural = fontMetrics().lineSpacing();
    const qreal em = font().pixelSize() > 0 ? font().pixelSize() : fontMetrics().ascent();
    const qreal pitch = count * natural <= height() ? natural : std::max(em, qreal(height()) / count);
    const qreal shift = (natural - pitch) / 2;
    for (int index = 0; index < count; ++index) {
        layout.lineAt(index).draw(&painter, QPointF(0, index * pitch - shift - layout.lineAt(index).y()));
    }
}

CaptionButton::CaptionButton(const QString& caption, const QPixmap& picture, QWidget* parent)
    : QPushButton(parent), m_caption(caption), m_picture(!picture.isNull()) {
    setAutoDefault(false);
    setDefault(false);
    if (m_picture) {
        setIcon(QIcon(picture));
        setIconSize(picture.size());
    } else {
        setText(literalCaption(caption));
    }
}

void CaptionButton::setCaption(const QString& caption) {
    m_caption = caption;
    if (!m_picture) {
        setText(literalCaption(caption));
    }
}

void CaptionButton::paintEvent(QPaintEvent* event) {
    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect content = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    if (m_picture || fontMetrics().horizontalAdvance(m_caption) <= content.width()) {
        QPushButton::paintEvent(event);
        return;
    }
    // Too wide for one line: the style draws the face and the caption is laid out in lines over it.
    QStylePainter painter(this);
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    const QRect textArea = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    painter.drawItemText(textArea, Qt::AlignCenter | Qt::TextWordWrap, palette(), isEnabled(), m_caption,
                         QPalette::ButtonText);
}

CaptionCheckBox::CaptionCheckBox(const QString& caption, QWidget* parent)
    : QCheckBox(literalCaption(caption), parent), m_caption(caption) {}

void CaptionCheckBox::setCaption(const QString& caption) {
    m_caption = caption;
    setText(literalCaption(caption));
}

CaptionGroupBox::CaptionGroupBox(const QString& caption, QWidget* parent)
    : QGroupBox(literalCaption(caption), parent), m_caption(caption) {
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
}

void CaptionGroupBox::setCaption(const QString& caption) {
    m_caption = caption;
    setTitle(literalCaption(caption));
}

}  // namespace varnick::ui
