#pragma once

#include <QCheckBox>
#include <QColor>
#include <QGroupBox>
#include <QPushButton>
#include <QString>
#include <QWidget>

namespace varnick::ui {

// Returns a caption with each ampersand doubled, so that Qt shows it as it is and makes no shortcut of it.
QString literalCaption(const QString& caption);

// A text drawn straight onto its parent: no background of its own, ampersands shown as they are.
class TransLabel : public QWidget {
public:
    // Creates the label with its caption, text colour and wrapping.
    TransLabel(const QString& caption, const QColor& colour, bool wordWrap, QWidget* parent);

    // Returns the caption as it was set, CR LF kept.
    QString caption() const { return m_caption; }

    // Replaces the caption; what lies behind the label is repainted before the new text is drawn.
    void setCaption(const QString& caption);

    // Returns whether the caption breaks into lines at word boundaries to fit the width.
    bool wordWrap() const { return m_wordWrap; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_caption;
    QColor m_colour;
    bool m_wordWrap;
};

// A push button whose caption wraps onto several lines when one line is too wide; a picture button keeps
// its caption but never shows it.
class CaptionButton : public QPushButton {
public:
    // Creates a caption button, or a picture button when picture is not null.
    CaptionButton(const QString& caption, const QPixmap& picture, QWidget* parent);

    // Returns the stored caption.
    QString caption() const { return m_caption; }

    // Stores a caption and shows it unless this is a picture button.
    void setCaption(const QString& caption);

    // Returns whether the button shows a picture in place of its caption.
    bool isPictureButton() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_caption;
    bool m_picture;
};

// A check box whose caption shows ampersands as they are.
class CaptionCheckBox : public QCheckBox {
public:
    // Creates the check box, clear, with its caption.
    CaptionCheckBox(const QString& caption, QWidget* parent);

    // Returns the caption as it was set.
    QString caption() const { return m_caption; }

    // Replaces the caption.
    void setCaption(const QString& caption);

private:
    QString m_caption;
};

// An opaque group box whose caption shows ampersands as they are.
class CaptionGroupBox : public QGroupBox {
public:
    // Creates the group box with its caption, filling its area with the window background colour.
    CaptionGroupBox(const QString& caption, QWidget* parent);

    // Returns the caption as it was set.
    QString caption() const { return m_caption; }

    // Replaces the caption.
    void setCaption(const QString& caption);

private:
    QString m_caption;
};

}  // namespace varnick::ui
