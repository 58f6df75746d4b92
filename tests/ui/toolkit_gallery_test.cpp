#include <QCheckBox>
#include <QFontInfo>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "tests/ui/toolkit_test_support.h"
#include "ui/toolkit/window.h"

using namespace varnick::ui;
using namespace varnick::ui::testing;

namespace {

constexpr std::string_view kItems[] = {"arrow", "snowball", "fireball", "egg"};
constexpr FontSpec kYaHei{"微软雅黑", 29, 700};
constexpr FontSpec kSongTi{"宋体", 20, 700};

// A picture button's artwork: a grey block and a blue label on a transparent background.
QImage drawPicture() {
    QImage picture(180, 45, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.fillRect(QRect(4, 8, 60, 28), QColor(99, 100, 102));
    painter.setPen(QColor(66, 29, 226));
    QFont font = defaultGuiFont();
    font.setPixelSize(20);
    painter.setFont(font);
    painter.drawText(QRect(80, 0, 100, 45), Qt::AlignVCenter, u"枪械"_qs);
    return picture;
}

}  // namespace

// Opens a window with every control kind at the program's stored sizes and saves what it shows, to be looked at.
class ToolkitGalleryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { prepareApplication(); }

    void init() { failOnToolkitWarnings(); }

    void everyControlKind() {
        QTemporaryDir directory;
        const QString picturePath = directory.filePath(u"guns.png"_qs);
        QVERIFY(drawPicture().save(picturePath));
        const std::string picture = picturePath.toStdString();

        // clang-format off
        const ControlDef controls[] = {
            //            name              parent     left top  width height  content
            transLabel   ("透明标签1",      "分组框2", {  8,  16,  48, 16}, "枪械名称"),
            editBox      ("编辑框_名称",    "分组框2", { 80,  16, 224, 16}, "M4A1"),
            transLabel   ("透明标签2",      "分组框2", {  8,  40,  80, 16}, "枪械手持名称"),
            editBox      ("编辑框_手持名称","分组框2", { 80,  40, 224, 16}, "&eM4A1"),
            transLabel   ("透明标签3",      "分组框2", {  8,  64, 144, 16}, "枪械介绍[使用\"|\"来分行]"),
            editBox      ("编辑框_子弹ID",  "分组框2", {152,  64, 152, 16}).disabled(),
            checkBox     ("选择框1",        "分组框2", {  8,  88, 224, 16}, "是否开启弹药功能[关闭子弹无限]"),
            groupBox     ("分组框2",                   {  0,   0, 312, 112}, "枪械基本设置"),
            transLabel   ("透明标签15",     "分组框4", {  8,  16,  80, 16}, "射出去的东西"),
            comboBox     ("组合框1",        "分组框4", {112,  16, 192, 20}, kItems, 1),
            checkBox     ("选择框_双枪",    "分组框4", {232,  40,  72, 32}, "是否双枪"),
            transLabel   ("透明标签12",     "分组框4", {  8,  40, 224, 24},
                          "死亡者变量为 <victim> 导致死亡者死亡的人变量为 <shooter>").wrapping(),
            button       ("按钮4",          "分组框4", {  8,  72, 232, 24}, "制造附件?点我!"),
            pictureButton("按钮_图",        "分组框4", {  8, 104, 184, 48}, picture),
            groupBox     ("分组框4",                   {  0, 112, 312, 200}, "枪械射击设置"),
            editBox      ("编辑框_结果",    "分组框1", {  8,  16, 360, 344},
                          "\r\nM4A1:\r\n    Item_Name: \"&eM4A1\"\r\n    Item_Lore: \"m4\"").multiLineBox().readOnly(),
            button       ("按钮2",          "分组框1", {  8, 368, 184, 32}, "复制结果"),
            button       ("按钮3",          "分组框1", {192, 368, 176, 32}, "直接加入到配置文件"),
            groupBox     ("分组框1",                   {560, 112, 376, 416}, "结果"),
            button       ("按钮1",          "",        {  0, 464, 560, 64}, "做好了?点我生成!").withFont(kYaHei),
            button       ("按钮5",          "",        {  0, 320, 312, 48}, "生成手雷").withFont(kSongTi),
        };
        // clang-format on
        const WindowDef definition{
            .caption = "Varnick - 枪械制作", .width = 940, .height = 561, .background = kWhite, .controls = controls};

        QVERIFY(openWindow(definition, nullptr, false));
        Window* window = liveWindow(definition);
        QWidget* top = window->topLevel();
        QVERIFY(QTest::qWaitForWindowExposed(top));

        // The controls reach 936 x 528, more than the stored frame leaves.
        QCOMPARE(top->size(), QSize(936, 532));
        QCOMPARE(QFontInfo(controlWidget(*window, "透明标签1")->font()).family(), u"Noto Sans CJK SC"_qs);
        QCOMPARE(QFontInfo(controlWidget(*window, "按钮1")->font()).family(), u"Noto Sans CJK SC"_qs);
        QCOMPARE(QFontInfo(controlWidget(*window, "按钮1")->font()).pixelSize(), 29);
        QCOMPARE(QFontInfo(controlWidget(*window, "按钮5")->font()).family(), u"Noto Serif CJK SC"_qs);
        for (const char* label : {"透明标签1", "透明标签2", "透明标签3", "透明标签15"}) {
            QWidget* widget = controlWidget(*window, label);
            QVERIFY2(widget->fontMetrics().horizontalAdvance(toQString(window->text(label))) <= widget->width(), label);
        }
        auto* check = qobject_cast<QCheckBox*>(controlWidget(*window, "选择框1"));
        QVERIFY(check->sizeHint().width() <= check->width());
        auto* generate = qobject_cast<QPushButton*>(controlWidget(*window, "按钮1"));
        QVERIFY(generate->fontMetrics().horizontalAdvance(generate->text()) <= generate->width());

        const QString output = qEnvironmentVariable("VARNICK_GALLERY_PNG", u"toolkit_gallery.png"_qs);
        QVERIFY(top->grab().save(output));
        window->close();
    }
};

QTEST_MAIN(ToolkitGalleryTest)
#include "toolkit_gallery_test.moc"
