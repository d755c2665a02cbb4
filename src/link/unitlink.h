// The unit link: the handshake, the one-byte commands, the polling timer Timer1, the collection
// of replies and their dispatch, and the program transmission exchange. One implementation serves
// the main window, qxtool and the tests; it talks to the port through SerialPort, shows through
// LinkView, asks through Prompts and waits through EventPump.
//
// How a front end drives it:
//   SwitchOnLine(true/false)      the on-line toggle: handshake, read the eight programs, poll
//   SetMeterMode(1|2|3)           what the meter shows (analog %, percent output, distance)
//   SetTemperatureCompensation()  the temperature-compensation switch (temperature every 2 s)
//   StartTransmission(n)          "Xmit": send program n, then read the running program back;
//                                 the caller waits while TransmissionWaiting()
//   AbandonTransmission()         "Xmit" operated again while the unit does not answer
#pragma once

#include "monitor/maindisplay.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

namespace vanto {

class EventPump;
class LinkView;
class Prompts;
class SerialPort;
struct ProgramState;

// The link's shared state, by the names the rest of the system uses.
struct LinkState {
    bool OnLine = false;    // between a successful handshake and the next close
    int ActivePort = 1;     // the port number to open (vanto.cfg)
    QString DeviceOverride; // a device path opened instead of ActivePort's device
    int LinkRequest = 0;    // the request outstanding, 0..8
    int PollRequest = 2;    // the request ordinary polling sends
    QByteArray RxBuffer;    // received bytes of the reply not yet complete
    bool SendGate = false;  // the unit's DC1 has been seen during a transmission
    bool NearFlag = false;
    bool FarFlag = false;
    bool ReloadFlag = false; // the program records must be read again
    float LiveDistance = 0;
    float LiveAnalogPercent = 0;
    double ConversionValue = 0;
    int MeterMode = 3; // 1 analog percent, 2 percent output, 3 distance
    float LastOutputPercent = 0;
    float MeterValue = 0;          // the value the meter shows since the last poll reply
    bool TempCompensation = false; // the temperature-compensation switch
    // Timer1's counters: ticks since no request was outstanding, and the 10-tick blink cycle.
    // They saturate instead of wrapping however long the unit stays silent.
    quint16 PollTicks = 0;
    quint16 BlinkTicks = 0;
    bool NearFlash = false;
    bool FarFlash = false;
};

enum class RecordOutcome {
    Stored,           // the record was stored
    ChecksumMismatch, // nothing stored, polling resumes
    Malformed,        // nothing stored, the record is requested again
};

class UnitLink : public QObject {
    Q_OBJECT
public:
    static constexpr int kPollInterval = 200;      // ms, ordinary polling
    static constexpr int kDc1Interval = 2000;      // ms, waiting for the unit's DC1
    static constexpr int kTextSentInterval = 1200; // ms, waiting for the text to leave
    static constexpr int kReadBackInterval = 1000; // ms, reading a transmitted program back
    static constexpr int kHandshakeRounds = 30000; // event rounds the handshake waits at least
    static constexpr int kHandshakeMinMs = 250;    // and milliseconds it waits at least
    static constexpr float kSettleSeconds = 0.4f;  // before the handshake byte
    static constexpr int kRxBufferLimit = 4096;    // bytes of a reply without terminator
    static constexpr int kRecordTimeoutMs = 1000;  // a requested record that does not come
    static constexpr int kRecordRetries = 5;       // record requests repeated before re-connect
    static constexpr int kHandshakeAttempts = 3;   // handshakes of one connect before giving up
    static constexpr int kWaitSliceMs = 5;         // longest sleep between event rounds

    UnitLink(ProgramState& programState, SerialPort& port, LinkView& view, Prompts& prompts,
             EventPump& pump, QObject* parent = nullptr);
    ~UnitLink() override;

    LinkState& vars() { return m_s; }
    const LinkState& vars() const { return m_s; }
    ProgramState& programState() { return m_p; }
    const MainDisplayModel& display() const { return m_display; }
    SerialPort& port() { return m_port; }

    // The device OpenUnitLink opens: DeviceOverride when set, else ActivePort's device.
    QString ActiveDevice() const;

    // --- operator actions -------------------------------------------------------------------
    // The on-line toggle. On: handshake, then the eight program records, then polling. Off:
    // close the link and stop Timer1.
    void SwitchOnLine(bool on);
    void SetMeterMode(int mode) { m_s.MeterMode = mode; }
    void SetTemperatureCompensation(bool on) { m_s.TempCompensation = on; }
    // "Xmit": TransmitProgram = program, request 7. The text goes out when the unit answers DC1.
    void StartTransmission(int program);
    bool TransmissionWaiting() const { return m_s.LinkRequest == 7; }
    // Ends a transmission that the unit does not acknowledge: request 7 is dropped, nothing more
    // is sent for it, and polling resumes at 200 ms.
    void AbandonTransmission();
    // Reads one program record (request 8); polling resumes after it.
    void RequestProgramRecord(int program);

    // --- the link's operations ----------------------------------------------------------------
    bool OpenUnitLink();
    void CloseUnitLink();
    // Returns once at least `seconds` have passed on the monotonic clock. Events keep flowing
    // while it waits (rounds at most kWaitSliceMs apart), so the window repaints and responds;
    // inside a handshake it ends early once the port has been closed.
    void Delay(float seconds);
    void SendUnitCommand();
    void Timer1Tick();
    void OnReceive();
    void OnSendComplete();
    void OnPortFailed(const QString& description);
    void ProcessPollReply();
    // Writes the transmission text of TransmitProgram in one piece (the unit answered DC1).
    void BuildTransmission();
    // Recomputes the display model from the running program, takes PollRequest, ModelName and
    // the temperature-compensation switch from it, and redraws the view.
    void RefreshMainDisplay();
    void DiscardInput();

    // Timer1, owned by the link.
    int timer1Interval() const { return m_timer1.interval(); }
    bool timer1Active() const { return m_timer1.isActive(); }
    void setTimer1Interval(int ms) { m_timer1.setInterval(ms); }
    void enableTimer1() { m_timer1.start(); }
    void disableTimer1() { m_timer1.stop(); }

    bool handshaking() const { return m_handshaking; }
    // The watchdog of a record request while Timer1 is off.
    bool recordWatchdogActive() const { return m_recordTimer.isActive(); }
    void stopRecordWatchdog();
    void OnRecordTimeout();

    // Called by DecodeOnlineRecord.
    void reportRecord(int program, RecordOutcome outcome) { emit recordDecoded(program, outcome); }
    void reportPollingStarted() { emit pollingStarted(); }

    // Bytes written to and read from the port since construction.
    quint64 bytesSent() const { return m_bytesSent; }
    quint64 bytesReceived() const { return m_bytesReceived; }
    // The last port failure, as shown after "COMM Err: ".
    QString lastPortError() const { return m_lastPortError; }

signals:
    void linkOpened();
    void linkClosed();
    void recordDecoded(int program, vanto::RecordOutcome outcome);
    void pollingStarted();
    void pollReplyApplied(int request);
    void transmissionWritten();
    void portFailed(const QString& description);

private:
    void writeByte(char byte);
    void reportPortError(const QString& description);
    void showOnLineState(bool online);
    void closeLink();

    ProgramState& m_p;
    SerialPort& m_port;
    LinkView& m_view;
    Prompts& m_prompts;
    EventPump& m_pump;
    LinkState m_s;
    MainDisplayModel m_display;
    QTimer m_timer1;
    QTimer m_recordTimer;
    int m_recordRetries = 0;
    bool m_handshaking = false;
    bool m_rxDiscarding = false; // inside a run too long to be a reply
    bool m_portErrorShown = false;
    // The connect under way was asked for by the operator (the toggle, --connect): its port
    // failures get the message box. Cleared once the link is open, so that everything after
    // (a lost device, re-connect attempts) is shown on the view without blocking.
    bool m_operatorConnect = false;
    QString m_lastPortError;
    QString m_failureInHandshake;
    QString m_handshakeFailure;        // why the last handshake failed
    bool m_handshakePortError = false; // it failed on the port itself
    quint64 m_closeRequests = 0;       // CloseUnitLink calls (not a failed handshake's closing)
    quint64 m_bytesSent = 0;
    quint64 m_bytesReceived = 0;
};

} // namespace vanto
