// qxtool backup, send and monitor against a running qxsim, and the read-back comparison.
#include "../simprocess.h"
#include "qxtoolrun.h"

#include "program/demoprograms.h"
#include "program/programfile.h"
#include "program/transmission.h"

#include "monitor/samplelog.h"
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <QtTest>

using namespace vanto;

namespace {

using Sim = vanto::test::SimProcess;

using Run = vanto::test::QxtoolRun;
using vanto::test::lastLine;
using vanto::test::runQxtool;

} // namespace

class TestQxtoolLink : public QObject {
    Q_OBJECT
private slots:
    void backupEqualsTheUnit();
    void sendVerifiesAndTheUnitHoldsIt();
    void monitorPrintsAndLogs();
    void failuresNameDeviceAndReason_data();
    void failuresNameDeviceAndReason();
    void differencesListed();
};

void TestQxtoolLink::backupEqualsTheUnit() {
    QTemporaryDir dir;
    Sim sim({QStringLiteral("--running"), QStringLiteral("4")});
    const QString out = dir.filePath(QStringLiteral("unit.prg"));
    const Run r = runQxtool({QStringLiteral("backup"), QStringLiteral("--device"), sim.device,
                             QStringLiteral("-o"), out});
    QCOMPARE(r.exitCode, 0);
    ProgramSet saved;
    QCOMPARE(readProgramFile(out, &saved), QString());
    const ProgramSet demo = demoPrograms();
    for (int k = 0; k < kProgramCount; ++k)
        QVERIFY(carriedDifferences(demo, saved, k).isEmpty());
}

void TestQxtoolLink::sendVerifiesAndTheUnitHoldsIt() {
    QTemporaryDir dir;
    Sim sim;
    ProgramSet programs = demoPrograms();
    programs[6].set(Field::Base, "27");
    programs[6].set(Field::NearRelay, "12");
    const QString file = dir.filePath(QStringLiteral("mine.prg"));
    QCOMPARE(writeProgramFile(file, programs), QString());
    Run r = runQxtool({QStringLiteral("send"), QStringLiteral("--device"), sim.device, file,
                       QStringLiteral("--program"), QStringLiteral("6")});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.err.contains("verified"));
    const QString back = dir.filePath(QStringLiteral("back.prg"));
    r = runQxtool({QStringLiteral("backup"), QStringLiteral("--device"), sim.device,
                   QStringLiteral("-o"), back});
    QCOMPARE(r.exitCode, 0);
    ProgramSet unit;
    QCOMPARE(readProgramFile(back, &unit), QString());
    QCOMPARE(unit[6].trimmed(Field::Base), QByteArray("27"));
    QCOMPARE(unit[6].trimmed(Field::NearRelay), QByteArray("12"));
}

void TestQxtoolLink::monitorPrintsAndLogs() {
    QTemporaryDir dir;
    Sim sim;
    const QString csv = dir.filePath(QStringLiteral("log.csv"));
    const Run r = runQxtool({QStringLiteral("monitor"), QStringLiteral("--device"), sim.device,
                             QStringLiteral("--seconds"), QStringLiteral("2.5"),
                             QStringLiteral("--csv"), csv});
    QCOMPARE(r.exitCode, 0);
    const QList<QByteArray> lines = r.out.trimmed().split('\n');
    QVERIFY2(lines.size() >= 4 && lines.size() <= 12, r.out.constData());
    QVERIFY(lines[0].contains("distance") && lines[0].contains("NEAR") &&
            lines[0].contains("FAR") && lines[0].contains("meter"));
    QFile f(csv);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> rows = f.readAll().trimmed().split('\n');
    QCOMPARE(rows[0] + '\n', sampleCsvHeader());
    QCOMPARE(rows.size(), lines.size() + 1);
    // Row for row the printed sample: its distance, NEAR and FAR, stamped with the local time.
    for (int i = 1; i < rows.size(); ++i) {
        const QList<QByteArray> c = rows[i].split(',');
        QCOMPARE(c.size(), 7);
        QVERIFY2(lines[i - 1].contains("distance " + c[2] + " "), rows[i].constData());
        QVERIFY(lines[i - 1].contains("NEAR " + c[5] + "  FAR " + c[6]));
        QCOMPARE(c[3], QByteArray("in"));
        const QDateTime t = QDateTime::fromString(QString::fromLatin1(c[0]), Qt::ISODateWithMs);
        QVERIFY2(t.isValid() && qAbs(t.secsTo(QDateTime::currentDateTime())) < 60,
                 c[0].constData());
    }
}

void TestQxtoolLink::failuresNameDeviceAndReason_data() {
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no such device") << "missing"
                                    << "no such device";
    QTest::newRow("silent unit") << "silent"
                                 << "no answer to the handshake";
    QTest::newRow("busy") << "busy"
                          << "busy: another program holds it";
}

void TestQxtoolLink::failuresNameDeviceAndReason() {
    QFETCH(QString, situation);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    std::unique_ptr<Sim> sim;
    QString device = QStringLiteral("/dev/vanto-no-such-port");
    QProcess holder;
    if (situation != QLatin1String("missing")) {
        sim = std::make_unique<Sim>(
            situation == QLatin1String("silent")
                ? QStringList{QStringLiteral("--silent-after"), QStringLiteral("0")}
                : QStringList{});
        device = sim->device;
    }
    if (situation == QLatin1String("busy")) {
        holder.start(QStringLiteral(QXTOOL_PATH),
                     {QStringLiteral("monitor"), QStringLiteral("--device"), device,
                      QStringLiteral("--seconds"), QStringLiteral("5")});
        QVERIFY(holder.waitForReadyRead(5000)); // connected and polling
    }
    QElapsedTimer t;
    t.start();
    const Run r = runQxtool({QStringLiteral("backup"), QStringLiteral("--device"), device,
                             QStringLiteral("-o"), dir.filePath(QStringLiteral("x.prg"))});
    QCOMPARE(r.exitCode, 2);
    QVERIFY(t.elapsed() < 5000);
    const QString line = lastLine(r.err);
    QVERIFY2(line.contains(device) && line.contains(reason), qPrintable(line));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("x.prg"))));
    holder.kill();
    holder.waitForFinished();
}

void TestQxtoolLink::differencesListed() {
    ProgramSet sent = demoPrograms();
    ProgramSet back = sent;
    back[2].set(Field::Range, "99");
    back[2].setModeFlag(kModeDirection, back[2].payOut() ? '0' : '1');
    back[5].set(Field::Range, "1"); // another program: not compared
    const QList<CarriedDifference> d = carriedDifferences(sent, back, 2);
    QCOMPARE(d.size(), 2);
    QCOMPARE(d[0].name, QStringLiteral("Range"));
    QCOMPARE(d[0].readBack, QByteArray("99"));
    QCOMPARE(d[1].name, QStringLiteral("ModeFlags[8]"));
}

QTEST_GUILESS_MAIN(TestQxtoolLink)
#include "test_qxtool_link.moc"
