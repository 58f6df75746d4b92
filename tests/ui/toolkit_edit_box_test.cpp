#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>
#include <string>
#include <vector>

#include "tests/ui/toolkit_test_support.h"
#include "ui/toolkit/window.h"

using namespace varnick::ui;
using namespace varnick::ui::testing;

namespace {

// The texts each box held whenever its event 0 fired.
std::vector<std::string> g_changes;

template <const std::string_view& Name>
bool recordChangeOf(Window& window, const Event&) {
    g_changes.push_back(std::string(Name) + "=" + window.text(Name));
    return true;
}

constexpr std::string_view kNormal = "普通";
constexpr std::string_view kInteger = "整数";
constexpr std::string_view kLimited = "限长";
constexpr std::string_view kReadOnly = "只读";
constexpr std::string_view kMulti = "多行";
constexpr std::string_view kMultiReadOnly = "多行只读";
constexpr std::string_view kMultiLimited = "多行限长";

// clang-format off
constexpr ControlDef kControls[] = {
    //       name            parent  left top width height
    editBox(kNormal,         "",     {8,   8, 160, 16}),
    editBox(kInteger,        "",     {8,  32, 160, 16}).integerText(),
    editBox(kLimited,        "",     {8,  56, 160, 16}).maxBytes(4),
    editBox(kReadOnly,       "",     {8,  80, 160, 16}, "原文").readOnly(),
    editBox(kMulti,          "",     {8, 104, 160, 48}).multiLineBox(),
    editBox(kMultiReadOnly,  "",     {8, 160, 160, 48}).multiLineBox().readOnly(),
    editBox(kMultiLimited,   "",     {8, 216, 160, 48}).multiLineBox().maxBytes(5),
};

constexpr Binding kBindings[] = {
    {kNormal,        kEventMain, recordChangeOf<kNormal>},
    {kReadOnly,      kEventMain, recordChangeOf<kReadOnly>},
    {kMulti,         kEventMain, recordChangeOf<kMulti>},
    {kMultiReadOnly, kEventMain, recordChangeOf<kMultiReadOnly>},
};
// clang-format on

constexpr WindowDef kBoxes{
    .caption = "编辑框", .width = 200, .height = 300, .controls = kControls, .bindings = kBindings};

QTestEventList keys(std::initializer_list<Qt::Key> list) {
    QTestEventList events;
    for (Qt::Key key : list) {
        events.addKeyClick(key);
    }
    return events;
}

}  // namespace

class ToolkitEditBoxTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { prepareApplication(); }

    void init() {
        failOnToolkitWarnings();
        QVERIFY(openWindow(kBoxes, nullptr, false));
        m_window = liveWindow(kBoxes);
        g_changes.clear();
    }

    void cleanup() {
        closeAll({&kBoxes});
        QVERIFY(m_presenter.messages().empty());
    }

    void typed_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QTestEventList>("events");
        QTest::addColumn<QString>("expected");

        QTest::newRow("integer: full stop dropped") << toQString(kInteger) << typing(u"1.5"_qs) << u"15"_qs;
        QTest::newRow("integer: letters dropped") << toQString(kInteger) << typing(u"a1b2 c"_qs) << u"12"_qs;
        QTest::newRow("integer: several minus signs kept") << toQString(kInteger) << typing(u"-1-2-"_qs) << u"-1-2-"_qs;
        QTest::newRow("integer: Chinese dropped") << toQString(kInteger) << typing(u"一2"_qs) << u"2"_qs;
        QTestEventList backspace = typing(u"123"_qs);
        backspace.addKeyClick(Qt::Key_Backspace);
        QTest::newRow("integer: Backspace still works") << toQString(kInteger) << backspace << u"12"_qs;
        QTest::newRow("normal: anything encodable")
            << toQString(kNormal) << typing(u"a.b 枪械-1"_qs) << u"a.b 枪械-1"_qs;
        QTest::newRow("normal: characters outside code page 936 dropped")
            << toQString(kNormal) << typing(u"a\U0001F600b\u0E01c"_qs) << u"abc"_qs;
        QTest::newRow("limit: a two-byte character that would pass 4 bytes dropped")
            << toQString(kLimited) << typing(u"abc中"_qs) << u"abc"_qs;
        QTest::newRow("limit: stops at 4 bytes") << toQString(kLimited) << typing(u"ab中cd"_qs) << u"ab中"_qs;
        QTest::newRow("limit: two Chinese characters") << toQString(kLimited) << typing(u"中文字"_qs) << u"中文"_qs;
        QTestEventList freed = typing(u"abcd"_qs);
        freed.addKeyClick(Qt::Key_Backspace);
        freed.append(new TypedText(u"e"_qs));
        QTest::newRow("limit: deleting makes room again") << toQString(kLimited) << freed << u"abce"_qs;
        QTest::newRow("read-only: typing refused") << toQString(kReadOnly) << typing(u"x"_qs) << u"原文"_qs;
        QTestEventList lines = typing(u"a"_qs);
        lines.addKeyClick(Qt::Key_Return);
        lines.append(new TypedText(u"b"_qs));
        QTest::newRow("multi-line: Enter inserts CR LF") << toQString(kMulti) << lines << u"a\r\nb"_qs;
        QTest::newRow("single-line: Enter inserts nothing") << toQString(kNormal) << [] {
            QTestEventList events = typing(u"a"_qs);
            events.addKeyClick(Qt::Key_Return);
            return events;
        }() << u"a"_qs;
        QTest::newRow("multi-line read-only: Enter inserts nothing")
            << toQString(kMultiReadOnly) << keys({Qt::Key_Return}) << QString();
        QTest::newRow("multi-line limit: a line break counts two bytes")
            << toQString(kMultiLimited) << lines << u"a\r\nb"_qs;
        QTestEventList full = typing(u"ab"_qs);
        full.addKeyClick(Qt::Key_Return);
        full.append(new TypedText(u"cd"_qs));
        QTest::newRow("multi-line limit: stops at 5 bytes") << toQString(kMultiLimited) << full << u"ab\r\nc"_qs;
    }

    void typed() {
        QFETCH(QString, box);
        QFETCH(QTestEventList, events);
        QFETCH(QString, expected);
        QWidget* widget = controlWidget(*m_window, box.toStdString());
        widget->setFocus();
        events.simulate(widget);
        QCOMPARE(toQString(m_window->text(box.toStdString())), expected);
    }

    void pasted_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("expected");

        QTest::newRow("integer: pasted text goes in unfiltered") << toQString(kInteger) << u"1.5"_qs << u"1.5"_qs;
        QTest::newRow("integer: pasted letters too") << toQString(kInteger) << u"abc"_qs << u"abc"_qs;
        QTest::newRow("limit: cut at 4 bytes") << toQString(kLimited) << u"abcdef"_qs << u"abcd"_qs;
        QTest::newRow("limit: whole characters only") << toQString(kLimited) << u"a中文"_qs << u"a中"_qs;
        QTest::newRow("normal: characters outside code page 936 dropped")
            << toQString(kNormal) << u"x\U0001F600y"_qs << u"xy"_qs;
        QTest::newRow("read-only: paste refused") << toQString(kReadOnly) << u"x"_qs << u"原文"_qs;
        QTest::newRow("multi-line: CR LF kept") << toQString(kMulti) << u"a\r\nb\r\n"_qs << u"a\r\nb\r\n"_qs;
        QTest::newRow("multi-line: outside code page 936 dropped") << toQString(kMulti) << u"\U0001F600a"_qs << u"a"_qs;
        QTest::newRow("multi-line limit: cut at 5 bytes")
            << toQString(kMultiLimited) << u"a\r\nbcd"_qs << u"a\r\nbc"_qs;
    }

    void pasted() {
        QFETCH(QString, box);
        QFETCH(QString, clipboard);
        QFETCH(QString, expected);
        QGuiApplication::clipboard()->setText(clipboard);
        QWidget* widget = controlWidget(*m_window, box.toStdString());
        widget->setFocus();
        QTest::keyClick(widget, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(toQString(m_window->text(box.toStdString())), expected);
    }

    void copyAndCutShortcutsWorkInIntegerBox() {
        QWidget* widget = controlWidget(*m_window, kInteger);
        widget->setFocus();
        typeText(widget, u"-42"_qs);
        QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(widget, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(m_window->text(kInteger), std::string());
        QCOMPARE(QGuiApplication::clipboard()->text(), u"-42"_qs);
    }

    void handlerSetTextIgnoresLimitAndMode() {
        m_window->setText(kLimited, "longer than four");
        m_window->setText(kInteger, "x.y");
        QCOMPARE(m_window->text(kLimited), std::string("longer than four"));
        QCOMPARE(m_window->text(kInteger), std::string("x.y"));
    }

    void setTextFiresEventZeroOnce_data() {
        QTest::addColumn<QString>("box");
        QTest::newRow("single-line") << toQString(kNormal);
        QTest::newRow("single-line read-only") << toQString(kReadOnly);
        QTest::newRow("multi-line") << toQString(kMulti);
        QTest::newRow("multi-line read-only") << toQString(kMultiReadOnly);
    }

    void setTextFiresEventZeroOnce() {
        QFETCH(QString, box);
        const std::string name = box.toStdString();
        m_window->setText(name, "新的文本");
        QCOMPARE(g_changes, std::vector<std::string>{name + "=新的文本"});
        m_window->setText(name, "新的文本");  // the same text again is still a setting
        QCOMPARE(g_changes.size(), std::size_t{2});
        m_window->addText(name, "尾");
        QCOMPARE(g_changes.back(), name + "=新的文本尾");
        QCOMPARE(g_changes.size(), std::size_t{3});
    }

    void typingFiresEventZeroPerChange() {
        QWidget* widget = controlWidget(*m_window, kNormal);
        widget->setFocus();
        typeText(widget, u"ab"_qs);
        QTest::keyClick(widget, Qt::Key_Backspace);
        QCOMPARE(g_changes, (std::vector<std::string>{"普通=a", "普通=ab", "普通=a"}));
    }

    void multiLineTextRoundTripsByteForByte_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("CR LF between lines") << u"gun:\r\n    Item_Name: \"&eM4A1\"\r\n    Damage: 4"_qs;
        QTest::newRow("leading and trailing CR LF") << u"\r\nM4A1:\r\n"_qs;
        QTest::newRow("empty lines") << u"a\r\n\r\n\r\nb"_qs;
        QTest::newRow("spaces and a non-breaking space") << u"  a \u00A0 b  "_qs;
        QTest::newRow("empty") << QString();
    }

    void multiLineTextRoundTripsByteForByte() {
        QFETCH(QString, text);
        m_window->setText(kMultiReadOnly, text.toStdString());
        QCOMPARE(toQString(m_window->text(kMultiReadOnly)), text);
        m_window->addText(kMultiReadOnly, "\r\nend");
        QCOMPARE(toQString(m_window->text(kMultiReadOnly)), text + u"\r\nend"_qs);
    }

    void addTextPutsCaretAtEnd() {
        m_window->setText(kNormal, "abc");
        m_window->addText(kNormal, "def");
        QCOMPARE(qobject_cast<QLineEdit*>(controlWidget(*m_window, kNormal))->cursorPosition(), 6);
        m_window->addText(kMulti, "x\r\ny");
        auto* multi = qobject_cast<QPlainTextEdit*>(controlWidget(*m_window, kMulti));
        QCOMPARE(multi->textCursor().position(), multi->document()->characterCount() - 1);
    }

    void singleLineBoxIsNeverShorterThanItsFont() {
        const QWidget* box = controlWidget(*m_window, kNormal);
        const int height = std::max(16, box->fontMetrics().height() + 4);
        QCOMPARE(box->height(), height);
        QCOMPARE(box->y(), 8 - (height - 16) / 2);  // grown about the stored middle
        QCOMPARE(controlWidget(*m_window, kMulti)->height(), 48);
    }

    void disabledBoxKeepsItsText() {
        m_window->setText(kNormal, "保留");
        m_window->setEnabled(kNormal, false);
        QVERIFY(!m_window->isEnabled(kNormal));
        QCOMPARE(m_window->text(kNormal), std::string("保留"));
        m_window->setText(kNormal, "改");
        QCOMPARE(m_window->text(kNormal), std::string("改"));
    }

private:
    RecordingPresenter m_presenter;
    Window* m_window = nullptr;
};

QTEST_MAIN(ToolkitEditBoxTest)
#include "toolkit_edit_box_test.moc"
