// The qxsim executable as a host sees it: started with QProcess, its device opened with plain
// POSIX calls in raw mode at 19200 baud, its standard input and output used as a script would.
#include "program/demoprograms.h"
#include "program/programfile.h"
#include "program/recordreply.h"
#include "program/transmission.h"
#include "unitformat.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr char kEOT = 4;
constexpr char kDC1 = 17;
constexpr char kSYN = 22;
constexpr char kETB = 23;

// The host's end of the line.
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
    ~Line() { close(); }
    void close() {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    bool isOpen() const { return m_fd >= 0; }

    bool write(const QByteArray& bytes) {
        return ::write(m_fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }

    // One read of whatever arrives within `timeoutMs`; empty when nothing did. `hangup` is set
    // when the other end has gone.
    QByteArray readPiece(int timeoutMs, bool* hangup = nullptr) {
        pollfd p{m_fd, POLLIN, 0};
        if (hangup)
            *hangup = false;
        if (::poll(&p, 1, timeoutMs) <= 0)
            return {};
        char buffer[4096];
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n <= 0 && hangup)
            *hangup = n == 0 || errno == EIO;
        return n > 0 ? QByteArray(buffer, int(n)) : QByteArray();
    }

    // Everything up to and including the first byte `end`, within 2 s.
    QByteArray readUntil(char end, QList<QByteArray>* pieces = nullptr) {
        QByteArray all;
        QElapsedTimer clock;
        clock.start();
        while (!all.contains(end) && clock.elapsed() < 2000) {
            const QByteArray piece = readPiece(int(2000 - clock.elapsed()));
            if (pieces && !piece.isEmpty())
                pieces->append(piece);
            all += piece;
        }
        return all;
    }

    QByteArray request(char command, char end = kEOT) {
        write(QByteArray(1, command));
        return readUntil(end);
    }

private:
    int m_fd = -1;
};

// The simulator process.
class Sim {
public:
    explicit Sim(QStringList args) {
        m_process.setProgram(QStringLiteral(QXSIM_PATH));
        m_process.setArguments(args);
        m_process.start();
    }
    ~Sim() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }
    QProcess& process() { return m_process; }

    // The next line of standard output, without the newline; "" after 3 s without one.
    QString line() {
        QElapsedTimer clock;
        clock.start();
        while (!m_process.canReadLine() && clock.elapsed() < 3000) {
            if (!m_process.waitForReadyRead(int(3000 - clock.elapsed())))
                break;
        }
        return QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
    // The device path from a "device:" line.
    QString device() {
        const QString l = line();
        return l.startsWith(QLatin1String("device: ")) ? l.mid(8) : QString();
    }
    void command(const QByteArray& text) { m_process.write(text + '\n'); }
    bool exitedCleanly() {
        return m_process.waitForFinished(3000) && m_process.exitStatus() == QProcess::NormalExit &&
               m_process.exitCode() == 0;
    }

private:
    QProcess m_process;
};

QByteArray demoRecord(int program, int running = 0) {
    return qxsim::unitRecordReply(vanto::demoPrograms(), program, {running, "2.16 M", "A12345"},
                                  QByteArray(1, char(120 + program)) + '\r');
}

} // namespace

class TestProcess : public QObject {
    Q_OBJECT
private slots:
    void handshakeRecordAndQuit();
    void chunkedReplies();
    void signalEndsCleanly();
    void transmissionStoredAndDumped();
    void hostClosesDevice_data();
    void hostClosesDevice();
    void hangupAndReplug();
    void badOption();
};

void TestProcess::handshakeRecordAndQuit() {
    QTemporaryDir dir;
    const QString link = dir.filePath("qx");
    Sim sim({"--seed", "1", "--link", link});
    const QString device = sim.device();
    QVERIFY(device.startsWith("/dev/pts/"));
    QCOMPARE(QFileInfo(link).symLinkTarget(), device);

    Line line(link);
    QVERIFY(line.isOpen());
    QCOMPARE(line.request(kSYN, kETB), QByteArray(1, kETB));
    QCOMPARE(line.request(char(120 + 2)), demoRecord(2));

    // Commands on standard input, each confirmed on standard output.
    sim.command("distance 50");
    QCOMPARE(sim.line(), QStringLiteral("ok distance 50.00"));
    sim.command("run 5");
    QCOMPARE(sim.line(), QStringLiteral("ok run 5"));
    // Program #5 ends at 61 in: 50 is in range; the reload bit is up.
    QCOMPARE(line.request(20), QByteArray("A12345\r50.00\r\x88\r\x04"));
    sim.command("run 9");
    QVERIFY(sim.line().startsWith("error "));
    sim.command("silence 0.4");
    QCOMPARE(sim.line(), QStringLiteral("ok silence 0.4"));
    line.write(QByteArray(1, kSYN));
    QCOMPARE(line.readPiece(250), QByteArray());
    QTest::qWait(200);
    QCOMPARE(line.request(kSYN, kETB), QByteArray(1, kETB));
    sim.command("quit");
    QCOMPARE(sim.line(), QStringLiteral("ok quit"));
    QVERIFY(sim.exitedCleanly());
    QVERIFY(!QFileInfo(link).isSymLink());
}

void TestProcess::chunkedReplies() {
    // Pieces of 64 bytes, 50 ms apart: each read sees one piece.
    Sim sim({"--seed", "1", "--chunk", "64", "--chunk-gap", "50"});
    Line line(sim.device());
    QList<QByteArray> pieces;
    line.write(QByteArray(1, char(120 + 3)));
    const QByteArray record = line.readUntil(kEOT, &pieces);
    QCOMPARE(record, demoRecord(3));
    QCOMPARE(pieces.size(), (record.size() + 63) / 64);
    for (const QByteArray& piece : pieces)
        QVERIFY(piece.size() <= 64);
    sim.command("quit");
    QVERIFY(sim.exitedCleanly());
}

void TestProcess::signalEndsCleanly() {
    QTemporaryDir dir;
    const QString link = dir.filePath("qx");
    Sim sim({"--link", link});
    Line line(sim.device());
    QCOMPARE(line.request(kSYN, kETB), QByteArray(1, kETB));
    sim.process().terminate(); // SIGTERM
    QVERIFY(sim.exitedCleanly());
    QVERIFY(!QFileInfo(link).isSymLink());
    bool hangup = false;
    line.readPiece(1000, &hangup);
    QVERIFY(hangup);
}

void TestProcess::transmissionStoredAndDumped() {
    QTemporaryDir dir;
    Sim sim({"--seed", "1"});
    Line line(sim.device());
    vanto::ProgramSet edited = vanto::demoPrograms();
    edited[4].set(vanto::Field::Base, "17.5");
    const QByteArray text = vanto::buildTransmissionText(edited, 4, {0, false, "A12345"});

    QCOMPARE(line.request(kDC1, kDC1), QByteArray(1, kDC1));
    QByteArray wrong = text;
    wrong.replace("\r17.5\r", "\r17.6\r");
    line.write(wrong);
    QCOMPARE(sim.line(), QStringLiteral("rejected 4 checksum"));

    QCOMPARE(line.request(kDC1, kDC1), QByteArray(1, kDC1));
    line.write(text);
    QCOMPARE(sim.line(), QStringLiteral("stored 4"));
    // The host reads it back.
    QCOMPARE(line.request(char(120 + 4)),
             qxsim::unitRecordReply(edited, 4, {0, "2.16 M", "A12345"}, "|\r"));

    const QString file = dir.filePath("unit.prg");
    sim.command("dump " + file.toLocal8Bit());
    QCOMPARE(sim.line(), "ok dump " + file);
    vanto::ProgramSet dumped;
    QCOMPARE(vanto::readProgramFile(file, &dumped), QString());
    QCOMPARE(dumped[4].trimmed(vanto::Field::Base), QByteArray("17.5"));
    QVERIFY(dumped[3] == edited[3]);
    sim.command("quit");
    QVERIFY(sim.exitedCleanly());
}

void TestProcess::hostClosesDevice_data() {
    QTest::addColumn<bool>("exitOnClose");
    QTest::newRow("default: keeps serving") << false;
    QTest::newRow("--exit-on-close") << true;
}

void TestProcess::hostClosesDevice() {
    QFETCH(bool, exitOnClose);
    Sim sim(exitOnClose ? QStringList{"--exit-on-close"} : QStringList{});
    const QString device = sim.device();
    // Nobody has opened the device yet: that is no reason to stop.
    QVERIFY(!sim.process().waitForFinished(300));
    {
        Line line(device);
        QCOMPARE(line.request(kSYN, kETB), QByteArray(1, kETB));
    }
    if (exitOnClose) {
        QCOMPARE(sim.line(), QStringLiteral("closed"));
        QVERIFY(sim.exitedCleanly());
        return;
    }
    // A host that reconnects finds the unit still there.
    Line again(device);
    QCOMPARE(again.request(kSYN, kETB), QByteArray(1, kETB));
    QVERIFY(sim.process().state() == QProcess::Running);
    sim.command("quit");
    QVERIFY(sim.exitedCleanly());
}

void TestProcess::hangupAndReplug() {
    QTemporaryDir dir;
    const QString link = dir.filePath("qx");
    Sim sim({"--link", link, "--replug", "0.2"});
    Line first(sim.device());
    QCOMPARE(first.request(kSYN, kETB), QByteArray(1, kETB));
    sim.command("hangup");
    QCOMPARE(sim.line(), QStringLiteral("ok hangup"));
    QCOMPARE(sim.line(), QStringLiteral("hangup"));
    bool hangup = false;
    first.readPiece(1000, &hangup);
    QVERIFY(hangup);
    QVERIFY(!QFileInfo(link).isSymLink());

    const QString second = sim.device(); // plugged in again
    QVERIFY(!second.isEmpty());
    QCOMPARE(QFileInfo(link).symLinkTarget(), second);
    Line line(link);
    QCOMPARE(line.request(kSYN, kETB), QByteArray(1, kETB));
    sim.command("quit");
    QVERIFY(sim.exitedCleanly());
}

void TestProcess::badOption() {
    Sim sim({"--chunk", "zero"});
    QVERIFY(sim.process().waitForFinished(3000));
    QCOMPARE(sim.process().exitCode(), 2);
    QCOMPARE(sim.process().readAllStandardOutput(), QByteArray());
    const QList<QByteArray> err = sim.process().readAllStandardError().split('\n');
    QVERIFY2(err[0].startsWith("qxsim: --chunk zero"), err[0].constData());
    QVERIFY(err.size() > 2); // the usage follows
}

QTEST_GUILESS_MAIN(TestProcess)
#include "test_process.moc"
