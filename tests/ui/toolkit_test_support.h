#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QString>
#include <QTest>
#include <QTestEventList>
#include <string>
#include <vector>

#include "ui/toolkit/window.h"

namespace varnick::ui::testing {

// Records every message instead of showing a modal box, for the life of the object.
class RecordingPresenter {
public:
    RecordingPresenter() {
        m_previous = setMessagePresenter([this](QWidget*, std::string_view text) { m_messages.emplace_back(text); });
    }
    ~RecordingPresenter() { setMessagePresenter(m_previous); }
    RecordingPresenter(const RecordingPresenter&) = delete;
    RecordingPresenter& operator=(const RecordingPresenter&) = delete;

    const std::vector<std::string>& messages() const { return m_messages; }

private:
    MessagePresenter m_previous;
    std::vector<std::string> m_messages;
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

inline QString toQ(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace varnick::ui::testing
