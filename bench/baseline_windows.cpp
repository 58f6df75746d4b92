// The floor the toolkit sets: a bare Qt Widgets program whose three windows hold the same kinds and numbers of
// plain widgets as Varnick's main menu, gun maker and throwable maker, with no skin, carried files or definitions.
// Its first two picture buttons sit where the guns and grenades buttons do, so the harness clicks the same spots.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QWidget>
#include <vector>

#include "bench/window_titles.h"

namespace {

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QWidget* newWindow(const char* title, int width, int height) {
    auto* window = new QWidget;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(text(title));
    window->resize(width, height);
    window->move(QApplication::primaryScreen()->availableGeometry().center() - window->rect().center());
    return window;
}

QGroupBox* groupBox(QWidget* parent, int x, int y, int width, int height) {
    auto* box = new QGroupBox(text("分组设置"), parent);
    box->setGeometry(x, y, width, height);
    return box;
}

// Lays out label rows (a label, optionally followed by a line edit) down the given group boxes, each row 24 pixels.
class RowFiller {
public:
    explicit RowFiller(std::vector<QGroupBox*> boxes) : m_boxes(std::move(boxes)) {}

    void add(int labels, int lineEdits) {
        for (int i = 0; i < labels; ++i) {
            QGroupBox* box = m_boxes[static_cast<std::size_t>(i) % m_boxes.size()];
            const int y = 16 + 24 * (i / static_cast<int>(m_boxes.size()));
            (new QLabel(text("参数名称") + QString::number(i), box))->setGeometry(8, y, 96, 16);
            if (i < lineEdits) (new QLineEdit(QString::number(i), box))->setGeometry(112, y, 120, 16);
        }
    }

private:
    std::vector<QGroupBox*> m_boxes;
};

QPlainTextEdit* resultBox(QWidget* parent, int x, int y, int width, int height) {
    auto* box = new QPlainTextEdit(parent);
    box->setReadOnly(true);
    box->setGeometry(x, y, width, height);
    return box;
}

// 50 widgets: 6 group boxes, 19 labels, 14 line edits, 2 plain-text edits, 4 check boxes, 1 combo box, 4 buttons.
void openGunMaker() {
    QWidget* window = newWindow(varnick::bench::kBaselineGunMakerTitle, 940, 561);
    QGroupBox* basic = groupBox(window, 0, 0, 312, 112);
    QGroupBox* ammo = groupBox(window, 312, 0, 248, 112);
    QGroupBox* burst = groupBox(window, 560, 0, 368, 112);
    QGroupBox* shooting = groupBox(window, 0, 112, 312, 200);
    QGroupBox* extra = groupBox(window, 312, 112, 248, 200);
    QGroupBox* result = groupBox(window, 560, 112, 376, 416);
    RowFiller({basic, ammo, shooting, extra}).add(19, 14);
    for (int i = 0; i < 4; ++i) (new QCheckBox(text("是否开启"), burst))->setGeometry(8, 16 + 24 * i, 160, 16);
    auto* combo = new QComboBox(shooting);
    combo->addItems(
        {QStringLiteral("arrow"), QStringLiteral("snowball"), QStringLiteral("fireball"), QStringLiteral("egg")});
    combo->setGeometry(112, 160, 192, 20);
    resultBox(extra, 208, 96, 32, 32)->hide();
    resultBox(result, 8, 16, 360, 344);
    (new QPushButton(text("复制结果"), result))->setGeometry(8, 368, 184, 32);
    (new QPushButton(text("加入到配置文件"), result))->setGeometry(192, 368, 176, 32);
    (new QPushButton(text("附件"), extra))->setGeometry(8, 168, 232, 24);
    (new QPushButton(text("做好了?点我生成!"), window))->setGeometry(0, 464, 560, 64);
    window->show();
}

// 31 widgets: 5 group boxes, 12 labels, 12 line edits, 1 plain-text edit, 1 button.
void openThrowableMaker() {
    QWidget* window = newWindow(varnick::bench::kBaselineThrowableMakerTitle, 542, 505);
    QGroupBox* basic = groupBox(window, 8, 8, 216, 112);
    QGroupBox* explosion = groupBox(window, 8, 128, 216, 112);
    QGroupBox* launch = groupBox(window, 8, 240, 216, 144);
    QGroupBox* other = groupBox(window, 8, 384, 216, 48);
    QGroupBox* result = groupBox(window, 224, 8, 312, 464);
    RowFiller({basic, explosion, launch, other}).add(12, 12);
    resultBox(result, 8, 16, 296, 440);
    (new QPushButton(text("生成"), window))->setGeometry(8, 432, 216, 40);
    window->show();
}

// 9 widgets: 2 group boxes, 6 picture buttons with a 180x45 icon, 1 word-wrapped label.
void openMainMenu() {
    QWidget* window = newWindow(varnick::bench::kBaselineMenuTitle, 447, 344);
    QGroupBox* navigation = groupBox(window, 0, 0, 440, 224);
    QPixmap picture(180, 45);
    picture.fill(QColor(70, 96, 140));
    constexpr int kRowTops[] = {24, 96, 160};
    std::vector<QPushButton*> buttons;
    for (int i = 0; i < 6; ++i) {
        auto* button = new QPushButton(navigation);
        button->setGeometry(i % 2 == 0 ? 8 : 248, kRowTops[i / 2], 184, 48);
        button->setIcon(QIcon(picture));
        button->setIconSize(picture.size());
        buttons.push_back(button);
    }
    QObject::connect(buttons[0], &QPushButton::clicked, openGunMaker);
    QObject::connect(buttons[5], &QPushButton::clicked, openThrowableMaker);
    QGroupBox* notice = groupBox(window, 0, 224, 440, 88);
    auto* label = new QLabel(text("这是一段与主菜单说明同样长的文字,用来比较窗口显示所需的时间。\n"
                                  "联系地址:baseline@example.com\n"
                                  "[点击本消息不会有任何反应,它只占据与说明相同的位置]"),
                             notice);
    label->setWordWrap(true);
    label->setGeometry(8, 16, 416, 64);
    window->show();
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    openMainMenu();
    return application.exec();
}
