// The unit link: the handshake, the one-byte commands, the polling timer, the collection
// of replies and their dispatch, and the program transmission exchange. One implementation serves
// the main window, qxtool and the tests; it talks to the port through SerialPort, shows through
// LinkView, asks through Prompts and waits through EventPump. Its steps (the handshake, the
// timer's tick, the receive handling) are its own: tests and the fuzzer reach them through
// test::LinkProbe, to run them on a clock of their own.
//
// How a front end drives it:
//   switchOnLine(true/false)      the on-line toggle: handshake, read the eight programs, poll
//   setMeterMode(1|2|3)           what the meter shows (analog %, percent output, distance)
//   setTemperatureCompensation()  the temperature-compensation switch (temperature every 2 s)
//   startTransmission(n)          "Xmit": send program n, then read the running program back;
//                                 the caller waits while transmissionWaiting()
//   abandonTransmission()         "Xmit" operated again while the unit does not answer
#pragma once

#include "program/maindisplaymodel.h"
#include "program/protocol.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

namespace vanto {

class EventPump;
class LinkView;
class Prompts;
class SerialPort;
struct ProgramState;
namespace test {
class LinkProbe;
}

// The link's shared state.
struct LinkState {
    bool onLine = false;    // between a successful handshake and the next close
    int activePort = 1;     // the port number to open (vanto.cfg)
    QString deviceOverride; // a device path opened instead of activePort's device
    LinkRequest linkRequest = LinkRequest::None;       // the request outstanding
    LinkRequest pollRequest = LinkRequest::PollSerial; // the request ordinary polling sends
    QByteArray rxBuffer;   // received bytes of the reply not yet complete
    bool sendGate = false; // the unit's DC1 has been seen during a transmission
    bool nearFlag = false;
    bool farFlag = false;
    bool reloadFlag = false; // the program records must be read again
    float liveDistance = 0;
    float liveAnalogPercent = 0;
    double conversionValue = 0;
    int meterMode = 3; // 1 analog percent, 2 percent output, 3 distance
    float lastOutputPercent = 0;
    float meterValue = 0;          // the value the meter shows since the last poll reply
    bool tempCompensation = false; // the temperature-compensation switch
    // The poll timer's counters: ticks since no request was outstanding, and the 10-tick blink
    // cycle. They saturate instead of wrapping however long the unit stays silent.
    quint16 pollTicks = 0;
    quint16 blinkTicks = 0;
    bool nearFlash = false;
    bool farFlash = false;
    // The programs of the unit not read since the link was switched on: bit k for program #k.
    // A program is read when its record arrived whole and checked; until then what the program
    // set holds for it is not the unit's.
    quint8 unreadPrograms = 0xFF;
};

enum class RecordOutcome {
    Stored,           // the record was stored
    ChecksumMismatch, // nothing stored, the record is requested again (a bounded number of times)
    Malformed,        // nothing stored, the record is requested again (a bounded number of times)
};

// The program numbers whose bits are set in `mask`, in order.
QList<int> programsInMask(quint8 mask);
// "#3" or "#3, #5 and #7".
QString programListText(const QList<int>& programs);

class UnitLink : public QObject {
    Q_OBJECT
public:
    static constexpr int kPollInterval = 200;      // ms, ordinary polling
    static constexpr int kDc1Interval = 2000;      // ms, waiting for the unit's DC1
    static constexpr int kTextSentInterval = 1200; // ms, waiting for the text to leave
    static constexpr int kHandshakeRounds = 30000; // event rounds the handshake waits at least
    static constexpr int kHandshakeMinMs = 250;    // and milliseconds it waits at least
    static constexpr float kSettleSeconds = 0.4f;  // before the handshake byte
    static constexpr int kRxBufferLimit = 4096;    // bytes of a reply without terminator
    static constexpr int kHandshakeAttempts = 3;   // handshakes of one connect before giving up
    static constexpr int kWaitSliceMs = 5;         // longest sleep between event rounds
    // A record carries no program number, so a record request is repeated only when the line
    // has been silent this long since the request or since the last byte received: by then the
    // request (or its reply) must have been lost. A unit that is still sending is never re-asked.
    static constexpr int kRecordSilenceMs = 2500;
    static constexpr int kRecordCheckMs = 20; // how often the record watchdog looks at the line
    // After a record, the line must be quiet this long before the next request: an answer the
    // line doubled is let go by instead of being taken for the next program.
    static constexpr int kRecordQuietMs = 60;
    static constexpr int kRecordAttempts = 4;       // requests of one record before it is given up
    static constexpr int kRecordDrainMaxMs = 10000; // the longest wait for a doubled answer
    static constexpr int kFetchResumes = 2;         // re-connects a fetch resumes after, at most

    UnitLink(ProgramState& programState, SerialPort& port, LinkView& view, Prompts& prompts,
             EventPump& pump, QObject* parent = nullptr);
    ~UnitLink() override;

    // The link's state, to read. It changes through the operations below only.
    const LinkState& vars() const { return m_s; }
    const ProgramState& programState() const { return m_p; }
    const MainDisplayModel& display() const { return m_display; }
    // The live readings of the last poll reply.
    LiveValues liveValues() const {
        return {m_s.liveDistance, m_s.liveAnalogPercent, m_s.farFlag, m_s.nearFlag};
    }

    // The device openUnitLink opens: deviceOverride when set, else activePort's device.
    QString activeDevice() const;
    // The port number of vanto.cfg, and a device opened instead of it ("" for none). Both take
    // effect at the next connect.
    void setActivePort(int port) { m_s.activePort = port; }
    void setDeviceOverride(const QString& device) { m_s.deviceOverride = device; }

    // --- operator actions -------------------------------------------------------------------
    // The on-line toggle. On: handshake, then the eight program records, then polling. Off:
    // close the link and stop the poll timer.
    void switchOnLine(bool on);
    void setMeterMode(int mode) { m_s.meterMode = mode; }
    void setTemperatureCompensation(bool on) { m_s.tempCompensation = on; }
    // "Xmit": transmitProgram = program, request Transmission. The text goes out when the unit
    // answers DC1.
    void startTransmission(int program);
    bool transmissionWaiting() const { return m_s.linkRequest == LinkRequest::Transmission; }
    // From "Xmit" until the text has left and the read-back begins, or until the transmission is
    // abandoned or cut by a port failure. Meanwhile the poll timer keeps the transmission's pace.
    bool transmissionUnderWay() const { return m_transmitStep != TransmitStep::None; }
    // Ends a transmission that the unit does not acknowledge: the request is dropped, nothing
    // more is sent for it, and polling resumes at 200 ms.
    void abandonTransmission();
    // Reads one program record (request OneRecord); polling resumes after it. Not while
    // fetchingRecords(): a record carries no number, so only one record request may be open.
    void requestProgramRecord(int program);
    // A record request is outstanding, or the line is being let go quiet after one.
    bool fetchingRecords() const { return m_fetch.active; }
    // The programs not read from the unit (unreadPrograms as a list).
    QList<int> unreadPrograms() const { return programsInMask(m_s.unreadPrograms); }
    // Why the unit's programs cannot be edited remotely now: "" when all eight have been read,
    // else a sentence naming the programs not read.
    QString remoteEditRefusal() const;
    // Recomputes the display model from the running program (after it was read or edited),
    // takes pollRequest, modelName and the temperature-compensation switch from it, and redraws
    // the view.
    void refreshMainDisplay();

    // The poll timer, owned by the link.
    int pollInterval() const { return m_pollTimer.interval(); }
    bool pollTimerActive() const { return m_pollTimer.isActive(); }
    int pollTimerRemainingMs() const { return m_pollTimer.remainingTime(); }
    // The watchdog of a record request while the poll timer is off: every kRecordCheckMs it
    // looks how long the line has been silent.
    bool recordWatchdogActive() const { return m_recordTimer.isActive(); }
    bool handshaking() const { return m_handshaking; }
    // The handshake's last failure in words ("" after a success).
    QString lastHandshakeFailure() const { return m_handshakeFailure; }

    // Bytes written to and read from the port since construction.
    quint64 bytesSent() const { return m_bytesSent; }
    quint64 bytesReceived() const { return m_bytesReceived; }
    // The last port failure, as shown after "COMM Err: ".
    QString lastPortError() const { return m_lastPortError; }

signals:
    void linkOpened();
    void linkClosed();
    void recordDecoded(int program, vanto::RecordOutcome outcome);
    // The fetch has ended and polling started; unreadPrograms() names what it could not read.
    void pollingStarted();
    // Programs that could not be read (after a fetch, or a program given up).
    void unreadProgramsChanged(const QList<int>& programs);
    void pollReplyApplied(vanto::LinkRequest request);
    void transmissionWritten();
    void portFailed(const QString& description);

private:
    // Tests and the fuzzer run these steps by hand, on a clock of their own.
    friend class test::LinkProbe;

    // Where a transmission stands; it sets the poll timer's pace.
    enum class TransmitStep {
        None,        // no transmission: the poll timer ticks every kPollInterval
        AwaitingDc1, // DC1 sent, the unit's DC1 awaited (ticks every kDc1Interval)
        TextSent,    // the text written, its send-complete awaited (ticks every kTextSentInterval)
    };

    // --- the link's steps ---------------------------------------------------------------------
    // The handshake: opens the port when needed, sends SYN and waits for ETB. True when on-line.
    bool openUnitLink();
    void closeUnitLink();
    // Returns once at least `seconds` have passed on the monotonic clock. Events keep flowing
    // while it waits (rounds at most kWaitSliceMs apart), so the window repaints and responds;
    // inside a handshake it ends early once the port has been closed.
    void delay(float seconds);
    // Sends the command byte of linkRequest (and prepares for its answer).
    void sendUnitCommand();
    void pollTick();
    void onReceive();
    void onSendComplete();
    void onPortFailed(const QString& description);
    void processPollReply();
    // Writes the transmission text of transmitProgram in one piece (the unit answered DC1).
    void buildTransmission();
    void discardInput();
    void setTransmitStep(TransmitStep step);
    // Neither restarts a running poll timer: a reply that enables the timer again (the
    // temperature reply) or sets the interval it already has must not delay the next tick.
    void setPollInterval(int ms) {
        if (m_pollTimer.interval() != ms)
            m_pollTimer.setInterval(ms);
    }
    void startPollTimer() {
        if (!m_pollTimer.isActive())
            m_pollTimer.start();
    }
    void stopPollTimer() { m_pollTimer.stop(); }

    // --- the record fetch ---------------------------------------------------------------------
    // Takes the record in rxBuffer as the answer to AllRecords (`fetchAll`) or OneRecord: checks
    // it, stores it into the program set and goes on with the next program or polling.
    void decodeRecord(bool fetchAll);
    // The watchdog's look at the line (every kRecordCheckMs while a record is awaited).
    void recordLineCheck();
    // A record for `program` was stored: it is read.
    void markProgramRead(int program, int running);
    // The record just received could not be used: ask for it again, or give it up once it has
    // been asked for kRecordAttempts times (then the fetch goes on as after a stored record).
    void recordDamaged(bool fetchAll);
    // After a stored record: the next program of a fetch (`nextRecord`) or polling, once any
    // duplicate answer to a repeated request has been let go by.
    void recordDone(bool nextRecord);
    // Hands the link to polling: pollRequest at once, then the poll timer at 200 ms.
    void startPolling();
    void writeByte(char byte);
    void reportPortError(const QString& description);
    void showOnLineState(bool online);
    void closeLink();
    void sendRecordRequest();
    void proceed(bool nextRecord);
    void giveUpProgram(bool fetchAll);
    void endFetchUnread();
    void keepKnownRunningProgram();
    void announceUnread();
    bool resumeFetch();

    ProgramState& m_p;
    SerialPort& m_port;
    LinkView& m_view;
    Prompts& m_prompts;
    EventPump& m_pump;
    LinkState m_s;
    MainDisplayModel m_display;
    QTimer m_pollTimer;
    QTimer m_recordTimer;
    TransmitStep m_transmitStep = TransmitStep::None;
    // The record fetch: which request is open, how often the current record has been asked for
    // and when the line last showed life.
    struct Fetch {
        bool active = false;   // a record request is outstanding or being drained
        bool fetchAll = false; // AllRecords: the following programs are read too
        int program = -1;      // the program the requests below were for
        int attempts = 0;      // requests sent for `program`
        bool repeated = false; // a request was repeated after silence: a duplicate may come
        qint64 firstRequestMs = 0;
        qint64 latencyMs = -1;        // first request to first byte, -1 before any byte
        qint64 lastActivityMs = 0;    // last request sent or byte received
        bool draining = false;        // a record was taken; the line is let go quiet before...
        bool drainNextRecord = false; // ...the next record is asked for (else polling starts)
        qint64 drainQuietMs = 0;
        int running = -1;    // the running program the last stored record named
        bool resume = false; // cut by a re-connect: resumes once the link is open again
        int resumes = 0;
    } m_fetch;
    bool m_handshaking = false;
    bool m_rxDiscarding = false;   // inside a run too long to be a reply
    bool m_skipToReplyEnd = false; // dropping the rest of a reply cut by a discard
    bool m_portErrorShown = false;
    // The connect under way was asked for by the operator (the toggle, --connect): its port
    // failures get the message box. Cleared once the link is open, so that everything after
    // (a lost device, re-connect attempts) is shown on the view without blocking.
    bool m_operatorConnect = false;
    QString m_lastPortError;
    QString m_failureInHandshake;
    QString m_handshakeFailure;        // why the last handshake failed
    bool m_handshakePortError = false; // it failed on the port itself
    quint64 m_closeRequests = 0;       // closeUnitLink calls (not a failed handshake's closing)
    quint64 m_bytesSent = 0;
    quint64 m_bytesReceived = 0;
};

} // namespace vanto
