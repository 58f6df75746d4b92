// The carried skin engine as the program uses it: written out, bound, attached, and released.
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMetaEnum>
#include <QPainter>
#include <QPalette>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>

#include "skin/skin_engine.h"
#include "skin/skin_format.h"
#include "tests/test_files.h"
#include "ui/app/library_loader.h"
#include "ui/app/program_directory.h"
#include "ui/app/skin.h"

using namespace varnick;
using test::readBytes;
using test::writeBytes;
namespace fs = std::filesystem;

namespace {

std::string resourceBytes(const char* resource) {
    QFile file(QString::fromUtf8(resource));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

fs::path pathOf(const QTemporaryDir& dir) {
    return fs::path(dir.path().toStdString());
}

// QCOMPARE does not print function pointers; their addresses compare and print the same.
quintptr address(ui::LibraryFunction function) {
    return reinterpret_cast<quintptr>(function);
}

skin::Skin carriedSkin() {
    return skin::readSkin(resourceBytes(ui::kCarriedSkinFileResource)).skin;
}

// The carried skin's look value called name, as a colour; invalid when the skin does not carry it.
QColor carriedLookColour(const char* name) {
    for (const auto& value : carriedSkin().look) {
        if (value.name == name) return QColor::fromString(QString::fromStdString(value.value));
    }
    return {};
}

bool skinStyleApplied() {
    return qobject_cast<QProxyStyle*>(qApp->style()) != nullptr;
}

}  // namespace

class SkinAttachTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The library is released before the skin's style is replaced, as at the end of a program.
    void init() {
        ui::releaseLibraries();
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Windows")));
    }
    void cleanupTestCase() { ui::releaseLibraries(); }

    void carriedBlocksAreTheBuiltFiles() {
        QCOMPARE(resourceBytes(ui::kCarriedSkinLibraryResource), readBytes(VARNICK_CARRIED_SKIN_LIBRARY));
        QCOMPARE(resourceBytes(ui::kCarriedSkinFileResource), readBytes(VARNICK_CARRIED_SKIN_FILE));
        QCOMPARE(skin::readSkin(readBytes(VARNICK_CARRIED_SKIN_FILE)).error, skin::ReadError::None);
    }

    void writesBothFilesAndAppliesTheSkin() {
        QTemporaryDir dir;
        // Stale files from an earlier run are replaced, not appended to.
        writeBytes(pathOf(dir) / "jedata.dll", std::string(4 << 20, 'x'));
        writeBytes(pathOf(dir) / u8"皮肤.she", "old skin");

        QVERIFY(ui::attachSkin(pathOf(dir)));

        QCOMPARE(readBytes(pathOf(dir) / "jedata.dll"), resourceBytes(ui::kCarriedSkinLibraryResource));
        QCOMPARE(readBytes(pathOf(dir) / u8"皮肤.she"), resourceBytes(ui::kCarriedSkinFileResource));
        const skin::Skin expected = carriedSkin();
        const auto* style = qobject_cast<QProxyStyle*>(qApp->style());
        QVERIFY(style != nullptr);
        QCOMPARE(style->baseStyle()->name(), QString::fromStdString(expected.styleName).toLower());
        // Every picture the look names comes with the skin.
        QVERIFY(!expected.look.empty());
        for (const auto& value : expected.look) {
            if (value.value.starts_with(":/")) {
                QVERIFY2(QFile::exists(QString::fromStdString(value.value)), value.value.c_str());
            }
        }
        for (const auto& entry : expected.palette) {
            if (entry.group != skin::PaletteGroup::All) continue;
            const int role = QMetaEnum::fromType<QPalette::ColorRole>().keyToValue(entry.role.c_str());
            QCOMPARE(QApplication::palette().color(QPalette::Active, static_cast<QPalette::ColorRole>(role)),
                     QColor(entry.red, entry.green, entry.blue, entry.alpha));
        }
    }

    // Button faces keep the Button colour in every state, so that picture buttons blend; only the border follows
    // the state, the later of hover, focus, press and disabled winning. Edit boxes and combo boxes likewise.
    void bordersFollowTheStateOverAFixedFace_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("state");
        QTest::addColumn<QByteArray>("border");
        QTest::addColumn<int>("face");
        const int enabled = QStyle::State_Enabled;
        const int hover = enabled | QStyle::State_MouseOver;
        const int focus = enabled | QStyle::State_HasFocus;
        const int pressed = focus | hover | QStyle::State_Sunken;
        const int button = QPalette::Button;
        const int base = QPalette::Base;
        QTest::newRow("button at rest") << u"button"_qs << enabled << QByteArray("Border") << button;
        QTest::newRow("button hovered") << u"button"_qs << hover << QByteArray("HoverBorder") << button;
        QTest::newRow("button focused and hovered")
            << u"button"_qs << (focus | hover) << QByteArray("FocusBorder") << button;
        QTest::newRow("button pressed") << u"button"_qs << pressed << QByteArray("PressedBorder") << button;
        QTest::newRow("button disabled") << u"button"_qs << int(QStyle::State_MouseOver) << QByteArray("DisabledBorder")
                                         << button;
        QTest::newRow("edit at rest") << u"edit"_qs << hover << QByteArray("Border") << base;
        QTest::newRow("edit focused") << u"edit"_qs << focus << QByteArray("FocusBorder") << base;
        QTest::newRow("edit disabled stays white") << u"edit"_qs << 0 << QByteArray("DisabledBorder") << base;
        QTest::newRow("combo at rest") << u"combo"_qs << enabled << QByteArray("Border") << base;
        QTest::newRow("combo hovered") << u"combo"_qs << hover << QByteArray("HoverBorder") << base;
        QTest::newRow("combo focused") << u"combo"_qs << (focus | hover) << QByteArray("FocusBorder") << base;
    }
    void bordersFollowTheStateOverAFixedFace() {
        QFETCH(QString, control);
        QFETCH(int, state);
        QFETCH(QByteArray, border);
        QFETCH(int, face);
        QTemporaryDir dir;
        QVERIFY(ui::attachSkin(pathOf(dir)));
        QStyle* style = qApp->style();
        QPalette palette = QApplication::palette();
        palette.setCurrentColorGroup((state & QStyle::State_Enabled) ? QPalette::Active : QPalette::Disabled);
        QImage image(80, 24, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        const auto prepare = [&](QStyleOption& option, QWidget& widget) {
            option.initFrom(&widget);
            option.state = QStyle::State(state);
            option.rect = image.rect();
            option.palette = palette;
        };
        if (control == u"button"_qs) {
            QPushButton widget;
            QStyleOptionButton option;
            prepare(option, widget);
            style->drawControl(QStyle::CE_PushButton, &option, &painter, &widget);
        } else if (control == u"edit"_qs) {
            QLineEdit widget;
            QStyleOptionFrame option;
            prepare(option, widget);
            option.lineWidth = style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &widget);
            style->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, &widget);
        } else {
            QComboBox widget;
            QStyleOptionComboBox option;
            prepare(option, widget);
            style->drawComplexControl(QStyle::CC_ComboBox, &option, &painter, &widget);
        }
        painter.end();
        QCOMPARE(image.pixelColor(20, 0), carriedLookColour(border.constData()));
        QCOMPARE(image.pixelColor(0, 12), carriedLookColour(border.constData()));
        QCOMPARE(image.pixelColor(20, 12),
                 QApplication::palette().color(QPalette::Active, static_cast<QPalette::ColorRole>(face)));
    }

    void skinStyleMetricsAndHints() {
        QTemporaryDir dir;
        QVERIFY(ui::attachSkin(pathOf(dir)));
        QStyle* style = qApp->style();
        // Combo box lists open below the box.
        QComboBox combo;
        QStyleOptionComboBox comboOption;
        comboOption.initFrom(&combo);
        QCOMPARE(style->styleHint(QStyle::SH_ComboBox_Popup, &comboOption, &combo), 0);
        // Edit boxes: a 1-px border and 1 px of padding around the text.
        QLineEdit edit;
        QCOMPARE(style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &edit), 2);
        // A pressed button moves its content one pixel right and down, and only once.
        QPushButton button;
        QStyleOptionButton buttonOption;
        buttonOption.initFrom(&button);
        buttonOption.rect = QRect(0, 0, 80, 24);
        const QRect resting = style->subElementRect(QStyle::SE_PushButtonContents, &buttonOption, &button);
        buttonOption.state |= QStyle::State_Sunken;
        const QRect pressed = style->subElementRect(QStyle::SE_PushButtonContents, &buttonOption, &button);
        QCOMPARE(pressed.topLeft(), resting.topLeft() + QPoint(1, 1));
        QCOMPARE(pressed.bottomRight(), resting.bottomRight());
        QCOMPARE(style->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &buttonOption, &button), 0);
        QCOMPARE(style->pixelMetric(QStyle::PM_ButtonShiftVertical, &buttonOption, &button), 0);
        // A group box caption sits on its frame line.
        QStyleOptionGroupBox box;
        box.rect = QRect(0, 0, 200, 100);
        box.text = u"枪械基本设置"_qs;
        box.fontMetrics = QFontMetrics(QApplication::font());
        box.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect frame = style->subControlRect(QStyle::CC_GroupBox, &box, QStyle::SC_GroupBoxFrame);
        const QRect label = style->subControlRect(QStyle::CC_GroupBox, &box, QStyle::SC_GroupBoxLabel);
        QVERIFY(label.top() < frame.top() && frame.top() < label.bottom());
        QVERIFY(label.left() > frame.left());
        QCOMPARE(style->subControlRect(QStyle::CC_GroupBox, &box, QStyle::SC_GroupBoxContents),
                 frame.adjusted(1, 1, -1, -1));
    }

    void everyFormatRoleIsAQtPaletteRole() {
        const QMetaEnum roles = QMetaEnum::fromType<QPalette::ColorRole>();
        for (const std::string_view name : skin::paletteRoleNames()) {
            QVERIFY2(roles.keyToValue(std::string(name).c_str()) >= 0, std::string(name).c_str());
        }
    }

    void laterBindingsReturnTheStoredEntry() {
        QTemporaryDir dir;
        QVERIFY(ui::attachSkin(pathOf(dir)));
        const ui::LibraryFunction first = ui::bindLibraryFunction(pathOf(dir), "jedata.dll", "SkinH_AttachEx");
        QVERIFY(first != nullptr);
        // With the file gone and another directory asked, only a stored entry can answer.
        fs::remove(pathOf(dir) / "jedata.dll");
        QTemporaryDir empty;
        QCOMPARE(address(ui::bindLibraryFunction(pathOf(empty), "jedata.dll", "SkinH_AttachEx")), address(first));
        ui::releaseLibraries();
        QCOMPARE(address(ui::bindLibraryFunction(pathOf(empty), "jedata.dll", "SkinH_AttachEx")), quintptr(0));
    }

    void bindingFailures_data() {
        QTest::addColumn<QByteArray>("library");
        QTest::addColumn<QByteArray>("function");
        QTest::newRow("no library anywhere") << QByteArray("none") << QByteArray("SkinH_AttachEx");
        QTest::newRow("directory named jedata.dll") << QByteArray("directory") << QByteArray("SkinH_AttachEx");
        QTest::newRow("file that is no library") << QByteArray("garbage") << QByteArray("SkinH_AttachEx");
        QTest::newRow("library without the function") << QByteArray("carried") << QByteArray("SkinH_Detach");
    }
    void bindingFailures() {
        QFETCH(QByteArray, library);
        QFETCH(QByteArray, function);
        QTemporaryDir dir;
        const fs::path file = pathOf(dir) / "jedata.dll";
        if (library == "directory") fs::create_directory(file);
        if (library == "garbage") writeBytes(file, "not a library");
        if (library == "carried") writeBytes(file, resourceBytes(ui::kCarriedSkinLibraryResource));
        QCOMPARE(address(ui::bindLibraryFunction(pathOf(dir), "jedata.dll", function.toStdString())), quintptr(0));
    }

    void directoryInPlaceOfTheLibraryFailsTheAttach() {
        QTemporaryDir dir;
        fs::create_directory(pathOf(dir) / "jedata.dll");
        QVERIFY(!ui::attachSkin(pathOf(dir)));
        QVERIFY(!skinStyleApplied());
        QCOMPARE(readBytes(pathOf(dir) / u8"皮肤.she"), resourceBytes(ui::kCarriedSkinFileResource));
    }

    void unwritableSkinFileLeavesTheBindingToDecide() {
        QTemporaryDir dir;
        fs::create_directory(pathOf(dir) / u8"皮肤.she");
        QVERIFY(ui::attachSkin(pathOf(dir)));
        QCOMPARE(readBytes(pathOf(dir) / "jedata.dll"), resourceBytes(ui::kCarriedSkinLibraryResource));
        QVERIFY(!skinStyleApplied());
    }

    void refusedSkinFilesChangeNothing_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("expected");
        const std::string good = resourceBytes(ui::kCarriedSkinFileResource);
        skin::Skin unknownStyle = carriedSkin();
        unknownStyle.styleName = "NoSuchStyle";
        const std::string unknownStyleFile = skin::packSkin(unknownStyle);
        skin::Skin badLook = carriedSkin();
        badLook.look.push_back({"Border", "#b4bac"});
        const std::string badLookFile = skin::packSkin(badLook);
        std::string newer = good;
        newer[4] = 2;
        std::string damaged = good;
        damaged.back() ^= 1;

        QTest::newRow("missing file") << QByteArray() << int(SKINH_ERROR_FILE);
        QTest::newRow("bad magic") << QByteArray("SHE.\x01\x00") << int(SKINH_ERROR_NOT_A_SKIN);
        QTest::newRow("newer version") << QByteArray::fromStdString(newer) << int(SKINH_ERROR_VERSION);
        QTest::newRow("damaged") << QByteArray::fromStdString(damaged) << int(SKINH_ERROR_CORRUPT);
        QTest::newRow("unknown style") << QByteArray::fromStdString(unknownStyleFile) << int(SKINH_ERROR_STYLE);
        QTest::newRow("malformed look colour") << QByteArray::fromStdString(badLookFile) << int(SKINH_ERROR_CORRUPT);
    }
    void refusedSkinFilesChangeNothing() {
        QFETCH(QByteArray, content);
        QFETCH(int, expected);
        QTemporaryDir dir;
        QVERIFY(ui::attachSkin(pathOf(dir)));
        const QStyle* style = qApp->style();
        const QColor window = QApplication::palette().color(QPalette::Window);

        const fs::path file = pathOf(dir) / "other.she";
        if (!content.isEmpty()) writeBytes(file, content.toStdString());
        const auto attach = reinterpret_cast<SkinH_AttachExFunction>(
            ui::bindLibraryFunction(pathOf(dir), "jedata.dll", "SkinH_AttachEx"));
        QVERIFY(attach != nullptr);
        QCOMPARE(attach(file.string().c_str(), ""), expected);
        QCOMPARE(attach(nullptr, ""), int(SKINH_ERROR_ARGUMENT));
        QCOMPARE(qApp->style(), style);
        QCOMPARE(QApplication::palette().color(QPalette::Window), window);
    }

    void programDirectoryIsTheExecutablesDirectory() {
        const fs::path directory = ui::programDirectory();
        QCOMPARE(QString::fromStdString(directory.string()), QCoreApplication::applicationDirPath());
        QVERIFY(!directory.string().ends_with('/'));
    }

    void setCurrentDirectoryMovesTheProcess() {
        const fs::path before = fs::current_path();
        QTemporaryDir dir;
        QVERIFY(ui::setCurrentDirectory(pathOf(dir)));
        QCOMPARE(QString::fromStdString(fs::current_path().string()), dir.path());
        QVERIFY(!ui::setCurrentDirectory(pathOf(dir) / "missing"));
        QCOMPARE(QString::fromStdString(fs::current_path().string()), dir.path());
        fs::current_path(before);
    }
};

QTEST_MAIN(SkinAttachTest)
#include "skin_attach_test.moc"
