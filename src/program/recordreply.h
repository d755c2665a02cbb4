// Layout of the unit's program record reply (the answer to command byte 120 + program): two
// leading bytes, then 48 CR-terminated fields numbered 0 to 47, then EOT.
#pragma once

#include "programrecord.h"

#include <QByteArray>

#include <array>

namespace vanto {

struct RecordReplyField {
    enum Kind {
        RunningProgram, // field 0: the program the unit is running
        ProgramField,   // a field of the program requested
        Program0Field,  // a unit-wide field kept in program #0's record
        Options,        // the unit's option and version text
        Serial,         // the unit's serial number
        Checksum,       // field 47
    } kind;
    Field field; // ProgramField, Program0Field
};

constexpr int kRecordReplyFields = 48;
constexpr int kRecordReplyLeadBytes = 2;
constexpr int kSerialWidth = 6;
extern const std::array<RecordReplyField, kRecordReplyFields> kRecordReplyLayout;

// What a unit sends besides its programs.
struct UnitIdentity {
    int runningProgram = 0;
    QByteArray options; // option and version text, e.g. "2.16 M"
    QByteArray serial;  // serial number, e.g. "A12345"
};

// The record reply a unit sends for program `program`: the two leading bytes `lead`, fields 0 to
// 46 each ended by CR, the checksum (sum of the bytes of fields 0 to 46 with their CRs) and CR,
// then EOT. Field values are sent trimmed; in linear mode OffsetPercent is sent in counts.
QByteArray BuildRecordReply(const ProgramSet& programs, int program, const UnitIdentity& unit,
                            const QByteArray& lead);

} // namespace vanto
