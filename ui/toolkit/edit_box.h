#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QString>
#include <QStringView>

#include "ui/toolkit/window_definition.h"

namespace varnick::ui {

// What an edit box lets in of a text that the user types or pastes.
struct InputRules {
    bool integer = false;  // typed text: only the digits and the minus sign
    int maxBytes = 0;      // the most code page 936 bytes the box may then hold; 0 means no limit

    // Returns the characters of inserted that the box takes, in order: each must be encodable in code page 936,
    // typed ones must pass the integer rule, and they stop where kept (the text left beside them) plus them
    // would pass maxBytes.
    QString admit(QStringView inserted, QStringView kept, bool typed) const;
};

// Returns how many code page 936 bytes a text takes, counting each line break as CR LF and a character that
// cannot be encoded as one byte.
std::size_t codePage936Bytes(QStringView text);

// What the window layer needs of either kind of edit box; text crosses it with CR LF between lines.
class EditBoxAccess {
public:
    virtual ~EditBoxAccess() = default;

    // Returns the whole content.
    virtual QString boxText() const = 0;

    // Replaces the whole content, regardless of the read-only mode and the byte limit.
    virtual void setBoxText(const QString& text) = 0;

    // Appends a text, puts the caret behind it and scrolls it into view.
    virtual void appendBoxText(const QString& text) = 0;
};

// A single-line edit box.
class LineEditBox : public QLineEdit, public EditBoxAccess {
public:
    // Creates the box with the record's mode, limit and text; its change signal is QLineEdit::textChanged.
    LineEditBox(const ControlDef& definition, QWidget* parent);

    QString boxText() const override;
    void setBoxText(const QString& text) override;
    void appendBoxText(const QString& text) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QString keptText() const;
    void pasteAdmitted(bool fromSelection);

    InputRules m_rules;
};

// A multi-line edit box: lines wrap at its width, no scroll bars, Tab moves the focus.
class TextEditBox : public QPlainTextEdit, public EditBoxAccess {
public:
    // Creates the box with the record's mode, limit and text; its change signal is QPlainTextEdit::textChanged.
    TextEditBox(const ControlDef& definition, QWidget* parent);

    QString boxText() const override;
    void setBoxText(const QString& text) override;
    void appendBoxText(const QString& text) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    QString keptText() const;

    InputRules m_rules;
};

}  // namespace varnick::ui
