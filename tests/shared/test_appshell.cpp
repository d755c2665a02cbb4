#include "../tablerows.h"
#include "shared/appshell.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace vanto;

const QRect kHd(0, 0, 1920, 1080);
const QRect kRight(1920, 0, 1280, 1024);
struct FitCase {
    const char* name;
    QRect frame;
    int screens; // none, kHd, kHd and kRight, one screen below a 30-pixel panel
    QRect placed;
};
const FitCase kFits[] = {
    {"inside stays", {100, 80, 1000, 700}, 1, {100, 80, 1000, 700}},
    {"partly over the edge, title bar reachable",
     {1500, 500, 1000, 700},
     1,
     {1500, 500, 1000, 700}},
    {"far right", {30000, 200, 1000, 700}, 1, {920, 200, 1000, 700}},
    {"far up and left", {-5000, -4000, 1000, 700}, 1, {0, 0, 1000, 700}},
    {"title bar above the top", {200, -40, 1000, 700}, 1, {200, 0, 1000, 700}},
    {"only a sliver of the title bar shows", {1850, 100, 1000, 700}, 1, {920, 100, 1000, 700}},
    {"off-screen and larger than the screen shrinks",
     {-100, -300, 2500, 1400},
     3,
     {0, 30, 1920, 1050}},
    {"second screen unplugged: onto the nearest", {3500, 300, 1000, 700}, 1, {920, 300, 1000, 700}},
    {"on the second screen stays", {2000, 300, 1000, 700}, 2, {2000, 300, 1000, 700}},
    {"below the second screen: onto it", {2100, 5000, 1000, 700}, 2, {2100, 324, 1000, 700}},
    {"no screens known", {30000, 0, 10, 10}, 0, {30000, 0, 10, 10}},
};

class TestAppShell : public QObject {
    Q_OBJECT
private slots:
    // The arguments split at blanks and tabs, at most ten read; the service switch among them.
    void commandLine_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("serviceFlag");
        QTest::newRow("empty") << "" << QStringList() << 0;
        QTest::newRow("blanks and tabs") << "  a \t\t b\tc  " << QStringList{"a", "b", "c"} << 0;
        QTest::newRow("switch alone") << "/QV" << QStringList{"/QV"} << 99;
        QTest::newRow("switch in lower case, tenth")
            << "1 2 3 4 5 6 7 8 9 /qV" << QString("1 2 3 4 5 6 7 8 9 /qV").split(' ') << 99;
        QTest::newRow("eleventh is not read")
            << "1 2 3 4 5 6 7 8 9 10 /QV" << QString("1 2 3 4 5 6 7 8 9 10").split(' ') << 0;
        QTest::newRow("only begins with the switch") << "/QVX" << QStringList{"/QVX"} << 0;
    }
    void commandLine() {
        QFETCH(QString, text);
        QTEST(getCommandLine(text), "args");
        QTEST(serviceFlagFrom(getCommandLine(text)), "serviceFlag");
    }

    void placementDefaultsAndRoundTrip() {
        QTemporaryDir dir;
        QSettings settings(dir.filePath(QStringLiteral("s.ini")), QSettings::IniFormat);
        QCOMPARE(readPlacement(settings), (Placement{0, 0, 9600, 7250}));
        settings.setValue(QStringLiteral("Settings/MainTop"), QStringLiteral("not a number"));
        settings.setValue(QStringLiteral("Settings/MainLeft"), QStringLiteral("1500"));
        QCOMPARE(readPlacement(settings), (Placement{1500, 0, 9600, 7250}));
        writePlacement(settings, Placement{15, 30, 12000, 9000.4});
        QCOMPARE(settings.value(QStringLiteral("Settings/MainHeight")).toString(),
                 QStringLiteral("9000"));
        QCOMPARE(readPlacement(settings), (Placement{15, 30, 12000, 9000}));
        // 96 pixels per inch: 15 twips per pixel.
        const QRect r = placementToPixels(Placement{0, 0, 9600, 7250}, 96);
        QCOMPARE(r, QRect(0, 0, 640, 483));
        QCOMPARE(pixelsToPlacement(QRect(10, 20, 640, 480), 96), (Placement{150, 300, 9600, 7200}));
    }

    void placementFitsOntoScreens_data() { addRows(kFits); }
    void placementFitsOntoScreens() {
        QFETCH(int, row);
        const FitCase& c = kFits[row];
        const QList<QRect> screens[] = {{}, {kHd}, {kHd, kRight}, {QRect(0, 30, 1920, 1050)}};
        QCOMPARE(fitOntoScreens(c.frame, screens[c.screens]), c.placed);
    }

    void secondInstanceRefused() {
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
};

QTEST_APPLESS_MAIN(TestAppShell)
#include "test_appshell.moc"
