// The protocol engine of the simulated QX unit: command bytes in, reply bytes out. It holds the
// unit's eight programs, the running program, the reload bit and the moving target, and takes
// program transmissions. It knows nothing of terminals or timing of the line, so that tests can
// drive it directly.
#pragma once

#include "target.h"

#include "program/programrecord.h"
#include "program/protocol.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

namespace qxsim {

enum class Model { QX3100, QX3700 };

// Bytes of the unit protocol.
using vanto::kCAN;
using vanto::kCR;
using vanto::kDC1;
using vanto::kDC3;
using vanto::kDC4;
using vanto::kDLE;
using vanto::kEOT;
using vanto::kETB;
using vanto::kRecordCommand;
using vanto::kSTX;
using vanto::kSYN;

// The status byte: kStatusBase plus the bits that are set.
constexpr int kStatusBase = 128;
constexpr int kStatusFar = 2;
constexpr int kStatusNear = 4;
constexpr int kStatusReload = 8;
constexpr int kStatusHighBase = 16; // QX3100 only: the running program's minimum base is 13

// A transmission text that grows beyond this without an EOT is abandoned.
constexpr int kMaxTransmissionBytes = 4096;
// A transmission that pauses this long is abandoned; the next byte is a command again.
constexpr qint64 kTransmissionIdleMs = 1500;

struct UnitSettings {
    vanto::ProgramSet programs;
    Model model = Model::QX3700;
    QByteArray options = "2.16 M";
    QByteArray serial = "A12345";
    int running = 0;
    quint32 seed = 1;
};

// What became of a program transmission.
struct TransmissionResult {
    bool stored = false;
    int program = -1; // the program number the text named; -1 when it named none
    QString reason;   // why it was refused: "checksum", "malformed", "incomplete"
};

class UnitEngine {
public:
    explicit UnitEngine(const UnitSettings& settings);

    // Takes bytes received from the line at `nowMs` (milliseconds since the unit started) and
    // returns the replies, one per command answered, in order. Bytes that are no command are
    // ignored; while a program transmission is being collected, bytes are its text.
    QList<QByteArray> receive(const QByteArray& bytes, qint64 nowMs);

    // The operator selects another program at the unit: it becomes the running program and the
    // reload bit is raised until the unit is next asked for a record.
    void runProgram(int program);

    Target& target() { return m_target; }
    const vanto::ProgramSet& programs() const { return m_programs; }
    int runningProgram() const { return m_running; }
    bool reloadPending() const { return m_reloadPending; }
    bool collectingTransmission() const { return m_collecting; }

    // True for a program record reply (it starts with the command byte echoed).
    static bool isRecordReply(const QByteArray& reply) {
        const auto first = reply.isEmpty() ? 0u : static_cast<unsigned char>(reply[0]);
        return first >= kRecordCommand && first < kRecordCommand + vanto::kProgramCount;
    }

    // The status byte the unit reports when it measures `distance`.
    int statusByte(double distance) const;
    // The analog output 0..255 for `distance`: its place within the running program's range.
    int analogOutput(double distance) const;

    // Called for every command byte taken (for the verbose log).
    std::function<void(unsigned char)> onCommand;
    // Called when a program transmission has been stored or refused.
    std::function<void(const TransmissionResult&)> onTransmission;

private:
    QByteArray answer(unsigned char command, qint64 nowMs);
    QByteArray pollReply(char command, qint64 nowMs);
    QByteArray recordReply(unsigned char command);
    void collect(char byte, qint64 nowMs);
    void finishTransmission();
    void abandonTransmission();
    const vanto::ProgramRecord& running() const { return m_programs[m_running]; }

    vanto::ProgramSet m_programs;
    Model m_model;
    QByteArray m_options;
    QByteArray m_serial;
    int m_running;
    Target m_target;

    bool m_reloadPending = false;   // the running program changed; the host has not read it
    bool m_reloadSignalled = false; // a poll reply carried the reload bit since

    bool m_collecting = false;
    QByteArray m_transmission;
    qint64 m_lastByteMs = 0;
};

} // namespace qxsim
