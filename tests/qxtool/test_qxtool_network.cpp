// qxtool's unit commands on units behind the network: the simulator serving raw TCP and RFC 2217,
// and the real ser2net in front of a simulator's pseudo-terminal.
#include "../simprocess.h"
#include "qxtoolrun.h"

#include "program/demoprograms.h"
#include "program/programfile.h"
#include "program/transmission.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

using namespace vanto;

namespace {

using Sim = vanto::test::SimProcess;

using Run = vanto::test::QxtoolRun;
using vanto::test::lastLine;
using vanto::test::runQxtool;

quint16 freePort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

// A program set whose program 6 holds byte 255 in a field, so that it must cross a Telnet
// connection doubled and come back single.
ProgramSet programsWith255() {
    ProgramSet programs = demoPrograms();
    programs[6].set(Field::Rs232Content, QByteArray("1\xFF", 2));
    return programs;
}

// The unit's programs, as far as a record carries them.
bool sameAsDemo(const ProgramSet& saved) {
    const ProgramSet demo = demoPrograms();
    for (int k = 0; k < kProgramCount; ++k) {
        if (!carriedDifferences(demo, saved, k).isEmpty())
            return false;
    }
    return true;
}

// backup, send (with byte 255) and monitor against one unit; returns "" or what went wrong.
QString exercise(Sim& sim, const QString& device, const QString& dir) {
    const QString out = dir + QStringLiteral("/unit.prg");
    Run r = runQxtool(
        {QStringLiteral("backup"), QStringLiteral("--device"), device, QStringLiteral("-o"), out});
    if (r.exitCode != 0)
        return QStringLiteral("backup: ") + QString::fromUtf8(r.err);
    ProgramSet saved;
    if (!readProgramFile(out, &saved).isEmpty() || !sameAsDemo(saved))
        return QStringLiteral("backup: programs differ");

    const QString file = dir + QStringLiteral("/mine.prg");
    writeProgramFile(file, programsWith255());
    r = runQxtool({QStringLiteral("send"), QStringLiteral("--device"), device, file,
                   QStringLiteral("--program"), QStringLiteral("6")});
    if (r.exitCode != 0)
        return QStringLiteral("send: ") + QString::fromUtf8(r.err);
    const QString dump = dir + QStringLiteral("/dump.prg");
    if (sim.command(QStringLiteral("dump ") + dump) != QStringLiteral("ok dump ") + dump)
        return QStringLiteral("dump failed");
    ProgramSet unit;
    readProgramFile(dump, &unit);
    if (unit[6].trimmed(Field::Rs232Content) != QByteArray("1\xFF", 2))
        return QStringLiteral("the unit holds \"%1\"")
            .arg(QString::fromLatin1(unit[6].trimmed(Field::Rs232Content).toHex()));

    r = runQxtool({QStringLiteral("monitor"), QStringLiteral("--device"), device,
                   QStringLiteral("--samples"), QStringLiteral("4")});
    if (r.exitCode != 0 || r.out.trimmed().split('\n').size() != 4)
        return QStringLiteral("monitor: ") + QString::fromUtf8(r.out + r.err);
    return QString();
}

} // namespace

class TestQxtoolNetwork : public QObject {
    Q_OBJECT
private slots:
    void unitCommandsOverTheNetwork_data();
    void unitCommandsOverTheNetwork();
    void failuresNameAddressAndReason_data();
    void failuresNameAddressAndReason();
    void throughSer2net();
    void parallelBackupNamesTheSilentUnit();
    void unitListNamesFilesAndRows();
};

void TestQxtoolNetwork::unitCommandsOverTheNetwork_data() {
    QTest::addColumn<QString>("mode");
    QTest::newRow("raw") << "--tcp";
    QTest::newRow("rfc2217") << "--rfc2217";
}

void TestQxtoolNetwork::unitCommandsOverTheNetwork() {
    QFETCH(QString, mode);
    QTemporaryDir dir;
    Sim sim({mode, QStringLiteral("0")});
    QVERIFY(!sim.device.isEmpty());
    const QString problem = exercise(sim, sim.device, dir.path());
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void TestQxtoolNetwork::failuresNameAddressAndReason_data() {
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("reason");
    QTest::newRow("refused") << QStringLiteral("tcp://127.0.0.1:%1").arg(freePort())
                             << "connection refused";
    QTest::newRow("unknown host") << "rfc2217://no-such-host.invalid:2217"
                                  << "host not found";
}

void TestQxtoolNetwork::failuresNameAddressAndReason() {
    QFETCH(QString, device);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const Run r = runQxtool({QStringLiteral("backup"), QStringLiteral("--device"), device,
                             QStringLiteral("-o"), dir.filePath(QStringLiteral("x.prg"))});
    QCOMPARE(r.exitCode, 2);
    const QString line = lastLine(r.err);
    QVERIFY2(line.startsWith(QStringLiteral("qxtool: ") + device + QStringLiteral(": ")) &&
                 line.contains(reason),
             qPrintable(line));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("x.prg"))));
}

void TestQxtoolNetwork::throughSer2net() {
    const QString ser2net = QStandardPaths::findExecutable(
        QStringLiteral("ser2net"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")});
    if (ser2net.isEmpty())
        QSKIP("ser2net is not installed");
    QTemporaryDir dir;
    // One unit behind a raw port, one behind an RFC 2217 port; both server ports set to 9600
    // baud, so that only a client that sets 19200 itself changes the line.
    Sim rawUnit;
    Sim telnetUnit;
    QVERIFY(rawUnit.device.startsWith(QLatin1String("/dev/")));
    QVERIFY(telnetUnit.device.startsWith(QLatin1String("/dev/")));
    const quint16 rawPort = freePort();
    const quint16 telnetPort = freePort();
    const QString config = QStringLiteral("connection: &raw\n"
                                          "  accepter: tcp,127.0.0.1,%1\n"
                                          "  connector: serialdev,%3,9600n81,local\n"
                                          "connection: &rfc2217\n"
                                          "  accepter: telnet(rfc2217),tcp,127.0.0.1,%2\n"
                                          "  connector: serialdev,%4,9600n81,local\n")
                               .arg(rawPort)
                               .arg(telnetPort)
                               .arg(rawUnit.device, telnetUnit.device);
    QFile yaml(dir.filePath(QStringLiteral("ser2net.yaml")));
    QVERIFY(yaml.open(QIODevice::WriteOnly));
    yaml.write(config.toUtf8());
    yaml.close();
    QProcess server;
    server.setProcessChannelMode(QProcess::ForwardedChannels);
    server.start(ser2net,
                 {QStringLiteral("-n"), QStringLiteral("-u"), QStringLiteral("-c"), yaml.fileName(),
                  QStringLiteral("-P"), dir.filePath(QStringLiteral("ser2net.pid"))});
    QVERIFY(server.waitForStarted(3000));
    const auto stop = qScopeGuard([&server] {
        server.terminate();
        server.waitForFinished(3000);
    });
    const auto listening = [](quint16 port) {
        for (int i = 0; i < 50; ++i) {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, port);
            if (probe.waitForConnected(100))
                return true;
            QThread::msleep(100);
        }
        return false;
    };
    QVERIFY(listening(rawPort) && listening(telnetPort));
    QThread::msleep(300); // the probes' connections are gone before a host connects

    // The line's speed while a host is connected through the server.
    const auto speedWhileConnected = [](const QString& address, const QString& pty) {
        QProcess monitor;
        monitor.start(QStringLiteral(QXTOOL_PATH),
                      {QStringLiteral("monitor"), QStringLiteral("--device"), address,
                       QStringLiteral("--seconds"), QStringLiteral("2")});
        QThread::msleep(1500);
        QProcess stty;
        stty.start(QStringLiteral("stty"), {QStringLiteral("-F"), pty, QStringLiteral("speed")});
        stty.waitForFinished(3000);
        monitor.waitForFinished(10000);
        return stty.readAllStandardOutput().trimmed();
    };
    const QString raw = QStringLiteral("tcp://127.0.0.1:%1").arg(rawPort);
    const QString telnet = QStringLiteral("rfc2217://localhost:%1").arg(telnetPort);
    QString problem = exercise(rawUnit, raw, dir.path());
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(speedWhileConnected(raw, rawUnit.device), QByteArray("9600"));
    problem = exercise(telnetUnit, telnet, dir.path());
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(speedWhileConnected(telnet, telnetUnit.device), QByteArray("19200"));
}

void TestQxtoolNetwork::parallelBackupNamesTheSilentUnit() {
    QTemporaryDir dir;
    Sim first({QStringLiteral("--tcp"), QStringLiteral("0"), QStringLiteral("--serial"),
               QStringLiteral("B00001")});
    Sim second({QStringLiteral("--serial"), QStringLiteral("B00002"), QStringLiteral("--running"),
                QStringLiteral("2")});
    Sim silent({QStringLiteral("--rfc2217"), QStringLiteral("0"), QStringLiteral("--serial"),
                QStringLiteral("B00003"), QStringLiteral("--silent-after"), QStringLiteral("0")});
    const QString folder = dir.filePath(QStringLiteral("backups"));
    const Run r = runQxtool({QStringLiteral("backup"), QStringLiteral("--device"), first.device,
                             QStringLiteral("--device"), silent.device, QStringLiteral("--device"),
                             second.device, QStringLiteral("-o"), folder,
                             QStringLiteral("--timeout"), QStringLiteral("5")});
    QCOMPARE(r.exitCode, 2);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
             QStringList({QStringLiteral("B00001.prg"), QStringLiteral("B00002.prg")}));
    ProgramSet saved;
    QCOMPARE(readProgramFile(QDir(folder).filePath(QStringLiteral("B00002.prg")), &saved),
             QString());
    QVERIFY(sameAsDemo(saved));
    // The table: a header, then one row per unit in the order given; the silent one named.
    const QList<QByteArray> rows = r.out.trimmed().split('\n');
    QCOMPARE(rows.size(), 4);
    QVERIFY(rows[1].startsWith("B00001") && rows[1].contains("saved"));
    QVERIFY2(rows[2].contains(silent.device.toUtf8()) && rows[2].contains("FAILED") &&
                 rows[2].contains("handshake"),
             rows[2].constData());
    QVERIFY(rows[3].startsWith("B00002") && rows[3].contains(second.device.toUtf8()));
    QVERIFY(lastLine(r.err).contains(QStringLiteral("2 of 3 units")));
}

void TestQxtoolNetwork::unitListNamesFilesAndRows() {
    QTemporaryDir dir;
    Sim north({QStringLiteral("--rfc2217"), QStringLiteral("0")});
    Sim south; // the same serial number as north: the given names keep them apart
    const QString list = dir.filePath(QStringLiteral("plant.units"));
    QFile f(list);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(
        ("# the plant\nnorth " + north.device + "\n\n  south\t" + south.device + "\n").toUtf8());
    f.close();
    Run r = runQxtool({QStringLiteral("backup"), QStringLiteral("--devices"), list,
                       QStringLiteral("-o"), dir.path()});
    QCOMPARE(r.exitCode, 0);
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("north.prg"))));
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("south.prg"))));
    r = runQxtool({QStringLiteral("monitor"), QStringLiteral("--devices"), list,
                   QStringLiteral("--samples"), QStringLiteral("3")});
    QCOMPARE(r.exitCode, 0);
    const QList<QByteArray> lines = r.out.trimmed().split('\n');
    QCOMPARE(lines.size(), 6);
    QCOMPARE(std::count_if(lines.begin(), lines.end(),
                           [](const QByteArray& l) {
                               return l.startsWith("north  ") && l.contains("distance");
                           }),
             3);
    QCOMPARE(std::count_if(lines.begin(), lines.end(),
                           [](const QByteArray& l) { return l.startsWith("south  "); }),
             3);
    // A line with a name that cannot be a file name is refused before anything is opened.
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("../x /dev/null\n");
    f.close();
    r = runQxtool({QStringLiteral("backup"), QStringLiteral("--devices"), list,
                   QStringLiteral("-o"), dir.path()});
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(lastLine(r.err).contains(list + QStringLiteral(" line 1")), r.err.constData());
    // One line twice would have two connections take each other's replies.
    r = runQxtool({QStringLiteral("backup"), QStringLiteral("--device"), south.device,
                   QStringLiteral("--device"), south.device, QStringLiteral("-o"), dir.path()});
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(lastLine(r.err).contains(QStringLiteral("given twice")), r.err.constData());
}

QTEST_GUILESS_MAIN(TestQxtoolNetwork)
#include "test_qxtool_network.moc"
