#include "ui/toolkit/edit_box.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QTextCursor>
#include <algorithm>
#include <optional>

#include "core/encoding.h"
#include "ui/toolkit/text.h"

namespace varnick::ui {
namespace {

bool isLineBreak(QChar c) {
    return c == u'\r' || c == u'\n' || c == QChar::ParagraphSeparator;
}

// One user-perceived unit for counting: a surrogate pair, a CR LF pair, or a single code unit.
qsizetype unitLength(QStringView text, qsizetype at) {
    if (at + 1 < text.size()) {
        if (text[at].isHighSurrogate() && text[at + 1].isLowSurrogate()) {
            return 2;
        }
        if (text[at] == u'\r' && text[at + 1] == u'\n') {
            return 2;
        }
    }
    return 1;
}

std::optional<std::size_t> unitBytes(QStringView unit) {
    if (isLineBreak(unit[0])) {
        return 2;  // the program's line break is CR LF
    }
    const QByteArray utf8 = unit.toUtf8();
    return codePage936Length(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

bool isIntegerCharacter(QStringView unit) {
    return unit.size() == 1 && ((unit[0] >= u'0' && unit[0] <= u'9') || unit[0] == u'-');
}

// Text that a key press would insert as typed characters; control characters and shortcuts keep their own
// handling.
bool isTypedText(const QKeyEvent* event) {
    const QString text = event->text();
    if (text.isEmpty() || (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))) {
        return false;
    }
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint() || c.isSurrogate(); });
}

void hideInactiveSelection(QWidget* box) {
    QPalette palette = box->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Base));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText, palette.color(QPalette::Active, QPalette::Text));
    box->setPalette(palette);
}

QString withoutSelection(QString text, qsizetype start, qsizetype length) {
    if (length > 0) {
        text.remove(start, length);
    }
    return text;
}

QString toQtLineBreaks(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

// Handles a typed key whose characters the rules change: inserts what they admit and accepts the event.
// Returns false when the rules take the text as typed, so the box's own handling goes on.
template <typename Insert>
bool admitTyped(const InputRules& rules, const QString& kept, QKeyEvent* event, Insert insert) {
    const QString typed = event->text();
    const QString admitted = rules.admit(typed, kept, true);
    if (admitted == typed) {
        return false;
    }
    if (!admitted.isEmpty()) {
        insert(admitted);
    }
    event->accept();
    return true;
}

// Hands the box an input-method event whose commit string the rules change, with the admitted commit
// string in its place. Returns false when the rules take the commit as it is.
template <typename Deliver>
bool admitCommit(const InputRules& rules, const QString& kept, const QInputMethodEvent* event, Deliver deliver) {
    const QString commit = event->commitString();
    if (commit.isEmpty()) {
        return false;
    }
    const QString admitted = rules.admit(commit, kept, true);
    if (admitted == commit) {
        return false;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(admitted, event->replacementStart(), event->replacementLength());
    deliver(&filtered);
    return true;
}

}  // namespace

std::size_t codePage936Bytes(QStringView text) {
    std::size_t bytes = 0;
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype length = unitLength(text, at);
        bytes += unitBytes(text.mid(at, length)).value_or(1);
        at += length;
    }
    return bytes;
}

QString InputRules::admit(QStringView inserted, QStringView kept, bool typed) const {
    QString admitted;
    std::size_t used = maxBytes > 0 ? codePage936Bytes(kept) : 0;
    for (qsizetype at = 0; at < inserted.size();) {
        const qsizetype length = unitLength(inserted, at);
        const QStringView unit = inserted.mid(at, length);
        at += length;
        if (typed && integer && !isIntegerCharacter(unit)) {
            continue;
        }
        const std::optional<std::size_t> bytes = unitBytes(unit);
        if (!bytes) {
            continue;
        }
        if (maxBytes > 0) {
            if (used + *bytes > static_cast<std::size_t>(maxBytes)) {
                break;
            }
            used += *bytes;
        }
        admitted += unit;
    }
    return admitted;
}

LineEditBox::LineEditBox(const ControlDef& definition, QWidget* parent)
    : QLineEdit(parent), m_rules{definition.inputMode == InputMode::Integer, definition.maxLength} {
    setReadOnly(definition.inputMode == InputMode::ReadOnly);
    setAcceptDrops(false);
    if (definition.hideSelection) {
        hideInactiveSelection(this);
    }
    setBoxText(toQString(definition.text));
}

QString LineEditBox::boxText() const {
    return text();
}

void LineEditBox::setBoxText(const QString& text) {
    setText(text);
    setCursorPosition(0);
}

void LineEditBox::appendBoxText(const QString& text) {
    setText(this->text() + text);
    end(false);
}

QString LineEditBox::keptText() const {
    return withoutSelection(text(), selectionStart(), selectionLength());
}

void LineEditBox::pasteAdmitted(bool fromSelection) {
    const QString clip =
        QGuiApplication::clipboard()->text(fromSelection ? QClipboard::Selection : QClipboard::Clipboard);
    const QString admitted = m_rules.admit(clip, keptText(), false);
    if (admitted.isEmpty() && !hasSelectedText()) {
        return;
    }
    insert(admitted);
}

void LineEditBox::keyPressEvent(QKeyEvent* event) {
    if (!isReadOnly()) {
        if (event->matches(QKeySequence::Paste)) {
            pasteAdmitted(false);
            event->accept();
            return;
        }
        if (isTypedText(event) &&
            admitTyped(m_rules, keptText(), event, [this](const QString& admitted) { insert(admitted); })) {
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void LineEditBox::inputMethodEvent(QInputMethodEvent* event) {
    if (!isReadOnly() && admitCommit(m_rules, keptText(), event,
                                     [this](QInputMethodEvent* filtered) { QLineEdit::inputMethodEvent(filtered); })) {
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

void LineEditBox::mouseReleaseEvent(QMouseEvent* event) {
    // The X11 middle-button paste bypasses keyPressEvent, so it is routed through the same rules.
    if (event->button() == Qt::MiddleButton && !isReadOnly() && QGuiApplication::clipboard()->supportsSelection()) {
        deselect();
        pasteAdmitted(true);
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void LineEditBox::contextMenuEvent(QContextMenuEvent* event) {
    QPointer<QMenu> menu = createStandardContextMenu();
    for (QAction* action : menu->actions()) {
        if (action->objectName() == QStringLiteral("edit-paste")) {
            disconnect(action, &QAction::triggered, nullptr, nullptr);
            connect(action, &QAction::triggered, this, [this] { pasteAdmitted(false); });
        }
    }
    menu->exec(event->globalPos());
    delete menu.data();
}

TextEditBox::TextEditBox(const ControlDef& definition, QWidget* parent)
    : QPlainTextEdit(parent), m_rules{definition.inputMode == InputMode::Integer, definition.maxLength} {
    setReadOnly(definition.inputMode == InputMode::ReadOnly);
    if (isReadOnly()) {
        setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    }
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAcceptDrops(false);
    if (definition.hideSelection) {
        hideInactiveSelection(this);
    }
    setBoxText(toQString(definition.text));
}

QString TextEditBox::boxText() const {
    // The raw text, unlike toPlainText, keeps non-breaking spaces; only the block breaks become CR LF.
    QString text = document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    return text;
}

void TextEditBox::setBoxText(const QString& text) {
    setPlainText(toQtLineBreaks(text));
}

void TextEditBox::appendBoxText(const QString& text) {
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(toQtLineBreaks(text));
    setTextCursor(cursor);
    ensureCursorVisible();
}

QString TextEditBox::keptText() const {
    const QTextCursor cursor = textCursor();
    return withoutSelection(toPlainText(), cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart());
}

void TextEditBox::keyPressEvent(QKeyEvent* event) {
    if (!isReadOnly() && isTypedText(event) &&
        admitTyped(m_rules, keptText(), event, [this](const QString& admitted) { insertPlainText(admitted); })) {
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TextEditBox::inputMethodEvent(QInputMethodEvent* event) {
    if (!isReadOnly() && admitCommit(m_rules, keptText(), event, [this](QInputMethodEvent* filtered) {
            QPlainTextEdit::inputMethodEvent(filtered);
        })) {
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void TextEditBox::insertFromMimeData(const QMimeData* source) {
    // Paste, the middle button and the context menu all arrive here.
    if (isReadOnly() || source == nullptr || !source->hasText()) {
        return;
    }
    const QString admitted = m_rules.admit(source->text(), keptText(), false);
    if (admitted.isEmpty() && !textCursor().hasSelection()) {
        return;
    }
    insertPlainText(toQtLineBreaks(admitted));
    ensureCursorVisible();
}

}  // namespace varnick::ui
