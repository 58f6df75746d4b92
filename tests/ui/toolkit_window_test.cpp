#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <QtTest>
#include <string>
#include <vector>

#include "tests/ui/toolkit_test_support.h"
#include "ui/toolkit/picture.h"
#include "ui/toolkit/window.h"

using namespace varnick::ui;
using namespace varnick::ui::testing;

namespace {

// What the test handlers saw, in order.
struct Log {
    std::vector<std::string> entries;
    int creations = 0;
    bool visibleAtCreation = true;
    std::vector<bool> checkedInClick;
    std::vector<Event> mouse;
    std::vector<int> focus;
};
Log g_log;

// clang-format off
// Records in stacking order; created e1, 组, g1, label, c2, b3, e4, which is the Tab order.
constexpr ControlDef kTabControls[] = {
    //         name       parent  left top width height  content
    editBox   ("e4",      "",     {  8, 120, 100, 20}),
    button    ("b3",      "",     {  8,  96, 100, 20}, "按钮"),
    checkBox  ("c2",      "",     {  8,  72, 100, 20}, "选择框"),
    transLabel("label",   "",     {  8,  48, 100, 20}, "透明标签"),
    editBox   ("g1",      "组",   {  8,  20,  80, 20}),
    groupBox  ("组",              {120,   0, 100, 60}, "分组"),
    editBox   ("e1",      "",     {  8,   8, 100, 20}, "一"),
};
// clang-format on
constexpr WindowDef kTabWindow{.caption = "Tab", .width = 260, .height = 200, .controls = kTabControls};

bool onCreatedSetCaption(Window& window, const Event&) {
    ++g_log.creations;
    g_log.visibleAtCreation = window.topLevel()->isVisible();
    window.setCaption("创建时的标题");
    return true;
}

bool onChecked(Window& window, const Event&) {
    g_log.checkedInClick.push_back(window.isChecked("勾"));
    return true;
}

bool recordMouse(Window&, const Event& event) {
    g_log.mouse.push_back(event);
    return true;
}

bool refuseMouse(Window&, const Event& event) {
    g_log.mouse.push_back(event);
    return false;
}

bool recordFocus(Window&, const Event& event) {
    g_log.focus.push_back(event.index);
    return true;
}

bool onClicked(Window&, const Event&) {
    g_log.entries.emplace_back("clicked");
    return true;
}

constexpr std::string_view kItems[] = {"arrow", "snowball", "fireball", "egg"};

// clang-format off
constexpr ControlDef kEventControls[] = {
    //          name        parent  left top width height  content
    transLabel ("标签",     "",     {  8,   8, 120, 16}, "双击这里"),
    checkBox   ("勾",       "",     {  8,  32, 120, 16}, "是否双枪"),
    comboBox   ("组合",     "",     {  8,  56, 120, 20}, kItems, 1),
    comboBox   ("越界",     "",     {  8,  80, 120, 20}, kItems, 9),
    comboBox   ("未选",     "",     {  8, 104, 120, 20}, kItems, -1),
    button     ("拒绝",     "",     {  8, 128, 120, 24}, "按下被拒绝"),
    editBox    ("输入",     "",     {  8, 160, 120, 16}),
};

constexpr Binding kEventBindings[] = {
    //  control   event              handler
    {"",       kEventMain,        onCreatedSetCaption},
    {"勾",     kEventMain,        onChecked},
    {"标签",   kEventLeftDown,    recordMouse},
    {"标签",   kEventLeftUp,      recordMouse},
    {"标签",   kEventDoubleClick, recordMouse},
    {"标签",   kEventRightDown,   recordMouse},
    {"拒绝",   kEventLeftDown,    refuseMouse},
    {"拒绝",   kEventMain,        onClicked},
    {"输入",   kEventFocusIn,     recordFocus},
    {"输入",   kEventFocusOut,    recordFocus},
};
// clang-format on
constexpr WindowDef kEventWindow{
    .caption = "事件", .width = 300, .height = 240, .controls = kEventControls, .bindings = kEventBindings};

// clang-format off
constexpr ControlDef kGrowControls[] = {
    groupBox("右下", {0, 0, 140, 90}, "超出"),
};
// clang-format on
constexpr WindowDef kGrowWindow{.caption = "大", .width = 100, .height = 80, .controls = kGrowControls};
constexpr WindowDef kModalWindow{.caption = "模态", .width = 200, .height = 100};
constexpr WindowDef kEmptyWindow{.caption = "空", .width = 200, .height = 100};

// Records the title that each top-level widget carries when it is first shown.
class ShowTitleRecorder : public QObject {
public:
    QStringList titles;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show && widget != nullptr && widget->isWindow()) {
            titles << widget->windowTitle();
        }
        return false;
    }
};

QString focusName(const Window& window) {
    QWidget* focus = window.topLevel()->focusWidget();
    return focus != nullptr ? focus->objectName() : QString();
}

}  // namespace

class ToolkitWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { prepareApplication(); }

    void init() {
        failOnToolkitWarnings();
        g_log = Log{};
    }

    void cleanup() {
        closeAll({&kTabWindow, &kEventWindow, &kGrowWindow, &kModalWindow, &kEmptyWindow});
        QVERIFY(m_presenter.messages().empty());
    }

    void tabOrder_data() {
        QTest::addColumn<QStringList>("disabled");
        QTest::addColumn<QStringList>("hidden");
        QTest::addColumn<bool>("backward");
        QTest::addColumn<QStringList>("visited");

        QTest::newRow("forward in creation order, wrapping")
            << QStringList() << QStringList() << false
            << QStringList{u"g1"_qs, u"c2"_qs, u"b3"_qs, u"e4"_qs, u"e1"_qs, u"g1"_qs};
        QTest::newRow("backward, wrapping")
            << QStringList() << QStringList() << true << QStringList{u"e4"_qs, u"b3"_qs, u"c2"_qs, u"g1"_qs, u"e1"_qs};
        QTest::newRow("disabled control skipped")
            << QStringList{u"c2"_qs} << QStringList() << false << QStringList{u"g1"_qs, u"b3"_qs, u"e4"_qs, u"e1"_qs};
        QTest::newRow("hidden control skipped")
            << QStringList() << QStringList{u"b3"_qs} << false << QStringList{u"g1"_qs, u"c2"_qs, u"e4"_qs, u"e1"_qs};
        QTest::newRow("controls of a hidden group box skipped")
            << QStringList() << QStringList{u"组"_qs} << false << QStringList{u"c2"_qs, u"b3"_qs, u"e4"_qs, u"e1"_qs};
        QTest::newRow("controls of a disabled group box skipped")
            << QStringList{u"组"_qs} << QStringList() << true << QStringList{u"e4"_qs, u"b3"_qs, u"c2"_qs, u"e1"_qs};
    }

    void tabOrder() {
        QFETCH(QStringList, disabled);
        QFETCH(QStringList, hidden);
        QFETCH(bool, backward);
        QFETCH(QStringList, visited);

        QVERIFY(openWindow(kTabWindow, nullptr, false));
        Window* window = liveWindow(kTabWindow);
        QVERIFY(window != nullptr);
        QCOMPARE(focusName(*window), u"e1"_qs);  // the first tab stop in creation order takes the focus
        for (const QString& name : disabled) {
            window->setEnabled(name.toStdString(), false);
        }
        for (const QString& name : hidden) {
            window->setVisible(name.toStdString(), false);
        }
        QStringList seen;
        for (qsizetype press = 0; press < visited.size(); ++press) {
            QTest::keyClick(window->topLevel()->focusWidget(), Qt::Key_Tab,
                            backward ? Qt::ShiftModifier : Qt::NoModifier);
            seen << focusName(*window);
        }
        QCOMPARE(seen, visited);
    }

    void tabReachesControlEnabledAgain() {
        QVERIFY(openWindow(kTabWindow, nullptr, false));
        Window* window = liveWindow(kTabWindow);
        window->setEnabled("c2", false);
        QTest::keyClick(window->topLevel()->focusWidget(), Qt::Key_Tab);
        QTest::keyClick(window->topLevel()->focusWidget(), Qt::Key_Tab);
        QCOMPARE(focusName(*window), u"b3"_qs);
        window->setEnabled("c2", true);
        QTest::keyClick(window->topLevel()->focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(focusName(*window), u"c2"_qs);
    }

    void firstFocusSkipsDisabledAndLabels() {
        // The label sits first in creation order but is no tab stop; nothing else can take the focus here.
        QVERIFY(openWindow(kEventWindow, nullptr, false));
        QCOMPARE(focusName(*liveWindow(kEventWindow)), u"输入"_qs);
    }

    void escapeClosesWithoutAsking_data() {
        QTest::addColumn<QString>("control");
        QTest::newRow("from an edit box") << u"e1"_qs;
        QTest::newRow("from an edit box in a group box") << u"g1"_qs;
        QTest::newRow("from a button") << u"b3"_qs;
        QTest::newRow("from a check box") << u"c2"_qs;
    }

    void escapeClosesWithoutAsking() {
        QFETCH(QString, control);
        QVERIFY(openWindow(kTabWindow, nullptr, false));
        Window* window = liveWindow(kTabWindow);
        QPointer<QWidget> top = window->topLevel();
        QWidget* target = controlWidget(*window, control.toStdString());
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Escape);
        QVERIFY(liveWindow(kTabWindow) == nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(top.isNull());
        QVERIFY(m_presenter.messages().empty());
    }

    void creationEventRunsOnceBeforeFirstShow() {
        ShowTitleRecorder recorder;
        qApp->installEventFilter(&recorder);
        QVERIFY(openWindow(kEventWindow, nullptr, false));
        qApp->removeEventFilter(&recorder);
        QCOMPARE(g_log.creations, 1);
        QCOMPARE(g_log.visibleAtCreation, false);
        QCOMPARE(recorder.titles, QStringList{u"创建时的标题"_qs});
        QCOMPARE(liveWindow(kEventWindow)->caption(), std::string("创建时的标题"));
    }

    void openingAnOpenDefinitionKeepsItsWindow() {
        QVERIFY(openWindow(kEventWindow, nullptr, false));
        Window* first = liveWindow(kEventWindow);
        typeText(controlWidget(*first, "输入"), u"typed"_qs);
        first->setChecked("勾", true);
        QVERIFY(openWindow(kEventWindow, nullptr, false));
        QCOMPARE(liveWindow(kEventWindow), first);
        QCOMPARE(g_log.creations, 1);
        QCOMPARE(first->text("输入"), std::string("typed"));
        QVERIFY(first->isChecked("勾"));
    }

    void reopeningAfterCloseStartsFresh() {
        QVERIFY(openWindow(kEventWindow, nullptr, false));
        typeText(controlWidget(*liveWindow(kEventWindow), "输入"), u"typed"_qs);
        liveWindow(kEventWindow)->setChecked("勾", true);
        closeAll({&kEventWindow});
        QVERIFY(openWindow(kEventWindow, nullptr, false));
        QCOMPARE(g_log.creations, 2);
        QCOMPARE(liveWindow(kEventWindow)->text("输入"), std::string());
        QVERIFY(!liveWindow(kEventWindow)->isChecked("勾"));
    }

    void checkBoxEventSeesNewState() {
        QVERIFY(openWindow(kEventWindow, nullptr, false));
        QWidget* box = controlWidget(*liveWindow(kEventWindow), "勾");
        QTest::mouseClick(box, Qt::LeftButton);
        QTest::mouseClick(box, Qt::LeftButton);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Space);
        liveWindow(kEventWindow)->setChecked("勾", false);  // a handler's change is no click
        QCOMPARE(g_log.checkedInClick, (std::vector<bool>{true, false, true}));
    }

    void doubleClickReportsSecondPressAsDoubleClick() {
        QVERIFY(openWindow(kEventWindow, nullptr, false));
        Window* window = liveWindow(kEventWindow);
        QVERIFY(QTest::qWaitForWindowExposed(window->topLevel()));
        QWidget* label = controlWidget(*window, "标签");
        const QPoint inLabel(5, 6);
        QTest::mouseDClick(window->topLevel()->windowHandle(), Qt::LeftButton, Qt::ShiftModifier,
                           label->mapTo(window->topLevel(), inLabel));
        std::vector<int> indices;
        for (const Event& event : g_log.mouse) {
            indices.push_back(event.index);
        }
        QCOMPARE(indices, (std::vector<int>{kEventLeftDown, kEventLeftUp, kEventDoubleClick, kEventLeftUp}));
        QCOMPARE(g_log.mouse.front().x, inLabel.x());
        QCOMPARE(g_log.mouse.front().y, inLabel.y());
        QCOMPARE(g_log.mouse.front().keys, kKeyShift);
    }

    void mouseKeyStateSumsModifiers() {
        QVERIFY(openWindow(kEventWindow, nullptr, false));
        QWidget* label = controlWidget(*liveWindow(kEventWindow), "标签");
        QTest::mousePress(label, Qt::RightButton, Qt::ControlModifier | Qt::AltModifier, QPoint(3, 4));
        QCOMPARE(g_log.mouse.size(), std::size_t{1});
        QCOMPARE(g_log.mouse[0].index, kEventRightDown);
        QCOMPARE(g_log.mouse[0].keys, kKeyCtrl | kKeyAlt);
    }

    void focusEventsFollowTheFocus() {
        QVERIFY(openWindow(kEventWindow, nullptr, false));
        Window* window = liveWindow(kEventWindow);
        QVERIFY(QTest::qWaitForWindowActive(window->topLevel()));
        QCOMPARE(QApplication::focusWidget(), controlWidget(*window, "输入"));
        controlWidget(*window, "勾")->setFocus(Qt::MouseFocusReason);
        controlWidget(*window, "输入")->setFocus(Qt::TabFocusReason);
        QCOMPARE(g_log.focus, (std::vector<int>{kEventFocusIn, kEventFocusOut, kEventFocusIn}));
    }

    void refusedPressNeverClicks() {
        QVERIFY(openWindow(kEventWindow, nullptr, false));
        QTest::mouseClick(controlWidget(*liveWindow(kEventWindow), "拒绝"), Qt::LeftButton);
        QCOMPARE(g_log.mouse.size(), std::size_t{1});
        QVERIFY(g_log.entries.empty());
    }

    void comboBoxShowsStoredItemAndRefusesTyping_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::newRow("stored index 1 shows the second item") << u"组合"_qs << 1 << u"snowball"_qs;
        QTest::newRow("an index beyond the list is clamped to the last") << u"越界"_qs << 3 << u"egg"_qs;
        QTest::newRow("-1 shows none") << u"未选"_qs << -1 << QString();
    }

    void comboBoxShowsStoredItemAndRefusesTyping() {
        QFETCH(QString, control);
        QFETCH(int, index);
        QFETCH(QString, text);
        QVERIFY(openWindow(kEventWindow, nullptr, false));
        Window* window = liveWindow(kEventWindow);
        const std::string name = control.toStdString();
        QCOMPARE(window->comboIndex(name), index);
        QCOMPARE(toQString(window->text(name)), text);
        auto* combo = qobject_cast<QComboBox*>(controlWidget(*window, name));
        QVERIFY(!combo->isEditable());
        combo->setFocus();
        QTest::keyClicks(combo, u"xyz"_qs);
        QCOMPARE(toQString(window->text(name)), text);
    }

    void pictureButtonShowsNoCaption() {
        QTemporaryDir directory;
        const QString path = directory.filePath(u"picture.png"_qs);
        QImage picture(20, 10, QImage::Format_ARGB32);
        picture.fill(qRgba(200, 10, 10, 255));
        picture.setPixel(0, 0, qRgba(0, 0, 0, 0));
        QVERIFY(picture.save(path));
        const std::string file = path.toStdString();
        ControlDef controls[] = {pictureButton("图", "", {4, 4, 60, 30}, file)};
        controls[0].text = "存着的标题";
        const WindowDef definition{.caption = "图", .width = 100, .height = 80, .controls = controls};

        QVERIFY(openWindow(definition, nullptr, false));
        Window* window = liveWindow(definition);
        auto* button = qobject_cast<QPushButton*>(controlWidget(*window, "图"));
        QCOMPARE(button->text(), QString());
        QCOMPARE(button->iconSize(), QSize(20, 10));
        window->setText("图", "新标题");
        QCOMPARE(button->text(), QString());
        QCOMPARE(window->text("图"), std::string("新标题"));
        const QImage shown = button->icon().pixmap(QSize(20, 10)).toImage();
        QCOMPARE(QColor(shown.pixel(0, 0)), button->palette().color(QPalette::Button));
        QCOMPARE(QColor(shown.pixel(5, 5)), QColor(200, 10, 10));
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void blendOverFace_data() {
        QTest::addColumn<QRgb>("pixel");
        QTest::addColumn<QRgb>("face");
        QTest::addColumn<QRgb>("expected");
        QTest::newRow("transparent shows the face")
            << qRgba(66, 29, 226, 0) << qRgb(240, 240, 240) << qRgb(240, 240, 240);
        QTest::newRow("opaque keeps its colour") << qRgba(66, 29, 226, 255) << qRgb(240, 240, 240) << qRgb(66, 29, 226);
        // 128/255 of 255 plus 127/255 of 0 is 128.0; of 0 over 240 it is 119.53, rounded to 120.
        QTest::newRow("half over black") << qRgba(255, 255, 255, 128) << qRgb(0, 0, 0) << qRgb(128, 128, 128);
        QTest::newRow("half over the face") << qRgba(0, 100, 255, 128) << qRgb(240, 240, 240) << qRgb(120, 170, 248);
        QTest::newRow("nearly transparent") << qRgba(0, 0, 0, 1) << qRgb(255, 255, 255) << qRgb(254, 254, 254);
    }

    void blendOverFace() {
        QFETCH(QRgb, pixel);
        QFETCH(QRgb, face);
        QFETCH(QRgb, expected);
        QImage picture(1, 1, QImage::Format_ARGB32);
        picture.setPixel(0, 0, pixel);
        const QImage blended = varnick::ui::blendOverFace(picture, QColor(face));
        QCOMPARE(QColor(blended.pixel(0, 0)), QColor(expected));
        QVERIFY(!blended.hasAlphaChannel());
    }

    void clientAreaGrowsToItsControls() {
        QVERIFY(openWindow(kGrowWindow, nullptr, false));
        QWidget* top = liveWindow(kGrowWindow)->topLevel();
        // The stored frame leaves 94 x 51; the group box reaches 140 x 90.
        QCOMPARE(top->size(), QSize(140, 90));
        QVERIFY(openWindow(kEmptyWindow, nullptr, false));
        QCOMPARE(liveWindow(kEmptyWindow)->topLevel()->size(), QSize(194, 71));
    }

    void windowIsCentredByIntegerHalves() {
        QVERIFY(openWindow(kEmptyWindow, nullptr, false));
        QWidget* top = liveWindow(kEmptyWindow)->topLevel();
        const QRect screen = top->screen()->geometry();
        // Outer 200 x 100 with the stored frame; the offscreen platform draws none of its own.
        QCOMPARE(top->pos(), QPoint(screen.x() + (screen.width() - 200) / 2, screen.y() + (screen.height() - 100) / 2));
    }

    void controlsSitInTheirParents() {
        QVERIFY(openWindow(kTabWindow, nullptr, false));
        Window* window = liveWindow(kTabWindow);
        QWidget* inGroup = controlWidget(*window, "g1");
        QCOMPARE(inGroup->parentWidget(), controlWidget(*window, "组"));
        QCOMPARE(inGroup->pos(), QPoint(8, 20));
        QCOMPARE(inGroup->objectName(), u"g1"_qs);
        QVERIFY(controlWidget(*window, "没有") == nullptr);
    }

    void stackingPutsTheFirstRecordOnTop() {
        // Two overlapping labels: the earlier record must receive the press.
        constexpr static ControlDef controls[] = {
            transLabel("上", "", {0, 0, 50, 20}, "上"),
            transLabel("下", "", {0, 0, 50, 20}, "下"),
        };
        constexpr static WindowDef definition{.caption = "叠", .width = 100, .height = 80, .controls = controls};
        QVERIFY(openWindow(definition, nullptr, false));
        QWidget* top = liveWindow(definition)->topLevel();
        QCOMPARE(top->childAt(10, 10)->objectName(), u"上"_qs);
        closeAll({&definition});
    }

    void modalWindowBlocksUntilClosed() {
        QVERIFY(openWindow(kEmptyWindow, nullptr, false));
        Window* owner = liveWindow(kEmptyWindow);
        bool blockedWhileOpen = false;
        QTimer::singleShot(0, [&] {
            Window* modal = liveWindow(kModalWindow);
            blockedWhileOpen = modal != nullptr && QApplication::activeModalWidget() == modal->topLevel() &&
                               modal->topLevel()->parentWidget() == owner->topLevel();
            if (modal != nullptr) {
                modal->close();
            }
        });
        QVERIFY(openWindow(kModalWindow, owner, true));
        QVERIFY(blockedWhileOpen);
        QVERIFY(liveWindow(kModalWindow) == nullptr);
        QVERIFY(liveWindow(kEmptyWindow) == owner);
    }

    void captionsShowAmpersandsAsTheyAre() {
        constexpr static ControlDef controls[] = {
            button("按钮", "", {0, 0, 80, 24}, "A&B"),
            transLabel("标签", "", {0, 30, 80, 16}, "C&D"),
        };
        constexpr static WindowDef definition{.caption = "&", .width = 100, .height = 80, .controls = controls};
        QVERIFY(openWindow(definition, nullptr, false));
        Window* window = liveWindow(definition);
        QCOMPARE(qobject_cast<QPushButton*>(controlWidget(*window, "按钮"))->text(), u"A&&B"_qs);
        QCOMPARE(window->text("按钮"), std::string("A&B"));
        window->setText("标签", "E&F\r\nG");
        QCOMPARE(window->text("标签"), std::string("E&F\r\nG"));
        closeAll({&definition});
    }

    void eventLoopEndsWhenTheLastWindowCloses() {
        QGuiApplication::setQuitOnLastWindowClosed(true);
        bool firstClosedLoopStillRunning = false;
        QTimer::singleShot(0, [&] {
            QVERIFY(openWindow(kTabWindow, nullptr, false));
            QVERIFY(openWindow(kEmptyWindow, nullptr, false));
            liveWindow(kTabWindow)->close();
            QTimer::singleShot(0, [&] {
                firstClosedLoopStillRunning = true;
                liveWindow(kEmptyWindow)->close();
            });
        });
        bool timedOut = false;
        QTimer safety;  // a safety net, not a measurement
        safety.setSingleShot(true);
        connect(&safety, &QTimer::timeout, [&] {
            timedOut = true;
            QCoreApplication::quit();
        });
        safety.start(30000);
        QCOMPARE(QCoreApplication::exec(), 0);
        QGuiApplication::setQuitOnLastWindowClosed(false);
        QVERIFY(!timedOut);
        QVERIFY(firstClosedLoopStillRunning);
    }

    void messagesGoThroughThePresenter() {
        RecordingPresenter recorder;
        QtDesktopServices services;
        showMessage({varnick::MessageKind::Success, "一"});
        services.showMessage({varnick::MessageKind::Failure, "二\r\n三"});
        QCOMPARE(recorder.messages(), (std::vector<std::string>{"一", "二\r\n三"}));
        QCOMPARE(recorder.kinds(), (std::vector{varnick::MessageKind::Success, varnick::MessageKind::Failure}));
    }

    // The real box, read while it waits for the user: the kind's icon, the text with plain line breaks, and one
    // button "确定" that dismisses it.
    void messageBoxShowsTheKindsIconAndOneChineseButton_data() {
        QTest::addColumn<varnick::MessageKind>("kind");
        QTest::addColumn<QMessageBox::Icon>("icon");
        QTest::newRow("success: information") << varnick::MessageKind::Success << QMessageBox::Information;
        QTest::newRow("refusal or failure: warning") << varnick::MessageKind::Failure << QMessageBox::Warning;
    }
    void messageBoxShowsTheKindsIconAndOneChineseButton() {
        QFETCH(varnick::MessageKind, kind);
        QFETCH(QMessageBox::Icon, icon);
        const MessagePresenter recording = setMessagePresenter({});
        QPointer<QMessageBox> seen;
        QStringList buttons;
        QString title;
        QString text;
        QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
        QTimer::singleShot(0, [&] {
            seen = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (seen.isNull()) return;
            for (QAbstractButton* button : seen->buttons()) buttons << button->text();
            title = seen->windowTitle();
            text = seen->text();
            shownIcon = seen->icon();
            seen->button(QMessageBox::Ok)->click();
        });
        showMessage({kind, "第一行\r\n第二行"});
        setMessagePresenter(recording);
        QVERIFY2(!buttons.isEmpty(), "no message box was shown");
        QCOMPARE(title, u"Varnick"_qs);
        QCOMPARE(text, u"第一行\n第二行"_qs);
        QCOMPARE(shownIcon, icon);
        QCOMPARE(buttons, QStringList{u"确定"_qs});
    }

    // A name the window does not hold is reported as the toolkit's warning, with an empty result.
    void unknownControlNameWarns() {
        QVERIFY(openWindow(kTabWindow, nullptr, false));
        Window* window = liveWindow(kTabWindow);
        QTest::ignoreMessage(QtWarningMsg, "no control named e9");
        QCOMPARE(window->text("e9"), std::string());
        QTest::ignoreMessage(QtWarningMsg, "no control named c9");
        QVERIFY(!window->isChecked("c9"));
    }

private:
    // Installed for the whole run, so that no test can block on a modal box.
    RecordingPresenter m_presenter;
};

QTEST_MAIN(ToolkitWindowTest)
#include "toolkit_window_test.moc"
