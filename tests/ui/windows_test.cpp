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
#include <span>
#include <string>
#include <vector>

#include "core/encoding.h"
#include "core/gun_definition.h"
#include "core/messages.h"
#include "core/throwable_definition.h"
#include "tests/ui/toolkit_test_support.h"
#include "ui/texts.h"
#include "ui/toolkit/text.h"
#include "ui/toolkit/window.h"
#include "ui/windows/gun_maker.h"
#include "ui/windows/main_menu.h"
#include "ui/windows/throwable_maker.h"

using namespace varnick;
using namespace varnick::ui;
using varnick::ui::testing::controlWidget;

namespace {

// Checks a maker's field list against its window: each control exists once, is of a kind that can fill its field
// (a text from an edit box or combo box, a flag from a check box), and no field is filled twice.
template <typename Record>
void checkFieldList(const WindowDef& definition, std::span<const FieldBinding<Record>> fields) {
    std::set<std::string_view> controls;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const FieldBinding<Record>& field = fields[i];
        const std::string name(field.control);
        QVERIFY2(controls.insert(field.control).second, name.c_str());
        const ControlDef* control = nullptr;
        for (const ControlDef& candidate : definition.controls) {
            if (candidate.name == field.control) control = &candidate;
        }
        QVERIFY2(control != nullptr, ("no control named " + name).c_str());
        QVERIFY2((field.text != nullptr) != (field.flag != nullptr), name.c_str());
        if (field.flag != nullptr) {
            QVERIFY2(control->kind == ControlKind::CheckBox, (name + " cannot fill a flag").c_str());
        } else {
            QVERIFY2(control->kind == ControlKind::EditBox || control->kind == ControlKind::ComboBox,
                     (name + " cannot fill a text").c_str());
            QVERIFY2(control->inputMode != InputMode::ReadOnly, (name + " is read-only").c_str());
        }
        for (std::size_t j = 0; j < i; ++j) {
            const bool same = field.text != nullptr ? field.text == fields[j].text : field.flag == fields[j].flag;
            QVERIFY2(!same, (name + " fills the same field as " + std::string(fields[j].control)).c_str());
        }
    }
}

// What a person enters into one control: an edit box's text, or the item chosen in a combo box.
struct Entry {
    std::string_view control;
    std::string_view value;
};

void enter(Window& window, const Entry& entry) {
    if (auto* combo = qobject_cast<QComboBox*>(controlWidget(window, entry.control))) {
        const int index = combo->findText(toQString(entry.value));
        QVERIFY2(index >= 0, std::string(entry.value).c_str());
        combo->setCurrentIndex(index);
    } else {
        window.setText(entry.control, entry.value);
    }
}

// Compares every field the list names between the record read from the window and the one expected.
template <typename Record>
void compareFields(const Record& read, const Record& expected, std::span<const FieldBinding<Record>> fields) {
    for (const FieldBinding<Record>& field : fields) {
        const std::string name(field.control);
        if (field.flag != nullptr) {
            QVERIFY2(read.*field.flag == expected.*field.flag, name.c_str());
        } else {
            QVERIFY2(read.*field.text == expected.*field.text,
                     (name + ": read [" + read.*field.text + "], expected [" + expected.*field.text + "]").c_str());
        }
    }
}

// Each text names the field it must reach, so that two controls read in each other's place show up.
constexpr Entry kGunEntries[] = {
    {"编辑框_名称", "名称"},  {"编辑框_手持名称", "手持名称"}, {"编辑框_枪械ID", "101"},   {"编辑框_介绍", "介绍"},
    {"编辑框_后坐力", "102"}, {"编辑框_射出数量", "103"},      {"组合框1", "egg"},         {"编辑框_威力", "104"},
    {"编辑框_射程", "105"},   {"编辑框_子弹精准", "106"},      {"编辑框4", "广播"},        {"编辑框5", "107"},
    {"编辑框_子弹ID", "108"}, {"编辑框_子弹数量", "109"},      {"编辑框_换弹时间", "110"},
};

GunValues gunEntered() {
    return {.name = "名称",
            .heldName = "手持名称",
            .itemType = "101",
            .lore = "介绍",
            .recoilAmount = "102",
            .projectileAmount = "103",
            .projectileType = "egg",
            .projectileDamage = "104",
            .projectileSpeed = "105",
            .bulletSpread = "106",
            .deathMessage = "广播",
            .zoomAmount = "107",
            .ammoItemId = "108",
            .reloadAmount = "109",
            .reloadDuration = "110"};
}

constexpr Entry kThrowableEntries[] = {
    {"编辑框_名称", "名称"},        {"编辑框_手持名称", "手持名称"}, {"编辑框_物品ID", "物品"},
    {"编辑框_武器介绍", "介绍"},    {"编辑框_爆炸威力", "201"},      {"编辑框_爆炸范围", "202"},
    {"编辑框_爆炸延迟", "203"},     {"编辑框_发出去的数量", "204"},  {"编辑框_发出去的东西ID", "205"},
    {"编辑框_炸弹投掷力度", "206"}, {"编辑框_音效", "207"},          {"编辑框_杀人信息", "杀人信息"},
};

ThrowableValues throwableEntered() {
    return {.name = "名称",
            .heldName = "手持名称",
            .itemType = "物品",
            .lore = "介绍",
            .explosionPower = "201",
            .explosionRadius = "202",
            .explosionDelay = "203",
            .projectileAmount = "204",
            .projectileSubtype = "205",
            .projectileSpeed = "206",
            .shootSound = "207",
            .deathMessage = "杀人信息"};
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
        auto* widget = qobject_cast<W*>(controlWidget(window, name));
        if (widget == nullptr) qFatal("no control %s", std::string(name).c_str());
        return widget;
    }

    void click(Window& window, std::string_view name) {
        QTest::mouseClick(controlWidget(window, name), Qt::LeftButton);
    }

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
    void init() {
        testing::failOnToolkitWarnings();
        m_presenter = std::make_unique<testing::RecordingPresenter>();
    }

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

    // Every control a maker reads into its record exists once, fits its field, and fills a field of its own.
    void fieldListsFitTheirWindows() {
        checkFieldList(gunMakerWindow(), gunMakerFields());
        if (QTest::currentTestFailed()) return;
        checkFieldList(throwableMakerWindow(), throwableMakerFields());
    }

    // A distinct value in every field and one option ticked at a time: the record read back and the generated
    // definition hold each value in its own field.
    void gunFormFillsItsRecord_data() {
        QTest::addColumn<QString>("ticked");
        QTest::addColumn<bool>("dualWield");
        QTest::addColumn<bool>("scope");
        QTest::addColumn<bool>("ammunition");
        QTest::newRow("no option") << QString() << false << false << false;
        QTest::newRow("dual wielding") << u"选择框_双枪"_qs << true << false << false;
        QTest::newRow("scope") << u"选择框2"_qs << false << true << false;
        QTest::newRow("ammunition") << u"选择框1"_qs << false << false << true;
    }
    void gunFormFillsItsRecord() {
        QFETCH(QString, ticked);
        QFETCH(bool, dualWield);
        QFETCH(bool, scope);
        QFETCH(bool, ammunition);
        Window& gun = open(gunMakerWindow());
        for (const Entry& entry : kGunEntries) enter(gun, entry);
        if (!ticked.isEmpty()) click(gun, ticked.toStdString());
        GunValues expected = gunEntered();
        expected.dualWield = dualWield;
        expected.scopeEnabled = scope;
        expected.ammoEnabled = ammunition;

        compareFields(readRecord(gun, gunMakerFields()), expected, gunMakerFields());
        if (QTest::currentTestFailed()) return;
        click(gun, "按钮1");
        QCOMPARE(gun.text("编辑框_结果"), buildGunDefinition(expected));
    }

    void throwableFormFillsItsRecord() {
        Window& thrower = open(throwableMakerWindow());
        for (const Entry& entry : kThrowableEntries) enter(thrower, entry);
        const ThrowableValues expected = throwableEntered();

        compareFields(readRecord(thrower, throwableMakerFields()), expected, throwableMakerFields());
        if (QTest::currentTestFailed()) return;
        click(thrower, "按钮1");
        QCOMPARE(thrower.text("编辑框_结果"), buildThrowableDefinition(expected));
    }

    void mainMenuCaptionAndNotice() {
        Window& menu = open(mainMenuWindow());
        QCOMPARE(menu.topLevel()->windowTitle(), QStringLiteral("Varnick V1.4"));

        QTest::mousePress(controlWidget(menu, "透明标签1"), Qt::LeftButton, {}, QPoint(30, 30));
        QCOMPARE(QGuiApplication::clipboard()->text(), toQString(texts::kContactAddress));
        QCOMPARE(messages(), std::vector<std::string>{"已复制!"});
        QCOMPARE(m_presenter->kinds(), std::vector<MessageKind>{MessageKind::Success});
        QTest::mouseRelease(controlWidget(menu, "透明标签1"), Qt::LeftButton, {}, QPoint(30, 30));
        QTest::mouseClick(controlWidget(menu, "透明标签1"), Qt::RightButton, {}, QPoint(30, 30));
        QCOMPARE(messages().size(), std::size_t{1});
    }

    void noticeFitsItsLabel() {
        const auto bytes = codePage936Length(texts::kSponsorNotice);
        QVERIFY(bytes.has_value());
        QVERIFY(*bytes <= 194);
        Window& menu = open(mainMenuWindow());
        QWidget* label = controlWidget(menu, "透明标签1");
        const QRect needed = QFontMetrics(label->font())
                                 .boundingRect(QRect(0, 0, label->width(), 1000), Qt::TextWordWrap,
                                               toQString(texts::kSponsorNotice).replace(u"\r\n"_qs, u"\n"_qs));
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
        QCOMPARE(gun.text("组合框1"), std::string("snowball"));
        QVERIFY(!combo->isEditable());
    }

    void buttonsBeforeGenerating() {
        Window& gun = open(gunMakerWindow());
        click(gun, "按钮2");
        click(gun, "按钮3");
        click(gun, "按钮4");
        QCOMPARE(messages(), (std::vector<std::string>{std::string(messages::kCopyNothingGenerated.text),
                                                       std::string(messages::kAddNothingGenerated.text), "未完成"}));
        QCOMPARE(m_presenter->kinds(), std::vector<MessageKind>(3, MessageKind::Failure));
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
        controlWidget(gun, "编辑框_结果")->setFocus();
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
        QTest::keyClick(controlWidget(gun, "编辑框_名称"), Qt::Key_Escape);
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
