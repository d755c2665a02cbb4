// The unit link against a fake port: handshake, fetch, polling, replies, transmission and the
// failure paths, with the clock and the event rounds under the test's control.
#include "../fakes.h"
#include "link/replies.h"
#include "link/unitlink.h"
#include "program/demoprograms.h"
#include "program/programfile.h"
#include "program/programstate.h"
#include "program/recordreply.h"
#include "unitformat.h"

#include <QtTest>

using namespace vanto;
using namespace vanto::test;

namespace {

// A link wired to fakes, and a unit that answers the handshake and the record requests.
struct Rig {
    ProgramState state;
    FakeSerialPort port;
    FakeView view;
    FakePrompts prompts;
    FakePump pump;
    UnitLink link{state, port, view, prompts, pump};
    LinkProbe probe{link};
    ProgramSet unitPrograms = demoPrograms();
    qxsim::UnitIdentity unit{2, "2.16 M", "A12345"};
    bool answerHandshake = true;
    int answered = -1; // index of the SYN already answered
    int syns = 0;      // SYNs answered (or left unanswered) so far
    // The unit's answer to each SYN in turn ("" for none); past the end of the list, ETB.
    QList<QByteArray> synAnswers;

    Rig() {
        link.setDeviceOverride(QStringLiteral("/dev/fake"));
        pump.onRound = [this](int) { answerSyn(); };
    }
    void answerSyn() {
        const int last = int(port.written.size()) - 1;
        if (answerHandshake && last > answered && port.lastWritten() == QByteArray(1, kSYN)) {
            answered = last;
            const int n = syns++;
            const QByteArray answer = n < synAnswers.size() ? synAnswers[n] : QByteArray(1, kETB);
            if (!answer.isEmpty())
                port.inject(answer);
        }
    }
    QByteArray record(int program) const {
        return qxsim::unitRecordReply(unitPrograms, program, unit, "xx");
    }
    // The line stays quiet after a record until the link asks for the next one (or stops).
    void settle() {
        const qsizetype before = port.written.size();
        for (int i = 0; i < 1000 && port.written.size() == before && link.fetchingRecords(); ++i) {
            pump.advanceMs(UnitLink::kRecordCheckMs);
            probe.recordLineCheck();
        }
    }
    // Answers record requests (requests 1 and 8) until the link stops asking.
    void serveRecords() {
        for (int guard = 0; guard < 40; ++guard) {
            const LinkRequest request = link.vars().linkRequest;
            if (request != LinkRequest::AllRecords && request != LinkRequest::OneRecord)
                return;
            const int byte = static_cast<unsigned char>(port.lastWritten().at(0));
            QVERIFY(byte >= 120 && byte <= 127);
            port.inject(record(byte - 120));
            settle();
        }
        QFAIL(qPrintable("the link kept asking for records: " + port.allWritten().toHex()));
    }
    void connectUnit() {
        link.switchOnLine(true);
        QVERIFY(link.vars().onLine);
        serveRecords();
    }
    // The reply to the poll request outstanding.
    QByteArray pollReply(const QByteArray& distance, int status) const {
        const QByteArray st(1, char(status));
        switch (link.vars().linkRequest) {
        case LinkRequest::PollSerial:
            return "A12345\r" + distance + "\r" + st + "\r\x04";
        case LinkRequest::PollDistance:
            return distance + "\r" + st + "\r\x04";
        case LinkRequest::PollAnalog:
            return "A12345\r" + distance + "\r128\r" + st + "\r\x04";
        default:
            return "A12345\r" + distance + "\r" + st + "\r0\r\x04";
        }
    }
};

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out += char(v);
    return out;
}

} // namespace

class TestUnitLink : public QObject {
    Q_OBJECT
private slots:
    void connectReadsEightProgramsThenPolls();
    void handshakeAnswers_data();
    void handshakeAnswers();
    void handshakeWaitBounds_data();
    void handshakeWaitBounds();
    void waitsLetEventsRunButNotIntoTheLink_data();
    void waitsLetEventsRunButNotIntoTheLink();
    void switchOffDuringHandshakeEndsIt();
    void handshakeRetried_data();
    void handshakeRetried();
    void onLineFailureShownWithoutBox_data();
    void onLineFailureShownWithoutBox();
    void operatorConnectFailureAsksOnce();
    void rxBufferBounded();
    void portFailureClosesAndReconnects_data();
    void portFailureClosesAndReconnects();
    void damagedRecords_data();
    void damagedRecords();
    void damagedRecordDuringReloadKeepsReload();
    void lostRecordIsRequestedAgain();
    void strayByteNeverPrefixesAReading();
    void temperatureReplyKeepsTheTickRate();
    void pollReplies_data();
    void pollReplies();
    void replySplitAtEveryOffset();
    void silentUnitReconnectsAtSixthTick();
    void temperatureEveryTenthTick();
    void reloadRereadsFromRunningProgram();
    void countersSaturate();
    void nearFarBlink();
    void transmissionExchange();
    void transmissionRestartsWithoutDc1();
    void unacknowledgedTransmissionAbandoned();
    void switchOffStopsEverything();
};

void TestUnitLink::connectReadsEightProgramsThenPolls() {
    Rig rig;
    rig.connectUnit();
    QCOMPARE(rig.port.device(), QStringLiteral("/dev/fake"));
    QCOMPARE(rig.port.settings_.text(), QStringLiteral("19200,N,8,1"));
    // The handshake, the eight record requests, then at once the first poll.
    const QByteArray written = rig.port.allWritten();
    QCOMPARE(written.left(9), bytes({22, 120, 121, 122, 123, 124, 125, 126, 127}));
    const char pollBytes[7] = {0, 0, 20, 19, 2, 16, 24};
    QCOMPARE(written.mid(9), QByteArray(1, pollBytes[int(rig.link.vars().pollRequest)]));
    QVERIFY(rig.view.linkLamp);
    QVERIFY(rig.view.controlsEnabled);
    QCOMPARE(rig.state.currentProgram, 2);
    QCOMPARE(rig.state.unitSerial, QByteArray("A12345"));
    QCOMPARE(rig.state.modelName, QStringLiteral("QX3700"));
    QCOMPARE(rig.view.refreshes, 1);         // only the running program's record redraws
    QCOMPARE(rig.view.unread, QList<int>()); // nothing missing
    for (int k = 0; k < kProgramCount; ++k)
        QCOMPARE(rig.state.programs[k].text(Field::Base), rig.unitPrograms[k].text(Field::Base));
    QVERIFY(rig.link.pollTimerActive());
    QCOMPARE(rig.link.pollInterval(), 200);
    QVERIFY(!rig.link.recordWatchdogActive());
    const LinkRequest poll = rig.link.display().pollRequest;
    QCOMPARE(rig.link.vars().pollRequest, poll);

    const char pollByte = poll == LinkRequest::PollAdaptive ? kDLE
                          : poll == LinkRequest::PollAnalog ? kCAN
                                                            : kDC3;
    rig.probe.pollTick();
    QCOMPARE(rig.port.lastWritten(), QByteArray(1, pollByte));
}

void TestUnitLink::handshakeAnswers_data() {
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("online");
    QTest::newRow("ETB") << QByteArray("\x17") << true;
    QTest::newRow("ETB and more") << QByteArray("\x17\x04\r12") << true;
    QTest::newRow("other byte") << QByteArray("\x06\x17") << false;
    QTest::newRow("nothing") << QByteArray() << false;
}

void TestUnitLink::handshakeAnswers() {
    QFETCH(QByteArray, answer);
    QFETCH(bool, online);
    Rig rig;
    rig.synAnswers = {answer};
    QCOMPARE(rig.probe.openUnitLink(), online);
    QCOMPARE(rig.link.vars().onLine, online);
    QCOMPARE(rig.view.linkLamp, online);
    QCOMPARE(rig.port.isOpen(), online);
    QCOMPARE(rig.port.waitingCount(), 0); // bytes after the first are dropped
    QVERIFY(rig.prompts.messages.isEmpty());
    if (online) {
        QCOMPARE(rig.link.vars().linkRequest, rig.link.vars().pollRequest);
        // A second handshake on the open port neither re-opens nor re-configures it.
        QVERIFY(rig.probe.openUnitLink());
        QCOMPARE(rig.port.openCount, 1);
        QCOMPARE(rig.port.allWritten(), bytes({22, 22}));
    }
}

void TestUnitLink::handshakeWaitBounds_data() {
    QTest::addColumn<int>("usPerRound");
    QTest::addColumn<int>("answerAtMs"); // -1: never
    QTest::addColumn<bool>("online");
    QTest::addColumn<int>("minRounds");
    QTest::addColumn<int>("minMs");
    QTest::addColumn<int>("maxMs");
    // 30000 empty rounds take almost no time on a fast computer: the unit still gets 250 ms.
    QTest::newRow("fast rounds, late answer") << 0 << 200 << true << 30001 << 200 << 250;
    QTest::newRow("fast rounds, no answer") << 0 << -1 << false << 30001 << 250 << 260;
    // Slow rounds: the round count is the longer bound.
    QTest::newRow("slow rounds, no answer") << 1000 << -1 << false << 30001 << 30000 << 30002;
    QTest::newRow("prompt answer") << 1000 << 0 << true << 1 << 0 << 2;
}

void TestUnitLink::handshakeWaitBounds() {
    QFETCH(int, usPerRound);
    QFETCH(int, answerAtMs);
    QFETCH(bool, online);
    Rig rig;
    rig.pump.usPerRound = usPerRound;
    qint64 synAt = -1;
    int synRound = 0;
    rig.pump.onRound = [&](int round) {
        if (synAt < 0) {
            if (rig.port.written.isEmpty())
                return; // still settling
            synAt = rig.pump.nowMs();
            synRound = round - 1;
        }
        if (answerAtMs >= 0 && rig.pump.nowMs() - synAt >= answerAtMs &&
            rig.port.waitingCount() == 0)
            rig.port.inject("\x17");
    };
    QCOMPARE(rig.probe.openUnitLink(), online);
    const qint64 waited = rig.pump.nowMs() - synAt;
    QFETCH(int, minRounds);
    QFETCH(int, minMs);
    QFETCH(int, maxMs);
    QVERIFY2(rig.pump.rounds - synRound >= minRounds, qPrintable(QString::number(rig.pump.rounds)));
    QVERIFY2(waited >= minMs && waited <= maxMs, qPrintable(QString::number(waited)));
}

void TestUnitLink::waitsLetEventsRunButNotIntoTheLink_data() {
    QTest::addColumn<QString>("event"); // delivered on every round of the settle and answer waits
    QTest::newRow("none") << "none";
    QTest::newRow("receive notification") << "receive";
    QTest::newRow("poll tick") << "tick";
    QTest::newRow("on-line toggle") << "switch on";
    QTest::newRow("another handshake") << "handshake";
    QTest::newRow("Xmit") << "transmission";
}

void TestUnitLink::waitsLetEventsRunButNotIntoTheLink() {
    QFETCH(QString, event);
    Rig rig;
    rig.probe.setLinkRequest(LinkRequest::PollDistance);
    rig.probe.setPollTicks(9); // a tick would start another handshake
    const qint64 openedAt = rig.pump.nowMs();
    qint64 synAt = -1;
    qint64 lastRound = openedAt;
    qint64 longestGap = 0;
    int settleRounds = 0;
    rig.pump.onRound = [&](int) {
        const qint64 now = rig.pump.nowMs();
        if (synAt < 0) {
            longestGap = std::max(longestGap, now - lastRound);
            lastRound = now;
            if (rig.port.written.isEmpty())
                ++settleRounds;
            else
                synAt = now;
        }
        rig.answerSyn(); // the answer is there before the event is
        if (event == QLatin1String("receive"))
            rig.probe.onReceive();
        else if (event == QLatin1String("tick"))
            rig.probe.pollTick();
        else if (event == QLatin1String("switch on"))
            rig.link.switchOnLine(true);
        else if (event == QLatin1String("handshake"))
            QVERIFY(!rig.probe.openUnitLink());
        else if (event == QLatin1String("transmission"))
            rig.link.startTransmission(2);
    };
    QVERIFY(rig.probe.openUnitLink());
    // The SYN goes out after the settle time, not before and not much later...
    const qint64 settled = synAt - openedAt;
    QVERIFY2(settled >= 400 && settled <= 400 + UnitLink::kWaitSliceMs,
             qPrintable(QString::number(settled)));
    // ... while events ran all along,
    QVERIFY2(longestGap <= UnitLink::kWaitSliceMs, qPrintable(QString::number(longestGap)));
    QVERIFY(settleRounds >= 400 / UnitLink::kWaitSliceMs);
    // but none of them wrote to the port, took the answer or started a handshake of its own.
    QCOMPARE(rig.port.allWritten(), bytes({22}));
    QCOMPARE(rig.port.openCount, 1);
    QCOMPARE(rig.link.vars().pollTicks, quint16(9));
    QVERIFY(rig.link.vars().onLine);
}

void TestUnitLink::switchOffDuringHandshakeEndsIt() {
    Rig rig;
    rig.pump.onRound = [&](int round) {
        if (round == 10)
            rig.link.switchOnLine(false); // the operator changes his mind while it settles
        rig.answerSyn();
    };
    const qint64 start = rig.pump.nowMs();
    rig.link.switchOnLine(true);
    QVERIFY(rig.pump.nowMs() - start < 100); // the settle time ended with the port
    QVERIFY(!rig.link.vars().onLine);
    QVERIFY(rig.port.written.isEmpty());
    QCOMPARE(rig.port.openCount, 1); // and no further attempt opened it again
    QVERIFY(!rig.link.pollTimerActive());
    QVERIFY(rig.prompts.messages.isEmpty());
}

void TestUnitLink::handshakeRetried_data() {
    QTest::addColumn<QList<QByteArray>>("answers"); // the unit's answer to each SYN
    QTest::addColumn<bool>("online");
    QTest::addColumn<QString>("message"); // told when the link gives up
    const QByteArray none;
    const QByteArray etb(1, kETB);
    QTest::newRow("damaged first answer")
        << QList<QByteArray>{QByteArray(1, char(kETB | 0x80)), etb} << true << QString();
    QTest::newRow("two answers lost") << QList<QByteArray>{none, none, etb} << true << QString();
    QTest::newRow("silent unit")
        << QList<QByteArray>{none, none, none, etb} << false
        << "/dev/fake: no answer to the handshake, given up after 3 attempts (is the unit "
           "switched on and connected to this port?)";
    QTest::newRow("wrong answers")
        << QList<QByteArray>{"\x06", "\x06", "\x06\x17", etb} << false
        << "/dev/fake: no valid answer to the handshake (the last began with byte 6, not 23), "
           "given up after 3 attempts";
}

void TestUnitLink::handshakeRetried() {
    QFETCH(QList<QByteArray>, answers);
    QFETCH(bool, online);
    QFETCH(QString, message);
    Rig rig;
    rig.synAnswers = answers;
    rig.link.switchOnLine(true);
    QCOMPARE(rig.link.vars().onLine, online);
    QCOMPARE(rig.syns, online ? int(answers.size()) : UnitLink::kHandshakeAttempts);
    if (online) {
        QVERIFY(rig.prompts.messages.isEmpty());
        QCOMPARE(rig.port.lastWritten(), bytes({120})); // the records are read
    } else {
        QCOMPARE(rig.prompts.texts(), QStringList{message});
        QCOMPARE(rig.prompts.messages[0].title, QStringLiteral("ERROR"));
        QVERIFY(!rig.port.isOpen());
        QVERIFY(!rig.link.pollTimerActive());
    }
}

void TestUnitLink::onLineFailureShownWithoutBox_data() {
    // How an on-line link fails, and what the view is told while re-connecting goes on.
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("shown");
    QTest::newRow("device lost, cannot be opened again") << "lost"
                                                         << "/dev/fake: no such device";
    QTest::newRow("unit silent") << "silent"
                                 << "/dev/fake: the unit does not answer";
}

void TestUnitLink::onLineFailureShownWithoutBox() {
    QFETCH(QString, failure);
    QFETCH(QString, shown);
    Rig rig;
    rig.connectUnit();
    if (failure == "lost") {
        rig.port.openError = QStringLiteral("/dev/fake: no such device");
        rig.port.loseDevice(QStringLiteral("/dev/fake: the device stopped working"));
        QCOMPARE(rig.view.failures.value(0),
                 QStringLiteral("/dev/fake: the device stopped working"));
    } else {
        rig.answerHandshake = false;
    }
    for (int i = 0; i < 20; ++i)
        rig.probe.pollTick();
    // Nobody asked for this connect: no box, the failure is on the view, the attempts go on.
    QVERIFY(rig.prompts.messages.isEmpty());
    QCOMPARE(rig.view.failures.last(), shown);
    QVERIFY(!rig.view.linkLamp);
    QVERIFY(rig.link.pollTimerActive());
    QVERIFY(rig.port.openCount >= 10);

    // The unit comes back: re-connected by the next tick.
    rig.port.openError.clear();
    rig.answerHandshake = true;
    rig.probe.pollTick();
    QVERIFY(rig.link.vars().onLine);
    QVERIFY(rig.view.linkLamp);
    QVERIFY(rig.prompts.messages.isEmpty());
}

void TestUnitLink::operatorConnectFailureAsksOnce() {
    // A connect the operator asked for is answered with the box, once per attempt, even after
    // re-connect attempts of an earlier on-line link were shown on the view.
    Rig rig;
    rig.connectUnit();
    rig.port.openError = QStringLiteral("/dev/fake: no such device");
    rig.port.loseDevice(QStringLiteral("gone"));
    for (int i = 0; i < 10; ++i)
        rig.probe.pollTick();
    QVERIFY(rig.prompts.messages.isEmpty());
    rig.prompts.onMessage = [&] { rig.probe.pollTick(); }; // a tick while the box is open
    rig.link.switchOnLine(false);
    rig.link.switchOnLine(true);
    QCOMPARE(rig.prompts.texts(),
             QStringList{QStringLiteral("COMM Err: /dev/fake: no such device")});
    QCOMPARE(rig.prompts.messages[0].title, QStringLiteral("ERROR"));
    QVERIFY(!rig.link.pollTimerActive());
    rig.link.switchOnLine(true);
    QCOMPARE(rig.prompts.messages.size(), 2);
}

void TestUnitLink::rxBufferBounded() {
    Rig rig;
    rig.connectUnit();
    rig.probe.setPollRequest(LinkRequest::PollSerial);
    rig.probe.pollTick();
    rig.port.injectInPieces(QByteArray(5000, 'n'), 100);
    QVERIFY(rig.link.vars().rxBuffer.size() <= UnitLink::kRxBufferLimit);
    rig.port.inject(rig.pollReply("12.5", 128));
    QCOMPARE(rig.view.serialLabel, QByteArray("A12345"));
    QCOMPARE(rig.link.vars().liveDistance, 12.5f);
    QCOMPARE(rig.link.vars().linkRequest, LinkRequest::None);
}

void TestUnitLink::portFailureClosesAndReconnects_data() {
    QTest::addColumn<LinkRequest>("request");
    QTest::newRow("polling") << LinkRequest::PollDistance;
    QTest::newRow("fetching records") << LinkRequest::AllRecords;
    QTest::newRow("waiting for DC1") << LinkRequest::Transmission;
    QTest::newRow("reading back") << LinkRequest::OneRecord;
}

void TestUnitLink::portFailureClosesAndReconnects() {
    QFETCH(LinkRequest, request);
    Rig rig;
    rig.connectUnit();
    if (request == LinkRequest::AllRecords) {
        rig.state.currentProgram = 4;
        rig.probe.send(LinkRequest::AllRecords);
        QVERIFY(!rig.link.pollTimerActive());
    } else if (request == LinkRequest::Transmission) {
        rig.link.startTransmission(3);
    } else if (request == LinkRequest::OneRecord) {
        rig.link.requestProgramRecord(3);
    } else {
        rig.probe.pollTick();
    }
    rig.port.inject("A123"); // part of a reply
    QVERIFY(!rig.link.vars().rxBuffer.isEmpty());
    rig.port.loseDevice(QStringLiteral("/dev/fake: the device stopped working"));

    QVERIFY(!rig.port.isOpen());
    QVERIFY(!rig.link.vars().onLine);
    QVERIFY(!rig.view.linkLamp);
    QVERIFY(!rig.view.controlsEnabled);
    QVERIFY(rig.link.vars().rxBuffer.isEmpty());
    QVERIFY(rig.link.pollTimerActive());
    QCOMPARE(rig.link.pollInterval(), 200);
    QCOMPARE(rig.port.sendThreshold(), 0);

    // As for a silent unit: within six ticks a new handshake opens the port again.
    const int opens = rig.port.openCount;
    for (int i = 0; i < 6 && rig.port.openCount == opens; ++i)
        rig.probe.pollTick();
    QCOMPARE(rig.port.openCount, opens + 1);
    QVERIFY(rig.link.vars().onLine);
    QVERIFY(rig.prompts.messages.isEmpty());
    // A record fetch cut by the failure goes on where it stopped.
    if (request == LinkRequest::AllRecords || request == LinkRequest::OneRecord)
        QCOMPARE(rig.port.lastWritten(), bytes({request == LinkRequest::AllRecords ? 124 : 123}));
}

void TestUnitLink::damagedRecords_data() {
    QTest::addColumn<QString>("damage");
    QTest::newRow("bad checksum") << "checksum";
    QTest::newRow("program number 9") << "program";
    QTest::newRow("truncated") << "truncated";
    // A byte sum does not see a NUL: the record is damaged all the same.
    QTest::newRow("NUL in a field") << "nul";
    QTest::newRow("control byte in a field") << "control";
    QTest::newRow("a field too many") << "extra";
    QTest::newRow("bytes before the EOT") << "tail";
}

void TestUnitLink::damagedRecords() {
    QFETCH(QString, damage);
    Rig rig;
    QSignalSpy polling(&rig.link, &UnitLink::pollingStarted);
    rig.link.switchOnLine(true);
    for (int k = 0; k < 3; ++k) {
        rig.port.inject(rig.record(k));
        rig.settle();
    }
    QCOMPARE(rig.port.lastWritten(), bytes({123}));
    QByteArray good = rig.record(3);
    QByteArray bad = good;
    const int base = int(bad.indexOf("\r", 12)); // inside the fields
    if (damage == "checksum")
        bad[10] = bad[10] == '1' ? '2' : '1';
    else if (damage == "program")
        bad[2] = '9';
    else if (damage == "truncated")
        bad = bad.left(bad.size() / 2) + '\x04';
    else if (damage == "nul")
        bad.insert(base, '\0');
    else if (damage == "control")
        bad.insert(base, '\x07');
    else if (damage == "extra")
        bad.insert(bad.size() - 1, "1\r");
    else
        bad.insert(bad.size() - 1, "1");

    // Damaged every time it comes: asked for a bounded number of times, then given up; the
    // fetch goes on with the next program and ends with polling, #3 named as not read.
    for (int attempt = 1; attempt <= UnitLink::kRecordAttempts; ++attempt) {
        QCOMPARE(rig.port.lastWritten(), bytes({123}));
        QCOMPARE(rig.link.vars().linkRequest, LinkRequest::AllRecords);
        QVERIFY(!rig.link.pollTimerActive());
        rig.port.inject(bad);
        QCOMPARE(rig.state.programs[3], ProgramRecord()); // nothing stored
    }
    rig.settle();
    QCOMPARE(rig.port.lastWritten(), bytes({124}));
    rig.serveRecords();
    QCOMPARE(polling.count(), 1);
    QCOMPARE(rig.link.unreadPrograms(), QList<int>{3});
    QCOMPARE(rig.view.unread, QList<int>{3}); // shown once, when the fetch ends
    QCOMPARE(rig.view.unreadShown, 1);
    QVERIFY(rig.link.remoteEditRefusal().contains(QStringLiteral("Program #3 could not be read")));
    QCOMPARE(rig.state.programs[7].text(Field::Base), rig.unitPrograms[7].text(Field::Base));
    QVERIFY(rig.link.pollTimerActive());

    // Damaged once only: the record asked for again is stored, and nothing is missing.
    Rig again;
    again.link.switchOnLine(true);
    again.port.inject(bad.replace(0, 1, QByteArray(1, 'x')));
    QCOMPARE(again.port.allWritten(), bytes({22, 120, 120}));
    again.serveRecords();
    QCOMPARE(again.link.unreadPrograms(), QList<int>());
}

void TestUnitLink::damagedRecordDuringReloadKeepsReload() {
    Rig rig;
    rig.connectUnit();
    rig.probe.setReloadFlag(true);
    rig.probe.pollTick();
    QCOMPARE(rig.port.lastWritten(), bytes({122}));
    QByteArray bad = rig.record(2);
    bad[10] = bad[10] == '1' ? '2' : '1';
    const int writes = int(rig.port.written.size());
    rig.port.inject(bad);
    QVERIFY(rig.link.vars().reloadFlag);
    QCOMPARE(int(rig.port.written.size()), writes + 1); // asked again at once
    QCOMPARE(rig.port.lastWritten(), bytes({122}));
}

void TestUnitLink::lostRecordIsRequestedAgain() {
    Rig rig;
    rig.link.switchOnLine(true);
    rig.port.inject(rig.record(0));
    rig.settle();
    QCOMPARE(rig.port.lastWritten(), bytes({121}));
    QVERIFY(rig.link.recordWatchdogActive());
    // A unit still sending, however slowly, is not asked again.
    const QByteArray record1 = rig.record(1);
    const qint64 silence = UnitLink::kRecordSilenceMs;
    for (int i = 0; i < 3; ++i) {
        rig.pump.advanceMs(silence - 100);
        rig.probe.recordLineCheck();
        rig.port.inject(record1.mid(i * 10, 10));
    }
    QCOMPARE(rig.port.allWritten(), bytes({22, 120, 121}));
    // Then the line stays silent: the request or its reply was lost. The part received is
    // dropped with the port's input before the record is asked for again.
    rig.pump.advanceMs(silence);
    rig.probe.recordLineCheck();
    QCOMPARE(rig.port.allWritten(), bytes({22, 120, 121, 121}));
    QCOMPARE(rig.link.vars().rxBuffer, QByteArray());
    rig.port.inject(record1);
    QVERIFY(carriedFieldsEqual(rig.state.programs[1], rig.unitPrograms[1], false));
    // The first request may still be answered: the line is let go quiet before #2 is asked
    // for, and the late answer is not taken for #2.
    rig.pump.advanceMs(silence);
    rig.probe.recordLineCheck();
    rig.port.inject(record1);
    QCOMPARE(rig.port.lastWritten(), bytes({121}));
    rig.pump.advanceMs(2 * silence); // the first answer took 2.4 s: that long and half more
    rig.probe.recordLineCheck();
    QCOMPARE(rig.port.lastWritten(), bytes({122}));
    QCOMPARE(rig.state.programs[2], ProgramRecord());

    // The unit stops answering record requests: after the last attempt the link re-connects,
    // and the fetch resumes where it stopped.
    for (int i = 0; i < UnitLink::kRecordAttempts; ++i) {
        rig.pump.advanceMs(silence);
        rig.probe.recordLineCheck();
    }
    QCOMPARE(rig.port.allWritten().count(char(122)), UnitLink::kRecordAttempts);
    QVERIFY(rig.link.pollTimerActive());
    rig.probe.pollTick();
    QCOMPARE(rig.port.allWritten().right(2), bytes({22, 122}));
    rig.serveRecords();
    QCOMPARE(rig.link.unreadPrograms(), QList<int>());
    QVERIFY(rig.link.pollTimerActive());
}

void TestUnitLink::strayByteNeverPrefixesAReading() {
    Rig rig;
    rig.connectUnit();
    rig.probe.setPollRequest(LinkRequest::PollDistance);
    rig.probe.pollTick();
    rig.port.inject(rig.pollReply("12.50", 128));
    rig.port.inject("7"); // line noise between two replies
    rig.probe.pollTick();
    rig.port.inject(rig.pollReply("13.25", 128));
    QCOMPARE(rig.view.chart, (QList<float>{12.5f, 13.25f}));
}

void TestUnitLink::temperatureReplyKeepsTheTickRate() {
    Rig rig;
    rig.connectUnit();
    QVERIFY(rig.link.pollTimerActive());
    QTest::qSleep(120); // the poll timer (200 ms) is well into its period
    rig.probe.send(LinkRequest::Temperature);
    rig.port.inject("77\r0.00674\r\x04");
    QCOMPARE(rig.link.vars().linkRequest, LinkRequest::None);
    // Enabling a running timer does not start its period again.
    QVERIFY2(rig.link.pollTimerRemainingMs() < 150,
             qPrintable(QString::number(rig.link.pollTimerRemainingMs())));
}

void TestUnitLink::pollReplies_data() {
    QTest::addColumn<LinkRequest>("request");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("applied");
    QTest::addColumn<float>("distance");
    QTest::addColumn<float>("analog");
    QTest::addColumn<bool>("near");
    QTest::addColumn<bool>("far");
    QTest::newRow("DC4") << LinkRequest::PollSerial << QByteArray("A12345\r12.5\r\x86\r\x04")
                         << true << 12.5f << 0.f << true << true;
    QTest::newRow("DC3") << LinkRequest::PollDistance << QByteArray("7.25\r\x84\r\x04") << true
                         << 7.25f << 0.f << true << false;
    QTest::newRow("DLE") << LinkRequest::PollAdaptive << QByteArray("A12345\r30\r\x82\r1\r\x04")
                         << true << 30.f << 0.f << false << true;
    QTest::newRow("CAN full") << LinkRequest::PollAnalog
                              << QByteArray("A12345\r20\r255\r\x80\r\x04") << true << 20.f << 100.f
                              << false << false;
    QTest::newRow("CAN zero") << LinkRequest::PollAnalog << QByteArray("A12345\r20\r0\r\x80\r\x04")
                              << true << 20.f << 0.f << false << false;
    QTest::newRow("too short") << LinkRequest::PollSerial << QByteArray("A12345\r12.5\r\x04")
                               << false << 0.f << 0.f << false << false;
    QTest::newRow("status 4") << LinkRequest::PollDistance << QByteArray("7.25\r\x04\r\x04")
                              << false << 0.f << 0.f << false << false;
    QTest::newRow("empty status") << LinkRequest::PollDistance << QByteArray("7.25\r\r\x04") << true
                                  << 7.25f << 0.f << false << false;
    QTest::newRow("not a number") << LinkRequest::PollDistance << QByteArray("abc\r\x80\r\x04")
                                  << true << 0.f << 0.f << false << false;
    // Bytes no reply holds: damage from the line, or not the answer to this request.
    QTest::newRow("NUL in the distance")
        << LinkRequest::PollDistance << (QByteArray("7") + '\0' + ".25\r\x84\r\x04") << false << 0.f
        << 0.f << false << false;
    QTest::newRow("control byte in the serial")
        << LinkRequest::PollSerial << QByteArray("A1\a2345\r12.5\r\x86\r\x04") << false << 0.f
        << 0.f << false << false;
    QTest::newRow("two status bytes")
        << LinkRequest::PollDistance << QByteArray("7.25\r\x84\x86\r\x04") << false << 0.f << 0.f
        << false << false;
    QTest::newRow("a field too many")
        << LinkRequest::PollDistance << QByteArray("7.25\r\x84\r1\r\x04") << false << 0.f << 0.f
        << false << false;
}

void TestUnitLink::pollReplies() {
    QFETCH(LinkRequest, request);
    QFETCH(QByteArray, reply);
    QFETCH(bool, applied);
    Rig rig;
    rig.connectUnit();
    rig.link.setMeterMode(3);
    rig.probe.send(request);
    rig.port.inject(reply);
    QCOMPARE(rig.link.vars().linkRequest, applied ? LinkRequest::None : request);
    QCOMPARE(rig.view.chart.size(), applied ? 1 : 0);
    QCOMPARE(rig.link.vars().rxBuffer, QByteArray());
    if (!applied)
        return;
    QTEST(rig.link.vars().liveDistance, "distance");
    QTEST(rig.link.vars().liveAnalogPercent, "analog");
    QTEST(rig.link.vars().nearFlag, "near");
    QTEST(rig.link.vars().farFlag, "far");
    QCOMPARE(rig.view.meter.last(), rig.link.vars().liveDistance);
}

void TestUnitLink::replySplitAtEveryOffset() {
    const QByteArray reply("A12345\r20\r128\r\x86\r\x04");
    for (int cut = 1; cut < reply.size(); ++cut) {
        Rig rig;
        rig.connectUnit();
        rig.probe.send(LinkRequest::PollAnalog);
        rig.port.inject(reply.left(cut));
        QCOMPARE(rig.view.chart.size(), 0);
        rig.port.inject(reply.mid(cut));
        QCOMPARE(rig.view.chart.size(), 1);
        QCOMPARE(rig.link.vars().liveDistance, 20.f);
        QVERIFY(qAbs(rig.link.vars().liveAnalogPercent - 50.196f) < 0.01f);
        QVERIFY(rig.link.vars().nearFlag && rig.link.vars().farFlag);
    }
    // The temperature reply sets the temperature and the conversion, nothing else.
    Rig rig;
    rig.connectUnit();
    rig.probe.send(LinkRequest::Temperature);
    rig.port.inject("77\r0.00674\r\x04");
    QCOMPARE(rig.view.temperature, QByteArray("77.0"));
    QCOMPARE(rig.link.vars().conversionValue, 0.00674);
    QCOMPARE(rig.view.chart.size(), 0);
    QCOMPARE(rig.link.vars().linkRequest, LinkRequest::None);
}

void TestUnitLink::silentUnitReconnectsAtSixthTick() {
    Rig rig;
    rig.connectUnit();
    int ticks = 0;
    const int syns = int(rig.port.allWritten().count(kSYN));
    while (rig.port.allWritten().count(kSYN) == syns && ticks < 20) {
        rig.probe.pollTick();
        ++ticks;
    }
    QCOMPARE(ticks, 6);
    QVERIFY(rig.link.vars().onLine);
    // A unit that answers every poll never triggers a re-connect.
    for (int i = 0; i < 30; ++i) {
        rig.probe.pollTick();
        rig.port.inject(rig.pollReply("20", 128));
    }
    QCOMPARE(int(rig.port.allWritten().count(kSYN)), syns + 1);
}

void TestUnitLink::temperatureEveryTenthTick() {
    Rig rig;
    rig.connectUnit();
    rig.link.setTemperatureCompensation(true);
    rig.probe.setBlinkTicks(0);
    QByteArray sent;
    for (int i = 0; i < 30; ++i) {
        rig.probe.pollTick();
        sent += rig.port.lastWritten();
        if (rig.port.lastWritten() == QByteArray(1, kSTX))
            rig.port.inject("77\r0.0067\r\x04");
        else
            rig.port.inject(rig.pollReply("20", 128));
    }
    QCOMPARE(sent.count(kSTX), 3);
    QCOMPARE(sent.indexOf(kSTX), 9);
    QCOMPARE(sent.indexOf(kSTX, 10), 19);
    // Switched off: no temperature request.
    rig.link.setTemperatureCompensation(false);
    rig.port.written.clear();
    for (int i = 0; i < 20; ++i) {
        rig.probe.pollTick();
        rig.port.inject(rig.pollReply("20", 128));
    }
    QCOMPARE(rig.port.allWritten().count(kSTX), 0);
}

void TestUnitLink::reloadRereadsFromRunningProgram() {
    Rig rig;
    rig.connectUnit();
    rig.link.setTemperatureCompensation(true);
    rig.probe.pollTick();
    rig.port.inject(rig.pollReply("20", 128 + 8)); // RELOAD
    QVERIFY(rig.link.vars().reloadFlag);
    // The unit now runs program 6 and answers the reload with its record.
    rig.unit.running = 6;
    rig.unitPrograms[6].set(Field::Base, "77");
    rig.probe.setBlinkTicks(9); // the temperature would be due
    rig.probe.pollTick();
    QCOMPARE(rig.port.lastWritten(), bytes({122}));
    rig.port.inject(qxsim::unitRecordReply(rig.unitPrograms, 6, rig.unit, "xx"));
    rig.settle();
    QVERIFY(!rig.link.vars().reloadFlag);
    QCOMPARE(rig.state.programs[6].trimmed(Field::Base), QByteArray("77"));
    QCOMPARE(rig.port.lastWritten(), bytes({127}));
    rig.serveRecords();
    QCOMPARE(rig.state.currentProgram, 6);
    QCOMPARE(rig.view.refreshes, 2);
}

void TestUnitLink::countersSaturate() {
    Rig rig;
    rig.connectUnit();
    rig.answerHandshake = false;
    rig.probe.setPollTicks(0xFFFE);
    rig.probe.setBlinkTicks(0xFFFE);
    for (int i = 0; i < 3; ++i)
        rig.probe.pollTick(); // each tries a handshake that fails
    QCOMPARE(rig.link.vars().pollTicks, quint16(0xFFFF));
    QCOMPARE(rig.link.vars().blinkTicks, quint16(0xFFFF));
    QVERIFY(rig.link.pollTimerActive());
    rig.answerHandshake = true;
    rig.probe.pollTick();
    QVERIFY(rig.link.vars().onLine);
    QCOMPARE(rig.link.vars().blinkTicks, quint16(0)); // the cycle starts again
}

void TestUnitLink::nearFarBlink() {
    Rig rig;
    rig.connectUnit();
    rig.probe.setBlinkTicks(0);
    for (int i = 0; i < 20; ++i) {
        rig.probe.pollTick();
        rig.port.inject(rig.pollReply("20", 128 + 4)); // NEAR only
    }
    QCOMPARE(rig.view.nearFlash, (QList<bool>{true, false, true, false}));
    QCOMPARE(rig.view.farFlash, (QList<bool>{false, false, false, false}));
}

void TestUnitLink::transmissionExchange() {
    Rig rig;
    rig.connectUnit();
    rig.state.programs[5].set(Field::Base, "42");
    QSignalSpy written(&rig.link, &UnitLink::transmissionWritten);
    rig.link.startTransmission(5);
    QVERIFY(rig.link.transmissionWaiting());
    QCOMPARE(rig.port.lastWritten(), QByteArray(1, kDC1));
    QCOMPARE(rig.link.pollInterval(), 2000);

    rig.port.inject("\x11");
    QCOMPARE(written.count(), 1);
    ProgramState expected = rig.state;
    buildTransmissionText(expected);
    QCOMPARE(rig.port.lastWritten(), expected.transmitText); // one write, the whole text
    QVERIFY(rig.port.lastWritten().contains("\rA12345\r"));  // the serial number as read
    QCOMPARE(rig.port.sendThreshold(), 1);
    QCOMPARE(rig.link.pollInterval(), 1200);

    rig.port.fireSendComplete();
    QVERIFY(!rig.link.transmissionWaiting());
    QCOMPARE(rig.link.vars().linkRequest, LinkRequest::OneRecord);
    QCOMPARE(rig.port.sendThreshold(), 0);
    QVERIFY(!rig.link.pollTimerActive());
    QCOMPARE(rig.port.lastWritten(), bytes({120 + 2})); // the running program is read back
    rig.pump.advanceMs(UnitLink::kRecordSilenceMs);     // no answer: asked again
    rig.probe.recordLineCheck();
    QCOMPARE(rig.port.written.mid(rig.port.written.size() - 2),
             (QList<QByteArray>{bytes({122}), bytes({122})}));
    rig.serveRecords();
    QCOMPARE(rig.link.pollInterval(), 200);
    QCOMPARE(rig.link.vars().linkRequest, rig.link.vars().pollRequest);
}

void TestUnitLink::transmissionRestartsWithoutDc1() {
    Rig rig;
    rig.connectUnit();
    rig.link.startTransmission(1);
    // A stray reply with EOT: the text goes out, but without the unit's DC1 the transmission
    // starts again.
    rig.port.inject("junk\r\x04");
    QVERIFY(rig.port.lastWritten().size() > 100);
    rig.port.fireSendComplete();
    QCOMPARE(rig.port.lastWritten(), QByteArray(1, kDC1));
    QVERIFY(rig.link.transmissionWaiting());
    // DC1 seen, but the send-complete does not arrive before the next tick: DC1 again.
    rig.port.inject("\x11");
    rig.probe.pollTick();
    QCOMPARE(rig.port.sendThreshold(), 0);
    QCOMPARE(rig.port.lastWritten(), QByteArray(1, kDC1));
    QCOMPARE(rig.link.pollInterval(), 2000);
}

void TestUnitLink::unacknowledgedTransmissionAbandoned() {
    Rig rig;
    rig.connectUnit();
    rig.link.startTransmission(3);
    for (int i = 0; i < 3; ++i)
        rig.probe.pollTick();
    QCOMPARE(rig.port.written.mid(rig.port.written.size() - 4),
             QList<QByteArray>(4, QByteArray(1, kDC1)));
    rig.link.abandonTransmission();
    QVERIFY(!rig.link.transmissionWaiting());
    QVERIFY(rig.link.pollTimerActive());
    QCOMPARE(rig.link.pollInterval(), 200);
    // A late answer and a late send-complete change nothing.
    const int writes = int(rig.port.written.size());
    rig.port.inject("\x11");
    rig.port.fireSendComplete();
    QCOMPARE(int(rig.port.written.size()), writes);
    rig.probe.pollTick();
    QCOMPARE(rig.port.lastWritten().size(), 1);
    QVERIFY(rig.port.lastWritten()[0] != kDC1);
    QVERIFY(rig.link.vars().onLine);
}

void TestUnitLink::switchOffStopsEverything() {
    Rig rig;
    rig.connectUnit();
    rig.answerHandshake = false;
    for (int i = 0; i < 8; ++i)
        rig.probe.pollTick(); // re-connecting
    rig.link.switchOnLine(false);
    QVERIFY(!rig.link.pollTimerActive());
    QVERIFY(!rig.port.isOpen());
    QVERIFY(!rig.view.linkLamp);
    QVERIFY(!rig.view.controlsEnabled);
    QVERIFY(rig.prompts.messages.isEmpty());
}

QTEST_GUILESS_MAIN(TestUnitLink)
#include "test_unitlink.moc"
