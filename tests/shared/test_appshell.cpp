#include "shared/appshell.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace vanto;

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
    }

    void placementPixels() {
        // 96 pixels per inch: 15 twips per pixel.
        const QRect r = placementToPixels(Placement{0, 0, 9600, 7250}, 96);
        QCOMPARE(r, QRect(0, 0, 640, 483));
        QCOMPARE(pixelsToPlacement(QRect(10, 20, 640, 480), 96), (Placement{150, 300, 9600, 7200}));
    }

    void placementFitsOntoScreens_data() {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QList<QRect>>("screens");
        QTest::addColumn<QRect>("placed");
        const QRect hd(0, 0, 1920, 1080);
        const QRect right(1920, 0, 1280, 1024);
        QTest::newRow("inside stays")
            << QRect(100, 80, 1000, 700) << QList<QRect>{hd} << QRect(100, 80, 1000, 700);
        QTest::newRow("partly over the edge, title bar reachable")
            << QRect(1500, 500, 1000, 700) << QList<QRect>{hd} << QRect(1500, 500, 1000, 700);
        QTest::newRow("far right")
            << QRect(30000, 200, 1000, 700) << QList<QRect>{hd} << QRect(920, 200, 1000, 700);
        QTest::newRow("far up and left")
            << QRect(-5000, -4000, 1000, 700) << QList<QRect>{hd} << QRect(0, 0, 1000, 700);
        QTest::newRow("title bar above the top")
            << QRect(200, -40, 1000, 700) << QList<QRect>{hd} << QRect(200, 0, 1000, 700);
        QTest::newRow("only a sliver of the title bar shows")
            << QRect(1850, 100, 1000, 700) << QList<QRect>{hd} << QRect(920, 100, 1000, 700);
        QTest::newRow("off-screen and larger than the screen shrinks")
            << QRect(-100, -300, 2500, 1400) << QList<QRect>{QRect(0, 30, 1920, 1050)}
            << QRect(0, 30, 1920, 1050);
        QTest::newRow("second screen unplugged: onto the nearest")
            << QRect(3500, 300, 1000, 700) << QList<QRect>{hd} << QRect(920, 300, 1000, 700);
        QTest::newRow("on the second screen stays")
            << QRect(2000, 300, 1000, 700) << QList<QRect>{hd, right}
            << QRect(2000, 300, 1000, 700);
        QTest::newRow("below the second screen: onto it")
            << QRect(2100, 5000, 1000, 700) << QList<QRect>{hd, right}
            << QRect(2100, 324, 1000, 700);
        QTest::newRow("no screens known")
            << QRect(30000, 0, 10, 10) << QList<QRect>{} << QRect(30000, 0, 10, 10);
    }

    void placementFitsOntoScreens() {
        QFETCH(QRect, frame);
        QFETCH(QList<QRect>, screens);
        QFETCH(QRect, placed);
        QCOMPARE(fitOntoScreens(frame, screens), placed);
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
