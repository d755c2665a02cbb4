// qxtool and qxsim as processes against hostile files and failing disks: every failed write
// ends with an error naming the file and the reason, and the old file stays as it was.
#include "../fullfs.h"
#include "../simrig.h"

#include "program/demoprograms.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace vanto;

namespace {

using Run = test::ProcessRun;
using test::runProcess;

Run qxtool(const QStringList& args, const std::function<void(QProcess&)>& prepare = {}) {
    return runProcess(QStringLiteral(QXTOOL_PATH), args, prepare);
}

using vanto::test::readAll;
using vanto::test::writeAll;

QStringList filesIn(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::System, QDir::Name);
}

} // namespace

class TestQxtoolFiles : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase() { // QTemporaryDir cannot remove a name that is not UTF-8
        ::unlink((QFile::encodeName(m_dir.path()) + "/out\xe9.prg").constData());
    }
    void outputOnAFailingDisk_data();
    void outputOnAFailingDisk();
    void standardOutputFailure_data();
    void standardOutputFailure();
    void hostileInput_data();
    void hostileInput();
    void namesThatAreNotUtf8();
    void simulatorDumpAndPrograms();
    void monitorCsvOnAFailingDiskAndALostUnit();

private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }
};

void TestQxtoolFiles::initTestCase() {
    QVERIFY(writeAll(path(QStringLiteral("demo.prg")), demoPrograms().bytes()));
    QCOMPARE(::mkfifo(QFile::encodeName(path("fifo.prg")).constData(), 0600), 0);
}

void TestQxtoolFiles::outputOnAFailingDisk_data() {
    QTest::addColumn<QStringList>("arguments"); // OUT stands for the output file
    QTest::addColumn<QString>("output");
    QTest::addColumn<bool>("tmpfs"); // a full tmpfs, else a file size limit
    const QString demo = path("demo.prg");
    QTest::newRow("demo") << QStringList{"demo", "-o", "OUT"} << "out.prg" << false;
    QTest::newRow("export -o, full disk")
        << QStringList{"export", demo, "-o", "OUT"} << "out.json" << true;
}

void TestQxtoolFiles::outputOnAFailingDisk() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, output);
    QFETCH(bool, tmpfs);
    QTemporaryDir dir;
    std::unique_ptr<test::SmallTmpfs> fs;
    QString out = dir.filePath(output);
    if (tmpfs) {
        fs = std::make_unique<test::SmallTmpfs>(dir.filePath(QStringLiteral("small")), 64);
        if (!fs->mounted())
            QSKIP(qPrintable(fs->why()));
        out = fs->path(output);
    }
    QVERIFY(writeAll(out, "old"));
    if (fs)
        QVERIFY(fs->fill());
    arguments.replaceInStrings(QStringLiteral("OUT"), out);
    const Run r = qxtool(arguments, [tmpfs](QProcess& p) {
        if (!tmpfs)
            test::limitFileSize(p, 100);
    });
    QCOMPARE(r.exitCode, 2);
    const QString reason = tmpfs ? "no space left on device" : "file too large";
    QVERIFY2(r.errText().contains(out) && r.errText().contains(reason), qPrintable(r.errText()));
    QCOMPARE(readAll(out), QByteArray("old"));
    QCOMPARE(filesIn(QFileInfo(out).path()).filter(output), QStringList{output}); // nothing left
}

void TestQxtoolFiles::standardOutputFailure_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("closed"); // stdout closed, else /dev/full
    const QString demo = path("demo.prg");
    QTest::newRow("show, full") << QStringList{"show", demo} << false;
    QTest::newRow("show, closed") << QStringList{"show", demo} << true;
}

void TestQxtoolFiles::standardOutputFailure() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, closed);
    const Run r = qxtool(arguments, [closed](QProcess& p) {
        if (closed)
            p.setChildProcessModifier([] { ::close(STDOUT_FILENO); });
        else
            p.setStandardOutputFile(QStringLiteral("/dev/full"));
    });
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.errText().startsWith(QStringLiteral("qxtool: standard output")),
             qPrintable(r.errText()));
}

void TestQxtoolFiles::hostileInput_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("untouched"); // a file that must keep its contents, or ""
    const QString demo = path("demo.prg");
    QVERIFY(writeAll(path("self.prg"), demoPrograms().bytes()));
    QFile::remove(path("alias.json"));
    QVERIFY(::link(QFile::encodeName(demo).constData(),
                   QFile::encodeName(path("alias.json")).constData()) == 0);
    QVERIFY(writeAll(path("old.csv"), "old log\n"));
    QVERIFY(writeAll(path("wide.json"), "{\"programs\":[{\"fields\":{\"Base\":\"" +
                                            QByteArray(100000, '7') +
                                            "\"}},{},{},{},{},{},{},{}]}"));
    const QStringList monitor = {"monitor", "--device", path("no-such-device")};

    QTest::newRow("FIFO input") << QStringList{"show", path("fifo.prg")} << "not a regular file"
                                << "";
    QTest::newRow("FIFO output") << QStringList{"demo", "-o", path("fifo.prg")}
                                 << "not a regular file"
                                 << "";
    QTest::newRow("timeout nan") << QStringList{"backup",      "--device",  path("none"), "-o",
                                                path("b.prg"), "--timeout", "nan"}
                                 << "--timeout must be"
                                 << "";
    QTest::newRow("export onto itself")
        << QStringList{"export", path("self.prg"), "-o", path("self.prg")} << "another kind of file"
        << path("self.prg");
    QTest::newRow("export onto a hard link")
        << QStringList{"export", demo, "-o", path("alias.json")} << "also the input" << demo;
    QTest::newRow("csv kept when the device is missing")
        << monitor + QStringList{"--csv", path("old.csv")} << "no-such-device" << path("old.csv");
    QTest::newRow("huge over-wide field")
        << QStringList{"import", path("wide.json"), "-o", path("w.prg")} << "has 100000"
        << "";
}

void TestQxtoolFiles::hostileInput() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, reason);
    QFETCH(QString, untouched);
    const QByteArray before = untouched.isEmpty() ? QByteArray() : readAll(untouched);
    QElapsedTimer clock;
    clock.start();
    const Run r = qxtool(arguments);
    QCOMPARE(r.exitCode, 2);
    QVERIFY(clock.elapsed() < 10000);
    QVERIFY2(r.errText().contains(reason), qPrintable(r.errText().left(300)));
    QVERIFY2(r.errText().size() < 400,
             qPrintable(r.errText().left(300))); // one short line, not the value
    if (!untouched.isEmpty())
        QCOMPARE(readAll(untouched), before);
    QVERIFY(!QFileInfo(path("fifo.prg")).isFile()); // the FIFO is still one
}

void TestQxtoolFiles::namesThatAreNotUtf8() {
    // The shell passes the bytes as they are: é in Latin-1 and a lone byte ff.
    const auto shell = [&](const QString& script) {
        return runProcess(QStringLiteral("/bin/sh"),
                          {"-c", script, "sh", QStringLiteral(QXTOOL_PATH), m_dir.path()});
    };
    Run r = shell(R"sh(exec "$1" demo -o "$2/$(printf 'out\351.prg')")sh");
    QCOMPARE(r.exitCode, 0);
    struct stat st;
    QCOMPARE(::stat((QFile::encodeName(m_dir.path()) + "/out\xe9.prg").constData(), &st), 0);
    QCOMPARE(qint64(st.st_size), qint64(2224));
    r = shell(R"sh(exec "$1" show "$2/$(printf 'out\351.prg')" --program 0)sh");
    QCOMPARE(r.exitCode, 0);
    r = shell(R"sh(exec "$1" show "$2/$(printf 'gone\377.prg')")sh");
    QCOMPARE(r.exitCode, 2);
    // The message names the file with the bytes it was given.
    QVERIFY2(r.err.contains("/gone\xff.prg: no such file"), r.err.constData());
}

void TestQxtoolFiles::simulatorDumpAndPrograms() {
    // --programs on a FIFO: refused at once, not waited on.
    const Run fifo =
        runProcess(QStringLiteral(QXSIM_PATH), {"--programs", path("fifo.prg")}, {}, 5000);
    QCOMPARE(fifo.exitCode, 2);
    QVERIFY2(fifo.errText().contains("not a regular file"), qPrintable(fifo.errText()));

    const QString old = path("dumped.prg");
    QVERIFY(writeAll(old, "old"));
    test::SimProcess sim({}, [](QProcess& p) { test::limitFileSize(p, 1000); });
    QVERIFY(!sim.device.isEmpty());
    QCOMPARE(sim.command("dump " + old), "error dump " + old + ": file too large");
    QCOMPARE(readAll(old), QByteArray("old"));
    QCOMPARE(filesIn(m_dir.path()).filter("dumped"), QStringList{"dumped.prg"});

    QTemporaryDir dir;
    test::SmallTmpfs fs(dir.filePath(QStringLiteral("small")), 64);
    if (!fs.mounted())
        QSKIP(qPrintable(fs.why()));
    const QString full = fs.path(QStringLiteral("unit.prg"));
    QVERIFY(writeAll(full, "old"));
    QVERIFY(fs.fill());
    test::SimProcess unlimited;
    QCOMPARE(unlimited.command("dump " + full), "error dump " + full + ": no space left on device");
    QCOMPARE(readAll(full), QByteArray("old"));
}

void TestQxtoolFiles::monitorCsvOnAFailingDiskAndALostUnit() {
    test::SimProcess sim;
    const QString csv = path("live.csv");
    Run r = qxtool({"monitor", "--device", sim.device, "--csv", csv, "--seconds", "20"},
                   [](QProcess& p) { test::limitFileSize(p, 300); });
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.errText().trimmed().endsWith(csv + ": cannot write: file too large"),
             qPrintable(r.errText()));
    const QByteArray log = readAll(csv);
    QVERIFY(log.startsWith("time,program,distance") && log.endsWith('\n')); // whole rows only
    QVERIFY(log.size() <= 300);

    // The unit hangs up once it is polled, and stays away.
    test::SimProcess leaving;
    QProcess monitor;
    monitor.start(QStringLiteral(QXTOOL_PATH),
                  {"monitor", "--device", leaving.device, "--seconds", "5"});
    QVERIFY(monitor.waitForReadyRead(15000)); // the first sample
    QCOMPARE(leaving.command("hangup"), QStringLiteral("ok hangup"));
    QVERIFY(monitor.waitForFinished(15000));
    QCOMPARE(monitor.exitCode(), 2);
    const QString err = QString::fromUtf8(monitor.readAllStandardError());
    QVERIFY2(err.contains("did not come back"), qPrintable(err));
}

QTEST_GUILESS_MAIN(TestQxtoolFiles)
#include "test_qxtool_files.moc"
