// Layout of the unit's program record reply (the answer to command byte 120 + program): two
// leading bytes, then 48 CR-terminated fields numbered 0 to 47, then EOT. The host only reads
// such replies; the simulator builds them with its own code.
#pragma once

#include "programrecord.h"

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

} // namespace vanto
