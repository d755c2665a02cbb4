// qxsim and qxtool as processes against each other: the simulator on its pseudo-terminal as a
// host's plain POSIX code sees it, and qxtool's unit commands against simulated units on a
// pseudo-terminal, on the network and behind the real ser2net.
#include "../simrig.h"

#include "program/demoprograms.h"
#include "program/programfile.h"
#include "program/transmission.h"
#include "unitformat.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace vanto;
using vanto::test::ProcessRun;
using vanto::test::runQxtool;
using Sim = vanto::test::SimProcess;

namespace {

// The host's end of the line: raw, 19200 baud.
class Line {
public:
    explicit Line(const QString& path) {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_fd < 0)
            return;
        termios tio = {};
        ::tcgetattr(m_fd, &tio);
        ::cfmakeraw(&tio);
        ::cfsetispeed(&tio, B19200);
        ::cfsetospeed(&tio, B19200);
        ::tcsetattr(m_fd, TCSANOW, &tio);
    }
    ~Line() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    void write(const QByteArray& bytes) {
        QVERIFY(::write(m_fd, bytes.constData(), size_t(bytes.size())) == bytes.size());
    }
    // Whatever arrives within `ms`; `hangup` is set when the other end has gone.
    QByteArray readPiece(int ms, bool* hangup = nullptr) {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, ms) <= 0)
            return {};
        char buffer[4096];
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (hangup)
            *hangup = n == 0 || (n < 0 && errno == EIO);
        return n > 0 ? QByteArray(buffer, int(n)) : QByteArray();
    }
    // Sends one command byte; everything up to and including the byte `end`, within 2 s.
    QByteArray request(char command, char end = kEOT) {
        write(QByteArray(1, command));
        QByteArray all;
        QElapsedTimer clock;
        clock.start();
        while (!all.contains(end) && clock.elapsed() < 2000)
            all += readPiece(int(2000 - clock.elapsed()));
        return all;
    }

private:
    int m_fd = -1;
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

class TestSystemTools : public QObject {
    Q_OBJECT
private slots:
    void simulatorOnItsTerminal();
    void unitCommands_data();
    void unitCommands();
    void throughSer2net();
    void failuresNameDeviceAndReason_data();
    void failuresNameDeviceAndReason();
    void parallelBackupNamesTheSilentUnit();
};

void TestSystemTools::simulatorOnItsTerminal() {
    QTemporaryDir dir;
    const QString link = dir.filePath("qx");
    Sim sim({"--seed", "1", "--link", link});
    QVERIFY(sim.device.startsWith("/dev/pts/"));
    QCOMPARE(QFileInfo(link).symLinkTarget(), sim.device);
    Line line(link);
    QCOMPARE(line.request(kSYN, kETB), QByteArray(1, kETB));
    QCOMPARE(line.request(char(120 + 2)),
             qxsim::unitRecordReply(demoPrograms(), 2, {0, "2.16 M", "A12345"}, "z\r"));
    // Commands on standard input, each confirmed on standard output.
    QCOMPARE(sim.command("distance 50"), QStringLiteral("ok distance 50.00"));
    QCOMPARE(sim.command("run 5"), QStringLiteral("ok run 5"));
    // Program #5 ends at 61 in: 50 is in range; the reload bit is up.
    QCOMPARE(line.request(20), QByteArray("A12345\r50.00\r\x88\r\x04"));
    QVERIFY(sim.command("run 9").startsWith("error "));

    // A transmission with a wrong checksum is refused, the right one stored and dumped.
    ProgramSet edited = demoPrograms();
    edited[4].set(Field::Base, "17.5");
    const QByteArray text = buildTransmissionText(edited, 4, {0, false, "A12345"});
    QCOMPARE(line.request(kDC1, kDC1), QByteArray(1, kDC1));
    line.write(QByteArray(text).replace("\r17.5\r", "\r17.6\r"));
    QCOMPARE(sim.line(), QStringLiteral("rejected 4 checksum"));
    QCOMPARE(line.request(kDC1, kDC1), QByteArray(1, kDC1));
    line.write(text);
    QCOMPARE(sim.line(), QStringLiteral("stored 4"));
    const QString file = dir.filePath("unit.prg");
    QCOMPARE(sim.command("dump " + file), "ok dump " + file);
    ProgramSet dumped;
    QCOMPARE(readProgramFile(file, &dumped), QString());
    QCOMPARE(dumped[4].trimmed(Field::Base), QByteArray("17.5"));

    QCOMPARE(sim.command("quit"), QStringLiteral("ok quit"));
    QVERIFY(sim.process().waitForFinished(3000));
    QCOMPARE(sim.process().exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
}

void TestSystemTools::unitCommands_data() {
    QTest::addColumn<QStringList>("simArgs");
    QTest::newRow("pseudo-terminal") << QStringList{};
    QTest::newRow("raw TCP") << QStringList{"--tcp", "0"};
    QTest::newRow("RFC 2217") << QStringList{"--rfc2217", "0"};
}

void TestSystemTools::unitCommands() {
    QFETCH(QStringList, simArgs);
    QTemporaryDir dir;
    Sim sim(simArgs);
    QVERIFY(!sim.device.isEmpty());
    const QString problem = exercise(sim, sim.device, dir.path());
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void TestSystemTools::throughSer2net() {
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
    monitor.start(QStringLiteral(QXTOOL_PATH), {"monitor", "--device", address, "--seconds", "2"});
    QThread::msleep(1500);
    QProcess stty;
    stty.start("stty", {"-F", unit.device, "speed"});
    stty.waitForFinished(3000);
    monitor.waitForFinished(10000);
    QCOMPARE(stty.readAllStandardOutput().trimmed(), QByteArray("19200"));
}

void TestSystemTools::failuresNameDeviceAndReason_data() {
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
}

void TestSystemTools::failuresNameDeviceAndReason() {
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
    if (situation == QLatin1String("busy")) {
        holder.start(QStringLiteral(QXTOOL_PATH),
                     {"monitor", "--device", device, "--seconds", "5"});
        QVERIFY(holder.waitForReadyRead(5000)); // connected and polling
    }
    QElapsedTimer t;
    t.start();
    const QString out = dir.filePath("x.prg");
    const ProcessRun r = runQxtool({"backup", "--device", device, "-o", out});
    QCOMPARE(r.exitCode, 2);
    QVERIFY(t.elapsed() < 5000);
    QVERIFY2(r.lastLine().contains(device) && r.lastLine().contains(reason),
             qPrintable(r.lastLine()));
    QVERIFY(!QFile::exists(out));
    holder.kill();
    holder.waitForFinished();
}

void TestSystemTools::parallelBackupNamesTheSilentUnit() {
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

QTEST_GUILESS_MAIN(TestSystemTools)
#include "test_system_tools.moc"
