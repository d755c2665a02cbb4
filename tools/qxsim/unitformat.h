// The unit's own side of the two long messages: the program record it sends for command byte
// 120 + k, and the program transmission it takes after DC1. Written for the simulator alone, from
// the message formats, so that a misreading of a format in the host cannot hide behind the same
// misreading here: the host and the simulator meet only on the line.
#pragma once

#include "program/programrecord.h"

#include <QByteArray>
#include <QList>

#include <optional>

namespace qxsim {

// What a unit sends besides its programs.
struct UnitIdentity {
    int running = 0;    // the program the unit runs
    QByteArray options; // option and version text, e.g. "2.16 M"
    QByteArray serial;  // serial number, e.g. "A12345"
};

// The record of program `program`: `lead` (two bytes the host skips), the running program, the
// 46 values of the program in the unit's order (field 21 from program #0), each ended by CR, the
// byte sum of all that after the lead, CR, and EOT. Values go out without their padding; in
// linear mode the offset goes out in counts of Range / Conversion.
QByteArray unitRecordReply(const vanto::ProgramSet& programs, int program, const UnitIdentity& unit,
                           const QByteArray& lead);

// A program transmission as the unit reads it: 49 lines ended by CR, then EOT.
struct UnitTransmission {
    int program = -1;        // line 1, when it is 0 to 7
    QList<QByteArray> lines; // the 49 line texts without CR
    bool checksumOk = false; // line 49 is the byte sum of the text before it
};

// nullopt when the text is not 49 CR-ended lines followed by EOT with a program number 0 to 7.
std::optional<UnitTransmission> readUnitTransmission(const QByteArray& text);

// Stores a transmission into `programs` as the unit does: the values into program
// `t.program`, line 18 into program #0's unit-wide field, characters 6 to 8 of ModeFlags from
// lines 23 to 25; a linear-mode offset arrives in counts and is kept as a whole percent.
void storeUnitTransmission(const UnitTransmission& t, vanto::ProgramSet& programs);

// The offset a unit sends for `record`: in linear mode OffsetPercent in counts of
// Range / Conversion (0 when Conversion is 0), otherwise the field as it stands.
QByteArray unitOffsetOut(const vanto::ProgramRecord& record);

} // namespace qxsim
