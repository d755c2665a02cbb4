// The program record a unit sends for command byte 120 + program: checked, stored into the
// program set, and the fetch of the following programs or the return to polling.
#pragma once

#include "program/programstate.h"

#include <QByteArray>
#include <QList>

namespace vanto {

class UnitLink;
enum class RecordOutcome;

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

// The receive handling's step for requests 1 (fetchAll) and 8, on the link's rxBuffer.
RecordOutcome decodeOnlineRecord(UnitLink& link, bool fetchAll);

} // namespace vanto
