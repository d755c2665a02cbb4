// qxtool's unit commands: backup, send, monitor. They drive the same UnitLink as the window, on
// a real serial port, with the application's events processed while they wait.
#include "commands.h"
#include "usage.h"

#include "link/linkview.h"
#include "link/unitlink.h"
#include "monitor/samplelog.h"
#include "platform/prompts.h"
#include "platform/qt/deviceport.h"
#include "platform/qt/qteventpump.h"
#include "program/programfile.h"
#include "program/transmission.h"
#include "shared/atomicfile.h"
#include "shared/numtext.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSet>

#include <cmath>
#include <functional>
#include <memory>

namespace qxtool {

using namespace vanto;

namespace {

constexpr int kDefaultTimeoutS = 20;

// The link's message boxes become the command's failure text.
class ConsolePrompts : public Prompts {
public:
    void beep() override {}
    void message(const QString& text, const QString&, MessageIcon) override {
        last = text;
        if (onMessage)
            onMessage(text);
    }
    bool askYesNo(const QString&, const QString&, MessageIcon) override { return false; }
    QString last;
    std::function<void(const QString&)> onMessage;
};

// A failure of the link while it re-connects on its own (shown in the window's bar) becomes a
// progress line.
class ConsoleLinkView : public NullLinkView {
public:
    void showLinkFailure(const QString& description) override {
        if (onFailure)
            onFailure(description);
    }
    std::function<void(const QString&)> onFailure;
};

QString secondsText(double seconds) {
    return QString::number(seconds, 'f', 3);
}

int timeoutOption(const Args& args) {
    const std::optional<QString> value = args.option(QStringLiteral("--timeout"));
    if (!value)
        return kDefaultTimeoutS * 1000;
    bool ok = false;
    const double s = value->toDouble(&ok);
    if (!ok || !std::isfinite(s) || s <= 0 || s > 86400)
        throw Failure{
            kExitBadInput,
            QStringLiteral("--timeout must be a number of seconds, not \"%1\"").arg(*value)};
    return static_cast<int>(s * 1000);
}

QString deviceOption(const Args& args) {
    const std::optional<QString> device = args.option(QStringLiteral("--device"));
    if (!device || device->isEmpty())
        throw Failure{kExitBadInput, QStringLiteral("%1 needs --device PATH").arg(args.command)};
    return *device;
}

// The log file of monitor --csv: opened only once the unit answers, every row written through
// and checked, so that a full disk ends the run with the reason instead of a cut file.

// One connection to a unit: the link with its port, and the bookkeeping of the records read.
class Session {
public:
    Session(const QString& device, int timeoutMs)
        : m_device(device), m_timeoutMs(timeoutMs),
          m_link(m_state, m_port, m_view, m_prompts, m_pump) {
        m_link.setDeviceOverride(device);
        QObject::connect(&m_link, &UnitLink::recordDecoded, [this](int program, RecordOutcome o) {
            ++m_recordReplies;
            if (o == RecordOutcome::Stored) {
                m_stored.insert(program);
                ++m_storedCount;
            }
        });
        QObject::connect(&m_link, &UnitLink::pollingStarted, [this] { m_polling = true; });
    }
    ~Session() { m_link.switchOnLine(false); }

    UnitLink& link() { return m_link; }
    ProgramState& state() { return m_state; }
    ConsolePrompts& prompts() { return m_prompts; }
    ConsoleLinkView& view() { return m_view; }
    EventPump& pump() { return m_pump; }
    const QString& device() const { return m_device; }

    // Handshake and the eight program records; throws Failure (exit 2) when either fails.
    void connectUnit() {
        printError(QStringLiteral("connecting to %1").arg(m_device));
        m_onLineAt = m_pump.nowMs();
        m_link.switchOnLine(true);
        if (!m_link.vars().onLine) {
            QString reason = m_prompts.last;
            reason.remove(0, reason.startsWith(QLatin1String("COMM Err: ")) ? 10 : 0);
            if (reason.isEmpty())
                reason = m_link.lastHandshakeFailure();
            if (reason.endsWith(QLatin1String("no answer to the handshake")))
                reason += QStringLiteral(" (is the unit switched on and connected to this port?)");
            throw Failure{kExitBadInput, reason};
        }
        printError(QStringLiteral("connected, reading the programs"));
        // The fetch ends with polling. Each record the unit sends (whole or damaged) restarts
        // the wait, so a slow unit is not cut off while it still answers.
        int progress = -1;
        while (!m_polling) {
            const int before = m_recordReplies;
            if (waitFor([&] { return m_polling || m_recordReplies != before; }))
                continue;
            if (progress == m_recordReplies || !m_link.fetchingRecords())
                throw Failure{kExitBadInput,
                              QStringLiteral("%1: the unit stopped answering while the programs "
                                             "were read%2")
                                  .arg(m_device, unreadText())};
            progress = m_recordReplies;
        }
        m_fetchSeconds = double(m_pump.nowMs() - m_onLineAt) / 1000.0;
        m_fetchBytes = m_link.bytesSent() + m_link.bytesReceived();
        // A program the fetch could not read (damaged every time it came) gets one more round.
        for (int k : m_link.unreadPrograms())
            readProgram(k, false);
        if (!m_link.unreadPrograms().isEmpty())
            throw Failure{
                kExitBadInput,
                QStringLiteral("%1: could not read program%2 %3 of the unit (damaged "
                               "or missing every time it was asked for)")
                    .arg(m_device,
                         m_link.unreadPrograms().size() == 1 ? QString() : QStringLiteral("s"),
                         programListText(m_link.unreadPrograms()))};
        printError(
            QStringLiteral("read 8 programs of unit %1 (%2, options \"%3\") in %4 s, %5 bytes")
                .arg(QString::fromLatin1(m_state.unitSerial.trimmed()), m_state.modelName,
                     QString::fromLatin1(m_state.unitOptions), secondsText(m_fetchSeconds))
                .arg(m_fetchBytes));
    }

    // Reads program `program` into the program set (request 8). Unless `mustRead`, a program
    // that cannot be read stays among the link's unread programs instead of failing here.
    void readProgram(int program, bool mustRead = true) {
        const int before = m_storedCount;
        m_stored.remove(program);
        m_link.requestProgramRecord(program);
        // The link asks again while the record does not come or comes damaged, a bounded
        // number of times, and then hands back to polling whatever came of it.
        const bool ended = waitFor([&] { return !m_link.fetchingRecords(); });
        if (mustRead && (!ended || m_storedCount == before || !m_stored.contains(program)))
            throw Failure{
                kExitBadInput,
                QStringLiteral("%1: program #%2 could not be read").arg(m_device).arg(program)};
    }

    // ": programs #3 and #4 not read" for the programs still missing, or "".
    QString unreadText() const {
        const QList<int> unread = m_link.unreadPrograms();
        if (unread.isEmpty())
            return QString();
        return QStringLiteral(" (program%1 %2 not read)")
            .arg(unread.size() == 1 ? QString() : QStringLiteral("s"), programListText(unread));
    }

    bool waitFor(const std::function<bool()>& done) { return pumpUntil(m_pump, done, m_timeoutMs); }
    bool waitFor(const std::function<bool()>& done, int timeoutMs) {
        return pumpUntil(m_pump, done, timeoutMs);
    }
    qint64 onLineAt() const { return m_onLineAt; }

private:
    QString m_device;
    int m_timeoutMs;
    ProgramState m_state;
    DevicePort m_port;
    ConsoleLinkView m_view;
    ConsolePrompts m_prompts;
    QtEventPump m_pump;
    UnitLink m_link;
    QSet<int> m_stored;
    int m_storedCount = 0;
    int m_recordReplies = 0;
    bool m_polling = false;
    qint64 m_onLineAt = 0;
    double m_fetchSeconds = 0;
    quint64 m_fetchBytes = 0;
};

} // namespace

int cmdBackup(const Args& args) {
    expectArguments(
        args, 0, {QStringLiteral("--device"), QStringLiteral("-o"), QStringLiteral("--timeout")});
    const QString device = deviceOption(args);
    const std::optional<QString> out = args.option(QStringLiteral("-o"));
    if (!out)
        throw Failure{kExitBadInput, QStringLiteral("backup needs -o FILE.prg")};
    checkOutput(*out, "prg");
    Session session(device, timeoutOption(args));
    session.connectUnit();
    if (isStdout(*out)) {
        writeOutput(session.state().programs.bytes());
        printError(QStringLiteral("wrote the eight programs to standard output"));
        return kExitOk;
    }
    const QString error = writeProgramFile(*out, session.state().programs);
    if (!error.isEmpty())
        throw Failure{kExitBadInput, QStringLiteral("%1: cannot write: %2").arg(*out, error)};
    printError(QStringLiteral("saved the eight programs to %1").arg(*out));
    return kExitOk;
}

int cmdSend(const Args& args) {
    expectArguments(
        args, 1,
        {QStringLiteral("--device"), QStringLiteral("--program"), QStringLiteral("--timeout")});
    const QString device = deviceOption(args);
    const int program = programOption(args, true);
    const ProgramSet file = loadPrg(args.positional[0]);
    Session session(device, timeoutOption(args));
    session.connectUnit();

    ProgramState& state = session.state();
    // The program from the file; the unit-wide value kept in program #0 stays the unit's own.
    const QByteArray unitWide = state.programs[0].text(Field::Param21);
    state.programs[program] = file[program];
    state.programs[0].set(Field::Param21, unitWide);
    const ProgramSet sent = state.programs;
    if (const auto refusal = checkTransmission(sent, program, transmitContextOf(state)))
        throw Failure{kExitBadInput,
                      QStringLiteral("%1: %2").arg(args.positional[0], refusal->message())};

    UnitLink& link = session.link();
    printError(QStringLiteral("transmitting program #%1").arg(program));
    link.startTransmission(program);
    if (!session.waitFor([&] { return !link.transmissionWaiting(); })) {
        link.abandonTransmission();
        throw Failure{
            kExitBadInput,
            QStringLiteral("%1: the unit did not acknowledge the transmission").arg(device)};
    }
    // The link reads the running program back; then the transmitted one is read for the check.
    session.waitFor([&] { return !link.fetchingRecords(); });
    printError(QStringLiteral("reading program #%1 back").arg(program));
    session.readProgram(program);

    const QList<CarriedDifference> diffs = carriedDifferences(sent, state.programs, program);
    QByteArray report;
    for (const CarriedDifference& d : diffs)
        report +=
            d.name.toLatin1() + ": sent \"" + d.sent + "\", read back \"" + d.readBack + "\"\n";
    const int differences = int(diffs.size());
    if (differences > 0) {
        writeOutput(report);
        printError(QStringLiteral("%1: program #%2 read back with %3 field%4 differing")
                       .arg(device)
                       .arg(program)
                       .arg(differences)
                       .arg(differences == 1 ? QString() : QStringLiteral("s")));
        return kExitDifference;
    }
    printError(QStringLiteral("program #%1 transmitted and verified").arg(program));
    return kExitOk;
}

int cmdMonitor(const Args& args) {
    expectArguments(args, 0,
                    {QStringLiteral("--device"), QStringLiteral("--seconds"),
                     QStringLiteral("--csv"), QStringLiteral("--meter"),
                     QStringLiteral("--samples"), QStringLiteral("--timeout")});
    const QString device = deviceOption(args);
    double seconds = -1;
    if (const auto value = args.option(QStringLiteral("--seconds"))) {
        bool ok = false;
        seconds = value->toDouble(&ok);
        constexpr double kYear = 366 * 86400.0;
        if (!ok || !std::isfinite(seconds) || seconds < 0 || seconds > kYear)
            throw Failure{
                kExitBadInput,
                QStringLiteral("--seconds must be a number of seconds up to a year, not \"%1\"")
                    .arg(*value)};
    }
    int samples = -1;
    if (const auto value = args.option(QStringLiteral("--samples"))) {
        bool ok = false;
        samples = value->toInt(&ok);
        if (!ok || samples < 1)
            throw Failure{
                kExitBadInput,
                QStringLiteral("--samples must be a positive number, not \"%1\"").arg(*value)};
    }
    int meterMode = 3;
    if (const auto value = args.option(QStringLiteral("--meter"))) {
        const QStringList modes{QStringLiteral("analog"), QStringLiteral("output"),
                                QStringLiteral("distance")};
        meterMode = int(modes.indexOf(*value)) + 1;
        if (meterMode == 0)
            throw Failure{kExitBadInput,
                          QStringLiteral("--meter must be analog, output or distance")};
    }
    const std::optional<QString> csvPath = args.option(QStringLiteral("--csv"));
    if (csvPath)
        checkOutput(*csvPath, "csv");
    // The same rows as the window's log: local time with its offset, program, distance with
    // its unit, output percent, NEAR, FAR. The file is opened once the unit has answered.
    std::unique_ptr<SampleLog> csv;
    float heldOutput = 0;
    QString outputError; // the first failed write ends the run

    Session session(device, timeoutOption(args));
    UnitLink& link = session.link();
    int count = 0;
    QObject::connect(&link, &UnitLink::pollReplyApplied, [&](LinkRequest request) {
        if (request == LinkRequest::Temperature || !outputError.isEmpty())
            return; // the temperature reply carries no sample
        const LinkState& s = link.vars();
        const float meter = s.meterValue;
        const QByteArray time =
            secondsText(double(session.pump().nowMs() - session.onLineAt()) / 1000.0).toLatin1();
        const QByteArray distance = formatNumber(s.liveDistance, "0.00");
        const QByteArray analog = formatNumber(s.liveAnalogPercent, "0.0");
        const QByteArray value = formatNumber(meter, "0.00");
        outputError = tryOut(time + "  distance " + distance + "  analog " + analog + "%  NEAR " +
                             (s.nearFlag ? "1" : "0") + "  FAR " + (s.farFlag ? "1" : "0") +
                             "  meter " + value + "\n");
        if (csv && outputError.isEmpty() &&
            !csv->add(sampleFromLink(link.liveValues(), link.display(),
                                     session.state().currentProgram,
                                     QDateTime::currentMSecsSinceEpoch(), &heldOutput)))
            outputError = csv->lastError();
        ++count;
    });
    bool lost = false;
    bool finished = false;
    double lostAt = 0;
    QObject::connect(&link, &UnitLink::linkClosed, [&] {
        if (!finished && !lost && link.pollTimerActive()) {
            lost = true;
            lostAt = double(session.pump().nowMs() - session.onLineAt()) / 1000.0;
            printError(QStringLiteral("%1: the unit stopped answering, re-connecting").arg(device));
        }
    });
    QObject::connect(&link, &UnitLink::linkOpened, [&] {
        if (lost) {
            lost = false;
            printError(QStringLiteral("%1: re-connected").arg(device));
        }
    });
    session.connectUnit();
    if (csvPath) {
        csv = std::make_unique<SampleLog>();
        if (!csv->start(*csvPath))
            throw Failure{kExitBadInput, csv->lastError()};
    }
    // From now on a port failure is one of the re-connect attempts: say why it fails.
    // Said once for each new reason, not on every attempt.
    QString lastReason;
    const auto cannotReconnect = [&](const QString& text) {
        QString reason = text;
        reason.remove(0, reason.startsWith(QLatin1String("COMM Err: ")) ? 10 : 0);
        if (reason.startsWith(device + QLatin1String(": ")))
            reason.remove(0, device.size() + 2);
        if (reason == lastReason)
            return;
        lastReason = reason;
        printError(QStringLiteral("%1: cannot re-connect: %2").arg(device, reason));
    };
    session.prompts().onMessage = cannotReconnect;
    session.view().onFailure = cannotReconnect;
    link.setMeterMode(meterMode);
    const qint64 end = seconds < 0 ? -1 : session.onLineAt() + qint64(seconds * 1000);
    const auto done = [&] {
        return !outputError.isEmpty() || (samples > 0 && count >= samples) ||
               (end >= 0 && session.pump().nowMs() >= end);
    };
    while (!session.waitFor(done, 1000)) {
    }
    finished = true;
    if (csv && outputError.isEmpty()) {
        csv->stop();
        outputError = csv->lastError();
    }
    if (!outputError.isEmpty())
        throw Failure{kExitBadInput, outputError};
    printError(QStringLiteral("%1 samples").arg(count));
    if (lost)
        throw Failure{kExitBadInput,
                      QStringLiteral("%1: the unit stopped answering at %2 s and did not come back")
                          .arg(device, secondsText(lostAt))};
    return kExitOk;
}

} // namespace qxtool
