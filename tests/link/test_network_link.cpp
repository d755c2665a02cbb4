// The unit link over the network: the port chosen by the device text, against the simulator
// serving raw TCP and RFC 2217, including a dropped connection and the ways a connect fails.
#include "../fakes.h"
#include "../simprocess.h"
#include "link/unitlink.h"
#include "platform/qt/deviceport.h"
#include "platform/qt/qteventpump.h"
#include "program/programstate.h"

#include <QTcpServer>
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
        QObject::connect(&link, &UnitLink::recordDecoded, [this](int, RecordOutcome o) {
            if (o == RecordOutcome::Stored)
                ++fetched;
        });
        QObject::connect(&link, &UnitLink::portFailed,
                         [this](const QString& description) { failures << description; });
    }
    ~Host() { link.switchOnLine(false); }
    bool wait(const std::function<bool()>& done, int ms) { return pumpUntil(pump, done, ms); }
};

// A local port nothing listens on.
quint16 closedPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

} // namespace

class TestNetworkLink : public QObject {
    Q_OBJECT
private slots:
    void droppedConnectionReconnects_data();
    void droppedConnectionReconnects();
    void failuresNameAddressAndReason_data();
    void failuresNameAddressAndReason();
};

void TestNetworkLink::droppedConnectionReconnects_data() {
    QTest::addColumn<QString>("mode");
    QTest::newRow("raw") << "--tcp";
    QTest::newRow("rfc2217") << "--rfc2217";
}

void TestNetworkLink::droppedConnectionReconnects() {
    QFETCH(QString, mode);
    Sim sim({mode, QStringLiteral("0"), QStringLiteral("--replug"), QStringLiteral("1")});
    Host host(sim.device);
    host.link.switchOnLine(true);
    QVERIFY(host.wait([&] { return host.fetched == 8 && host.replies >= 3; }, 8000));
    if (mode == QLatin1String("--rfc2217")) {
        // The server confirmed the line the link asked for.
        auto& network = static_cast<NetworkPort&>(host.port.active());
        QCOMPARE(network.confirmedSettings().text(), QStringLiteral("19200,N,8,1"));
    }
    QCOMPARE(sim.command(QStringLiteral("hangup")), QStringLiteral("ok hangup"));
    QVERIFY(host.wait([&] { return !host.failures.isEmpty(); }, 3000));
    QCOMPARE(host.failures[0],
             sim.device + QStringLiteral(": the connection was closed by the server"));
    QVERIFY(!host.view.linkLamp);
    // The unit is back a second later on the same address: polling resumes by itself.
    const int before = host.replies;
    QVERIFY(host.wait([&] { return host.link.vars().onLine && host.replies > before + 3; }, 10000));
    QVERIFY(host.view.linkLamp);
    // At most one message while it was away, naming the address, as for an unplugged adapter.
    QVERIFY(host.prompts.messages.size() <= 1);
    for (const QString& m : host.prompts.texts())
        QVERIFY2(m.startsWith(QStringLiteral("COMM Err: ") + sim.device), qPrintable(m));
}

void TestNetworkLink::failuresNameAddressAndReason_data() {
    QTest::addColumn<QString>("device"); // "raw sim": rfc2217:// on a raw simulator port
    QTest::addColumn<QString>("reason");
    QTest::newRow("refused") << QStringLiteral("tcp://127.0.0.1:%1").arg(closedPort())
                             << "connection refused";
    QTest::newRow("refused, rfc2217")
        << QStringLiteral("rfc2217://localhost:%1").arg(closedPort()) << "connection refused";
    QTest::newRow("unknown host") << "tcp://no-such-host.invalid:4001"
                                  << "host not found";
    QTest::newRow("no port") << "rfc2217://127.0.0.1"
                             << "needs a port number";
    QTest::newRow("not a telnet server") << "raw sim"
                                         << "does not answer the RFC 2217 negotiation";
}

void TestNetworkLink::failuresNameAddressAndReason() {
    QFETCH(QString, device);
    QFETCH(QString, reason);
    std::unique_ptr<Sim> sim;
    if (device == QLatin1String("raw sim")) {
        sim = std::make_unique<Sim>(QStringList{QStringLiteral("--tcp"), QStringLiteral("0")});
        device = sim->device.replace(QLatin1String("tcp://"), QLatin1String("rfc2217://"));
    }
    Host host(device);
    host.link.switchOnLine(true);
    QVERIFY(!host.link.vars().onLine);
    QVERIFY(!host.port.isOpen());
    QCOMPARE(host.prompts.messages.size(), 1);
    const QString message = host.prompts.messages[0].text;
    QVERIFY2(message.startsWith(QStringLiteral("COMM Err: ") + device + QStringLiteral(": ")),
             qPrintable(message));
    QVERIFY2(message.contains(reason), qPrintable(message));
    QCOMPARE(host.prompts.messages[0].title, QStringLiteral("ERROR"));
}

QTEST_GUILESS_MAIN(TestNetworkLink)
#include "test_network_link.moc"
