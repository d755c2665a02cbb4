#include "../fakes.h"

#include "link/commconfig.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace vanto;
using vanto::test::FakePrompts;
using vanto::test::readAll;

class TestCommConfig : public QObject {
    Q_OBJECT
private slots:
    void missingFileGivesDefaultsAndCreatesNothing();
    void saveWritesTheRecord();
    void carriedFieldsSurvive();
    void unreadableFilesGiveDefaults_data();
    void unreadableFilesGiveDefaults();
    void failedStoreIsReportedOnce();
    void setupSelection();
};

void TestCommConfig::missingFileGivesDefaultsAndCreatesNothing() {
    QTemporaryDir dir;
    CommConfig config;
    config.commPort = 7;
    readConfig(config, dir.path());
    QCOMPARE(config.commPort, qint16(1));
    QCOMPARE(config.driveText, QByteArray("C:      "));
    QCOMPARE(config.accessText, QByteArray("TREK           "));
    QVERIFY(config.pathText.startsWith(dir.path().toLatin1().left(80)));
    QCOMPARE(config.pathText.size(), 80);
    QVERIFY(!QFile::exists(configPath(dir.path())));
}

void TestCommConfig::saveWritesTheRecord() {
    QTemporaryDir dir;
    FakePrompts prompts;
    CommConfig config;
    readConfig(config, dir.path());
    config.commPort = 4;
    QVERIFY(writeConfig(config, dir.path(), prompts));
    const QByteArray bytes = readAll(configPath(dir.path()));
    QCOMPARE(bytes.size(), 126);
    QCOMPARE(bytes.at(124), char(4));
    QCOMPARE(bytes.at(125), char(0));
    QCOMPARE(bytes.mid(80, 2), QByteArray("C:"));
    QCOMPARE(bytes.mid(109, 15), QByteArray("TREK           "));
    QCOMPARE(bytes.mid(103, 6), QByteArray(6, '\0'));
    QVERIFY(prompts.messages.isEmpty());
}

void TestCommConfig::carriedFieldsSurvive() {
    QTemporaryDir dir;
    FakePrompts prompts;
    QByteArray image(126, '\0');
    for (int i = 0; i < 124; ++i)
        image[i] = char(i * 7 + 1); // every carried byte distinct, including non-text bytes
    image[124] = char(0x02);
    image[125] = char(0x01); // port 258: beyond 1..9, still read and carried
    QFile f(configPath(dir.path()));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(image);
    f.close();

    CommConfig config;
    readConfig(config, dir.path());
    QCOMPARE(config.commPort, qint16(258));
    config.commPort = 3;
    QVERIFY(writeConfig(config, dir.path(), prompts));
    QByteArray expected = image;
    expected[124] = 3;
    expected[125] = 0;
    QCOMPARE(readAll(configPath(dir.path())), expected);
}

void TestCommConfig::unreadableFilesGiveDefaults_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("directory");
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("short") << QByteArray(125, 'x') << false;
    QTest::newRow("a directory in its place") << QByteArray() << true;
}

void TestCommConfig::unreadableFilesGiveDefaults() {
    QFETCH(QByteArray, content);
    QFETCH(bool, directory);
    QTemporaryDir dir;
    if (directory) {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("vanto.cfg")));
    } else {
        QFile f(configPath(dir.path()));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    CommConfig config;
    config.commPort = 9;
    readConfig(config, dir.path());
    QCOMPARE(config, CommConfig::defaults(dir.path()));
}

void TestCommConfig::failedStoreIsReportedOnce() {
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("gone"));
    FakePrompts prompts;
    CommConfig config = CommConfig::defaults(missing);
    config.commPort = 5;
    QVERIFY(!writeConfig(config, missing, prompts));
    QCOMPARE(prompts.messages.size(), 1);
    QCOMPARE(prompts.messages[0].text, QStringLiteral("Error in Storing VANTO.CFG file."));
    QCOMPARE(prompts.messages[0].title, QStringLiteral("FILE ERROR (ovk)"));
    QCOMPARE(prompts.messages[0].icon, MessageIcon::Question);
    QCOMPARE(config.commPort, qint16(5)); // the new port still holds for this run
}

void TestCommConfig::setupSelection() {
    QCOMPARE(setupItemFor(1), 0);
    QCOMPARE(setupItemFor(9), 8);
    QCOMPARE(setupItemFor(0), -1);
    QCOMPARE(setupItemFor(258), -1);
    QCOMPARE(setupPortFor(3, 258), qint16(4));
    QCOMPARE(setupPortFor(-1, 258), qint16(258)); // nothing chosen: the stored port stays
}

QTEST_APPLESS_MAIN(TestCommConfig)
#include "test_commconfig.moc"
