#include "unitlink.h"

#include "link/linkview.h"
#include "link/replies.h"
#include "monitor/onlinerecord.h"
#include "platform/eventpump.h"
#include "platform/prompts.h"
#include "platform/serialport.h"
#include "program/programfile.h"
#include "program/programstate.h"
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
    m_timer1.setInterval(kPollInterval);
    m_recordTimer.setSingleShot(true);
    m_recordTimer.setInterval(kRecordTimeoutMs);
    connect(&m_timer1, &QTimer::timeout, this, &UnitLink::Timer1Tick);
    connect(&m_recordTimer, &QTimer::timeout, this, &UnitLink::OnRecordTimeout);
    connect(&m_port, &SerialPort::received, this, &UnitLink::OnReceive);
    connect(&m_port, &SerialPort::sendComplete, this, &UnitLink::OnSendComplete);
    connect(&m_port, &SerialPort::failed, this, &UnitLink::OnPortFailed);
}

UnitLink::~UnitLink() = default;

QString UnitLink::ActiveDevice() const {
    return m_s.DeviceOverride.isEmpty() ? DeviceForPort(m_s.ActivePort) : m_s.DeviceOverride;
}

// --- operator actions -----------------------------------------------------------------------

void UnitLink::SwitchOnLine(bool on) {
    if (on) {
        if (m_handshaking)
            return; // a re-connect handshake is running; its outcome stands
        // The operator's own attempt: a failure is worth a message again, and the silent-unit
        // count starts afresh so that polling does not begin with a second handshake.
        m_portErrorShown = false;
        m_operatorConnect = true;
        m_s.PollTicks = 0;
        // One damaged or lost answer must not leave the link off-line: the handshake is tried a
        // few times. A port failure (its message has said why) and a switch-off or shut-down
        // during an attempt end the tries at once.
        const quint64 closes = m_closeRequests;
        for (int attempt = 1; attempt <= kHandshakeAttempts; ++attempt) {
            if (OpenUnitLink()) {
                m_p.CurrentProgram = 0;
                m_s.LinkRequest = 1;
                SendUnitCommand();
                return;
            }
            if (m_handshakePortError || m_closeRequests != closes)
                break;
            if (attempt < kHandshakeAttempts)
                continue;
            QString text = QStringLiteral("%1: %2, given up after %3 attempts")
                               .arg(ActiveDevice(), m_handshakeFailure)
                               .arg(kHandshakeAttempts);
            if (m_handshakeFailure == QLatin1String(kNoAnswer))
                text += QStringLiteral(" (is the unit switched on and connected to this port?)");
            m_prompts.message(text, QStringLiteral("ERROR"), MessageIcon::Warning);
        }
        disableTimer1();
    } else {
        CloseUnitLink();
        disableTimer1();
    }
}

void UnitLink::StartTransmission(int program) {
    m_p.TransmitProgram = program;
    m_s.LinkRequest = 7;
    SendUnitCommand();
}

void UnitLink::AbandonTransmission() {
    if (m_s.LinkRequest != 7)
        return;
    // Nothing that is still under way may restart the transmission: a late send-complete finds
    // the threshold at 0, a late DC1 finds no request 7.
    m_port.setSendThreshold(0);
    m_s.SendGate = false;
    m_s.LinkRequest = 0;
    m_s.PollTicks = 0;
    DiscardInput();
    setTimer1Interval(kPollInterval);
    enableTimer1();
}

void UnitLink::RequestProgramRecord(int program) {
    disableTimer1();
    m_p.CurrentProgram = program;
    m_s.LinkRequest = 8;
    setTimer1Interval(kReadBackInterval); // asks again every second until the record is stored
    enableTimer1();
    SendUnitCommand();
}

// --- handshake ------------------------------------------------------------------------------

bool UnitLink::OpenUnitLink() {
    // A tick or an operator action delivered while this handshake waits (or while its message
    // box is open) must not start another one.
    if (m_handshaking)
        return false;
    ScopedFlag busy(m_handshaking);
    m_s.OnLine = false;
    m_failureInHandshake.clear();
    m_handshakeFailure.clear();
    m_handshakePortError = false;

    if (!m_port.isOpen()) {
        m_port.setDevice(ActiveDevice());
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
    m_port.setReceiveThreshold(0); // the answer is read here, not by OnReceive
    Delay(kSettleSeconds);
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
            m_s.OnLine = true;
            m_s.LinkRequest = m_s.PollRequest;
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
        m_view.showLinkFailure(ActiveDevice() + QStringLiteral(": the unit does not answer"));
    closeLink();
    return false;
}

void UnitLink::CloseUnitLink() {
    // Seen by a connect in progress (the operator switched off, the window is closing): it
    // makes no further attempt.
    ++m_closeRequests;
    closeLink();
}

void UnitLink::closeLink() {
    m_s.OnLine = false;
    if (m_port.isOpen())
        m_port.close();
    m_port.discardInput();
    stopRecordWatchdog();
    showOnLineState(false);
    m_s.RxBuffer.clear();
    m_rxDiscarding = false;
    emit linkClosed();
}

void UnitLink::Delay(float seconds) {
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

void UnitLink::OnPortFailed(const QString& description) {
    m_lastPortError = description;
    emit portFailed(description);
    if (m_handshaking) {
        // The handshake wait sees the closed port and reports it as its own failure.
        m_failureInHandshake = description;
        return;
    }
    CloseUnitLink();
    m_view.showLinkFailure(description);
    // A transmission or a record fetch cannot go on without the port: hand back to polling, so
    // that the re-connect ticks run as for a silent unit (the request stays unanswered).
    if (m_s.LinkRequest == 1 || m_s.LinkRequest == 7 || m_s.LinkRequest == 8) {
        m_port.setSendThreshold(0);
        m_s.SendGate = false;
        m_s.LinkRequest = m_s.PollRequest;
        setTimer1Interval(kPollInterval);
    }
    enableTimer1();
}

// --- commands and Timer1 --------------------------------------------------------------------

void UnitLink::writeByte(char byte) {
    if (!m_port.isOpen())
        return;
    m_port.write(QByteArray(1, byte));
    ++m_bytesSent;
}

void UnitLink::DiscardInput() {
    m_port.discardInput();
}

void UnitLink::SendUnitCommand() {
    // A command written while a handshake waits would be taken for the unit's answer.
    if (m_handshaking)
        return;
    m_port.setReceiveThreshold(1);
    switch (m_s.LinkRequest) {
    case 1:
        disableTimer1();
        DiscardInput();
        writeByte(static_cast<char>(kRecordCommand + m_p.CurrentProgram));
        // Timer1 is off while a record is fetched; the watchdog asks again when it does not come.
        m_recordTimer.start();
        break;
    case 2:
        writeByte(kDC4);
        break;
    case 3:
        writeByte(kDC3);
        break;
    case 4:
        DiscardInput();
        writeByte(kSTX);
        break;
    case 5:
        writeByte(kDLE);
        break;
    case 6:
        writeByte(kCAN);
        break;
    case 7:
        disableTimer1();
        setTimer1Interval(kDc1Interval);
        enableTimer1();
        DiscardInput();
        writeByte(kDC1);
        break;
    case 8:
        DiscardInput();
        writeByte(static_cast<char>(kRecordCommand + m_p.CurrentProgram));
        break;
    default:
        break;
    }
}

void UnitLink::stopRecordWatchdog() {
    m_recordTimer.stop();
    m_recordRetries = 0;
}

void UnitLink::OnRecordTimeout() {
    if (m_s.LinkRequest != 1 || !m_s.OnLine || m_handshaking)
        return;
    if (++m_recordRetries <= kRecordRetries) {
        SendUnitCommand(); // the same record again
        return;
    }
    // The unit has stopped answering: let Timer1 handle it as a silent unit (a new handshake at
    // the next tick, re-connect attempts while it fails).
    m_recordRetries = 0;
    m_s.PollTicks = 6;
    setTimer1Interval(kPollInterval);
    enableTimer1();
}

void UnitLink::Timer1Tick() {
    if (m_handshaking)
        return;
    saturatingIncrement(m_s.PollTicks);
    saturatingIncrement(m_s.BlinkTicks);

    if (m_s.SendGate) {
        m_port.setSendThreshold(0);
        setTimer1Interval(kPollInterval);
    }
    if (m_s.LinkRequest == 7) {
        SendUnitCommand();
        return;
    }
    if (timer1Interval() == kReadBackInterval) {
        m_s.LinkRequest = 8;
        SendUnitCommand();
        return;
    }
    if (m_s.LinkRequest > 0 && m_s.PollTicks > 5) {
        if (!OpenUnitLink())
            return;
        m_s.PollTicks = 0;
    }
    if (m_s.LinkRequest == 0)
        m_s.PollTicks = 0;

    if (m_s.BlinkTicks == 5 || m_s.BlinkTicks >= 10) {
        m_s.NearFlash = m_s.NearFlag ? !m_s.NearFlash : false;
        m_s.FarFlash = m_s.FarFlag ? !m_s.FarFlash : false;
        m_view.setNearFlash(m_s.NearFlash);
        m_view.setFarFlash(m_s.FarFlash);
    }
    DiscardInput();
    if (m_s.ReloadFlag) {
        m_s.LinkRequest = 1;
    } else if (m_s.BlinkTicks >= 10 && m_s.TempCompensation) {
        DiscardInput();
        m_s.LinkRequest = 4;
        m_s.BlinkTicks = 0;
    } else {
        m_s.LinkRequest = m_s.PollRequest;
        if (m_s.BlinkTicks >= 10)
            m_s.BlinkTicks = 0;
    }
    SendUnitCommand();
}

// --- receive handling -----------------------------------------------------------------------

void UnitLink::OnReceive() {
    // During a handshake the answer is the handshake's to read.
    if (!m_port.isOpen() || m_handshaking)
        return;
    const QByteArray piece = m_port.readAll();
    m_bytesReceived += piece.size();
    if (piece.isEmpty())
        return;
    const bool dc1 = piece.contains(kDC1);
    if (!dc1 && !piece.contains(kEOT)) {
        // A run this long without a terminator is not a reply: it is dropped, up to the next
        // piece that ends a reply, rather than letting the buffer grow without bound.
        if (m_rxDiscarding || m_s.RxBuffer.size() + piece.size() > kRxBufferLimit) {
            m_s.RxBuffer.clear();
            m_rxDiscarding = true;
        } else {
            m_s.RxBuffer += piece;
        }
        return;
    }
    m_rxDiscarding = false;
    m_s.RxBuffer += piece;
    if (dc1)
        m_s.SendGate = true;
    switch (m_s.LinkRequest) {
    case 1:
        DecodeOnlineRecord(*this, true);
        break;
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
        ProcessPollReply();
        break;
    case 7:
        BuildTransmission();
        break;
    case 8:
        DecodeOnlineRecord(*this, false);
        break;
    default:
        break;
    }
    m_s.RxBuffer.clear();
}

void UnitLink::OnSendComplete() {
    m_port.setSendThreshold(0);
    if (m_s.SendGate) {
        disableTimer1();
        m_s.LinkRequest = 8;
        setTimer1Interval(kReadBackInterval);
        enableTimer1();
        m_s.SendGate = false;
    } else {
        m_s.LinkRequest = 7;
    }
    SendUnitCommand();
}

void UnitLink::ProcessPollReply() {
    m_view.setLinkIndicator(true);
    const int request = m_s.LinkRequest;
    const int required = PollReplyFieldCount(request);
    const QList<QByteArray> f = SplitReplyFields(m_s.RxBuffer, 0, required + 1);
    if (f.size() < required)
        return; // too short: the request stays outstanding

    // The status field is one raw byte; an empty field leaves the flags as they are.
    const auto applyStatus = [this](const QByteArray& field) {
        if (field.isEmpty())
            return;
        const StatusFlags flags = DeriveStatusFlags(
            static_cast<unsigned char>(field[0]), m_p.ModelName, m_p.programs[m_p.CurrentProgram]);
        m_s.NearFlag = flags.near;
        m_s.FarFlag = flags.far;
        m_s.ReloadFlag = flags.reload;
    };
    switch (request) {
    case 2:
        m_view.showSerialNumber(f[0]);
        m_s.LiveDistance = static_cast<float>(LeadingNumber(f[1]));
        applyStatus(f[2]);
        break;
    case 3:
        m_s.LiveDistance = static_cast<float>(LeadingNumber(f[0]));
        applyStatus(f[1]);
        break;
    case 4:
        m_view.showTemperature(FormatNumber(LeadingNumber(f[0]), "0.0"));
        m_s.ConversionValue = LeadingNumber(f[1]);
        m_s.LinkRequest = 0;
        enableTimer1();
        emit pollReplyApplied(request);
        return;
    case 5:
        m_view.showSerialNumber(f[0]);
        m_s.LiveDistance = static_cast<float>(LeadingNumber(f[1]));
        applyStatus(f[2]);
        break;
    case 6:
        m_view.showSerialNumber(f[0]);
        m_s.LiveDistance = static_cast<float>(LeadingNumber(f[1]));
        m_s.LiveAnalogPercent = static_cast<float>(LeadingNumber(f[2]) / 255.0 * 100.0);
        applyStatus(f[3]);
        break;
    default:
        return;
    }
    const LiveValues live{m_s.LiveDistance, m_s.LiveAnalogPercent, m_s.FarFlag};
    m_s.MeterValue = ComputeMeterValue(m_s.MeterMode, live, m_display, &m_s.LastOutputPercent);
    m_view.showMeterValue(m_s.MeterValue);
    m_view.addChartPoint(m_s.LiveDistance);
    m_s.LinkRequest = 0;
    m_view.setLinkIndicator(true);
    emit pollReplyApplied(request);
}

// --- transmission and display ---------------------------------------------------------------

void UnitLink::BuildTransmission() {
    m_s.ReloadFlag = false;
    if (BuildTransmissionText(m_p)) {
        // A program the text cannot carry is never written: the request ends unsent.
        AbandonTransmission();
        return;
    }
    DiscardInput();
    if (m_port.isOpen()) {
        m_port.write(m_p.TransmitText);
        m_bytesSent += m_p.TransmitText.size();
    }
    m_port.setSendThreshold(1);
    setTimer1Interval(kTextSentInterval);
    enableTimer1();
    emit transmissionWritten();
}

void UnitLink::RefreshMainDisplay() {
    m_display = UpdateMainDisplay(m_p);
    m_p.ModelName = m_display.ModelName;
    m_s.PollRequest = m_display.PollRequest;
    m_s.ConversionValue = m_display.ConversionValue;
    m_s.TempCompensation = m_display.TempCompOn;
    m_view.refreshMainDisplay(m_display);
}

} // namespace vanto
