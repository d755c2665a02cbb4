// The unit link against a fake port: handshake, fetch, polling, replies, transmission and the
// failure paths, with the clock and the event rounds under the test's control.
#include "../fakes.h"
#include "link/unitlink.h"
#include "program/demoprograms.h"
#include "program/recordreply.h"
#include "program/transmission.h"
#include "unitformat.h"

#include <QtTest>

using namespace vanto;
using namespace vanto::test;

namespace {

// A unit, running program 2, that answers the handshake and the record requests.
struct Rig : LinkRig {
    ProgramSet unitPrograms = demoPrograms();
    qxsim::UnitIdentity unit{2, "2.16 M", "A12345"};

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
    // Answers record requests until the link stops asking.
    void serveRecords() {
        for (int guard = 0; guard < 40; ++guard) {
            const LinkRequest request = link.vars().linkRequest;
            if (request != LinkRequest::AllRecords && request != LinkRequest::OneRecord)
                return;
            port.inject(record(static_cast<unsigned char>(port.lastWritten().at(0)) - 120));
            settle();
        }
        QFAIL("the link kept asking for records");
    }
    void connectUnit() {
        link.switchOnLine(true);
        QVERIFY(link.vars().onLine);
        serveRecords();
    }
    // Ticks; the unit answers each poll with `distance` and `status`, or a temperature.
    void tick(int times = 1, const QByteArray& distance = "20", int status = 128) {
        for (int i = 0; i < times; ++i) {
            probe.pollTick();
            port.inject(port.lastWritten() == QByteArray(1, kSTX) ? QByteArray("77\r0.0067\r\x04")
                                                                  : pollReply(distance, status));
        }
    }
    // The reply to the poll request outstanding.
    QByteArray pollReply(const QByteArray& distance, int status) const {
        const QByteArray st = QByteArray(1, char(status)) + "\r";
        switch (link.vars().linkRequest) {
        case LinkRequest::PollSerial:
            return "A12345\r" + distance + "\r" + st + "\x04";
        case LinkRequest::PollDistance:
            return distance + "\r" + st + "\x04";
        case LinkRequest::PollAnalog:
            return "A12345\r" + distance + "\r128\r" + st + "\x04";
        default:
            return "A12345\r" + distance + "\r" + st + "0\r\x04";
        }
    }
};

} // namespace

class TestUnitLink : public QObject {
    Q_OBJECT
private slots:
    void connectReadsEightProgramsThenPolls() {
        Rig rig;
        rig.connectUnit();
        // The handshake, the eight record requests, then at once the first poll (CAN: the running
        // program has an analog output).
        QCOMPARE(rig.port.allWritten(), bytes({22, 120, 121, 122, 123, 124, 125, 126, 127, 24}));
        QVERIFY(rig.view.linkLamp && rig.view.controlsEnabled);
        QCOMPARE(rig.state.currentProgram, 2);
        QCOMPARE(rig.state.unitSerial, QByteArray("A12345"));
        QCOMPARE(rig.view.refreshes, 1);         // only the running program's record redraws
        QCOMPARE(rig.view.unread, QList<int>()); // nothing missing
        for (int k = 0; k < kProgramCount; ++k)
            QVERIFY(carriedFieldsEqual(rig.state.programs[k], rig.unitPrograms[k], k == 0));
        QVERIFY(rig.link.pollTimerActive());
        QCOMPARE(rig.link.pollInterval(), 200);
        QVERIFY(!rig.link.recordWatchdogActive());
    }

    void handshake_data() {
        QTest::addColumn<QList<QByteArray>>("answers"); // the unit's answer to each SYN
        QTest::addColumn<QString>("message");           // told when the link gives up
        const QByteArray none;
        const QByteArray etb(1, kETB);
        QTest::newRow("ETB") << QList<QByteArray>{etb} << QString();
        QTest::newRow("ETB and more") << QList<QByteArray>{"\x17\x04\r12"} << QString();
        QTest::newRow("damaged first answer")
            << QList<QByteArray>{QByteArray(1, char(kETB | 0x80)), etb} << QString();
        QTest::newRow("two answers lost") << QList<QByteArray>{none, none, etb} << QString();
        QTest::newRow("silent unit")
            << QList<QByteArray>{none, none, none, etb}
            << "/dev/fake: no answer to the handshake, given up after 3 attempts (is the unit "
               "switched on and connected to this port?)";
        QTest::newRow("wrong answers")
            << QList<QByteArray>{"\x06", "\x06", "\x06\x17", etb}
            << "/dev/fake: no valid answer to the handshake (the last began with byte 6, not 23), "
               "given up after 3 attempts";
    }

    void handshake() {
        QFETCH(QList<QByteArray>, answers);
        QFETCH(QString, message);
        Rig rig;
        rig.synAnswers = answers;
        const bool online = message.isEmpty();
        rig.link.switchOnLine(true);
        QCOMPARE(rig.link.vars().onLine, online);
        QCOMPARE(rig.view.linkLamp, online);
        QCOMPARE(rig.port.isOpen(), online);
        QCOMPARE(rig.port.waitingCount(), 0); // bytes after the first are dropped
        QCOMPARE(rig.syns, online ? int(answers.size()) : 3);
        QCOMPARE(rig.prompts.texts(), online ? QStringList() : QStringList{message});
        if (online) {
            QCOMPARE(rig.port.lastWritten(), bytes({120})); // the records are read
            // A second handshake on the open port does not open it again.
            const int opens = rig.port.openCount;
            QVERIFY(rig.probe.openUnitLink());
            QCOMPARE(rig.port.openCount, opens);
        }
    }

    void waitsLetEventsRunButNotIntoTheLink_data() {
        // The event, delivered on every round of the settle and answer waits.
        QTest::addColumn<QString>("event");
        for (const char* event :
             {"none", "receive", "tick", "switch on", "handshake", "transmission", "switch off"})
            QTest::newRow(event) << QString::fromLatin1(event);
    }

    void waitsLetEventsRunButNotIntoTheLink() {
        QFETCH(QString, event);
        Rig rig;
        rig.probe.setLinkRequest(LinkRequest::PollDistance);
        rig.probe.setPollTicks(9); // a tick would start another handshake
        const qint64 openedAt = rig.pump.nowMs();
        qint64 synAt = -1;
        qint64 lastRound = openedAt;
        qint64 longestGap = 0;
        rig.pump.onRound = [&](int) {
            const qint64 now = rig.pump.nowMs();
            if (synAt < 0) {
                longestGap = std::max(longestGap, now - lastRound);
                lastRound = now;
                if (!rig.port.written.isEmpty())
                    synAt = now;
            }
            rig.answerSyn(); // the answer is there before the event is
            if (event == "receive")
                rig.probe.onReceive();
            else if (event == "tick")
                rig.probe.pollTick();
            else if (event == "switch on")
                rig.link.switchOnLine(true);
            else if (event == "handshake")
                QVERIFY(!rig.probe.openUnitLink());
            else if (event == "transmission")
                rig.link.startTransmission(2);
            else if (event == "switch off")
                rig.link.switchOnLine(false); // the operator changes his mind
        };
        if (event == "switch off") {
            // The wait ends with the port, and no further attempt opens it again.
            rig.link.switchOnLine(true);
            QVERIFY(!rig.link.vars().onLine && !rig.link.pollTimerActive());
            QVERIFY(rig.pump.nowMs() - openedAt < 100);
            QVERIFY(rig.port.written.isEmpty() && rig.prompts.messages.isEmpty());
            QCOMPARE(rig.port.openCount, 1);
            return;
        }
        QVERIFY(rig.probe.openUnitLink());
        // The SYN goes out after the settle time, not before and not much later, while events ran
        // all along...
        QVERIFY2(synAt - openedAt >= 400 && synAt - openedAt <= 400 + UnitLink::kWaitSliceMs,
                 qPrintable(QString::number(synAt - openedAt)));
        QVERIFY2(longestGap <= UnitLink::kWaitSliceMs, qPrintable(QString::number(longestGap)));
        // ...but none of them wrote to the port, took the answer or started a handshake of its own.
        QCOMPARE(rig.port.allWritten(), bytes({22}));
        QCOMPARE(rig.port.openCount, 1);
        QCOMPARE(rig.link.vars().pollTicks, quint16(9));
        QVERIFY(rig.link.vars().onLine);
    }

    void onLineFailureShownWithoutBox_data() {
        // How an on-line link fails, and what the view is told while re-connecting goes on.
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("shown");
        QTest::newRow("device lost, cannot be opened again") << "lost"
                                                             << "/dev/fake: no such device";
        QTest::newRow("unit silent") << "silent"
                                     << "/dev/fake: the unit does not answer";
    }

    void onLineFailureShownWithoutBox() {
        QFETCH(QString, failure);
        Rig rig;
        rig.connectUnit();
        if (failure == "lost") {
            rig.port.openError = QStringLiteral("/dev/fake: no such device");
            rig.port.loseDevice(QStringLiteral("/dev/fake: the device stopped working"));
            QCOMPARE(rig.view.failures, QStringList{"/dev/fake: the device stopped working"});
        } else {
            rig.answerHandshake = false;
        }
        // Counters saturate rather than wrap while the attempts go on.
        rig.probe.setPollTicks(0xFFFE);
        rig.probe.setBlinkTicks(0xFFFE);
        for (int i = 0; i < 20; ++i)
            rig.probe.pollTick();
        QCOMPARE(rig.link.vars().pollTicks, quint16(0xFFFF));
        // Nobody asked for this connect: no box, the failure is on the view, the attempts go on.
        QVERIFY(rig.prompts.messages.isEmpty());
        QTEST(rig.view.failures.last(), "shown");
        QVERIFY(!rig.view.linkLamp && !rig.view.controlsEnabled);
        QVERIFY(rig.link.pollTimerActive());
        QVERIFY(rig.port.openCount >= 10);
        // The unit comes back: re-connected by the next tick, and the blink cycle starts again.
        rig.port.openError.clear();
        rig.answerHandshake = true;
        rig.probe.pollTick();
        QVERIFY(rig.link.vars().onLine && rig.view.linkLamp);
        QCOMPARE(rig.link.vars().blinkTicks, quint16(0));
        QVERIFY(rig.prompts.messages.isEmpty());
        // Switched off while re-connecting: everything stops, quietly.
        rig.answerHandshake = false;
        rig.probe.setPollTicks(6);
        rig.probe.pollTick();
        rig.link.switchOnLine(false);
        QVERIFY(!rig.link.pollTimerActive() && !rig.port.isOpen() && !rig.view.linkLamp);
        QVERIFY(rig.prompts.messages.isEmpty());
    }

    void operatorConnectFailureAsksOnce() {
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
        QCOMPARE(rig.prompts.texts(), QStringList{"COMM Err: /dev/fake: no such device"});
        QCOMPARE(rig.prompts.messages[0].title, QStringLiteral("ERROR"));
        QVERIFY(!rig.link.pollTimerActive());
        rig.link.switchOnLine(true);
        QCOMPARE(rig.prompts.messages.size(), 2);
    }

    void portFailureClosesAndReconnects_data() {
        QTest::addColumn<LinkRequest>("request");
        QTest::newRow("polling") << LinkRequest::PollDistance;
        QTest::newRow("fetching records") << LinkRequest::AllRecords;
        QTest::newRow("waiting for DC1") << LinkRequest::Transmission;
        QTest::newRow("reading back") << LinkRequest::OneRecord;
    }

    void portFailureClosesAndReconnects() {
        QFETCH(LinkRequest, request);
        Rig rig;
        rig.connectUnit();
        if (request == LinkRequest::AllRecords) {
            rig.state.currentProgram = 4;
            rig.probe.send(LinkRequest::AllRecords);
        } else if (request == LinkRequest::Transmission) {
            rig.link.startTransmission(3);
        } else if (request == LinkRequest::OneRecord) {
            rig.link.requestProgramRecord(3);
        } else {
            rig.probe.pollTick();
        }
        rig.port.inject("A123"); // part of a reply
        rig.port.loseDevice(QStringLiteral("/dev/fake: the device stopped working"));
        QVERIFY(!rig.port.isOpen() && !rig.link.vars().onLine && !rig.view.linkLamp);
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
            QCOMPARE(rig.port.lastWritten(),
                     bytes({request == LinkRequest::AllRecords ? 124 : 123}));
    }

    void damagedRecordGivenUp() {
        // The kinds of damage are the record reader's; here: what the fetch does about one.
        Rig rig;
        QSignalSpy polling(&rig.link, &UnitLink::pollingStarted);
        rig.link.switchOnLine(true);
        for (int k = 0; k < 3; ++k) {
            rig.port.inject(rig.record(k));
            rig.settle();
        }
        QByteArray bad = rig.record(3);
        bad.insert(bad.size() - 1, '1'); // a byte between the checksum and the EOT
        // Damaged every time it comes: asked for a bounded number of times, then given up; the
        // fetch goes on with the next program and ends with polling, #3 named as not read.
        for (int attempt = 1; attempt <= UnitLink::kRecordAttempts; ++attempt) {
            QCOMPARE(rig.port.lastWritten(), bytes({123}));
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
        QVERIFY(
            rig.link.remoteEditRefusal().contains(QStringLiteral("Program #3 could not be read")));
        QVERIFY(rig.link.pollTimerActive());

        // A reload's record damaged: asked again at once, the reload still pending.
        rig.probe.setReloadFlag(true);
        rig.probe.pollTick();
        const int writes = int(rig.port.written.size());
        QCOMPARE(rig.port.lastWritten(), bytes({122}));
        rig.port.inject(bad.replace(0, 1, QByteArray(1, 'z')));
        QVERIFY(rig.link.vars().reloadFlag);
        QCOMPARE(int(rig.port.written.size()), writes + 1);
        QCOMPARE(rig.port.lastWritten(), bytes({122}));
    }

    void pollReplies_data() {
        QTest::addColumn<LinkRequest>("request");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("applied"); // distance, analog percent, n for NEAR, f for FAR
        const auto row = [](const char* name, LinkRequest request, const QByteArray& reply,
                            const char* applied) {
            QTest::newRow(name) << request << reply << QString::fromLatin1(applied);
        };
        const LinkRequest dc4 = LinkRequest::PollSerial, dc3 = LinkRequest::PollDistance;
        const LinkRequest can = LinkRequest::PollAnalog, dle = LinkRequest::PollAdaptive;
        row("DC4", dc4, "A12345\r12.5\r\x86\r\x04", "12.5 0 nf");
        row("DC3", dc3, "7.25\r\x84\r\x04", "7.25 0 n");
        row("DLE", dle, "A12345\r30\r\x82\r1\r\x04", "30 0 f");
        row("CAN full", can, "A12345\r20\r255\r\x80\r\x04", "20 100 ");
        row("CAN half", can, "A12345\r20\r128\r\x86\r\x04", "20 50.2 nf");
        row("CAN zero", can, "A12345\r20\r0\r\x80\r\x04", "20 0 ");
        row("empty status", dc3, "7.25\r\r\x04", "7.25 0 ");
        row("not a number", dc3, "abc\r\x80\r\x04", "0 0 ");
        row("temperature", LinkRequest::Temperature, "77\r0.00674\r\x04", "77.0 0.00674");
        // Not applied: too short, or bytes no reply holds (damage from the line, or not the answer
        // to this request).
        row("too short", dc4, "A12345\r12.5\r\x04", "");
        row("status 4", dc3, "7.25\r\x04\r\x04", "");
        row("NUL in the distance", dc3, QByteArray("7\0.25\r\x84\r\x04", 9), "");
        row("control byte in the serial", dc4, "A1\a2345\r12.5\r\x86\r\x04", "");
        row("two status bytes", dc3, "7.25\r\x84\x86\r\x04", "");
        row("a field too many", dc3, "7.25\r\x84\r1\r\x04", "");
    }

    void pollReplies() {
        QFETCH(LinkRequest, request);
        QFETCH(QByteArray, reply);
        QFETCH(QString, applied);
        // Whole, and split at every offset: a reply counts when its end has come.
        for (int cut = 0; cut < reply.size(); ++cut) {
            Rig rig;
            rig.connectUnit();
            rig.link.setMeterMode(3);
            rig.probe.send(request);
            rig.port.inject(reply.left(cut));
            QCOMPARE(rig.link.vars().linkRequest, request);
            rig.port.inject(reply.mid(cut));
            QCOMPARE(rig.link.vars().linkRequest, applied.isEmpty() ? request : LinkRequest::None);
            QCOMPARE(rig.link.vars().rxBuffer, QByteArray());
            const LinkState& s = rig.link.vars();
            QString got;
            if (request == LinkRequest::Temperature) {
                got = rig.view.temperature + " " + QString::number(s.conversionValue);
                QVERIFY(rig.view.chart.isEmpty());
            } else if (!rig.view.chart.isEmpty()) {
                got = QStringLiteral("%1 %2 %3%4")
                          .arg(s.liveDistance)
                          .arg(s.liveAnalogPercent, 0, 'f', 1)
                          .arg(s.nearFlag ? "n" : "")
                          .arg(s.farFlag ? "f" : "");
                got.replace(".0 ", " ");
                QCOMPARE(rig.view.chart, QList<float>{s.liveDistance});
                QCOMPARE(rig.view.meter.last(), s.liveDistance);
            }
            QCOMPARE(got, applied);
        }
    }

    void runOfNoiseIsNotKeptWithoutBound() {
        Rig rig;
        rig.connectUnit();
        rig.probe.setPollRequest(LinkRequest::PollDistance);
        rig.probe.pollTick();
        for (int i = 0; i < 50; ++i)
            rig.port.inject(QByteArray(100, 'n'));
        QVERIFY(rig.link.vars().rxBuffer.size() <= UnitLink::kRxBufferLimit);
        rig.port.inject(rig.pollReply("14.5", 128)); // nor does it spoil the next reply
        QCOMPARE(rig.view.chart.last(), 14.5f);
    }

    void temperatureAndBlinkCycle() {
        Rig rig;
        rig.connectUnit();
        QTest::qSleep(120); // the poll timer (200 ms) is well into its period
        rig.probe.send(LinkRequest::Temperature);
        rig.port.inject("77\r0.00674\r\x04");
        // Enabling a running timer does not start its period again.
        QVERIFY2(rig.link.pollTimerRemainingMs() < 150,
                 qPrintable(QString::number(rig.link.pollTimerRemainingMs())));
        // The temperature is asked for on every tenth tick while compensation is on; NEAR blinks
        // on every fifth.
        rig.link.setTemperatureCompensation(true);
        rig.probe.setBlinkTicks(0);
        rig.port.written.clear();
        rig.tick(30, "20", 128 + 4);
        QByteArray sent = rig.port.allWritten();
        QCOMPARE(sent.count(kSTX), 3);
        QCOMPARE(sent.indexOf(kSTX), 9);
        QCOMPARE(sent.indexOf(kSTX, 10), 19);
        QCOMPARE(rig.view.nearFlash.mid(rig.view.nearFlash.size() - 6),
                 (QList<bool>{true, false, true, false, true, false}));
        QVERIFY(!rig.view.farFlash.contains(true));
        rig.link.setTemperatureCompensation(false);
        rig.port.written.clear();
        rig.tick(20);
        QCOMPARE(rig.port.allWritten().count(kSTX), 0);
    }

    void silentUnitReconnectsAtSixthTick() {
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
        rig.tick(30);
        QCOMPARE(int(rig.port.allWritten().count(kSYN)), syns + 1);
    }

    void reloadRereadsFromRunningProgram() {
        Rig rig;
        rig.connectUnit();
        rig.link.setTemperatureCompensation(true);
        rig.tick(1, "20", 128 + 8); // RELOAD
        QVERIFY(rig.link.vars().reloadFlag);
        // The unit now runs program 6 and answers the reload with its record.
        rig.unit.running = 6;
        rig.unitPrograms[6].set(Field::Base, "77");
        rig.probe.setBlinkTicks(9); // the temperature would be due
        rig.probe.pollTick();
        QCOMPARE(rig.port.lastWritten(), bytes({122}));
        rig.port.inject(rig.record(6));
        rig.settle();
        QVERIFY(!rig.link.vars().reloadFlag);
        QCOMPARE(rig.state.programs[6].trimmed(Field::Base), QByteArray("77"));
        QCOMPARE(rig.port.lastWritten(), bytes({127}));
        rig.serveRecords();
        QCOMPARE(rig.state.currentProgram, 6);
        QCOMPARE(rig.view.refreshes, 2);
    }

    void transmissionExchange() {
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
        // One write, the whole text, with the serial number as read.
        QCOMPARE(rig.port.lastWritten(),
                 buildTransmissionText(rig.state.programs, 5, {0, false, "A12345"}));
        QCOMPARE(rig.port.sendThreshold(), 1);
        QCOMPARE(rig.link.pollInterval(), 1200);

        rig.port.fireSendComplete();
        QVERIFY(!rig.link.transmissionWaiting());
        QCOMPARE(rig.port.sendThreshold(), 0);
        QVERIFY(!rig.link.pollTimerActive());
        QCOMPARE(rig.port.lastWritten(), bytes({120 + 2})); // the running program is read back
        rig.pump.advanceMs(UnitLink::kRecordSilenceMs);     // no answer: asked again
        rig.probe.recordLineCheck();
        QCOMPARE(rig.port.written.mid(rig.port.written.size() - 2),
                 QList<QByteArray>(2, bytes({122})));
        rig.serveRecords();
        QCOMPARE(rig.link.pollInterval(), 200);
        QCOMPARE(rig.link.vars().linkRequest, rig.link.vars().pollRequest);
    }

    void transmissionWithoutAnswer() {
        Rig rig;
        rig.connectUnit();
        rig.link.startTransmission(1);
        // A stray reply with EOT: the text goes out, but without the unit's DC1 the transmission
        // starts again.
        rig.port.inject("junk\r\x04");
        QVERIFY(rig.port.lastWritten().size() > 100);
        rig.port.fireSendComplete();
        QCOMPARE(rig.port.lastWritten(), QByteArray(1, kDC1));
        // DC1 seen, but the send-complete does not arrive before the next tick: DC1 again, on every
        // tick while the unit does not answer.
        rig.port.inject("\x11");
        for (int i = 0; i < 3; ++i)
            rig.probe.pollTick();
        QCOMPARE(rig.port.sendThreshold(), 0);
        QCOMPARE(rig.port.written.mid(rig.port.written.size() - 3),
                 QList<QByteArray>(3, QByteArray(1, kDC1)));
        QCOMPARE(rig.link.pollInterval(), 2000);
        rig.link.abandonTransmission();
        QVERIFY(!rig.link.transmissionWaiting());
        QCOMPARE(rig.link.pollInterval(), 200);
        // A late answer and a late send-complete change nothing.
        const int writes = int(rig.port.written.size());
        rig.port.inject("\x11");
        rig.port.fireSendComplete();
        QCOMPARE(int(rig.port.written.size()), writes);
        rig.probe.pollTick();
        QCOMPARE(rig.port.lastWritten(), QByteArray(1, kCAN)); // polling again
    }
};

QTEST_GUILESS_MAIN(TestUnitLink)
#include "test_unitlink.moc"
