// What the programs meet when they start: the command lines of vanto, qxtool and qxsim (--help
// and --version, vanto's without a display, usage errors, "help COMMAND", "-o -" and "--", the
// programs run as processes), and where the help file and vanto.cfg are found, run from a build
// folder (files beside the program) or installed (bin/ and share/vanto/, vanto.cfg per user).
#include "link/commconfig.h"
#include "shared/appshell.h"
#include "shared/commandline.h"

#include "program/demoprograms.h"

#include <QDir>
#include <QFile>
#include <QProcess>
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

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void vantoParse_data();
    void vantoParse();
    void programs_data();
    void programs();
    void helpFile_data();
    void helpFile();
    void configFolders_data();
    void configFolders();
};

void TestStartup::vantoParse_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("serviceFlag");
    QTest::addColumn<QString>("device");
    QTest::addColumn<bool>("connect");
    QTest::addColumn<QString>("settings");
    using A = VantoCommandLine::Action;
    const auto row = [](const char* name, const QStringList& args, A action, int serviceFlag,
                        const char* device = "", bool connect = false, const char* settings = "") {
        QTest::newRow(name) << args << int(action) << serviceFlag << device << connect << settings;
    };
    row("all, lower-case /qv", {"--device", "/dev/pts/3", "/qv", "--connect", "--settings=s.ini"},
        A::Run, 99, "/dev/pts/3", true, "s.ini");
    row("device=, /Qv tenth",
        {"--device=/dev/ttyUSB0", "2", "3", "4", "5", "6", "7", "8", "9", "/Qv"}, A::Run, 99,
        "/dev/ttyUSB0");
    row("/QV eleventh", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "/QV"}, A::Run, 0);
    row("Qt's own options", {"-platform", "offscreen", "-reverse"}, A::Run, 0);
    row("after --, a device is no option", {"--", "--device"}, A::Run, 0);
    row("help", {"/QV", "-h"}, A::Help, 99);
    row("typo", {"--devcie", "x"}, A::Error, 0);
    row("empty device", {"--device="}, A::Error, 0);
}

void TestStartup::vantoParse() {
    QFETCH(QStringList, args);
    QFETCH(int, action);
    QFETCH(int, serviceFlag);
    QFETCH(QString, device);
    QFETCH(bool, connect);
    QFETCH(QString, settings);
    const VantoCommandLine c = parseVantoCommandLine(args);
    QCOMPARE(int(c.action), action);
    QCOMPARE(c.error.isEmpty(), action != int(VantoCommandLine::Action::Error));
    QCOMPARE(c.serviceFlag, serviceFlag);
    if (action == int(VantoCommandLine::Action::Error))
        return;
    QCOMPARE(c.device, device);
    QCOMPARE(c.connect, connect);
    QCOMPARE(c.settingsFile, settings);
}

void TestStartup::programs_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out"); // stdout starts with this ("" = stdout empty)
    QTest::addColumn<QByteArray>("err"); // stderr holds this ("" = stderr empty)
    const QString vanto = QStringLiteral(VANTO_PATH);
    const QString qxtool = QStringLiteral(QXTOOL_PATH);
    const QString qxsim = QStringLiteral(QXSIM_PATH);
    const QByteArray version(VANTO_VERSION "\n"); // one generated version for all three
    const QByteArray programs = demoPrograms().bytes();

    // vanto runs here without any display: these answer before a window system is needed.
    QTest::newRow("vanto --help") << vanto << QStringList{"--help"} << 0
                                  << QByteArray("usage: vanto [/QV]") << QByteArray();
    QTest::newRow("vanto --version")
        << vanto << QStringList{"--version"} << 0 << "vanto " + version << QByteArray();
    QTest::newRow("vanto typo") << vanto << QStringList{"--devcie", "/dev/pts/3"} << 2
                                << QByteArray() << QByteArray("vanto: Unknown option 'devcie'");

    QTest::newRow("qxtool help frob") << qxtool << QStringList{"help", "frob"} << 2 << QByteArray()
                                      << QByteArray("unknown command \"frob\"");
    QTest::newRow("qxtool demo -o -")
        << qxtool << QStringList{"demo", "-o", "-"} << 0 << programs << QByteArray();
    QTest::newRow("qxtool -- ends options") << qxtool << QStringList{"show", "--", "-x.prg"} << 2
                                            << QByteArray() << QByteArray("-x.prg: no such file");

    QTest::newRow("qxsim -- then an option")
        << qxsim << QStringList{"--", "--pace"} << 2 << QByteArray()
        << QByteArray("unexpected argument \"--pace\"");
}

void TestStartup::programs() {
    QFETCH(QString, program);
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    p.setProcessEnvironment(env);
    p.start(program, args);
    p.closeWriteChannel();
    QVERIFY(p.waitForFinished(20000));
    const QByteArray stdOut = p.readAllStandardOutput();
    const QByteArray stdErr = p.readAllStandardError();
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QVERIFY2(p.exitCode() == exitCode, stdErr.constData());
    if (out.isEmpty())
        QCOMPARE(stdOut, QByteArray());
    else
        QVERIFY2(stdOut.startsWith(out), stdOut.left(200).constData());
    if (err.isEmpty())
        QCOMPARE(stdErr, QByteArray());
    else
        QVERIFY2(stdErr.contains(err), stdErr.constData());
}

void TestStartup::helpFile_data() {
    QTest::addColumn<bool>("beside");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("expected"); // relative to the prefix
    QTest::addColumn<bool>("expectInstalled");
    QTest::newRow("build folder") << true << false << "bin/VANTO.HLP" << false;
    QTest::newRow("installed") << false << true << "share/vanto/VANTO.HLP" << true;
    QTest::newRow("beside wins") << true << true << "bin/VANTO.HLP" << false;
    QTest::newRow("neither: named beside") << false << false << "bin/VANTO.HLP" << false;
}

void TestStartup::helpFile() {
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

void TestStartup::configFolders_data() {
    QTest::addColumn<bool>("inUserDir");
    QTest::addColumn<bool>("besideProgram");
    QTest::addColumn<bool>("programDirExists"); // a folder that is not there cannot be written
    QTest::addColumn<bool>("programDirIsOwn");
    QTest::addColumn<QString>("readFrom");
    QTest::addColumn<QString>("savedTo");
    const auto row = [](const char* name, bool user, bool beside, bool exists, bool own,
                        const char* readFrom, const char* savedTo) {
        QTest::newRow(name) << user << beside << exists << own << readFrom << savedTo;
    };
    row("build folder, first start", false, false, true, true, "program", "program");
    row("build folder, file beside", false, true, true, true, "program", "program");
    row("installed, first start", false, false, true, false, "program", "user");
    row("installed, file beside it", false, true, true, false, "program", "program");
    row("per-user file wins", true, true, true, true, "user", "user");
    row("program folder unwritable", false, false, false, true, "program", "user");
}

void TestStartup::configFolders() {
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

QTEST_APPLESS_MAIN(TestStartup)
#include "test_startup.moc"
