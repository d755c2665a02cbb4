// The link against a misbehaving unit: qxsim on a pseudo-terminal with one fault at a time, a
// real QSerialPort and the production event pump. For every fault the link runs a fixed number
// of polls and must
//  - poll again within 3 s of the unit answering again (and, under random faults, never go
//    3 s without a poll reply while the unit answers most of them);
//  - never store a program that differs from what the unit holds;
//  - stay idle, not spin, while the unit is silent or gone.
#include "link/linkfakes.h"
#include "link/unitlink.h"
#include "platform/eventpump.h"
#include "platform/qt/qtserialport.h"
#include "program/demoprograms.h"
#include "program/programstate.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <ctime>

using namespace vanto;
using namespace vanto::test;

namespace {

constexpr int kPolls = 10;             // poll replies before and after an outage
constexpr qint64 kBackWithinMs = 3000; // polling again after the unit answers again
constexpr double kIdleCpuShare = 0.5;  // of the wall time, while the unit is silent or gone

// The simulator, with every line it prints and when (on the test's clock).
class Sim {
public:
    Sim(const QStringList& args, const QElapsedTimer& clock) : m_clock(clock) {
        m_process.setProgram(QStringLiteral(QXSIM_PATH));
        m_process.setArguments(args);
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, [this] { readLines(); });
        m_process.start();
        m_process.waitForStarted(3000);
        QElapsedTimer t;
        t.start();
        while (deviceLines() == 0 && t.elapsed() < 5000) {
            m_process.waitForReadyRead(100);
            readLines();
        }
    }
    ~Sim() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }
    void command(const QByteArray& text) {
        m_process.write(text + '\n');
        m_process.waitForBytesWritten(1000);
    }
    int deviceLines() const {
        int n = 0;
        for (const auto& line : lines)
            n += line.second.startsWith("device: ") ? 1 : 0;
        return n;
    }
    QString firstDevice() const {
        for (const auto& line : lines) {
            if (line.second.startsWith("device: "))
                return QString::fromLocal8Bit(line.second.mid(8));
        }
        return {};
    }
    // When the last "device: " line came (a replugged unit), or -1.
    qint64 lastDeviceAt() const {
        for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
            if (it->second.startsWith("device: "))
                return it->first;
        }
        return -1;
    }
    QList<QPair<qint64, QByteArray>> lines;

private:
    void readLines() {
        while (m_process.canReadLine())
            lines.append({m_clock.elapsed(), m_process.readLine().trimmed()});
    }
    const QElapsedTimer& m_clock;
    QProcess m_process;
};

} // namespace

class TestLinkFaults : public QObject {
    Q_OBJECT
private slots:
    void faults_data();
    void faults();
};

// unit:    qxsim's options
// command: sent to qxsim once kPolls replies have come ("" for none)
// outage:  how the unit stops answering: 0 never (random faults only), the seconds of a
//          "silence", -1 for good (silent or hung up), -2 until qxsim reports a new device
void TestLinkFaults::faults_data() {
    QTest::addColumn<QStringList>("unit");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("outage");

    QTest::newRow("replies dropped")
        << QStringList{"--drop", "0.2", "--seed", "3"} << QByteArray() << 0;
    QTest::newRow("bits flipped") << QStringList{"--corrupt", "0.2", "--seed", "4"} << QByteArray()
                                  << 0;
    QTest::newRow("stray bytes") << QStringList{"--noise", "0.2", "--seed", "5"} << QByteArray()
                                 << 0;
    QTest::newRow("replies in pieces")
        << QStringList{"--chunk", "3", "--chunk-gap", "4"} << QByteArray() << 0;
    QTest::newRow("silence for 3 s") << QStringList{} << QByteArray("silence 3") << 3;
    QTest::newRow("silent for good") << QStringList{"--silent-after", "4"} << QByteArray() << -1;
    QTest::newRow("hung up") << QStringList{} << QByteArray("hangup") << -1;
    QTest::newRow("hung up and replugged")
        << QStringList{"--hangup-after", "4", "--replug", "1"} << QByteArray() << -2;
}

void TestLinkFaults::faults() {
    QFETCH(QStringList, unit);
    QFETCH(QByteArray, command);
    QFETCH(int, outage);

    QTemporaryDir dir;
    const QString linkPath = dir.filePath(QStringLiteral("unit"));
    QElapsedTimer clock;
    clock.start();
    Sim sim(unit + QStringList{QStringLiteral("--link"), linkPath}, clock);
    QVERIFY(!sim.firstDevice().isEmpty());

    ProgramState state;
    QtSerialPort port;
    FakeView view;
    FakePrompts prompts;
    QtEventPump pump;
    UnitLink link(state, port, view, prompts, pump);
    link.vars().DeviceOverride = linkPath;

    const ProgramSet demo = DemoPrograms();
    QList<qint64> replies; // when each poll reply was applied
    QStringList damaged;
    QObject::connect(&link, &UnitLink::pollReplyApplied,
                     [&](int) { replies.append(clock.elapsed()); });
    QObject::connect(&link, &UnitLink::recordDecoded, [&](int k, RecordOutcome outcome) {
        if (outcome == RecordOutcome::Stored &&
            !carriedFieldsEqual(state.programs[k], demo[k], k == 0))
            damaged.append(QStringLiteral("program %1 at %2 ms").arg(k).arg(clock.elapsed()));
    });
    const auto waitFor = [&](const std::function<bool()>& done, int ms) {
        return PumpUntil(pump, done, ms);
    };

    // A stray or damaged byte can spoil the first handshake; the operator tries again.
    for (int attempt = 0; attempt < 5 && !link.vars().OnLine; ++attempt)
        link.SwitchOnLine(true);
    QVERIFY(link.vars().OnLine);
    // A record lost on the way is asked for again only after the line has been silent for a
    // while: under random faults the fetch can take tens of seconds.
    QVERIFY(waitFor([&] { return replies.size() >= kPolls; }, 40000));
    qInfo("%d polls %lld ms after start", kPolls, clock.elapsed());
    if (!command.isEmpty())
        sim.command(command);

    if (outage != 0) {
        const qint64 faultAt = clock.elapsed();
        // The link notices: the indicator goes off once the unit stops answering.
        QVERIFY(waitFor([&] { return !view.ledComm; }, 6000));
        // While the unit does not answer, the link tries again without spinning.
        const qint64 idleFrom = clock.elapsed();
        const double cpuFrom = cpuSeconds();
        const int idleMs = outage > 0 ? int(faultAt + outage * 1000 - idleFrom) : 2000;
        if (idleMs > 500) {
            waitFor([] { return false; }, idleMs);
            const double used = cpuSeconds() - cpuFrom;
            const double wall = (clock.elapsed() - idleFrom) / 1000.0;
            qInfo("idle: %.3f s CPU in %.1f s", used, wall);
            QVERIFY2(used < kIdleCpuShare * wall,
                     qPrintable(QStringLiteral("%1 s CPU in %2 s").arg(used).arg(wall)));
        }
        QVERIFY(prompts.messages.size() <= 1); // a vanished device is reported once
        if (outage == -1) {
            QVERIFY(link.timer1Active()); // still trying
        } else {
            // The unit answers again at a known moment: polling resumes soon after.
            if (outage == -2)
                QVERIFY(waitFor([&] { return sim.deviceLines() >= 2; }, 8000));
            const qint64 back = outage > 0 ? faultAt + outage * 1000 : sim.lastDeviceAt();
            const int before = int(replies.size());
            QVERIFY(waitFor([&] { return replies.size() > before && replies.last() > back; },
                            int(back + kBackWithinMs + 2000 - clock.elapsed())));
            const qint64 resumed = replies.last() - back;
            qInfo("polling again %lld ms after the unit answers again", resumed);
            QVERIFY2(resumed <= kBackWithinMs, qPrintable(QStringLiteral("%1 ms").arg(resumed)));
            const int now = int(replies.size());
            QVERIFY(waitFor([&] { return replies.size() >= now + kPolls; }, 15000));
        }
    } else {
        // Random faults: the unit answers most polls, so replies never stop for long.
        QVERIFY(waitFor([&] { return replies.size() >= 2 * kPolls; }, 20000));
        qint64 gap = 0;
        for (int i = 1; i < replies.size(); ++i)
            gap = std::max(gap, replies[i] - replies[i - 1]);
        qInfo("longest time between poll replies: %lld ms", gap);
        QVERIFY2(gap <= kBackWithinMs, qPrintable(QStringLiteral("%1 ms").arg(gap)));
    }

    // Nothing damaged was stored, and what the set holds is either the unit's or never read.
    QVERIFY2(damaged.isEmpty(), qPrintable(damaged.join(QStringLiteral(", "))));
    for (int k = 0; k < kProgramCount; ++k) {
        QVERIFY2(state.programs[k] == ProgramRecord() ||
                     carriedFieldsEqual(state.programs[k], demo[k], k == 0),
                 qPrintable(QString::number(k)));
    }
    link.SwitchOnLine(false);
}

QTEST_GUILESS_MAIN(TestLinkFaults)
#include "test_link_faults.moc"
