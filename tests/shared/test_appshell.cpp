#include "shared/appshell.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace vanto;

class TestAppShell : public QObject {
    Q_OBJECT
private slots:
    void commandLine_data();
    void commandLine();
    void serviceSwitch_data();
    void serviceSwitch();
    void placementDefaultsAndRoundTrip();
    void placementPixels();
    void helpPath();
    void secondInstanceRefused();
};

void TestAppShell::commandLine_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("max");
    QTest::addColumn<QStringList>("args");
    QTest::newRow("empty") << "" << 10 << QStringList();
    QTest::newRow("runs of blanks and tabs")
        << "  a \t\t b\tc  " << 10 << QStringList{"a", "b", "c"};
    QTest::newRow("stops at the maximum") << "1 2 3 4" << 2 << QStringList{"1", "2"};
    QTest::newRow("last argument at the end") << "x /qv" << 10 << QStringList{"x", "/qv"};
}

void TestAppShell::commandLine() {
    QFETCH(QString, text);
    QFETCH(int, max);
    QFETCH(QStringList, args);
    QCOMPARE(GetCommandLine(text, max), args);
}

void TestAppShell::serviceSwitch_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("flag");
    QTest::newRow("alone") << "/QV" << 99;
    QTest::newRow("lower case, tenth") << "1 2 3 4 5 6 7 8 9 /qV" << 99;
    QTest::newRow("eleventh is not read") << "1 2 3 4 5 6 7 8 9 10 /QV" << 0;
    QTest::newRow("only begins with it") << "/QVX" << 0;
    QTest::newRow("none") << "--device /dev/pts/3" << 0;
}

void TestAppShell::serviceSwitch() {
    QFETCH(QString, text);
    QFETCH(int, flag);
    QCOMPARE(ServiceFlagFrom(GetCommandLine(text)), flag);
}

void TestAppShell::placementDefaultsAndRoundTrip() {
    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("s.ini")), QSettings::IniFormat);
    QCOMPARE(ReadPlacement(settings), (Placement{0, 0, 9600, 7250}));
    settings.setValue(QStringLiteral("Settings/MainTop"), QStringLiteral("not a number"));
    settings.setValue(QStringLiteral("Settings/MainLeft"), QStringLiteral("1500"));
    QCOMPARE(ReadPlacement(settings), (Placement{1500, 0, 9600, 7250}));
    WritePlacement(settings, Placement{15, 30, 12000, 9000.4});
    QCOMPARE(settings.value(QStringLiteral("Settings/MainHeight")).toString(),
             QStringLiteral("9000"));
    QCOMPARE(ReadPlacement(settings), (Placement{15, 30, 12000, 9000}));
}

void TestAppShell::placementPixels() {
    // 96 pixels per inch: 15 twips per pixel.
    const QRect r = PlacementToPixels(Placement{0, 0, 9600, 7250}, 96);
    QCOMPARE(r, QRect(0, 0, 640, 483));
    QCOMPARE(PixelsToPlacement(QRect(10, 20, 640, 480), 96), (Placement{150, 300, 9600, 7200}));
}

void TestAppShell::helpPath() {
    QCOMPARE(HelpFilePath(QStringLiteral("/opt/vanto")), QStringLiteral("/opt/vanto/VANTO.HLP"));
    QCOMPARE(HelpFilePath(QStringLiteral("/opt/vanto/")), QStringLiteral("/opt/vanto/VANTO.HLP"));
    QCOMPARE(HelpFilePath(QStringLiteral("/")), QStringLiteral("/VANTO.HLP"));
}

void TestAppShell::secondInstanceRefused() {
    QTemporaryDir dir;
    SingleInstanceGuard first(dir.path());
    QVERIFY(first.acquire());
    {
        SingleInstanceGuard second(dir.path());
        QVERIFY(!second.acquire());
    }
    SingleInstanceGuard third(dir.path());
    QVERIFY(!third.acquire()); // the first still holds it
}

QTEST_APPLESS_MAIN(TestAppShell)
#include "test_appshell.moc"
