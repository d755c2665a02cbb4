// The unit link end to end: a real QSerialPort on the pseudo-terminal of a running qxsim.
#include "../simprocess.h"
#include "link/linkfakes.h"
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
    void temperatureEveryTenthTick();
    void repliesOneByteAtATime();
    void noiseAndCorruptionNeverStoreDamage();
    void silentUnitReconnects();
    void hangUpClosesWithoutBusyLoop();
    void runningProgramChangeReloads();
    void transmitAndReadBack();
    void unacknowledgedTransmissionAbandoned();
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

void TestLinkE2E::temperatureEveryTenthTick() {
    Sim sim;
    Host host(sim.device);
    QVERIFY(host.connectUnit());
    host.link.setTemperatureCompensation(true);
    host.run(4500);
    // The poll commands after the fetch (the first sent with the last record, the others on the
    // ticks): an STX every tenth tick, the poll command otherwise.
    const QByteArray polls = host.port.commands().mid(9);
    const int first = int(polls.indexOf(kSTX));
    QVERIFY(first >= 0 && first <= 10);
    for (int i = first; i < polls.size(); ++i)
        QCOMPARE(polls[i] == kSTX, (i - first) % 10 == 0);
    QVERIFY(polls.count(kSTX) >= 2);
    QVERIFY(!host.view.temperature.isEmpty());
    QVERIFY(host.link.vars().conversionValue > 0);
}

void TestLinkE2E::repliesOneByteAtATime() {
    Sim sim({QStringLiteral("--chunk"), QStringLiteral("1"), QStringLiteral("--chunk-gap"),
             QStringLiteral("1")});
    Host host(sim.device);
    QVERIFY(host.connectUnit());
    QCOMPARE(host.fetched, 8);
    host.run(1000);
    QVERIFY(host.replies >= 3);
    // Between polls (no request outstanding) nothing of a reply is left in the buffer. Bytes of
    // the reply being received at a random moment are not leftovers.
    QVERIFY(host.wait([&] { return host.link.vars().linkRequest == LinkRequest::None; }, 1000));
    QCOMPARE(host.link.vars().rxBuffer, QByteArray());
}

void TestLinkE2E::noiseAndCorruptionNeverStoreDamage() {
    Sim sim({QStringLiteral("--noise"), QStringLiteral("0.15"), QStringLiteral("--corrupt"),
             QStringLiteral("0.15"), QStringLiteral("--seed"), QStringLiteral("11")});
    Host host(sim.device);
    QSet<int> stored;
    QObject::connect(&host.link, &UnitLink::recordDecoded, [&](int program, RecordOutcome o) {
        if (o == RecordOutcome::Stored)
            stored.insert(program);
    });
    // A stray byte before the unit's ETB fails a handshake; the operator tries again.
    for (int attempt = 0; attempt < 5 && !host.link.vars().onLine; ++attempt)
        host.link.switchOnLine(true);
    QVERIFY(host.link.vars().onLine);
    host.wait([&] { return host.replies >= 20; }, 15000);
    QVERIFY(host.replies >= 20);
    // Whatever arrived damaged was not stored: every stored program is the unit's.
    const ProgramSet demo = demoPrograms();
    QVERIFY(!stored.isEmpty());
    for (int k : stored)
        QVERIFY2(carriedFieldsEqual(host.state.programs[k], demo[k], k == 0),
                 qPrintable(QString::number(k)));
    // Programs missed by a damaged fetch are read on request. A flipped bit in a poll reply's
    // status byte can raise the reload bit meanwhile; the read then files the running program
    // instead and polling resumes, so the request is made again until the program is read.
    for (int k = 0; k < kProgramCount; ++k) {
        for (int attempt = 0; attempt < 5 && !stored.contains(k); ++attempt) {
            host.link.requestProgramRecord(k);
            host.wait([&] { return !host.link.fetchingRecords(); }, 30000);
        }
        QVERIFY2(stored.contains(k), qPrintable(QString::number(k)));
        QVERIFY(carriedFieldsEqual(host.state.programs[k], demo[k], k == 0));
    }
}

void TestLinkE2E::silentUnitReconnects() {
    Sim sim;
    Host host(sim.device);
    QVERIFY(host.connectUnit());
    const int syns = int(host.port.commands().count(kSYN));
    sim.command("silence 3");
    QVERIFY(host.wait([&] { return !host.view.linkLamp; }, 3000));
    QVERIFY(host.port.commands().count(kSYN) > syns);
    const int replies = host.replies;
    QVERIFY(host.wait([&] { return host.link.vars().onLine && host.replies > replies + 2; }, 8000));
    QVERIFY(host.view.linkLamp);
    QVERIFY(host.prompts.messages.isEmpty());
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
        QVERIFY(host.prompts.messages[0].startsWith(QLatin1String("COMM Err: ") + sim.device));
}

void TestLinkE2E::runningProgramChangeReloads() {
    Sim sim;
    Host host(sim.device);
    QVERIFY(host.connectUnit());
    const int refreshes = host.view.refreshes;
    sim.command("run 5");
    QVERIFY(host.wait(
        [&] {
            return host.state.currentProgram == 5 &&
                   host.link.vars().linkRequest != LinkRequest::AllRecords;
        },
        5000));
    QVERIFY(host.view.refreshes > refreshes);
    QCOMPARE(host.view.lastModel.pollRequest, host.link.vars().pollRequest);
    const int replies = host.replies;
    QVERIFY(host.wait([&] { return host.replies > replies + 2; }, 3000));
    QCOMPARE(host.state.currentProgram, 5);
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

void TestLinkE2E::unacknowledgedTransmissionAbandoned() {
    Sim sim;
    Host host(sim.device);
    QVERIFY(host.connectUnit());
    sim.command("silence 30");
    host.run(100);
    host.link.startTransmission(2);
    host.run(4300);
    QVERIFY(host.link.transmissionWaiting());
    QCOMPARE(int(host.port.commands().count(kDC1)), 3); // at 0, 2 and 4 s
    host.link.abandonTransmission();
    QVERIFY(!host.link.transmissionWaiting());
    QVERIFY(host.link.pollTimerActive());
    QCOMPARE(host.link.pollInterval(), 200);
}

QTEST_GUILESS_MAIN(TestLinkE2E)
#include "test_link_e2e.moc"
