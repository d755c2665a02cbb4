// The unit link against the simulator through the real ports: a pseudo-terminal through
// QSerialPort, and raw TCP and RFC 2217 connections. Only what the unit tests with their fake
// port and clock cannot show: real reads in pieces, the real poll rate, and recovery from a
// silent, hung-up or dropped unit.
#include "../fakes.h"
#include "../simrig.h"
#include "link/unitlink.h"
#include "platform/qt/deviceport.h"
#include "platform/qt/qteventpump.h"
#include "program/demoprograms.h"
#include "program/programstate.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

using namespace vanto;
using namespace vanto::test;

namespace {

using Sim = SimProcess;

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
    bool polling(int ms = 5000) {
        const int before = replies;
        return wait([&] { return link.vars().onLine && replies > before + 3; }, ms);
    }
};

quint16 closedPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

} // namespace

class TestSystemLink : public QObject {
    Q_OBJECT
private slots:
    void readsEightInPiecesThenPollsFiveTimesASecond();
    void silentUnitReconnects();
    void hangUpAndReplugWithoutBusyLoop();
    void droppedConnectionReconnects_data();
    void droppedConnectionReconnects();
    void networkFailuresNameAddressAndReason_data();
    void networkFailuresNameAddressAndReason();
};

void TestSystemLink::readsEightInPiecesThenPollsFiveTimesASecond() {
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
    const int before = host.replies;
    QElapsedTimer t;
    t.start();
    host.wait([] { return false; }, 3000);
    const double rate = (host.replies - before) * 1000.0 / double(t.elapsed());
    QVERIFY2(rate > 3.5 && rate < 5.5, qPrintable(QString::number(rate)));
}

void TestSystemLink::silentUnitReconnects() {
    Sim sim;
    Host host(sim.device);
    QVERIFY(host.connectUnit());
    sim.command("silence 3");
    QVERIFY(host.wait([&] { return !host.view.linkLamp; }, 3000));
    QVERIFY(host.polling(8000));
    QVERIFY(host.view.linkLamp);
    QVERIFY(host.prompts.messages.isEmpty());
}

void TestSystemLink::hangUpAndReplugWithoutBusyLoop() {
    QTemporaryDir dir;
    const QString link = dir.filePath("qx"); // the same name for every pseudo-terminal
    Sim sim({"--replug", "2", "--link", link});
    Host host(link);
    QVERIFY(host.connectUnit());
    sim.command("hangup");
    QVERIFY(host.wait([&] { return !host.port.isOpen(); }, 3000));
    QCOMPARE(host.failures.size(), 1);
    QVERIFY(!host.view.linkLamp);
    // While the device is gone the re-connect ticks go on without spinning.
    const double cpu = cpuSeconds();
    host.wait([] { return false; }, 2000);
    const double used = cpuSeconds() - cpu;
    QVERIFY2(used < 0.5, qPrintable(QString::number(used)));
    QVERIFY(host.link.pollTimerActive());
    // The simulator plugs in a new pseudo-terminal: the unit is polled again.
    QVERIFY(host.polling(8000));
    QVERIFY(host.prompts.messages.size() <= 1);
}

void TestSystemLink::droppedConnectionReconnects_data() {
    QTest::addColumn<QString>("mode");
    QTest::newRow("raw") << "--tcp";
    QTest::newRow("rfc2217") << "--rfc2217";
}

void TestSystemLink::droppedConnectionReconnects() {
    QFETCH(QString, mode);
    Sim sim({mode, "0", "--replug", "1"});
    Host host(sim.device);
    QVERIFY(host.connectUnit());
    if (mode == QLatin1String("--rfc2217")) {
        // The server confirmed the line the link asked for.
        auto& network = static_cast<NetworkPort&>(host.port.active());
        QCOMPARE(network.confirmedSettings().text(), QStringLiteral("19200,N,8,1"));
    }
    QCOMPARE(sim.command("hangup"), QStringLiteral("ok hangup"));
    QVERIFY(host.wait([&] { return !host.failures.isEmpty(); }, 3000));
    QCOMPARE(host.failures[0], sim.device + ": the connection was closed by the server");
    QVERIFY(!host.view.linkLamp);
    // The unit is back a second later on the same address: polling resumes by itself.
    QVERIFY(host.polling(10000));
    QVERIFY(host.view.linkLamp);
    for (const auto& m : host.prompts.messages)
        QVERIFY2(m.text.startsWith("COMM Err: " + sim.device), qPrintable(m.text));
}

void TestSystemLink::networkFailuresNameAddressAndReason_data() {
    QTest::addColumn<QString>("device"); // "raw sim": rfc2217:// on a raw simulator port
    QTest::addColumn<QString>("reason");
    QTest::newRow("refused") << QStringLiteral("rfc2217://localhost:%1").arg(closedPort())
                             << "connection refused";
    QTest::newRow("not a telnet server") << "raw sim"
                                         << "does not answer the RFC 2217 negotiation";
}

void TestSystemLink::networkFailuresNameAddressAndReason() {
    QFETCH(QString, device);
    QFETCH(QString, reason);
    std::unique_ptr<Sim> sim;
    if (device == QLatin1String("raw sim")) {
        sim = std::make_unique<Sim>(QStringList{"--tcp", "0"});
        device = sim->device.replace("tcp://", "rfc2217://");
    }
    Host host(device);
    host.link.switchOnLine(true);
    QVERIFY(!host.link.vars().onLine);
    QCOMPARE(host.prompts.messages.size(), 1);
    const QString message = host.prompts.messages[0].text;
    QVERIFY2(message.startsWith("COMM Err: " + device + ": ") && message.contains(reason),
             qPrintable(message));
}

QTEST_GUILESS_MAIN(TestSystemLink)
#include "test_system_link.moc"
