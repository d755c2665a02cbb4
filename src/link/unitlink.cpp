#include "unitlink.h"

#include "link/linkview.h"
#include "link/replies.h"
#include "platform/eventpump.h"
#include "platform/prompts.h"
#include "platform/serialport.h"
#include "program/programfile.h"
#include "program/programstate.h"
#include "program/recordreply.h"
#include "shared/numtext.h"

#include <algorithm>
#include <cmath>

namespace vanto {

namespace {

void saturatingIncrement(quint16& counter) {
    if (counter < 0xFFFF)
        ++counter;
}

constexpr char kNoAnswer[] = "no answer to the handshake";

// Clears a flag for the lifetime of the scope, whatever way it is left.
class ScopedFlag {
public:
    explicit ScopedFlag(bool& flag) : m_flag(flag) { m_flag = true; }
    ~ScopedFlag() { m_flag = false; }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;

private:
    bool& m_flag;
};

} // namespace

UnitLink::UnitLink(ProgramState& programState, SerialPort& port, LinkView& view, Prompts& prompts,
                   EventPump& pump, QObject* parent)
    : QObject(parent), m_p(programState), m_port(port), m_view(view), m_prompts(prompts),
      m_pump(pump) {
    m_pollTimer.setInterval(kPollInterval);
    m_recordTimer.setInterval(kRecordCheckMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &UnitLink::pollTick);
    connect(&m_recordTimer, &QTimer::timeout, this, &UnitLink::recordLineCheck);
    connect(&m_port, &SerialPort::received, this, &UnitLink::onReceive);
    connect(&m_port, &SerialPort::sendComplete, this, &UnitLink::onSendComplete);
    connect(&m_port, &SerialPort::failed, this, &UnitLink::onPortFailed);
}

UnitLink::~UnitLink() = default;

QString UnitLink::activeDevice() const {
    return m_s.deviceOverride.isEmpty() ? deviceForPort(m_s.activePort) : m_s.deviceOverride;
}

// --- operator actions ------------

void UnitLink::switchOnLine(bool on) {
    if (on) {
        if (m_handshaking)
            return; // a re-connect handshake is running; its outcome stands
        // The operator's own attempt: a failure is worth a message again, and the silent-unit
        // count starts afresh so that polling does not begin with a second handshake.
        m_portErrorShown = false;
        m_operatorConnect = true;
        m_s.pollTicks = 0;
        // One damaged or lost answer must not leave the link off-line: the handshake is tried a
        // few times. A port failure (its message has said why) and a switch-off or shut-down
        // during an attempt end the tries at once.
        const quint64 closes = m_closeRequests;
        for (int attempt = 1; attempt <= kHandshakeAttempts; ++attempt) {
            if (openUnitLink()) {
                // A new connection may be another unit: nothing is read until its records come.
                m_s.unreadPrograms = 0xFF;
                m_fetch = Fetch();
                m_p.currentProgram = 0;
                m_s.linkRequest = LinkRequest::AllRecords;
                sendUnitCommand();
                return;
            }
            if (m_handshakePortError || m_closeRequests != closes)
                break;
            if (attempt < kHandshakeAttempts)
                continue;
            QString text = QStringLiteral("%1: %2, given up after %3 attempts")
                               .arg(activeDevice(), m_handshakeFailure)
                               .arg(kHandshakeAttempts);
            if (m_handshakeFailure == QLatin1String(kNoAnswer))
                text += QStringLiteral(" (is the unit switched on and connected to this port?)");
            m_prompts.message(text, QStringLiteral("ERROR"), MessageIcon::Warning);
        }
        stopPollTimer();
    } else {
        closeUnitLink();
        stopPollTimer();
    }
}

void UnitLink::startTransmission(int program) {
    m_p.transmitProgram = program;
    m_s.linkRequest = LinkRequest::Transmission;
    sendUnitCommand();
}

void UnitLink::abandonTransmission() {
    if (m_s.linkRequest != LinkRequest::Transmission)
        return;
    // Nothing that is still under way may restart the transmission: a late send-complete finds
    // the threshold at 0, a late DC1 finds no transmission request.
    m_port.setSendThreshold(0);
    m_s.sendGate = false;
    m_s.linkRequest = LinkRequest::None;
    m_s.pollTicks = 0;
    discardInput();
    setTransmitStep(TransmitStep::None);
    startPollTimer();
}

void UnitLink::requestProgramRecord(int program) {
    stopPollTimer();
    m_p.currentProgram = program;
    m_s.linkRequest = LinkRequest::OneRecord;
    sendUnitCommand();
}

QString UnitLink::remoteEditRefusal() const {
    const QList<int> unread = unreadPrograms();
    if (unread.isEmpty())
        return QString();
    return QStringLiteral("Program%1 %2 could not be read from the unit: what VANTO holds for %3 "
                          "is not the unit's. Switch the unit link off and on to read %3 again.")
        .arg(unread.size() == 1 ? QString() : QStringLiteral("s"), programListText(unread),
             unread.size() == 1 ? QStringLiteral("it") : QStringLiteral("them"));
}

QList<int> programsInMask(quint8 mask) {
    QList<int> programs;
    for (int k = 0; k < kProgramCount; ++k) {
        if (mask & (1u << k))
            programs.append(k);
    }
    return programs;
}

QString programListText(const QList<int>& programs) {
    QStringList names;
    for (int k : programs)
        names.append(QStringLiteral("#%1").arg(k));
    if (names.size() <= 1)
        return names.join(QString());
    const QString last = names.takeLast();
    return names.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

// --- handshake -------------------

bool UnitLink::openUnitLink() {
    // A tick or an operator action delivered while this handshake waits (or while its message
    // box is open) must not start another one.
    if (m_handshaking)
        return false;
    ScopedFlag busy(m_handshaking);
    m_s.onLine = false;
    m_failureInHandshake.clear();
    m_handshakeFailure.clear();
    m_handshakePortError = false;

    if (!m_port.isOpen()) {
        m_port.setDevice(activeDevice());
        m_port.setLineSettings(*LineSettings::parse(QStringLiteral("19200,N,8,1")));
        if (!m_port.open()) {
            m_handshakePortError = true;
            m_handshakeFailure = m_port.errorString();
            reportPortError(m_handshakeFailure);
            closeLink();
            return false;
        }
        // The port opened: a later failure is a new one and gets its own message.
        m_portErrorShown = false;
    }
    m_port.setReceiveThreshold(0); // the answer is read here, not by onReceive
    delay(kSettleSeconds);
    m_port.discardInput();
    writeByte(kSYN);

    // Wait for the answer while events keep flowing: at least kHandshakeRounds rounds and at
    // least kHandshakeMinMs, so that a fast computer still gives a unit behind a USB adapter the
    // time it needs. Past the round count the wait sleeps between rounds.
    const qint64 start = m_pump.nowMs();
    int rounds = 0;
    bool answered = false;
    while (m_port.isOpen()) {
        m_pump.processEvents();
        ++rounds;
        if (m_port.isOpen() && m_port.waitingCount() >= 1) {
            answered = true;
            break;
        }
        if (rounds > kHandshakeRounds) {
            if (m_pump.nowMs() - start >= kHandshakeMinMs)
                break;
            m_pump.sleepFor(1);
        }
    }
    if (!m_failureInHandshake.isEmpty()) {
        m_handshakePortError = true;
        m_handshakeFailure = m_failureInHandshake;
        reportPortError(m_failureInHandshake);
    }
    if (answered) {
        const QByteArray reply = m_port.readAll();
        m_bytesReceived += reply.size();
        if (!reply.isEmpty() && reply[0] == kETB) {
            m_operatorConnect = false;
            showOnLineState(true);
            m_s.onLine = true;
            m_s.linkRequest = m_s.pollRequest;
            emit linkOpened();
            return true;
        }
        if (m_handshakeFailure.isEmpty())
            m_handshakeFailure = QStringLiteral("no valid answer to the handshake (the last "
                                                "began with byte %1, not 23)")
                                     .arg(reply.isEmpty() ? 0 : int(uchar(reply[0])));
    } else if (m_handshakeFailure.isEmpty()) {
        m_handshakeFailure = m_port.isOpen()
                                 ? QLatin1String(kNoAnswer)
                                 : QStringLiteral("the port was closed during the handshake");
    }
    if (!m_operatorConnect && m_failureInHandshake.isEmpty())
        m_view.showLinkFailure(activeDevice() + QStringLiteral(": the unit does not answer"));
    closeLink();
    return false;
}

void UnitLink::closeUnitLink() {
    // Seen by a connect in progress (the operator switched off, the window is closing): it
    // makes no further attempt.
    ++m_closeRequests;
    closeLink();
}

void UnitLink::closeLink() {
    m_s.onLine = false;
    if (m_port.isOpen())
        m_port.close();
    m_port.discardInput();
    m_recordTimer.stop();
    m_fetch.active = false;
    m_fetch.draining = false;
    m_skipToReplyEnd = false;
    showOnLineState(false);
    m_s.rxBuffer.clear();
    m_rxDiscarding = false;
    emit linkClosed();
}

void UnitLink::delay(float seconds) {
    const qint64 end = m_pump.nowMs() + static_cast<qint64>(std::ceil(double(seconds) * 1000.0));
    for (;;) {
        m_pump.processEvents();
        // A handshake whose port was closed meanwhile (switched off, shut down) waits no more.
        if (m_handshaking && !m_port.isOpen())
            return;
        const qint64 now = m_pump.nowMs();
        if (now >= end)
            return;
        m_pump.sleepFor(static_cast<int>(std::min<qint64>(end - now, kWaitSliceMs)));
    }
}

void UnitLink::showOnLineState(bool online) {
    m_view.setLinkIndicator(online);
    m_view.setOnlineControlsEnabled(online);
}

void UnitLink::reportPortError(const QString& description) {
    m_lastPortError = description;
    if (!m_operatorConnect) {
        // A re-connect of a link that was on-line: nobody asked for it, and a box would stop
        // the re-connect attempts until someone clicks it.
        m_view.showLinkFailure(description);
        return;
    }
    if (m_portErrorShown)
        return; // the same failure again on a re-connect tick
    m_portErrorShown = true;
    m_prompts.message(QStringLiteral("COMM Err: ") + description, QStringLiteral("ERROR"),
                      MessageIcon::Critical);
}

void UnitLink::onPortFailed(const QString& description) {
    m_lastPortError = description;
    emit portFailed(description);
    if (m_handshaking) {
        // The handshake wait sees the closed port and reports it as its own failure.
        m_failureInHandshake = description;
        return;
    }
    // A record fetch cut here resumes once the re-connect succeeds.
    if (m_fetch.active)
        m_fetch.resume = true;
    closeUnitLink();
    m_view.showLinkFailure(description);
    // A transmission or a record fetch cannot go on without the port: hand back to polling, so
    // that the re-connect ticks run as for a silent unit (the request stays unanswered).
    if (isRecordRequest(m_s.linkRequest) || m_s.linkRequest == LinkRequest::Transmission) {
        m_port.setSendThreshold(0);
        m_s.sendGate = false;
        m_s.linkRequest = m_s.pollRequest;
        setTransmitStep(TransmitStep::None);
    }
    startPollTimer();
}

// --- commands and the poll timer -----------------------------------------------------------

void UnitLink::writeByte(char byte) {
    if (!m_port.isOpen())
        return;
    m_port.write(QByteArray(1, byte));
    ++m_bytesSent;
}

void UnitLink::discardInput() {
    // Whatever is dropped from the port is dropped from the reply being collected too: a byte of
    // line noise between replies must not become the start of the next one.
    m_port.discardInput();
    m_s.rxBuffer.clear();
    m_rxDiscarding = false;
}

void UnitLink::sendUnitCommand() {
    // A command written while a handshake waits would be taken for the unit's answer.
    if (m_handshaking)
        return;
    m_port.setReceiveThreshold(1);
    switch (m_s.linkRequest) {
    case LinkRequest::AllRecords:
    case LinkRequest::OneRecord:
        // The poll timer is off while a record is fetched; the watchdog asks again when the line
        // stays silent.
        stopPollTimer();
        discardInput();
        sendRecordRequest();
        break;
    case LinkRequest::PollSerial:
        writeByte(kDC4);
        break;
    case LinkRequest::PollDistance:
        writeByte(kDC3);
        break;
    case LinkRequest::Temperature:
        discardInput();
        writeByte(kSTX);
        break;
    case LinkRequest::PollAdaptive:
        writeByte(kDLE);
        break;
    case LinkRequest::PollAnalog:
        writeByte(kCAN);
        break;
    case LinkRequest::Transmission:
        stopPollTimer();
        setTransmitStep(TransmitStep::AwaitingDc1);
        startPollTimer();
        discardInput();
        writeByte(kDC1);
        break;
    case LinkRequest::None:
        break;
    }
}

void UnitLink::setTransmitStep(TransmitStep step) {
    // The step decides the poll timer's pace; the pace is never read back as the step.
    m_transmitStep = step;
    switch (step) {
    case TransmitStep::None:
        setPollInterval(kPollInterval);
        break;
    case TransmitStep::AwaitingDc1:
        setPollInterval(kDc1Interval);
        break;
    case TransmitStep::TextSent:
        setPollInterval(kTextSentInterval);
        break;
    }
}

// --- the record fetch ------------

void UnitLink::sendRecordRequest() {
    const int program = m_p.currentProgram;
    const qint64 now = m_pump.nowMs();
    if (m_fetch.program != program) {
        // The first request for this program.
        m_fetch.program = program;
        m_fetch.attempts = 0;
        m_fetch.repeated = false;
        m_fetch.firstRequestMs = now;
        m_fetch.latencyMs = -1;
    }
    m_fetch.active = true;
    m_fetch.fetchAll = m_s.linkRequest == LinkRequest::AllRecords;
    m_fetch.draining = false;
    m_fetch.lastActivityMs = now;
    ++m_fetch.attempts;
    writeByte(static_cast<char>(kRecordCommand + program));
    if (!m_recordTimer.isActive())
        m_recordTimer.start();
}

void UnitLink::decodeRecord(bool fetchAll) {
    stopPollTimer();

    const RecordReply reply = parseRecordReply(m_s.rxBuffer);
    // A damaged record is not stored. It is asked for again (a bounded number of times); a
    // pending reload stays pending until a record is stored.
    const auto damaged = [&](RecordOutcome outcome) {
        emit recordDecoded(m_p.currentProgram, outcome);
        recordDamaged(fetchAll);
    };
    if (!reply.wellFormed())
        return damaged(RecordOutcome::Malformed);
    if (!reply.checksumOk())
        return damaged(RecordOutcome::ChecksumMismatch);

    const int running = reply.runningProgram;
    const bool reload = m_s.reloadFlag;
    const int program = reload ? running : m_p.currentProgram;
    if (!storeRecordReply(reply, program, m_p))
        return damaged(RecordOutcome::Malformed);
    if (reload)
        m_s.reloadFlag = false;
    m_p.currentProgram = program;
    markProgramRead(program, running);
    if (m_p.currentProgram == running)
        refreshMainDisplay();
    emit recordDecoded(program, RecordOutcome::Stored);

    m_p.currentProgram += 1;
    if (m_p.currentProgram < kProgramCount && fetchAll) {
        recordDone(true);
    } else {
        m_p.currentProgram = running;
        recordDone(false);
    }
}

void UnitLink::recordLineCheck() {
    if (!m_fetch.active || !m_s.onLine || m_handshaking) {
        if (!m_fetch.active)
            m_recordTimer.stop();
        return;
    }
    const qint64 silent = m_pump.nowMs() - m_fetch.lastActivityMs;
    if (m_fetch.draining) {
        if (silent >= m_fetch.drainQuietMs) {
            m_fetch.draining = false;
            discardInput();
            proceed(m_fetch.drainNextRecord);
        }
        return;
    }
    if (silent < kRecordSilenceMs)
        return; // the unit may still be answering, however slowly
    // Nothing for so long: the request or its reply was lost. What came of a reply is dropped
    // before the record is asked for again, so that it cannot prefix the new answer.
    discardInput();
    if (m_fetch.attempts < kRecordAttempts) {
        m_fetch.repeated = true; // the first answer may still come: let it go by afterwards
        sendRecordRequest();
        return;
    }
    // The unit has stopped answering record requests: re-connect as for a silent unit, and
    // resume the fetch once the link is open again (a bounded number of times).
    m_recordTimer.stop();
    m_fetch.active = false;
    if (m_fetch.resumes >= kFetchResumes) {
        endFetchUnread();
        return;
    }
    m_fetch.resume = true;
    m_s.linkRequest = m_s.pollRequest;
    m_s.pollTicks = 6;
    setTransmitStep(TransmitStep::None);
    startPollTimer();
}

bool UnitLink::resumeFetch() {
    if (!m_fetch.resume)
        return false;
    m_fetch.resume = false;
    ++m_fetch.resumes;
    // The same program again, with fresh attempts; the requests before the re-connect may
    // still be answered, so the line is let go quiet after the record as after any repeat.
    m_fetch.attempts = 0;
    m_fetch.repeated = true;
    m_fetch.firstRequestMs = m_pump.nowMs();
    m_fetch.latencyMs = -1;
    m_s.linkRequest = m_fetch.fetchAll ? LinkRequest::AllRecords : LinkRequest::OneRecord;
    sendUnitCommand();
    return true;
}

void UnitLink::markProgramRead(int program, int running) {
    m_fetch.running = running;
    const quint8 before = m_s.unreadPrograms;
    m_s.unreadPrograms &= static_cast<quint8>(~(1u << program));
    // The last missing one read (a reload, say): nothing is missing any more. Programs still
    // missing are told once the fetch ends.
    if (before != 0 && m_s.unreadPrograms == 0)
        announceUnread();
}

void UnitLink::announceUnread() {
    const QList<int> unread = unreadPrograms();
    m_view.showUnreadPrograms(unread);
    emit unreadProgramsChanged(unread);
}

void UnitLink::recordDamaged(bool fetchAll) {
    if (m_fetch.attempts < kRecordAttempts) {
        // What came may not have been the answer to the request at all (the rest of an earlier
        // reply, say): the real one may still come, so once the record is taken the line is
        // let go quiet as after any repeated request.
        m_fetch.repeated = true;
        m_s.linkRequest = fetchAll ? LinkRequest::AllRecords : LinkRequest::OneRecord;
        sendUnitCommand();
        return;
    }
    giveUpProgram(fetchAll);
}

void UnitLink::giveUpProgram(bool fetchAll) {
    // Given up: the program stays unread and the fetch goes on with the next one.
    if (fetchAll && m_p.currentProgram + 1 < kProgramCount) {
        m_p.currentProgram += 1;
        recordDone(true);
    } else {
        keepKnownRunningProgram();
        recordDone(false);
    }
}

void UnitLink::endFetchUnread() {
    keepKnownRunningProgram();
    proceed(false);
}

void UnitLink::keepKnownRunningProgram() {
    // Polling shows the running program: the one the last stored record named, if any.
    if (m_fetch.running >= 0)
        m_p.currentProgram = m_fetch.running;
}

void UnitLink::recordDone(bool nextRecord) {
    // Polling starts at once after a record answered once: a doubled record that still comes
    // has more fields than any poll reply and is not taken for one.
    if (!m_fetch.active || (!nextRecord && !m_fetch.repeated)) {
        proceed(nextRecord);
        return;
    }
    // Whatever still comes now would be taken for the next program: the line is let go quiet
    // first. Briefly as a rule; when a request was repeated, the answer to the other one may
    // still be on its way, so a unit that took L to answer the first gets about 1.5 L more.
    m_fetch.draining = true;
    m_fetch.drainNextRecord = nextRecord;
    m_fetch.drainQuietMs = kRecordQuietMs;
    if (m_fetch.repeated) {
        const qint64 latency = std::max<qint64>(m_fetch.latencyMs, 0);
        m_fetch.drainQuietMs = std::min<qint64>(
            std::max<qint64>(kRecordSilenceMs, latency * 3 / 2) + 500, kRecordDrainMaxMs);
    }
    m_fetch.lastActivityMs = m_pump.nowMs();
    if (!m_recordTimer.isActive())
        m_recordTimer.start();
}

void UnitLink::proceed(bool nextRecord) {
    if (nextRecord) {
        discardInput();
        m_s.linkRequest = LinkRequest::AllRecords;
        sendUnitCommand();
        return;
    }
    m_fetch.active = false;
    m_fetch.resumes = 0;
    m_fetch.program = -1; // the next request starts afresh, whatever program it asks for
    m_recordTimer.stop();
    if (m_s.unreadPrograms != 0)
        announceUnread();
    startPolling();
}

void UnitLink::startPolling() {
    m_s.linkRequest = m_s.pollRequest;
    setTransmitStep(TransmitStep::None);
    startPollTimer();
    // Send the poll that linkRequest now names at once rather than on the next tick, so the
    // first live value shows 200 ms sooner; the ticks then go on as usual.
    sendUnitCommand();
    emit pollingStarted();
}

void UnitLink::pollTick() {
    if (m_handshaking)
        return;
    saturatingIncrement(m_s.pollTicks);
    saturatingIncrement(m_s.blinkTicks);

    if (m_s.sendGate) {
        // The unit's DC1 came but the text's send-complete did not: the transmission starts
        // again below.
        m_port.setSendThreshold(0);
        setTransmitStep(TransmitStep::None);
    }
    if (m_s.linkRequest == LinkRequest::Transmission) {
        sendUnitCommand();
        return;
    }
    // A request still unanswered after five ticks: the unit is silent, re-connect.
    if (m_s.linkRequest != LinkRequest::None && m_s.pollTicks > 5) {
        if (!openUnitLink())
            return;
        m_s.pollTicks = 0;
        // A record fetch cut by the re-connect goes on where it stopped.
        if (resumeFetch())
            return;
    }
    if (m_s.linkRequest == LinkRequest::None)
        m_s.pollTicks = 0;

    if (m_s.blinkTicks == 5 || m_s.blinkTicks >= 10) {
        m_s.nearFlash = m_s.nearFlag ? !m_s.nearFlash : false;
        m_s.farFlash = m_s.farFlag ? !m_s.farFlash : false;
        m_view.setNearFlash(m_s.nearFlash);
        m_view.setFarFlash(m_s.farFlash);
    }
    // A reply still arriving as the next request goes out: the rest of it would be taken for
    // the new reply (the tail of a distance is a distance too). It is dropped up to its end.
    // A single byte after an answered request is line noise, not the start of a reply.
    const qsizetype pending = m_s.rxBuffer.size() + m_port.waitingCount();
    const bool replyUnderWay =
        pending > 1 || (pending == 1 && m_s.linkRequest != LinkRequest::None);
    discardInput();
    if (replyUnderWay)
        m_skipToReplyEnd = true;
    if (m_s.reloadFlag) {
        m_s.linkRequest = LinkRequest::AllRecords;
    } else if (m_s.blinkTicks >= 10 && m_s.tempCompensation) {
        m_s.linkRequest = LinkRequest::Temperature;
        m_s.blinkTicks = 0;
    } else {
        m_s.linkRequest = m_s.pollRequest;
        if (m_s.blinkTicks >= 10)
            m_s.blinkTicks = 0;
    }
    sendUnitCommand();
}

// --- receive handling ------------

void UnitLink::onReceive() {
    // During a handshake the answer is the handshake's to read.
    if (!m_port.isOpen() || m_handshaking)
        return;
    QByteArray piece = m_port.readAll();
    m_bytesReceived += piece.size();
    if (piece.isEmpty())
        return;
    if (m_fetch.active) {
        // The line shows life: a unit still sending is not asked again.
        m_fetch.lastActivityMs = m_pump.nowMs();
        if (m_fetch.latencyMs < 0)
            m_fetch.latencyMs = m_fetch.lastActivityMs - m_fetch.firstRequestMs;
        if (m_fetch.draining) {
            m_s.rxBuffer.clear(); // a duplicate answer: dropped
            return;
        }
    }
    if (m_skipToReplyEnd) {
        // The rest of a reply cut by the discard: everything up to its EOT goes. A DC1 is the
        // unit's answer to a transmission, never part of a reply: it ends the skip and stays.
        const int eot = int(piece.indexOf(kEOT));
        const int dc1 = int(piece.indexOf(kDC1));
        if (eot < 0 && dc1 < 0)
            return;
        m_skipToReplyEnd = false;
        if (dc1 >= 0 && (eot < 0 || dc1 < eot))
            piece.remove(0, dc1);
        else
            piece.remove(0, eot + 1);
        if (piece.isEmpty())
            return;
    }
    const bool dc1 = piece.contains(kDC1);
    if (!dc1 && !piece.contains(kEOT)) {
        // A run this long without a terminator is not a reply: it is dropped, up to the next
        // piece that ends a reply, rather than letting the buffer grow without bound.
        if (m_rxDiscarding || m_s.rxBuffer.size() + piece.size() > kRxBufferLimit) {
            m_s.rxBuffer.clear();
            m_rxDiscarding = true;
        } else {
            m_s.rxBuffer += piece;
        }
        return;
    }
    m_rxDiscarding = false;
    m_s.rxBuffer += piece;
    if (dc1)
        m_s.sendGate = true;
    switch (m_s.linkRequest) {
    case LinkRequest::AllRecords:
        decodeRecord(true);
        break;
    case LinkRequest::PollSerial:
    case LinkRequest::PollDistance:
    case LinkRequest::Temperature:
    case LinkRequest::PollAdaptive:
    case LinkRequest::PollAnalog:
        processPollReply();
        break;
    case LinkRequest::Transmission:
        buildTransmission();
        break;
    case LinkRequest::OneRecord:
        decodeRecord(false);
        break;
    case LinkRequest::None:
        break;
    }
    m_s.rxBuffer.clear();
}

void UnitLink::onSendComplete() {
    m_port.setSendThreshold(0);
    if (m_s.sendGate) {
        // The running program is read back; the record watchdog asks again when it does not
        // come, as for any record.
        stopPollTimer();
        m_s.linkRequest = LinkRequest::OneRecord;
        setTransmitStep(TransmitStep::None);
        m_s.sendGate = false;
    } else {
        m_s.linkRequest = LinkRequest::Transmission;
    }
    sendUnitCommand();
}

void UnitLink::processPollReply() {
    m_view.setLinkIndicator(true);
    const LinkRequest request = m_s.linkRequest;
    const int required = pollReplyFieldCount(request);
    const QList<QByteArray> f = splitReplyFields(m_s.rxBuffer, 0, required + 1);
    if (f.size() < required)
        return; // too short: the request stays outstanding
    // More fields than the request's, a control byte in a field or a status field of more than
    // one byte: this is not the unit's answer to this request as sent (a late record, bytes
    // damaged or added on the line). Nothing of it is shown; the request stays outstanding.
    if (f.size() > required || !pollFieldsClean(request, f))
        return;

    // The status field is one raw byte; an empty field leaves the flags as they are.
    const auto applyStatus = [this](const QByteArray& field) {
        if (field.isEmpty())
            return;
        const StatusFlags flags = deriveStatusFlags(
            static_cast<unsigned char>(field[0]), m_p.modelName, m_p.programs[m_p.currentProgram]);
        m_s.nearFlag = flags.near;
        m_s.farFlag = flags.far;
        m_s.reloadFlag = flags.reload;
    };
    switch (request) {
    case LinkRequest::PollSerial:
    case LinkRequest::PollAdaptive: // its fourth field is not shown
        m_view.showSerialNumber(f[0]);
        m_s.liveDistance = static_cast<float>(leadingNumber(f[1]));
        applyStatus(f[2]);
        break;
    case LinkRequest::PollDistance:
        m_s.liveDistance = static_cast<float>(leadingNumber(f[0]));
        applyStatus(f[1]);
        break;
    case LinkRequest::Temperature:
        m_view.showTemperature(formatNumber(leadingNumber(f[0]), "0.0"));
        m_s.conversionValue = leadingNumber(f[1]);
        m_s.linkRequest = LinkRequest::None;
        startPollTimer();
        emit pollReplyApplied(request);
        return;
    case LinkRequest::PollAnalog:
        m_view.showSerialNumber(f[0]);
        m_s.liveDistance = static_cast<float>(leadingNumber(f[1]));
        m_s.liveAnalogPercent = static_cast<float>(leadingNumber(f[2]) / 255.0 * 100.0);
        applyStatus(f[3]);
        break;
    default:
        return;
    }
    m_s.meterValue =
        computeMeterValue(m_s.meterMode, liveValues(), m_display, &m_s.lastOutputPercent);
    m_view.showMeterValue(m_s.meterValue);
    m_view.addChartPoint(m_s.liveDistance);
    m_s.linkRequest = LinkRequest::None;
    m_view.setLinkIndicator(true);
    emit pollReplyApplied(request);
}

// --- transmission and display ---------------------------------------------------------------

void UnitLink::buildTransmission() {
    m_s.reloadFlag = false;
    if (buildTransmissionText(m_p)) {
        // A program the text cannot carry is never written: the request ends unsent.
        abandonTransmission();
        return;
    }
    discardInput();
    if (m_port.isOpen()) {
        m_port.write(m_p.transmitText);
        m_bytesSent += m_p.transmitText.size();
    }
    m_port.setSendThreshold(1);
    setTransmitStep(TransmitStep::TextSent);
    startPollTimer();
    emit transmissionWritten();
}

void UnitLink::refreshMainDisplay() {
    m_display = updateMainDisplay(m_p);
    m_p.modelName = m_display.modelName;
    m_s.pollRequest = m_display.pollRequest;
    m_s.conversionValue = m_display.conversionValue;
    m_s.tempCompensation = m_display.tempCompOn;
    m_view.refreshMainDisplay(m_display);
}

} // namespace vanto
