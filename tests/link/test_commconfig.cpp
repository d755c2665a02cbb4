// vanto.cfg: the defaults, the 126-byte image written, carried bytes, and a failed store.
#include "../fakes.h"

#include "link/commconfig.h"

#include <QTemporaryDir>
#include <QTest>

using namespace vanto;
using namespace vanto::test;

class TestCommConfig : public QObject {
    Q_OBJECT
private slots:
    void unreadableFilesGiveDefaults_data() {
        QTest::addColumn<QByteArray>("content"); // "dir": a directory in the file's place
        QTest::newRow("missing") << QByteArray("missing");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("short") << QByteArray(125, 'x');
        QTest::newRow("a directory in its place") << QByteArray("dir");
    }

    void unreadableFilesGiveDefaults() {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        if (content == "dir")
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("vanto.cfg")));
        else if (content != "missing")
            QVERIFY(writeAll(configPath(dir.path()), content));
        CommConfig config;
        config.commPort = 9;
        readConfig(config, dir.path());
        QCOMPARE(config, CommConfig::defaults(dir.path()));
        QCOMPARE(config.commPort, qint16(1));
        // Nothing is created.
        QCOMPARE(QFileInfo::exists(configPath(dir.path())), content != "missing");
    }

    void savedImage() {
        QTemporaryDir dir;
        FakePrompts prompts;
        CommConfig config = CommConfig::defaults(dir.path());
        config.commPort = 4;
        QVERIFY(writeConfig(config, dir.path(), prompts));
        // Path (80), drive (8), spare text (15), spare word, spare long, access (15), port word.
        const QByteArray expected = dir.path().toLatin1().leftJustified(80, ' ') +
                                    "C:      " + QByteArray(15, ' ') + QByteArray(6, '\0') +
                                    "TREK           " + QByteArray("\x04\x00", 2);
        QCOMPARE(readAll(configPath(dir.path())), expected);
        QVERIFY(prompts.messages.isEmpty());
    }

    void carriedBytesSurvive() {
        QTemporaryDir dir;
        FakePrompts prompts;
        QByteArray image(126, '\0');
        for (int i = 0; i < 124; ++i)
            image[i] = char(i * 7 + 1); // every carried byte distinct, including non-text bytes
        image[124] = char(0x02);
        image[125] = char(0x01); // port 258: beyond 1..9, still read and carried
        QVERIFY(writeAll(configPath(dir.path()), image));
        CommConfig config;
        readConfig(config, dir.path());
        QCOMPARE(config.commPort, qint16(258));
        QCOMPARE(setupItemFor(258), -1);              // nothing selected in the setup dialog...
        QCOMPARE(setupPortFor(-1, 258), qint16(258)); // ...and the stored port stays
        QCOMPARE(setupItemFor(9), 8);
        config.commPort = setupPortFor(2, 258);
        QVERIFY(writeConfig(config, dir.path(), prompts));
        image[124] = 3;
        image[125] = 0;
        QCOMPARE(readAll(configPath(dir.path())), image);
    }

    void failedStoreIsReportedOnce() {
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("gone"));
        FakePrompts prompts;
        CommConfig config = CommConfig::defaults(missing);
        config.commPort = 5;
        QVERIFY(!writeConfig(config, missing, prompts));
        QCOMPARE(prompts.texts(), QStringList{"Error in Storing VANTO.CFG file."});
        QCOMPARE(prompts.messages[0].title, QStringLiteral("FILE ERROR (ovk)"));
        QCOMPARE(config.commPort, qint16(5)); // the new port still holds for this run
    }
};

QTEST_APPLESS_MAIN(TestCommConfig)
#include "test_commconfig.moc"
