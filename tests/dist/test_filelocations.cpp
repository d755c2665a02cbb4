// Where the program finds its help file and keeps vanto.cfg, run from a build folder (files beside
// the program) or installed (bin/ and share/vanto/, vanto.cfg per user).
#include "link/commconfig.h"
#include "shared/appshell.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace vanto;

namespace {

bool touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(QByteArray(126, ' ')) == 126;
}

} // namespace

class TestFileLocations : public QObject {
    Q_OBJECT
private slots:
    void helpFile_data();
    void helpFile();
    void configFolders_data();
    void configFolders();
};

void TestFileLocations::helpFile_data() {
    QTest::addColumn<bool>("beside");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("expected"); // relative to the prefix
    QTest::addColumn<bool>("expectInstalled");
    QTest::newRow("build folder") << true << false << "bin/VANTO.HLP" << false;
    QTest::newRow("installed") << false << true << "share/vanto/VANTO.HLP" << true;
    QTest::newRow("beside wins") << true << true << "bin/VANTO.HLP" << false;
    QTest::newRow("neither: named beside") << false << false << "bin/VANTO.HLP" << false;
}

void TestFileLocations::helpFile() {
    QFETCH(bool, beside);
    QFETCH(bool, installed);
    QFETCH(QString, expected);
    QFETCH(bool, expectInstalled);
    QTemporaryDir prefix;
    const QString bin = prefix.filePath(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(bin));
    if (beside)
        QVERIFY(touch(prefix.filePath(QStringLiteral("bin/VANTO.HLP"))));
    if (installed)
        QVERIFY(touch(prefix.filePath(QStringLiteral("share/vanto/VANTO.HLP"))));
    QCOMPARE(locateHelpFile(bin), prefix.filePath(expected));
    QCOMPARE(runsInstalled(bin), expectInstalled);
}

void TestFileLocations::configFolders_data() {
    QTest::addColumn<bool>("inUserDir");
    QTest::addColumn<bool>("besideProgram");
    QTest::addColumn<bool>("programDirExists"); // a folder that is not there cannot be written
    QTest::addColumn<bool>("programDirIsOwn");
    QTest::addColumn<QString>("readFrom");
    QTest::addColumn<QString>("savedTo");
    QTest::newRow("build folder, first start") << false << false << true << true << "program"
                                               << "program";
    QTest::newRow("build folder, file beside") << false << true << true << true << "program"
                                               << "program";
    QTest::newRow("installed, first start") << false << false << true << false << "program"
                                            << "user";
    QTest::newRow("installed, file beside it") << false << true << true << false << "program"
                                               << "program";
    QTest::newRow("per-user file wins") << true << true << true << true << "user"
                                        << "user";
    QTest::newRow("program folder unwritable") << false << false << false << true << "program"
                                               << "user";
}

void TestFileLocations::configFolders() {
    QFETCH(bool, inUserDir);
    QFETCH(bool, besideProgram);
    QFETCH(bool, programDirExists);
    QFETCH(bool, programDirIsOwn);
    QFETCH(QString, readFrom);
    QFETCH(QString, savedTo);
    QTemporaryDir root;
    const QString program = root.filePath(QStringLiteral("program"));
    const QString user = root.filePath(QStringLiteral("user"));
    if (programDirExists)
        QVERIFY(QDir().mkpath(program));
    if (besideProgram)
        QVERIFY(touch(configPath(program)));
    if (inUserDir)
        QVERIFY(touch(configPath(user)));
    QCOMPARE(configReadDir(program, user), root.filePath(readFrom));
    const QString saveDir = configSaveDir(program, user, programDirIsOwn);
    QCOMPARE(saveDir, root.filePath(savedTo));
    QVERIFY(QFileInfo(saveDir).isDir()); // the per-user folder is made when chosen
}

QTEST_APPLESS_MAIN(TestFileLocations)
#include "test_filelocations.moc"
