// The unit's program record reply (the answer to command byte 120 + program): two leading bytes,
// then 48 CR-terminated fields numbered 0 to 47, then EOT. Its layout, and its reading: checked,
// then stored into the program set. The host only reads such replies; the simulator builds them
// with its own code.
#pragma once

#include "programstate.h"

#include <QByteArray>
#include <QList>

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

// A record reply taken apart: two leading bytes, then CR-terminated fields 0 to 47.
struct RecordReply {
    QList<QByteArray> fields; // up to 385 fields from byte 3
    qint32 checksum = 0;      // sum of the bytes of fields 0 to 46 with their CRs
    bool complete = false;    // 47 CRs after the leading bytes and a numeric field 47
    qint64 sentChecksum = 0;  // field 47
    int runningProgram = -1;  // field 0 when it reads as a program number 0 to 7, else -1
    // Exactly 48 fields, EOT right after the 48th CR, and no field holds a byte below 32 (a
    // control byte or NUL, as a framing error on the line leaves them): a byte sum cannot see a
    // NUL, so such a record is damaged whatever its checksum says.
    bool clean = false;

    bool wellFormed() const { return complete && clean && runningProgram >= 0; }
    bool checksumOk() const { return sentChecksum == checksum; }
};

RecordReply parseRecordReply(const QByteArray& reply);

// Stores fields 1 to 46 of `reply` into program `program` of `state` (field 18 into program
// #0), unitOptions and unitSerial, and converts a linear-mode offset from counts back to percent.
// Returns false, changing nothing, when the offset conversion would divide by zero.
bool storeRecordReply(const RecordReply& reply, int program, ProgramState& state);

} // namespace vanto
