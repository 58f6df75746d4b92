#include <QClipboard>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProcess>
#include <QTimer>
#include <QtTest>

#include "tests/ui/toolkit_test_support.h"
#include "ui/toolkit/window.h"

using namespace varnick::ui;

// Runs under a real X server: another program must be able to read what this process has put on the clipboard.
class ToolkitClipboardTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY2(QGuiApplication::platformName() == u"xcb"_qs, "needs an X server (xvfb-run)"); }

    void init() { testing::failOnToolkitWarnings(); }

    void otherProgramReadsTextWithCrLf_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("definition with CR LF") << QByteArray("\r\nM4A1:\r\n    Item_Name: \"&eM4A1\"\r\n    Damage: 4");
        QTest::newRow("Chinese, trailing CR LF") << QByteArray("复制结果\r\n第二行\r\n");
        QTest::newRow("address without line end") << QByteArray("varnick-sponsor@example.com");
    }

    void otherProgramReadsTextWithCrLf() {
        QFETCH(QByteArray, text);
        QVERIFY(setClipboardText(std::string_view(text.constData(), static_cast<std::size_t>(text.size()))));

        // This process owns the selection and must keep serving it while xclip asks for it.
        QProcess xclip;
        QEventLoop loop;
        connect(&xclip, &QProcess::finished, &loop, &QEventLoop::quit);
        connect(&xclip, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);  // a safety net, not a measurement
        xclip.start(u"xclip"_qs, {u"-o"_qs, u"-selection"_qs, u"clipboard"_qs});
        loop.exec();
        QCOMPARE(xclip.state(), QProcess::NotRunning);
        QCOMPARE(xclip.exitCode(), 0);
        QCOMPARE(xclip.readAllStandardOutput(), text);
    }

    void replacesTheWholeContent() {
        QVERIFY(setClipboardText("first\r\nsecond"));
        QVERIFY(setClipboardText("third"));
        QCOMPARE(QGuiApplication::clipboard()->text(), u"third"_qs);
    }
};

QTEST_MAIN(ToolkitClipboardTest)
#include "toolkit_clipboard_test.moc"
