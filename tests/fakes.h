// Test doubles for the platform interfaces, shared by every core test: prompts that record what
// was shown and answer as told, file dialogs with a prepared answer, the editor's link, and for
// the unit link a port, an event pump with its own clock and a view that record what they see.
#pragma once

#include "editor/editorlink.h"
#include "link/linkview.h"
#include "link/unitlink.h"
#include "platform/eventpump.h"
#include "platform/filedialogs.h"
#include "platform/prompts.h"
#include "platform/serialport.h"
#include "program/maindisplaymodel.h"
#include "program/programrecord.h"
#include "program/programstate.h"
#include "program/protocol.h"

#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

#include <ctime>
#include <functional>
#include <optional>
#include <utility>

namespace vanto::test {

// Bytes from their values: bytes({0xFF, 'a'}).
inline QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out += char(v);
    return out;
}

// A file's bytes, or "(missing)"; and a file written whole (true) or not.
inline QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

inline bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

class FakePrompts : public Prompts {
public:
    struct Shown {
        QString text;
        QString title;
        MessageIcon icon;
    };
    int beeps = 0;
    QList<Shown> messages;
    QList<Shown> questions;
    bool answer = true;              // the answer to every question
    std::function<void()> onMessage; // runs while a message is shown

    void beep() override { ++beeps; }
    void message(const QString& text, const QString& title, MessageIcon icon) override {
        messages.append({text, title, icon});
        if (onMessage)
            onMessage();
    }
    QStringList texts() const {
        QStringList out;
        for (const Shown& m : messages)
            out.append(m.text);
        return out;
    }
    bool askYesNo(const QString& text, const QString& title, MessageIcon icon) override {
        questions.append({text, title, icon});
        return answer;
    }
};

class FakeFileDialogs : public FileDialogs {
public:
    std::optional<QString> answer; // nullopt = the operator cancels
    QList<FileDialogRequest> saveRequests;
    QList<FileDialogRequest> openRequests;

    std::optional<QString> getSaveFileName(const FileDialogRequest& request) override {
        saveRequests.append(request);
        return answer;
    }
    std::optional<QString> getOpenFileName(const FileDialogRequest& request) override {
        openRequests.append(request);
        return answer;
    }
};

// The link side of a transmission: request 7 stays outstanding until the test ends it (from
// `duringWait`, which runs on every round of the editor's wait).
class FakeEditorLink : public EditorLink {
public:
    bool online = true;
    int linkRequest = 0;
    int started = 0;
    int abandoned = 0;
    int refreshed = 0;
    int rounds = 0;
    std::function<void(int)> duringWait;

    bool onLine() const override { return online; }
    void startTransmission() override {
        ++started;
        linkRequest = 7;
    }
    bool transmissionPending() const override { return linkRequest == 7; }
    void abandonTransmission() override {
        ++abandoned;
        linkRequest = 0;
    }
    void processEvents() override {
        ++rounds;
        if (duringWait)
            duringWait(rounds);
        if (rounds > 1000) // a broken test must not hang
            linkRequest = 0;
    }
    void refreshMainDisplay() override { ++refreshed; }
    // The read-back after a transmission: by default the unit gave the program back as held in
    // the ProgramSet (what was sent); a test changes that through `readBack`.
    int readBacks = 0;
    std::function<bool(int)> readBack;
    bool readProgramBack(int program) override {
        ++readBacks;
        return readBack ? readBack(program) : true;
    }
};

// A port that records what is written and lets the test deliver received bytes.
class FakeSerialPort : public SerialPort {
public:
    void setDevice(const QString& device) override { m_device = device; }
    QString device() const override { return m_device; }
    void setLineSettings(const LineSettings&) override {}
    bool open() override {
        ++openCount;
        m_error = openError;
        return m_open = openError.isEmpty();
    }
    bool isOpen() const override { return m_open; }
    void close() override { m_open = false; }
    QString errorString() const override { return m_error; }
    void setReceiveThreshold(int bytes) override { m_rth = bytes; }
    int receiveThreshold() const override { return m_rth; }
    void setSendThreshold(int bytes) override { m_sth = bytes; }
    int sendThreshold() const override { return m_sth; }
    int waitingCount() const override { return int(input.size()); }
    void discardInput() override { input.clear(); }
    void write(const QByteArray& bytes) override {
        if (m_open)
            written.append(bytes);
    }
    QByteArray readAll() override { return std::exchange(input, {}); }

    // Bytes arrive; the receive notification follows when the threshold asks for it.
    void inject(const QByteArray& bytes) {
        if (!m_open)
            return;
        input += bytes;
        if (m_rth > 0 && input.size() >= m_rth)
            emit received();
    }
    void fireSendComplete() {
        if (m_sth > 0)
            emit sendComplete();
    }
    // The device goes away under an open port.
    void loseDevice(const QString& description) {
        m_open = false;
        m_sth = 0;
        emit failed(description);
    }
    QByteArray allWritten() const { return written.join(); } // every byte written, in order
    QByteArray lastWritten() const { return written.isEmpty() ? QByteArray() : written.last(); }

    QList<QByteArray> written;
    QByteArray input;
    QString openError; // open() fails with this text when not empty
    int openCount = 0;

private:
    QString m_device;
    QString m_error;
    bool m_open = false;
    int m_rth = 0;
    int m_sth = 0;
};

// A pump with its own clock. Each round may advance the clock and run a hook, so a test decides
// when in the handshake wait the unit answers.
class FakePump : public EventPump {
public:
    void processEvents() override {
        ++rounds;
        m_clock += usPerRound;
        if (onRound)
            onRound(rounds);
    }
    void sleepFor(int ms) override { m_clock += qint64(ms) * 1000; }
    qint64 nowMs() const override { return m_clock / 1000; }
    void advanceMs(qint64 ms) { m_clock += ms * 1000; }

    qint64 usPerRound = 0;
    int rounds = 0;
    std::function<void(int)> onRound;

private:
    qint64 m_clock = 1000000;
};

class FakeView : public LinkView {
public:
    void setLinkIndicator(bool open) override { linkLamp = open; }
    void setOnlineControlsEnabled(bool enabled) override { controlsEnabled = enabled; }
    void showSerialNumber(const QByteArray& serial) override { serialLabel = serial; }
    void showMeterValue(float value) override { meter.append(value); }
    void addChartPoint(float distance) override { chart.append(distance); }
    void setNearFlash(bool flashing) override { nearFlash.append(flashing); }
    void setFarFlash(bool flashing) override { farFlash.append(flashing); }
    void showTemperature(const QByteArray& text) override { temperature = text; }
    void refreshMainDisplay(const MainDisplayModel&) override { ++refreshes; }
    void showLinkFailure(const QString& description) override { failures.append(description); }
    void showUnreadPrograms(const QList<int>& programs) override {
        unread = programs;
        ++unreadShown;
    }

    bool linkLamp = false, controlsEnabled = false;
    QByteArray serialLabel, temperature;
    QList<float> meter, chart;
    QList<bool> nearFlash, farFlash;
    int refreshes = 0;
    QStringList failures;
    QList<int> unread;   // the programs last shown as not read
    int unreadShown = 0; // how often that was shown
};

// Runs the link's own steps by hand, for tests and the fuzzer that drive it on a clock of their
// own, and sets the request, counters and flags a test starts from.
class LinkProbe {
public:
    explicit LinkProbe(UnitLink& link) : m_link(link) {}
    bool openUnitLink() { return m_link.openUnitLink(); }
    void pollTick() { m_link.pollTick(); }
    void recordLineCheck() { m_link.recordLineCheck(); }
    void onReceive() { m_link.onReceive(); }
    // Makes `request` the one outstanding and sends it, as the link's own steps do.
    void send(LinkRequest request) {
        setLinkRequest(request);
        m_link.sendUnitCommand();
    }
    void setLinkRequest(LinkRequest request) { m_link.m_s.linkRequest = request; }
    void setPollRequest(LinkRequest request) { m_link.m_s.pollRequest = request; }
    void setPollTicks(quint16 ticks) { m_link.m_s.pollTicks = ticks; }
    void setBlinkTicks(quint16 ticks) { m_link.m_s.blinkTicks = ticks; }
    void setReloadFlag(bool on) { m_link.m_s.reloadFlag = on; }

private:
    UnitLink& m_link;
};

// A link on /dev/fake wired to fakes, whose unit answers each handshake SYN: with the answers
// of `synAnswers` in turn ("" for none), then with ETB.
struct LinkRig {
    ProgramState state;
    FakeSerialPort port;
    FakeView view;
    FakePrompts prompts;
    FakePump pump;
    UnitLink link{state, port, view, prompts, pump};
    LinkProbe probe{link};
    bool answerHandshake = true;
    QList<QByteArray> synAnswers;
    int syns = 0;      // SYNs answered (or left unanswered) so far
    int answered = -1; // index in `port.written` of the last SYN seen

    LinkRig() {
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
};

// Every field a record reply carries equals the unit's (values travel trimmed). Field 21 is the
// unit-wide value that only program #0's record keeps.
inline bool carriedFieldsEqual(const ProgramRecord& a, const ProgramRecord& b, bool program0) {
    for (const FieldInfo& f : kFieldTable) {
        if (f.field == Field::Spare02 || f.field == Field::Param24 || f.field == Field::Param47 ||
            (!program0 && f.field == Field::Param21))
            continue;
        if (a.trimmed(f.field) != b.trimmed(f.field))
            return false;
    }
    return true;
}

// Processor time this process has used, in seconds.
inline double cpuSeconds() {
    return double(std::clock()) / CLOCKS_PER_SEC;
}

} // namespace vanto::test
