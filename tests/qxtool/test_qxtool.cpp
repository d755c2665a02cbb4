// qxtool's file commands, run as the real executable: exit codes, outputs and files, hostile
// files and failing disks (every failed write names the file and the reason, and the old file
// stays as it was), and qxsim's own files; the unit/file comparison as every reader reads a
// field, the values it shows, and the program report (as text, and from `qxtool report`).
#include "../fullfs.h"
#include "../simrig.h"

#include "program/demoprograms.h"
#include "program/programcompare.h"
#include "program/programfile.h"
#include "program/programreport.h"
#include "program/transmission.h"
#include "report/reportdocument.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace vanto;
using vanto::test::readAll;
using vanto::test::runQxtool;
using vanto::test::writeAll;

using Run = test::ProcessRun;
using test::runProcess;

namespace {

Run qxtool(const QStringList& args, const std::function<void(QProcess&)>& prepare = {}) {
    return runProcess(QStringLiteral(QXTOOL_PATH), args, prepare);
}

QStringList filesIn(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::System, QDir::Name);
}

} // namespace

class TestQxtool : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase() { // QTemporaryDir cannot remove a name that is not UTF-8
        ::unlink((QFile::encodeName(m_dir.path()) + "/out\xe9.prg").constData());
    }
    void showTable();
    void exportImportIsLossless();
    void importRefuses_data();
    void importRefuses();
    void diff();
    void xmtRefusesWhatCannotBeCarried();
    void xmt();
    void badInput_data();
    void badInput();
    void outputOnAFailingDisk_data();
    void outputOnAFailingDisk();
    void standardOutputFailure_data();
    void standardOutputFailure();
    void namesThatAreNotUtf8();
    void simulatorDumpAndPrograms();
    void monitorCsvOnAFailingDiskAndALostUnit();
    void equalAsRead_data();
    void equalAsRead();
    void unitAgainstFileLeavesOut();
    void shownText_data();
    void shownText();
    void reportText();
    void qxtoolReport_data();
    void qxtoolReport();

private:
    QTemporaryDir m_dir;
    QString m_demo;
    QString path(const QString& name) const { return m_dir.filePath(name); }
};

void TestQxtool::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_demo = path(QStringLiteral("demo.prg"));
    const Run r = qxtool({"demo", "-o", m_demo});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(readAll(m_demo), demoPrograms().bytes());
    QCOMPARE(::mkfifo(QFile::encodeName(path("fifo.prg")).constData(), 0600), 0);
}

void TestQxtool::showTable() {
    const Run r = qxtool({"show", m_demo});
    QCOMPARE(r.exitCode, 0);
    const QList<QByteArray> lines = r.out.trimmed().split('\n');
    QCOMPARE(lines.size(), 1 + kFieldCount);
    QVERIFY(lines[0].startsWith("No. Field"));
    QVERIFY(lines[0].endsWith("#7"));
    // Row of field 9 (Range): the eight ranges in program order.
    QCOMPARE(lines[9].simplified(), QByteArray("9 Range 30 40 24 36 60 48 20 72"));
}

void TestQxtool::exportImportIsLossless() {
    ProgramSet set = demoPrograms();
    set[0].set(Field::Units, " 1");            // leading blank kept
    set[6].set(Field::Param47, "a\"b\\c\xe9"); // quotes, backslash, a Latin-1 letter
    set[7].set(Field::Spare02, "");
    QVERIFY(writeAll(path(QStringLiteral("odd.prg")), set.bytes()));
    const QString json = path(QStringLiteral("odd.json"));
    QCOMPARE(qxtool({"export", path("odd.prg"), "-o", json}).exitCode, 0);
    QVERIFY(readAll(json).contains("\"Units\": \" 1\""));
    const QString back = path(QStringLiteral("back.prg"));
    const Run r = qxtool({"import", json, "-o", back});
    QCOMPARE(r.errText(), QString());
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(readAll(back), set.bytes());
    // Without -o the JSON goes to stdout.
    QCOMPARE(qxtool({"export", path("odd.prg")}).out, readAll(json));
}

void TestQxtool::importRefuses_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("reason");
    // Eight programs with every field blank; program #3 leaves out `skip` and adds `extra`.
    auto program = [](const char* skip, const QByteArray& extra = {}) {
        QByteArray all = "{\"programs\":[";
        for (int p = 0; p < 8; ++p) {
            QByteArrayList fields;
            for (const FieldInfo& f : kFieldTable) {
                if (p != 3 || qstrcmp(f.name, skip) != 0)
                    fields << "\"" + QByteArray(f.name) + "\":\"\"";
            }
            if (p == 3 && !extra.isEmpty())
                fields << extra;
            all += (p ? "," : "") + QByteArray("{\"fields\":{") + fields.join(',') + "}}";
        }
        return all + "]}";
    };
    QTest::newRow("unknown field") << program("", "\"Bsae\":\"13\"") << "unknown field \"Bsae\"";
    QTest::newRow("over-wide") << program("Units", "\"Units\":\"123456\"") << "5 characters wide";
    QTest::newRow("beyond one byte") << program("Base", "\"Base\":\"\\u20ac\"") << "U+20ac";
    QTest::newRow("a field missing") << program("Base") << "program #3: field missing: Base";
    QTest::newRow("eight empty programs") << QByteArray("{\"programs\":[{},{},{},{},{},{},{},{}]}")
                                          << "program #0: \"fields\" is missing";
    QTest::newRow("a field twice")
        << program("", "\"Base\":\"14\"") << "key \"Base\" given twice in programs[3].fields";
    // A program file could hold these bytes; a transmission could not carry them.
    QTest::newRow("CR") << program("AverageCount", "\"AverageCount\":\"4\\r9\"")
                        << "program #3: field AverageCount holds a carriage return";
    QTest::newRow("not JSON") << QByteArray("{\"programs\":") << "not valid JSON";
}

void TestQxtool::importRefuses() {
    QFETCH(QByteArray, json);
    QFETCH(QString, reason);
    const QString in = path(QStringLiteral("bad.json"));
    const QString out = path(QStringLiteral("keep.prg"));
    QVERIFY(writeAll(in, json));
    QVERIFY(writeAll(out, "old"));
    const Run r = qxtool({"import", in, "-o", out});
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.errText().contains(reason) && r.errText().contains(in), qPrintable(r.errText()));
    QCOMPARE(r.errText().count(QLatin1Char('\n')), 1);
    QCOMPARE(readAll(out), QByteArray("old"));
}

void TestQxtool::diff() {
    ProgramSet changed = demoPrograms();
    changed[3].set(Field::Base, "14");
    changed[7].set(Field::Param47, "x");
    const QString other = path(QStringLiteral("changed.prg"));
    QVERIFY(writeAll(other, changed.bytes()));
    const Run same = qxtool({"diff", m_demo, m_demo});
    QCOMPARE(same.exitCode, 0);
    QVERIFY(same.out.isEmpty());
    const Run r = qxtool({"diff", m_demo, other});
    QCOMPARE(r.exitCode, 1);
    const QList<QByteArray> lines = r.out.trimmed().split('\n');
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0].simplified(), QByteArray("#3 8 Base \"13\" -> \"14\""));
    QCOMPARE(lines[1].simplified(), QByteArray("#7 47 Param47 \"\" -> \"x\""));
    // Blanks around a value do not count as read (the comparison's own table), but --exact
    // compares the bytes; any letter case is a program file's name.
    changed = demoPrograms();
    changed[2].set(Field::Units, "0");
    const QString capitals = path(QStringLiteral("B.PRG"));
    QVERIFY(writeAll(capitals, changed.bytes()));
    QCOMPARE(qxtool({"diff", m_demo, capitals}).exitCode, 0);
    QCOMPARE(qxtool({"diff", m_demo, capitals, "--exact"}).exitCode, 1);
}

void TestQxtool::xmt() {
    const QString out = path(QStringLiteral("p5.xmt"));
    const Run r = qxtool({"xmt", m_demo, "--program", "5", "-o", out});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(readAll(out), buildTransmissionText(demoPrograms(), 5, {0, true, {}}));
    // Capitals are a transmit file's name as well.
    const QString capitals = path(QStringLiteral("P5.XMT"));
    QCOMPARE(qxtool({"xmt", m_demo, "--program", "5", "-o", capitals}).exitCode, 0);
    QCOMPARE(readAll(capitals), readAll(out));
}

void TestQxtool::xmtRefusesWhatCannotBeCarried() {
    ProgramSet set = demoPrograms();
    set[3].set(Field::AverageCount, "4\r9");
    const QString in = path(QStringLiteral("cr.prg"));
    const QString out = path(QStringLiteral("cr.xmt"));
    QVERIFY(writeAll(in, set.bytes()));
    const Run r = qxtool({"xmt", in, "--program", "3", "-o", out});
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.errText().contains(in) && r.errText().contains(QStringLiteral(
                                             "program #3, field AverageCount holds a carriage")),
             qPrintable(r.errText()));
    QVERIFY(!QFile::exists(out));
    // Another program of the same file is fine.
    QCOMPARE(qxtool({"xmt", in, "--program", "4"}).exitCode, 0);
}

// Bad arguments and hostile files: exit code 2 and one short line naming the reason, at once,
// the files named left as they were.
void TestQxtool::badInput_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("untouched"); // a file that must keep its contents, or ""
    const QString demo = m_demo;
    const QString shortFile = path(QStringLiteral("short.prg"));
    QVERIFY(writeAll(shortFile, QByteArray(100, ' ')));
    QVERIFY(writeAll(path("self.prg"), demoPrograms().bytes()));
    QFile::remove(path("alias.json"));
    QVERIFY(::link(QFile::encodeName(demo).constData(),
                   QFile::encodeName(path("alias.json")).constData()) == 0);
    QVERIFY(writeAll(path("old.csv"), "old log\n"));
    QVERIFY(writeAll(path("wide.json"), "{\"programs\":[{\"fields\":{\"Base\":\"" +
                                            QByteArray(100000, '7') +
                                            "\"}},{},{},{},{},{},{},{}]}"));
    const auto row = [](const char* name, const QStringList& arguments, const char* reason,
                        const QString& untouched = QString()) {
        QTest::newRow(name) << arguments << QString::fromUtf8(reason) << untouched;
    };
    row("unknown command", {"frob"}, "unknown command");
    row("missing file", {"show", path("none.prg")}, "no such file");
    row("short file", {"show", shortFile}, "2224 bytes");
    row("program 8", {"show", demo, "--program", "8"}, "0 to 7");
    row("unknown option", {"diff", demo, demo, "--fast"}, "unknown option --fast");
    row("xmt without program", {"xmt", demo}, "needs --program");
    row("xmt other extension", {"xmt", demo, "--program", "1", "-o", path("P.XMT.txt")},
        "must end in .xmt");
    row("missing directory", {"export", demo, "-o", path("no/such/dir/x.json")}, "cannot write");
    row("FIFO input", {"show", path("fifo.prg")}, "not a regular file");
    row("FIFO output", {"demo", "-o", path("fifo.prg")}, "not a regular file");
    row("timeout nan",
        {"backup", "--device", path("none"), "-o", path("b.prg"), "--timeout", "nan"},
        "--timeout must be");
    row("export onto itself", {"export", path("self.prg"), "-o", path("self.prg")},
        "another kind of file", path("self.prg"));
    row("export onto a hard link", {"export", demo, "-o", path("alias.json")}, "also the input",
        demo);
    row("csv kept when the device is missing",
        {"monitor", "--device", path("no-such-device"), "--csv", path("old.csv")}, "no-such-device",
        path("old.csv"));
    row("huge over-wide field", {"import", path("wide.json"), "-o", path("w.prg")}, "has 100000");
}

void TestQxtool::badInput() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, reason);
    QFETCH(QString, untouched);
    const QByteArray before = untouched.isEmpty() ? QByteArray() : readAll(untouched);
    QElapsedTimer clock;
    clock.start();
    const Run r = qxtool(arguments);
    QCOMPARE(r.exitCode, 2);
    QVERIFY(clock.elapsed() < 10000);
    // The failure in one short line (after a unit command's progress line), not the value.
    const QString err = r.errText().remove(QRegularExpression("^qxtool: connecting to .*\n"));
    QVERIFY2(err.startsWith(QStringLiteral("qxtool: ")) && err.contains(reason) &&
                 err.count(QLatin1Char('\n')) == 1 && err.size() < 400,
             qPrintable(err.left(300)));
    QVERIFY(r.out.isEmpty());
    if (!untouched.isEmpty())
        QCOMPARE(readAll(untouched), before);
    QVERIFY(!QFileInfo(path("fifo.prg")).isFile()); // the FIFO is still one
}

void TestQxtool::outputOnAFailingDisk_data() {
    QTest::addColumn<QStringList>("arguments"); // OUT stands for the output file
    QTest::addColumn<QString>("output");
    QTest::addColumn<bool>("tmpfs"); // a full tmpfs, else a file size limit
    const QString demo = path("demo.prg");
    QTest::newRow("demo") << QStringList{"demo", "-o", "OUT"} << "out.prg" << false;
    QTest::newRow("export -o, full disk")
        << QStringList{"export", demo, "-o", "OUT"} << "out.json" << true;
}

void TestQxtool::outputOnAFailingDisk() {
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

void TestQxtool::standardOutputFailure_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("closed"); // stdout closed, else /dev/full
    const QString demo = path("demo.prg");
    QTest::newRow("show, full") << QStringList{"show", demo} << false;
    QTest::newRow("show, closed") << QStringList{"show", demo} << true;
}

void TestQxtool::standardOutputFailure() {
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

void TestQxtool::namesThatAreNotUtf8() {
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

void TestQxtool::simulatorDumpAndPrograms() {
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

void TestQxtool::monitorCsvOnAFailingDiskAndALostUnit() {
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

    // The unit hangs up once it is polled, and stays away. Its device is reached through a
    // link that goes with it: the pseudo-terminal's own name is soon given to another test's
    // simulator, and the re-connect would find that one.
    const QString link = path("leaving");
    test::SimProcess leaving({"--link", link});
    QProcess monitor;
    monitor.start(QStringLiteral(QXTOOL_PATH), {"monitor", "--device", link, "--seconds", "5"});
    QVERIFY(monitor.waitForReadyRead(15000)); // the first sample
    QCOMPARE(leaving.command("hangup"), QStringLiteral("ok hangup"));
    QVERIFY(monitor.waitForFinished(15000));
    QCOMPARE(monitor.exitCode(), 2);
    const QString err = QString::fromUtf8(monitor.readAllStandardError());
    QVERIFY2(err.contains("did not come back"), qPrintable(err));
}

void TestQxtool::equalAsRead_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QByteArray>("a");
    QTest::addColumn<QByteArray>("b");
    QTest::addColumn<bool>("equal");
    // A unit sends "0" where a file keeps " 0": the same value as every reader reads it.
    QTest::newRow("file and unit form")
        << int(Field::Units) << QByteArray(" 0") << QByteArray("0") << true;
    QTest::newRow("another value")
        << int(Field::Units) << QByteArray(" 0") << QByteArray(" 1") << false;
    QTest::newRow("blank and zero")
        << int(Field::Param21) << QByteArray() << QByteArray("0") << false;
    // ModeFlags is read by position: a leading blank moves every flag.
    QTest::newRow("mode flags shifted")
        << int(Field::ModeFlags) << QByteArray(" 00000100") << QByteArray("00000100") << false;
}

void TestQxtool::equalAsRead() {
    QFETCH(int, field);
    QFETCH(QByteArray, a);
    QFETCH(QByteArray, b);
    ProgramSet left;
    ProgramSet right;
    left[1].set(Field(field), a);
    right[1].set(Field(field), b);
    QTEST(fieldTextsEqual(Field(field), left[1].text(Field(field)), right[1].text(Field(field))),
          "equal");
    QTEST(comparePrograms(left, right).isEmpty(), "equal");
}

void TestQxtool::unitAgainstFileLeavesOut() {
    // The unit never holds the file-only fields; field 21 is a unit value (its clock, kept in
    // program #0) that the unit leaves blank in the other programs.
    const ProgramSet file = demoPrograms();
    ProgramSet unit = file;
    unit[1].set(Field::Spare02, "9");
    unit[1].set(Field::Param24, "9");
    unit[1].set(Field::Param47, "9");
    unit[0].set(Field::Param21, "1234.5");
    unit[4].set(Field::Param21, "");
    unit[6].set(Field::NearRelay, "40");
    unit[3].set(Field::AverageCount, "7");
    CompareOptions options;
    options.unitAgainstFile = true;
    const QList<ProgramDifference> diffs = comparePrograms(unit, file, options);
    QCOMPARE(diffs.size(), 2);
    QCOMPARE(diffs[0].program, 3);
    QCOMPARE(diffs[1].program, 6);
    QCOMPARE(diffs[1].field, Field::NearRelay);
    QCOMPARE(differingPrograms(diffs), (QList<int>{3, 6}));
    QCOMPARE(comparePrograms(unit, file).size(),
             7 - (file[4].trimmed(Field::Param21).isEmpty() ? 1 : 0));
    QCOMPARE(comparePrograms(unit, file, options, 6).size(), 1);
}

void TestQxtool::shownText_data() {
    QTest::addColumn<QByteArray>("units");
    QTest::addColumn<int>("field");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("base, U.S.") << QByteArray(" 0") << int(Field::Base) << QByteArray("13")
                                << "13 in";
    QTest::newRow("base, metric") << QByteArray(" 1") << int(Field::Base) << QByteArray("13")
                                  << "33 cm";
    QTest::newRow("temperature, metric") << QByteArray(" 1") << int(Field::Temperature)
                                         << QByteArray("250") << QString::fromUtf8("25.0 °C");
    QTest::newRow("sample interval")
        << QByteArray(" 0") << int(Field::SampleInterval) << QByteArray("400") << "0.4 ms";
}

void TestQxtool::shownText() {
    QFETCH(QByteArray, units);
    QFETCH(int, field);
    QFETCH(QByteArray, stored);
    ProgramRecord r;
    r.set(Field::Units, units);
    r.set(Field(field), stored);
    QTEST(fieldShownText(r, Field(field)), "shown");
}

void TestQxtool::reportText() {
    ProgramSet programs = demoPrograms();
    programs[3].set(Field::Units, " 1");
    programs[3].set(Field::Base, "13");
    ReportHeading h;
    h.fileName = QStringLiteral("PLANT<1>.prg");
    h.model = QStringLiteral("QX3700");
    h.serial = QStringLiteral("A12345");
    h.version = QStringLiteral("2.16 M");
    h.date = QDateTime(QDate(2026, 12, 7), QTime(9, 30));
    h.activeProgram = 2;
    const QString text = reportPlainText(programReportHtml(programs, h));
    for (const QString& expected :
         {QStringLiteral("PLANT<1>.prg"), QStringLiteral("QX3700"), QStringLiteral("A12345"),
          QStringLiteral("2.16 M"), QStringLiteral("2026-12-07 09:30"),
          QStringLiteral("#2 (its column is green)"), QStringLiteral("Near Relay"),
          QStringLiteral("33 cm")})
        QVERIFY2(text.contains(expected), qPrintable(expected));
    // Every program's column and every field's row.
    for (int p = 0; p < kProgramCount; ++p)
        QVERIFY(text.contains(QStringLiteral("#%1").arg(p)));
    for (const FieldInfo& f : kFieldTable)
        QVERIFY2(text.contains(fieldLabel(f.field)), f.name);
    // Unknown unit data is said so, not left blank.
    QVERIFY(reportPlainText(programReportHtml(programs, {})).contains("not known"));
}

void TestQxtool::qxtoolReport_data() {
    QTest::addColumn<QString>("out");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("starts");
    QTest::newRow("html") << "r.html" << 0 << QByteArray("<!DOCTYPE html>");
    QTest::newRow("pdf") << "r.pdf" << 0 << QByteArray("%PDF");
    QTest::newRow("no such directory") << "none/r.pdf" << 2 << QByteArray();
}

void TestQxtool::qxtoolReport() {
    QFETCH(QString, out);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, starts);
    const QString prg = m_dir.filePath("demo.prg");
    QCOMPARE(writeProgramFile(prg, demoPrograms()), QString());
    const QString path = m_dir.filePath(out);
    QFile::remove(path);
    const Run r = runQxtool({"report", prg, "-o", path});
    QCOMPARE(r.exitCode, exitCode);
    QFile f(path);
    if (exitCode != 0) {
        QVERIFY(!f.exists());
        QVERIFY2(r.err.contains(out.toUtf8()), r.err.constData());
        return;
    }
    QVERIFY2(r.err.isEmpty(), r.err.constData());
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QVERIFY(bytes.startsWith(starts));
    if (out.endsWith(".html"))
        QVERIFY(bytes.contains("demo.prg"));
}

QTEST_MAIN(TestQxtool)
#include "test_qxtool.moc"
