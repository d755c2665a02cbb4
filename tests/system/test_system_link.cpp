// The unit link against the simulator through the real ports: a pseudo-terminal through
// QSerialPort and an RFC 2217 connection. Only what the unit tests with their fake port and clock
// cannot show: real reads in pieces, and recovery from a hung-up or dropped unit.
#include "../fakes.h"
#include "../simrig.h"
#include "link/unitlink.h"
#include "platform/qt/deviceport.h"
#include "platform/qt/qteventpump.h"
#include "program/demoprograms.h"
#include "program/programstate.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace vanto;
using namespace vanto::test;

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
        return link.vars().onLine && wait([this] { return fetched == 8 && replies > 0; }, 10000);
    }
    // Polling goes on: a few more replies within `ms`.
    bool polling(int ms) {
        const int before = replies;
        return wait([&] { return link.vars().onLine && replies > before + 3; }, ms);
    }
};

} // namespace

class TestSystemLink : public QObject {
    Q_OBJECT
private slots:
    void readsEightInPieces();
    void hangUpAndReplugWithoutBusyLoop();
    void droppedNetworkConnectionReconnects();
};

void TestSystemLink::readsEightInPieces() {
    SimProcess sim({"--running", "3", "--chunk", "7", "--chunk-gap", "2"});
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

void TestSystemLink::hangUpAndReplugWithoutBusyLoop() {
    QTemporaryDir dir;
    const QString link = dir.filePath("qx"); // the same name for every pseudo-terminal
    SimProcess sim({"--replug", "2", "--link", link});
    Host host(link);
    QVERIFY(host.connectUnit());
    sim.command("hangup");
    QVERIFY(host.wait([&] { return !host.port.isOpen(); }, 3000));
    QCOMPARE(host.failures.size(), 1);
    QVERIFY(!host.view.linkLamp);
    // While the device is gone the re-connect ticks go on without spinning.
    const double cpu = cpuSeconds();
    host.wait([] { return false; }, 1000);
    const double used = cpuSeconds() - cpu;
    QVERIFY2(used < 0.5, qPrintable(QString::number(used)));
    QVERIFY(host.link.pollTimerActive());
    // The simulator plugs in a new pseudo-terminal: the unit is polled again.
    QVERIFY(host.polling(8000));
    QVERIFY(host.prompts.messages.size() <= 1);
}

void TestSystemLink::droppedNetworkConnectionReconnects() {
    SimProcess sim({"--rfc2217", "0", "--replug", "1"});
    Host host(sim.device);
    QVERIFY(host.connectUnit());
    // The server confirmed the line the link asked for.
    auto& network = static_cast<NetworkPort&>(host.port.active());
    QCOMPARE(network.confirmedSettings().text(), QStringLiteral("19200,N,8,1"));
    QCOMPARE(sim.command("hangup"), QStringLiteral("ok hangup"));
    QVERIFY(host.wait([&] { return !host.failures.isEmpty(); }, 3000));
    QCOMPARE(host.failures[0], sim.device + ": the connection was closed by the server");
    QVERIFY(!host.view.linkLamp);
    // The unit is back a second later on the same address: polling resumes by itself.
    QVERIFY(host.polling(10000));
    QVERIFY(host.view.linkLamp);
}

QTEST_GUILESS_MAIN(TestSystemLink)
#include "test_system_link.moc"
