// Simulated units through real ports, only what the unit tests with their fake port and clock
// cannot show: the unit link reading in pieces from a pseudo-terminal and recovering from a hung-up
// or dropped unit; qxtool's unit commands as a process on a pseudo-terminal, on the network
// (raw TCP in the parallel backup) and behind the real ser2net, and how its failures name the
// device and the reason.
#include "../fakes.h"
#include "../simrig.h"
#include "link/unitlink.h"
#include "platform/qt/deviceport.h"
#include "platform/qt/qteventpump.h"
#include "program/demoprograms.h"
#include "program/programfile.h"
#include "program/programstate.h"

#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

using namespace vanto;
using namespace vanto::test;
using Sim = vanto::test::SimProcess;

namespace {

struct Host {
    ProgramState state;
    DevicePort port;
    FakeView view;
    FakePrompts prompts;
    QtEventPump pump;
    UnitLink link{state, port, view, prompts, pump};
    int replies = 0;
    int fetched = 0;
    QStringList failures;

    explicit Host(const QString& device) {
        link.setDeviceOverride(device);
        QObject::connect(&link, &UnitLink::pollReplyApplied, [this] { ++replies; });
        QObject::connect(&link, &UnitLink::recordDecoded,
                         [this](int, RecordOutcome o) { fetched += o == RecordOutcome::Stored; });
        QObject::connect(&link, &UnitLink::portFailed,
                         [this](const QString& description) { failures << description; });
    }
    ~Host() { link.switchOnLine(false); }
    bool wait(const std::function<bool()>& done, int ms) { return pumpUntil(pump, done, ms); }
    bool connectUnit() {
        link.switchOnLine(true);
        return link.vars().onLine && wait([this] { return fetched == 8 && replies > 0; }, 20000);
    }
    // Polling goes on: a few more replies within `ms`.
    bool polling(int ms) {
        const int before = replies;
        return wait([&] { return link.vars().onLine && replies > before + 3; }, ms);
    }
};

quint16 freePort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

// backup, send (a field holding byte 255, which a Telnet connection must double) and monitor
// against one unit; returns "" or what went wrong.
QString exercise(Sim& sim, const QString& device, const QString& dir) {
    const QString out = dir + QStringLiteral("/unit.prg");
    ProcessRun r = runQxtool({"backup", "--device", device, "-o", out});
    if (r.exitCode != 0)
        return QStringLiteral("backup: ") + r.errText();
    ProgramSet saved;
    if (!readProgramFile(out, &saved).isEmpty())
        return QStringLiteral("backup: unreadable");
    for (int k = 0; k < kProgramCount; ++k)
        if (!carriedDifferences(demoPrograms(), saved, k).isEmpty())
            return QStringLiteral("backup: program #%1 differs").arg(k);

    ProgramSet programs = demoPrograms();
    programs[6].set(Field::Rs232Content, QByteArray("1\xFF", 2));
    programs[6].set(Field::Base, "27");
    const QString file = dir + QStringLiteral("/mine.prg");
    writeProgramFile(file, programs);
    r = runQxtool({"send", "--device", device, file, "--program", "6"});
    if (r.exitCode != 0 || !r.err.contains("verified"))
        return QStringLiteral("send: ") + r.errText();
    const QString dump = dir + QStringLiteral("/dump.prg");
    if (sim.command(QStringLiteral("dump ") + dump) != QStringLiteral("ok dump ") + dump)
        return QStringLiteral("dump failed");
    ProgramSet unit;
    readProgramFile(dump, &unit);
    if (!carriedDifferences(programs, unit, 6).isEmpty())
        return QStringLiteral("the unit holds another program #6");

    r = runQxtool({"monitor", "--device", device, "--samples", "3"});
    const QList<QByteArray> lines = r.out.trimmed().split('\n');
    if (r.exitCode != 0 || lines.size() != 3 || !lines[0].contains("distance"))
        return QStringLiteral("monitor: ") + QString::fromUtf8(r.out + r.err);
    return QString();
}

} // namespace

class TestSystemUnits : public QObject {
    Q_OBJECT
private slots:
    void readsEightInPieces();
    void hangUpAndReplugWithoutBusyLoop();
    void droppedNetworkConnectionReconnects();
    void unitCommands();
    void throughSer2net();
    void failuresNameDeviceAndReason_data();
    void failuresNameDeviceAndReason();
    void parallelBackupNamesTheSilentUnit();
};

void TestSystemUnits::readsEightInPieces() {
    Sim sim({"--running", "3", "--chunk", "7", "--chunk-gap", "2"});
    QVERIFY(!sim.device.isEmpty());
    Host host(sim.device);
    QVERIFY(host.connectUnit());
    QVERIFY(host.view.linkLamp);
    QCOMPARE(host.state.currentProgram, 3);
    const ProgramSet demo = demoPrograms();
    for (int k = 0; k < kProgramCount; ++k)
        QVERIFY2(carriedFieldsEqual(host.state.programs[k], demo[k], k == 0),
                 qPrintable(QString::number(k)));
}

void TestSystemUnits::hangUpAndReplugWithoutBusyLoop() {
    QTemporaryDir dir;
    const QString link = dir.filePath("qx"); // the same name for every pseudo-terminal
    Sim sim({"--replug", "2", "--link", link});
    Host host(link);
    QVERIFY(host.connectUnit());
    sim.send("hangup");
    QVERIFY(host.wait([&] { return !host.port.isOpen(); }, 10000));
    QCOMPARE(host.failures.size(), 1);
    QVERIFY(!host.view.linkLamp);
    // While the device is gone the re-connect ticks go on without spinning.
    const double cpu = cpuSeconds();
    host.wait([] { return false; }, 1000);
    const double used = cpuSeconds() - cpu;
    QVERIFY2(used < 0.5, qPrintable(QString::number(used)));
    QVERIFY(host.link.pollTimerActive());
    // The simulator plugs in a new pseudo-terminal: the unit is polled again.
    QVERIFY(host.polling(15000));
    QVERIFY(host.prompts.messages.size() <= 1);
}

void TestSystemUnits::droppedNetworkConnectionReconnects() {
    Sim sim({"--rfc2217", "0", "--replug", "1"});
    Host host(sim.device);
    QVERIFY(host.connectUnit());
    // The server confirmed the line the link asked for.
    auto& network = static_cast<NetworkPort&>(host.port.active());
    QCOMPARE(network.confirmedSettings().text(), QStringLiteral("19200,N,8,1"));
    QCOMPARE(sim.command("hangup"), QStringLiteral("ok hangup"));
    QVERIFY(host.wait([&] { return !host.failures.isEmpty(); }, 10000));
    QCOMPARE(host.failures[0], sim.device + ": the connection was closed by the server");
    QVERIFY(!host.view.linkLamp);
    // The unit is back a second later on the same address: polling resumes by itself.
    QVERIFY(host.polling(15000));
    QVERIFY(host.view.linkLamp);
}

// Over the network, where byte 255 must be doubled; on a pseudo-terminal qxtool backs up in the
// parallel backup below, and the window transmits in the window's system test.
void TestSystemUnits::unitCommands() {
    QTemporaryDir dir;
    Sim sim({"--rfc2217", "0"});
    QVERIFY(!sim.device.isEmpty());
    const QString problem = exercise(sim, sim.device, dir.path());
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void TestSystemUnits::throughSer2net() {
    const QString ser2net = QStandardPaths::findExecutable("ser2net", {"/usr/sbin", "/usr/bin"});
    if (ser2net.isEmpty())
        QSKIP("ser2net is not installed");
    QTemporaryDir dir;
    // The server's port is set to 9600 baud: only a client that sets 19200 itself (RFC 2217)
    // changes the line.
    Sim unit;
    QVERIFY(unit.device.startsWith(QLatin1String("/dev/")));
    const quint16 port = freePort();
    QFile yaml(dir.filePath("ser2net.yaml"));
    QVERIFY(yaml.open(QIODevice::WriteOnly));
    yaml.write(QStringLiteral("connection: &rfc2217\n"
                              "  accepter: telnet(rfc2217),tcp,127.0.0.1,%1\n"
                              "  connector: serialdev,%2,9600n81,local\n")
                   .arg(port)
                   .arg(unit.device)
                   .toUtf8());
    yaml.close();
    QProcess server;
    server.setProcessChannelMode(QProcess::ForwardedChannels);
    server.start(ser2net, {"-n", "-u", "-c", yaml.fileName(), "-P", dir.filePath("ser2net.pid")});
    QVERIFY(server.waitForStarted(3000));
    const auto stop = qScopeGuard([&server] {
        server.terminate();
        server.waitForFinished(3000);
    });
    bool listening = false;
    for (int i = 0; i < 50 && !listening; ++i) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        listening = probe.waitForConnected(100);
        if (!listening)
            QThread::msleep(100);
    }
    QVERIFY(listening);
    QThread::msleep(300); // the probe's connection is gone before a host connects
    const QString address = QStringLiteral("rfc2217://localhost:%1").arg(port);
    const QString problem = exercise(unit, address, dir.path());
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    // The line's speed while a host is connected through the server.
    QProcess monitor;
    monitor.start(QStringLiteral(QXTOOL_PATH), {"monitor", "--device", address, "--seconds", "30"});
    QVERIFY(monitor.waitForReadyRead(15000)); // connected and polling
    QProcess stty;
    stty.start("stty", {"-F", unit.device, "speed"});
    stty.waitForFinished(3000);
    monitor.kill();
    monitor.waitForFinished(3000);
    QCOMPARE(stty.readAllStandardOutput().trimmed(), QByteArray("19200"));
}

void TestSystemUnits::failuresNameDeviceAndReason_data() {
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no such device") << "missing"
                                    << "no such device";
    QTest::newRow("silent unit") << "silent"
                                 << "no answer to the handshake";
    QTest::newRow("busy") << "busy"
                          << "busy: another program holds it";
    QTest::newRow("refused") << "refused"
                             << "connection refused";
    QTest::newRow("not a telnet server") << "raw"
                                         << "does not answer the RFC 2217 negotiation";
}

void TestSystemUnits::failuresNameDeviceAndReason() {
    QFETCH(QString, situation);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    std::unique_ptr<Sim> sim;
    QString device = QStringLiteral("/dev/vanto-no-such-port");
    if (situation == QLatin1String("refused"))
        device = QStringLiteral("tcp://127.0.0.1:%1").arg(freePort());
    QProcess holder;
    if (situation == QLatin1String("silent") || situation == QLatin1String("busy")) {
        sim = std::make_unique<Sim>(situation == QLatin1String("silent")
                                        ? QStringList{"--silent-after", "0"}
                                        : QStringList{});
        device = sim->device;
    }
    if (situation == QLatin1String("raw")) { // rfc2217:// on a raw simulator port
        sim = std::make_unique<Sim>(QStringList{"--tcp", "0"});
        device = sim->device.replace("tcp://", "rfc2217://");
    }
    if (situation == QLatin1String("busy")) {
        holder.start(QStringLiteral(QXTOOL_PATH),
                     {"monitor", "--device", device, "--seconds", "5"});
        QVERIFY(holder.waitForReadyRead(15000)); // connected and polling
    }
    QElapsedTimer t;
    t.start();
    const QString out = dir.filePath("x.prg");
    const ProcessRun r = runQxtool({"backup", "--device", device, "-o", out});
    QCOMPARE(r.exitCode, 2);
    QVERIFY(t.elapsed() < 10000); // fails at once, not after a long wait
    QVERIFY2(r.lastLine().contains(device) && r.lastLine().contains(reason),
             qPrintable(r.lastLine()));
    QVERIFY(!QFile::exists(out));
    holder.kill();
    holder.waitForFinished();
}

void TestSystemUnits::parallelBackupNamesTheSilentUnit() {
    QTemporaryDir dir;
    Sim first({"--tcp", "0", "--serial", "B00001"});
    Sim second({"--serial", "B00002", "--running", "2"});
    Sim silent({"--rfc2217", "0", "--serial", "B00003", "--silent-after", "0"});
    const QString folder = dir.filePath("backups");
    const ProcessRun r = runQxtool({"backup", "--device", first.device, "--device", silent.device,
                                    "--device", second.device, "-o", folder, "--timeout", "5"});
    QCOMPARE(r.exitCode, 2);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
             QStringList({"B00001.prg", "B00002.prg"}));
    // The table: a header, then one row per unit in the order given; the silent one named.
    const QList<QByteArray> rows = r.out.trimmed().split('\n');
    QCOMPARE(rows.size(), 4);
    QVERIFY(rows[1].startsWith("B00001") && rows[1].contains("saved"));
    QVERIFY2(rows[2].contains(silent.device.toUtf8()) && rows[2].contains("FAILED"),
             rows[2].constData());
    QVERIFY(rows[3].startsWith("B00002"));
    QVERIFY(r.lastLine().contains("2 of 3 units"));
    // The units named in a list file: their names are the files' names.
    const QString list = dir.filePath("plant.units");
    QFile f(list);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(
        ("# the plant\nnorth " + first.device + "\n\n  south\t" + second.device + "\n").toUtf8());
    f.close();
    QCOMPARE(runQxtool({"backup", "--devices", list, "-o", dir.path()}).exitCode, 0);
    QVERIFY(QFile::exists(dir.filePath("north.prg")) && QFile::exists(dir.filePath("south.prg")));
}

QTEST_GUILESS_MAIN(TestSystemUnits)
#include "test_system_units.moc"
