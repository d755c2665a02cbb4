// The Telnet layer and the network device addresses, on hand-written byte sequences.
#include "../fakes.h"
#include "platform/networkdevice.h"
#include "platform/telnet.h"

#include <QtTest>

using namespace vanto;
using namespace vanto::telnet;
using vanto::test::bytes;

namespace {

// The client's end as the network port uses it.
TelnetEndpoint clientEnd() {
    return TelnetEndpoint({kBinary, kComPort, kSuppressGoAhead}, {kBinary, kSuppressGoAhead});
}

} // namespace

class TestTelnet : public QObject {
    Q_OBJECT
private slots:
    void receiveSeparatesDataFromCommands_data() {
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<QByteArray>("data"); // for rows "data ...", also what escape() sends
        QTest::addColumn<QByteArray>("subnegotiation"); // option byte first, then the payload
        const QByteArray none;
        QTest::newRow("data plain") << bytes({0x16, 'x', 0xFE}) << bytes({0x16, 'x', 0xFE}) << none;
        QTest::newRow("data one 255")
            << bytes({'a', 0xFF, 0xFF, 'b'}) << bytes({'a', 0xFF, 'b'}) << none;
        QTest::newRow("data 255 at both ends")
            << bytes({0xFF, 0xFF, 1, 0xFF, 0xFF}) << bytes({0xFF, 1, 0xFF}) << none;
        QTest::newRow("data two in a row")
            << bytes({0xFF, 0xFF, 0xFF, 0xFF}) << bytes({0xFF, 0xFF}) << none;
        QTest::newRow("nop between data")
            << bytes({'a', 0xFF, 241, 'b'}) << QByteArray("ab") << none;
        QTest::newRow("server's baud answer")
            << bytes({0x17, 0xFF, 0xFA, 44, 101, 0, 0, 0x4B, 0, 0xFF, 0xF0, 'z'})
            << bytes({0x17, 'z'}) << bytes({44, 101, 0, 0, 0x4B, 0});
        QTest::newRow("255 inside a subnegotiation")
            << bytes({0xFF, 0xFA, 44, 101, 0, 0, 0xFF, 0xFF, 0, 0xFF, 0xF0}) << none
            << bytes({44, 101, 0, 0, 0xFF, 0});
        QTest::newRow("negotiation is not data")
            << bytes({'q', 0xFF, 0xFB, 0, 'r'}) << QByteArray("qr") << none;
    }

    void receiveSeparatesDataFromCommands() {
        QFETCH(QByteArray, wire);
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, subnegotiation);
        if (QByteArray(QTest::currentDataTag()).startsWith("data "))
            QCOMPARE(escape(data), wire);
        // Whatever way the stream is cut into pieces.
        for (int cut = 0; cut <= wire.size(); ++cut) {
            TelnetEndpoint end = clientEnd();
            QByteArray answer;
            QList<TelnetEndpoint::Subnegotiation> subs;
            QByteArray got = end.receive(wire.left(cut), &answer, &subs);
            got += end.receive(wire.mid(cut), &answer, &subs);
            QCOMPARE(got, data);
            QCOMPARE(subs.size(), subnegotiation.isEmpty() ? 0 : 1);
            if (!subs.isEmpty())
                QCOMPARE(char(subs[0].option) + subs[0].payload, subnegotiation);
        }
    }

    void negotiationAnswers_data() {
        QTest::addColumn<QByteArray>("asked"); // what the client asked first (WILL x / DO x)
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<QByteArray>("answer");
        using Bytes = std::initializer_list<int>;
        const auto row = [](const char* name, Bytes asked, Bytes received, Bytes answer) {
            QTest::newRow(name) << bytes(asked) << bytes(received) << bytes(answer);
        };
        // Requests the other end makes on its own.
        row("DO echo refused", {}, {0xFF, 0xFD, 1}, {0xFF, 0xFC, 1});
        row("WILL echo refused", {}, {0xFF, 0xFB, 1}, {0xFF, 0xFE, 1});
        row("WILL binary accepted", {}, {0xFF, 0xFB, 0}, {0xFF, 0xFD, 0});
        row("DO binary accepted", {}, {0xFF, 0xFD, 0}, {0xFF, 0xFB, 0});
        row("repeated WILL answered once", {}, {0xFF, 0xFB, 3, 0xFF, 0xFB, 3}, {0xFF, 0xFD, 3});
        row("WONT for an option never on", {}, {0xFF, 0xFC, 1}, {});
        row("switched off again", {}, {0xFF, 0xFD, 0, 0xFF, 0xFE, 0},
            {0xFF, 0xFB, 0, 0xFF, 0xFC, 0});
        // Answers to the client's own requests are not answered again (no loop).
        row("DO com-port after WILL", {0xFF, 0xFB, 44}, {0xFF, 0xFD, 44}, {});
        row("DONT com-port after WILL", {0xFF, 0xFB, 44}, {0xFF, 0xFE, 44}, {});
        row("WILL binary after DO", {0xFF, 0xFD, 0}, {0xFF, 0xFB, 0}, {});
    }

    void negotiationAnswers() {
        QFETCH(QByteArray, asked);
        QFETCH(QByteArray, received);
        QFETCH(QByteArray, answer);
        TelnetEndpoint end = clientEnd();
        QList<unsigned char> will, doOptions;
        for (int i = 0; i + 3 <= asked.size(); i += 3)
            (asked[i + 1] == char(0xFB) ? will : doOptions)
                .append(static_cast<unsigned char>(asked[i + 2]));
        QCOMPARE(end.request(will, doOptions), asked);
        QByteArray got;
        QCOMPARE(end.receive(received, &got, nullptr), QByteArray());
        QCOMPARE(got, answer);
        if (received == bytes({0xFF, 0xFE, 44}))
            QVERIFY(end.localRefused(kComPort) && !end.localEnabled(kComPort));
        if (received == bytes({0xFF, 0xFD, 44}))
            QVERIFY(end.localEnabled(kComPort));
    }

    void comPortOption() {
        // 19200 baud, 8 data bits, no parity, 1 stop bit, no flow control.
        const QByteArray expected =
            bytes({0xFF, 0xFA, 44, 1, 0, 0, 0x4B, 0, 0xFF, 0xF0}) +
            bytes({0xFF, 0xFA, 44, 2, 8, 0xFF, 0xF0}) + bytes({0xFF, 0xFA, 44, 3, 1, 0xFF, 0xF0}) +
            bytes({0xFF, 0xFA, 44, 4, 1, 0xFF, 0xF0}) + bytes({0xFF, 0xFA, 44, 5, 1, 0xFF, 0xF0});
        QCOMPARE(comPortSettings(*LineSettings::parse(QStringLiteral("19200,N,8,1"))), expected);
        // A rate whose bytes hold 255 travels with it doubled: 65535 = 00 00 FF FF.
        QVERIFY(
            comPortSettings(LineSettings{65535, 'E', 7, 2})
                .startsWith(bytes({0xFF, 0xFA, 44, 1, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xF0})));
        // The server's end reads the settings back.
        const LineSettings wanted{19200, 'E', 7, 2};
        TelnetEndpoint server({kBinary, kSuppressGoAhead}, {kBinary, kSuppressGoAhead, kComPort});
        QByteArray answer;
        QList<TelnetEndpoint::Subnegotiation> subs;
        server.receive(comPortSettings(wanted), &answer, &subs);
        QCOMPARE(subs.size(), 5);
        LineSettings line{9600, 'N', 8, 1};
        int applied = 0;
        for (const auto& sub : subs)
            applied += applyComPortCommand(sub.payload, &line) ? 1 : 0;
        QCOMPARE(applied, 4); // the flow-control command sets no line setting
        QCOMPARE(line.text(), wanted.text());
        // Value 0 only asks for the current rate: nothing changes.
        QVERIFY(!applyComPortCommand(bytes({1, 0, 0, 0, 0}), &line));
        QCOMPARE(line.baud, 19200);
    }

    void networkAddresses_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("expected"); // protocol host port, "refused" or "serial"
        const auto row = [](const char* name, const char* device, const char* expected) {
            QTest::newRow(name) << QString::fromLatin1(device) << QString::fromLatin1(expected);
        };
        row("raw", "tcp://10.0.0.7:4001", "tcp 10.0.0.7 4001");
        row("rfc2217, name", "rfc2217://ser2net.plant:2217", "rfc2217 ser2net.plant 2217");
        row("letter case, blanks", " TCP://Host:1 ", "tcp Host 1");
        row("ipv6", "tcp://[::1]:65535", "tcp ::1 65535");
        row("trailing slash", "tcp://h:20/", "tcp h 20");
        row("no port", "tcp://host", "refused");
        row("port 0", "tcp://host:0", "refused");
        row("port too big", "tcp://host:65536", "refused");
        row("signed port", "tcp://host:+80", "refused");
        row("no host", "rfc2217://:2217", "refused");
        row("bare ipv6", "tcp://::1:80", "refused");
        row("serial device", "/dev/ttyUSB0", "serial");
        row("other scheme", "udp://host:1", "serial");
    }

    void networkAddresses() {
        QFETCH(QString, device);
        QString error;
        const std::optional<NetworkDevice> parsed = parseNetworkDevice(device, &error);
        QString got =
            isNetworkDevice(device) ? QStringLiteral("refused") : QStringLiteral("serial");
        if (parsed) {
            const bool rfc2217 = parsed->protocol == NetworkDevice::Protocol::Rfc2217;
            got = QStringLiteral("%1 %2 %3")
                      .arg(rfc2217 ? "rfc2217" : "tcp", parsed->host)
                      .arg(parsed->port);
        }
        QTEST(got, "expected");
        QCOMPARE(error.isEmpty(), bool(parsed)); // a refusal says why
    }
};

QTEST_GUILESS_MAIN(TestTelnet)
#include "test_telnet.moc"
