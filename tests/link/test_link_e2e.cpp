// The unit link end to end: a real QSerialPort on the pseudo-terminal of a running qxsim.
#include "../fakes.h"
#include "../simprocess.h"
#include "link/replies.h"
#include "link/unitlink.h"
#include "platform/qt/qteventpump.h"
#include "platform/qt/qtserialport.h"
#include "program/demoprograms.h"
#include "program/programfile.h"
#include "program/programstate.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <ctime>

using namespace vanto;
using namespace vanto::test;

namespace {

// QtSerialPort with a record of every write and when it happened.
class RecordingPort : public QtSerialPort {
public:
    void write(const QByteArray& bytes) override {
        QtSerialPort::write(bytes);
        if (isOpen())
            writes.append({clock.elapsed(), bytes});
    }
    // The one-byte commands written, in order.
    QByteArray commands() const {
        QByteArray out;
        for (const auto& w : writes) {
            if (w.second.size() == 1)
                out += w.second;
        }
        return out;
    }
    QList<QPair<qint64, QByteArray>> writes;
    QElapsedTimer clock;
};

using Sim = vanto::test::SimProcess;

struct Host {
    ProgramState state;
    RecordingPort port;
    FakeView view;
    FakePrompts prompts;
    QtEventPump pump;
    UnitLink link{state, port, view, prompts, pump};
    int replies = 0;
    int fetched = 0;

    explicit Host(const QString& device) {
        link.setDeviceOverride(device);
        port.clock.start();
        QObject::connect(&link, &UnitLink::pollReplyApplied, [this] { ++replies; });
        QObject::connect(&link, &UnitLink::recordDecoded, [this](int, RecordOutcome o) {
            if (o == RecordOutcome::Stored)
                ++fetched;
        });
    }
    ~Host() { link.switchOnLine(false); }
    bool wait(const std::function<bool()>& done, int ms) { return pumpUntil(pump, done, ms); }
    void run(int ms) {
        wait([] { return false; }, ms);
    }
    bool connectUnit() {
        link.switchOnLine(true);
        return link.vars().onLine && wait([this] { return replies > 0; }, 8000);
    }
};

} // namespace

class TestLinkE2E : public QObject {
    Q_OBJECT
private slots:
    void connectReadsEightThenPollsFiveTimesASecond();
    void hangUpClosesWithoutBusyLoop();
    void transmitAndReadBack();
};

void TestLinkE2E::connectReadsEightThenPollsFiveTimesASecond() {
    Sim sim({QStringLiteral("--running"), QStringLiteral("3")});
    QVERIFY(!sim.device.isEmpty());
    Host host(sim.device);
    QVERIFY(host.connectUnit());
    QVERIFY(host.view.linkLamp);
    const QByteArray commands = host.port.commands();
    QCOMPARE(commands.left(9), QByteArray("\x16xyz{|}~\x7f"));
    QVERIFY(commands.mid(9).count('x') == 0); // no record request after the eighth
    QCOMPARE(host.state.currentProgram, 3);
    const ProgramSet demo = demoPrograms();
    for (int k = 0; k < kProgramCount; ++k)
        QVERIFY2(carriedFieldsEqual(host.state.programs[k], demo[k], k == 0),
                 qPrintable(QString::number(k)));

    const int before = host.replies;
    QElapsedTimer t;
    t.start();
    host.run(3000);
    const double rate = (host.replies - before) * 1000.0 / t.elapsed();
    QVERIFY2(rate > 3.5 && rate < 5.5, qPrintable(QString::number(rate)));
    QCOMPARE(host.link.pollInterval(), 200);
}

void TestLinkE2E::hangUpClosesWithoutBusyLoop() {
    Sim sim;
    Host host(sim.device);
    QVERIFY(host.connectUnit());
    QSignalSpy failed(&host.link, &UnitLink::portFailed);
    sim.command("hangup");
    QVERIFY(host.wait([&] { return !host.port.isOpen(); }, 3000));
    QCOMPARE(failed.count(), 1);
    QVERIFY(!host.view.linkLamp);
    const double cpu = cpuSeconds();
    host.run(2500);
    const double used = cpuSeconds() - cpu;
    QVERIFY2(used < 0.5, qPrintable(QString::number(used)));
    QVERIFY(host.link.pollTimerActive()); // re-connect ticks go on
    QVERIFY(host.prompts.messages.size() <= 1);
    if (!host.prompts.messages.isEmpty())
        QVERIFY(host.prompts.messages[0].text.startsWith(QLatin1String("COMM Err: ") + sim.device));
}

void TestLinkE2E::transmitAndReadBack() {
    Sim sim;
    Host host(sim.device);
    QVERIFY(host.connectUnit());
    host.state.programs[3].set(Field::Base, "31");
    host.state.programs[3].set(Field::AverageCount, "7");
    const ProgramRecord sent = host.state.programs[3];
    host.link.startTransmission(3);
    QVERIFY(host.wait([&] { return !host.link.transmissionWaiting(); }, 8000));
    QVERIFY(host.wait([&] { return !host.link.fetchingRecords(); }, 5000));
    // Read what the unit now holds.
    host.state.programs[3] = ProgramRecord();
    host.link.requestProgramRecord(3);
    QVERIFY(host.wait([&] { return host.state.programs[3] != ProgramRecord(); }, 5000));
    QVERIFY(carriedFieldsEqual(host.state.programs[3], sent, false));
}

QTEST_GUILESS_MAIN(TestLinkE2E)
#include "test_link_e2e.moc"
