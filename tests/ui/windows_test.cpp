#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/encoding.h"
#include "core/gun_definition.h"
#include "core/messages.h"
#include "core/throwable_definition.h"
#include "tests/ui/toolkit_test_support.h"
#include "ui/texts.h"
#include "ui/toolkit/window.h"
#include "ui/windows/gun_maker.h"
#include "ui/windows/main_menu.h"
#include "ui/windows/throwable_maker.h"

using namespace varnick;
using namespace varnick::ui;

namespace {

QString q(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

}  // namespace

class WindowsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<testing::RecordingPresenter> m_presenter;

    const std::vector<std::string>& messages() const { return m_presenter->messages(); }

    Window& open(const WindowDef& definition) {
        if (!openWindow(definition, nullptr, false)) qFatal("window did not open");
        Window* window = liveWindow(definition);
        QWidget* top = window->topLevel();
        top->activateWindow();
        if (!QTest::qWaitForWindowActive(top)) qFatal("window not active");
        return *window;
    }

    template <typename W>
    W* control(Window& window, std::string_view name) {
        auto* widget = qobject_cast<W*>(window.widget(name));
        if (widget == nullptr) qFatal("no control %s", std::string(name).c_str());
        return widget;
    }

    void click(Window& window, std::string_view name) { QTest::mouseClick(window.widget(name), Qt::LeftButton); }

    QString focusName() const {
        QWidget* focus = QApplication::focusWidget();
        return focus ? focus->objectName() : QString();
    }

    QStringList tabWalk(int steps) {
        QStringList visited{focusName()};
        for (int i = 1; i < steps; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << focusName();
        }
        return visited;
    }

private Q_SLOTS:
    void init() { m_presenter = std::make_unique<testing::RecordingPresenter>(); }

    void cleanup() {
        testing::closeAll({&mainMenuWindow(), &gunMakerWindow(), &throwableMakerWindow()});
        m_presenter.reset();
    }

    // Every parent is a group box on the window, every name is unique, and every binding names a control.
    void definitionsAreConsistent_data() {
        QTest::addColumn<const WindowDef*>("definition");
        QTest::newRow("main menu") << &mainMenuWindow();
        QTest::newRow("gun maker") << &gunMakerWindow();
        QTest::newRow("throwable maker") << &throwableMakerWindow();
    }
    void definitionsAreConsistent() {
        QFETCH(const WindowDef*, definition);
        std::set<std::string_view> seen;
        for (const ControlDef& c : definition->controls) {
            QVERIFY2(seen.insert(c.name).second, std::string(c.name).c_str());
            if (c.parent.empty()) continue;
            bool parentIsGroup = false;
            for (const ControlDef& p : definition->controls)
                if (p.name == c.parent && p.kind == ControlKind::GroupBox && p.parent.empty()) parentIsGroup = true;
            QVERIFY2(parentIsGroup, std::string(c.name).c_str());
        }
        for (const Binding& b : definition->bindings) {
            QVERIFY(b.handler != nullptr);
            QVERIFY2(b.control.empty() || seen.count(b.control) == 1, std::string(b.control).c_str());
        }
    }

    void mainMenuCaptionAndNotice() {
        Window& menu = open(mainMenuWindow());
        QCOMPARE(menu.topLevel()->windowTitle(), QStringLiteral("Varnick V1.4"));

        QTest::mousePress(menu.widget("透明标签1"), Qt::LeftButton, {}, QPoint(30, 30));
        QCOMPARE(QGuiApplication::clipboard()->text(), q(texts::kContactAddress));
        QCOMPARE(messages(), std::vector<std::string>{"已复制!"});
        QTest::mouseRelease(menu.widget("透明标签1"), Qt::LeftButton, {}, QPoint(30, 30));
        QTest::mouseClick(menu.widget("透明标签1"), Qt::RightButton, {}, QPoint(30, 30));
        QCOMPARE(messages().size(), std::size_t{1});
    }

    void noticeFitsItsLabel() {
        const auto bytes = codePage936Length(texts::kSponsorNotice);
        QVERIFY(bytes.has_value());
        QVERIFY(*bytes <= 194);
        Window& menu = open(mainMenuWindow());
        QWidget* label = menu.widget("透明标签1");
        const QRect needed = QFontMetrics(label->font())
                                 .boundingRect(QRect(0, 0, label->width(), 1000), Qt::TextWordWrap,
                                               q(texts::kSponsorNotice).replace(u"\r\n"_qs, u"\n"_qs));
        QVERIFY2(needed.height() <= label->height(), qPrintable(QString::number(needed.height())));
    }

    void otherMenuButtonsDoNothing() {
        Window& menu = open(mainMenuWindow());
        for (const char* name : {"按钮2", "按钮3", "按钮4", "按钮5"}) click(menu, name);
        QVERIFY(liveWindow(gunMakerWindow()) == nullptr);
        QVERIFY(liveWindow(throwableMakerWindow()) == nullptr);
        QVERIFY(messages().empty());
        click(menu, "按钮1");
        click(menu, "按钮6");
        QVERIFY(liveWindow(gunMakerWindow()) != nullptr);
        QVERIFY(liveWindow(throwableMakerWindow()) != nullptr);
    }

    void gunGenerateGivesTheInitialRecord() {
        Window& gun = open(gunMakerWindow());
        click(gun, "按钮1");
        GunValues expected;
        expected.name = "M4A1";
        expected.heldName = "&eM4A1";
        expected.lore = "m4";
        expected.itemType = "418";
        expected.projectileSpeed = "20";
        expected.projectileDamage = "4";
        expected.projectileType = "snowball";
        expected.projectileAmount = "1";
        expected.recoilAmount = "1";
        expected.bulletSpread = "1";
        expected.deathMessage = "&b<shooter> 使用 xxx 把 <victim> 枪毙";
        QCOMPARE(gun.text("编辑框_结果"), buildGunDefinition(expected));

        // A further press replaces the result instead of adding to it.
        gun.setText("编辑框_名称", "AK47");
        click(gun, "按钮1");
        expected.name = "AK47";
        QCOMPARE(gun.text("编辑框_结果"), buildGunDefinition(expected));
    }

    void gunOptionsGovernTheirFields() {
        Window& gun = open(gunMakerWindow());
        const std::vector<std::string_view> ammo{"编辑框_子弹ID", "编辑框_子弹数量", "编辑框_换弹时间"};
        for (auto f : ammo) QVERIFY(!gun.isEnabled(f));
        QVERIFY(!gun.isEnabled("编辑框5"));
        gun.setText("编辑框_子弹ID", "341");

        click(gun, "选择框1");
        for (auto f : ammo) QVERIFY(gun.isEnabled(f));
        QVERIFY(!gun.isEnabled("编辑框5"));
        click(gun, "选择框2");
        QVERIFY(gun.isEnabled("编辑框5"));
        click(gun, "选择框1");
        for (auto f : ammo) QVERIFY(!gun.isEnabled(f));
        QCOMPARE(gun.text("编辑框_子弹ID"), std::string("341"));
    }

    void secondDualWieldBoxChangesNothing() {
        Window& gun = open(gunMakerWindow());
        click(gun, "按钮1");
        const std::string before = gun.text("编辑框_结果");
        click(gun, "选择框_双枪1");
        QVERIFY(gun.isChecked("选择框_双枪1"));
        click(gun, "按钮1");
        QCOMPARE(gun.text("编辑框_结果"), before);
        click(gun, "选择框_双枪");
        click(gun, "按钮1");
        QVERIFY(gun.text("编辑框_结果").find("Dual_Wield: true") != std::string::npos);
    }

    void comboOffersTheFourProjectiles() {
        Window& gun = open(gunMakerWindow());
        auto* combo = control<QComboBox>(gun, "组合框1");
        QStringList items;
        for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
        QCOMPARE(items, (QStringList{u"arrow"_qs, u"snowball"_qs, u"fireball"_qs, u"egg"_qs}));
        QCOMPARE(gun.comboText("组合框1"), std::string("snowball"));
        QVERIFY(!combo->isEditable());
    }

    void buttonsBeforeGenerating() {
        Window& gun = open(gunMakerWindow());
        click(gun, "按钮2");
        click(gun, "按钮3");
        click(gun, "按钮4");
        QCOMPARE(messages(), (std::vector<std::string>{std::string(messages::kCopyNothingGenerated),
                                                       std::string(messages::kAddNothingGenerated), "未完成"}));
    }

    void gunFocusOrder_data() {
        QTest::addColumn<QStringList>("checks");
        QTest::addColumn<QStringList>("order");
        const QStringList base{u"编辑框_结果"_qs,     u"按钮2"_qs,           u"按钮3"_qs,           u"编辑框_名称"_qs,
                               u"编辑框_手持名称"_qs, u"编辑框_介绍"_qs,     u"选择框1"_qs,         u"编辑框_射程"_qs,
                               u"编辑框_威力"_qs,     u"编辑框_枪械ID"_qs,   u"按钮1"_qs,           u"编辑框4"_qs,
                               u"选择框2"_qs,         u"组合框1"_qs,         u"编辑框_射出数量"_qs, u"选择框_双枪"_qs,
                               u"编辑框_后坐力"_qs,   u"编辑框_子弹精准"_qs, u"按钮4"_qs,           u"选择框_双枪1"_qs};
        QTest::newRow("as opened, wrapping round") << QStringList{} << (base + QStringList{base.first()});
        QStringList ammo = base;
        ammo.insert(ammo.indexOf(u"编辑框_射程"_qs), u"编辑框_子弹数量"_qs);
        ammo.insert(ammo.indexOf(u"编辑框_子弹数量"_qs), u"编辑框_子弹ID"_qs);
        ammo.insert(ammo.indexOf(u"按钮4"_qs), u"编辑框_换弹时间"_qs);
        QTest::newRow("ammunition on") << QStringList{u"选择框1"_qs} << ammo;
        QStringList scope = base;
        scope.insert(scope.indexOf(u"组合框1"_qs), u"编辑框5"_qs);
        QTest::newRow("scope on") << QStringList{u"选择框2"_qs} << scope;
    }
    void gunFocusOrder() {
        QFETCH(QStringList, checks);
        QFETCH(QStringList, order);
        Window& gun = open(gunMakerWindow());
        for (const QString& box : checks) click(gun, box.toStdString());
        gun.widget("编辑框_结果")->setFocus();
        QCOMPARE(tabWalk(int(order.size())), order);
    }

    void gunOpensWithFocusInTheResultBox() {
        open(gunMakerWindow());
        QCOMPARE(focusName(), u"编辑框_结果"_qs);
    }

    void escCloseAndReopenShowsInitialTexts() {
        Window& gun = open(gunMakerWindow());
        gun.setText("编辑框_名称", "AK47");
        click(gun, "选择框1");
        QTest::keyClick(gun.widget("编辑框_名称"), Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(liveWindow(gunMakerWindow()) == nullptr);
        Window& again = open(gunMakerWindow());
        QCOMPARE(again.text("编辑框_名称"), std::string("M4A1"));
        QVERIFY(!again.isChecked("选择框1"));
        QVERIFY(!again.isEnabled("编辑框_子弹ID"));
    }

    void throwableGenerateGivesTheInitialRecord() {
        Window& thrower = open(throwableMakerWindow());
        click(thrower, "按钮1");
        ThrowableValues expected;
        expected.deathMessage = "&b<shooter> 使用 xxx 把 <victim> 给炸死了";
        QCOMPARE(thrower.text("编辑框_结果"), buildThrowableDefinition(expected));
    }

    void throwableTabOrder() {
        open(throwableMakerWindow());
        const QStringList order{u"编辑框_名称"_qs,
                                u"编辑框_手持名称"_qs,
                                u"编辑框_武器介绍"_qs,
                                u"编辑框_结果"_qs,
                                u"编辑框_爆炸威力"_qs,
                                u"编辑框_爆炸范围"_qs,
                                u"按钮1"_qs,
                                u"编辑框_物品ID"_qs,
                                u"编辑框_爆炸延迟"_qs,
                                u"编辑框_发出去的数量"_qs,
                                u"编辑框_发出去的东西ID"_qs,
                                u"编辑框_炸弹投掷力度"_qs,
                                u"编辑框_音效"_qs,
                                u"编辑框_杀人信息"_qs,
                                u"编辑框_名称"_qs};
        QCOMPARE(tabWalk(int(order.size())), order);
    }

    void throwableIntegerFields() {
        Window& thrower = open(throwableMakerWindow());
        auto* speed = control<QLineEdit>(thrower, "编辑框_炸弹投掷力度");
        QTest::keyClicks(speed, u"1.5"_qs);
        QCOMPARE(thrower.text("编辑框_炸弹投掷力度"), std::string("15"));

        auto* radius = control<QLineEdit>(thrower, "编辑框_爆炸范围");
        QTest::keyClicks(radius, u"123456"_qs);
        QCOMPARE(thrower.text("编辑框_爆炸范围"), std::string("1234"));
        radius->clear();
        QGuiApplication::clipboard()->setText(u"98765"_qs);
        QTest::keyClick(radius, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(thrower.text("编辑框_爆炸范围"), std::string("9876"));
    }
};

QTEST_MAIN(WindowsTest)
#include "windows_test.moc"
