#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QString>
#include <QTest>
#include <QTestEventList>
#include <string>
#include <vector>

#include "ui/toolkit/text.h"
#include "ui/toolkit/window.h"

namespace varnick::ui::testing {

// Returns the widget of a control, found by its name, which is the widget's objectName; nullptr if there is none.
inline QWidget* controlWidget(const Window& window, std::string_view name) {
    return window.topLevel()->findChild<QWidget*>(toQString(name));
}

// Gives the application the program's default font and keeps it running when a test closes its last window.
inline void prepareApplication() {
    applyDefaultFont(*qApp);
    QGuiApplication::setQuitOnLastWindowClosed(false);
}

// Makes the running test fail on the toolkit's own warnings (a name no control carries, a picture that could not
// be loaded, a control without its group box, a combo box given a text); call it from init().
inline void failOnToolkitWarnings() {
    for (const char* pattern :
         {"^no control named ", "could not be loaded$", " has no group box ", "^a combo box has no text"}) {
        QTest::failOnWarning(QRegularExpression(QString::fromLatin1(pattern)));
    }
}

// Records every message's text and kind instead of showing a modal box, for the life of the object.
class RecordingPresenter {
public:
    RecordingPresenter() {
        m_previous = setMessagePresenter([this](QWidget*, const Message& message) {
            m_messages.emplace_back(message.text);
            m_kinds.push_back(message.kind);
        });
    }
    ~RecordingPresenter() { setMessagePresenter(m_previous); }
    RecordingPresenter(const RecordingPresenter&) = delete;
    RecordingPresenter& operator=(const RecordingPresenter&) = delete;

    const std::vector<std::string>& messages() const { return m_messages; }
    const std::vector<MessageKind>& kinds() const { return m_kinds; }

private:
    MessagePresenter m_previous;
    std::vector<std::string> m_messages;
    std::vector<MessageKind> m_kinds;
};

// Types a text into a widget as key presses, one per character, each carrying that character; unlike
// QTest::keyClicks it also types characters outside Latin-1.
inline void typeText(QWidget* widget, const QString& text) {
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype length = text[at].isHighSurrogate() && at + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(at, length);
        at += length;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, character);
        QCoreApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, character);
        QCoreApplication::sendEvent(widget, &release);
    }
}

// A QTestEventList entry that types a text with typeText.
class TypedText : public QTestEvent {
public:
    explicit TypedText(QString text) : m_text(std::move(text)) {}
    void simulate(QWidget* widget) override { typeText(widget, m_text); }
    QTestEvent* clone() const override { return new TypedText(m_text); }

private:
    QString m_text;
};

// Returns an event list that types a text.
inline QTestEventList typing(const QString& text) {
    QTestEventList events;
    events.append(new TypedText(text));
    return events;
}

// Closes every open window of the given definitions and destroys them at once.
inline void closeAll(std::initializer_list<const WindowDef*> definitions) {
    for (const WindowDef* definition : definitions) {
        if (Window* window = liveWindow(*definition)) {
            window->close();
        }
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace varnick::ui::testing
