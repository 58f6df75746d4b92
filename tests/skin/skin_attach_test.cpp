// The carried skin engine as the program uses it: written out, bound, attached, and released.
#include <QApplication>
#include <QFile>
#include <QMetaEnum>
#include <QPalette>
#include <QRegularExpression>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "skin/skin_engine.h"
#include "skin/skin_format.h"
#include "ui/app/library_loader.h"
#include "ui/app/program_directory.h"
#include "ui/app/skin.h"

using namespace varnick;
namespace fs = std::filesystem;

namespace {

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

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

}  // namespace

class SkinAttachTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        ui::releaseLibraries();
        qApp->setStyleSheet(QString());
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
        QVERIFY(!expected.styleSheet.empty());
        QCOMPARE(qApp->styleSheet(), QString::fromStdString(expected.styleSheet));
        // The style sheet wraps the style; without it the application shows the style it builds on.
        // Every picture the style sheet names comes with the skin.
        const QRegularExpression url(QStringLiteral("url\\(([^)]*)\\)"));
        for (const auto& match : url.globalMatch(qApp->styleSheet())) {
            QVERIFY2(QFile::exists(match.captured(1)), qPrintable(match.captured(1)));
        }
        qApp->setStyleSheet(QString());
        QCOMPARE(qApp->style()->name(), QString::fromStdString(expected.styleName).toLower());
        for (const auto& entry : expected.palette) {
            if (entry.group != skin::PaletteGroup::All) continue;
            const int role = QMetaEnum::fromType<QPalette::ColorRole>().keyToValue(entry.role.c_str());
            QCOMPARE(QApplication::palette().color(QPalette::Active, static_cast<QPalette::ColorRole>(role)),
                     QColor(entry.red, entry.green, entry.blue, entry.alpha));
        }
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
        QCOMPARE(qApp->styleSheet(), QString());
        QCOMPARE(readBytes(pathOf(dir) / u8"皮肤.she"), resourceBytes(ui::kCarriedSkinFileResource));
    }

    void unwritableSkinFileLeavesTheBindingToDecide() {
        QTemporaryDir dir;
        fs::create_directory(pathOf(dir) / u8"皮肤.she");
        QVERIFY(ui::attachSkin(pathOf(dir)));
        QCOMPARE(readBytes(pathOf(dir) / "jedata.dll"), resourceBytes(ui::kCarriedSkinLibraryResource));
        QCOMPARE(qApp->styleSheet(), QString());
    }

    void refusedSkinFilesChangeNothing_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("expected");
        const std::string good = resourceBytes(ui::kCarriedSkinFileResource);
        skin::Skin unknownStyle = carriedSkin();
        unknownStyle.styleName = "NoSuchStyle";
        const std::string unknownStyleFile = skin::packSkin(unknownStyle);
        std::string newer = good;
        newer[4] = 2;
        std::string damaged = good;
        damaged.back() ^= 1;

        QTest::newRow("missing file") << QByteArray() << int(SKINH_ERROR_FILE);
        QTest::newRow("bad magic") << QByteArray("SHE.\x01\x00") << int(SKINH_ERROR_NOT_A_SKIN);
        QTest::newRow("newer version") << QByteArray::fromStdString(newer) << int(SKINH_ERROR_VERSION);
        QTest::newRow("damaged") << QByteArray::fromStdString(damaged) << int(SKINH_ERROR_CORRUPT);
        QTest::newRow("unknown style") << QByteArray::fromStdString(unknownStyleFile) << int(SKINH_ERROR_STYLE);
    }
    void refusedSkinFilesChangeNothing() {
        QFETCH(QByteArray, content);
        QFETCH(int, expected);
        QTemporaryDir dir;
        QVERIFY(ui::attachSkin(pathOf(dir)));
        const QString sheet = qApp->styleSheet();
        const QColor window = QApplication::palette().color(QPalette::Window);

        const fs::path file = pathOf(dir) / "other.she";
        if (!content.isEmpty()) writeBytes(file, content.toStdString());
        const auto attach = reinterpret_cast<SkinH_AttachExFunction>(
            ui::bindLibraryFunction(pathOf(dir), "jedata.dll", "SkinH_AttachEx"));
        QVERIFY(attach != nullptr);
        QCOMPARE(attach(file.string().c_str(), ""), expected);
        QCOMPARE(attach(nullptr, ""), int(SKINH_ERROR_ARGUMENT));
        QCOMPARE(qApp->styleSheet(), sheet);
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
