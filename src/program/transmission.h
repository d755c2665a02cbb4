// The transmission text of one program: 49 CR-ended lines and an EOT. The same text, built in
// file mode, is the content of a transmit file (.xmt).
#pragma once

#include "programrecord.h"
#include "protocol.h"

#include <QByteArray>

#include <array>

namespace vanto {

// What one line of the transmission text carries.
struct TransmissionLine {
    enum Kind {
        ProgramNumber, // the program number, "0" to "7"
        FieldText,     // a field of the program, trimmed
        Program0Field, // a field of program #0 (the unit-wide value), trimmed
        Offset,        // OffsetPercent, in counts in linear mode
        ModeChar,      // one character of ModeFlags
        Service,       // "99" or "0"
        Serial,        // the unit's serial number, or "X" in a transmit file
        Checksum,
    } kind;
    Field field;  // FieldText, Program0Field
    int position; // ModeChar: position in ModeFlags
};

constexpr int kTransmissionLines = 49;
extern const std::array<TransmissionLine, kTransmissionLines> kTransmissionLayout;

// What the text depends on beyond the program set.
struct TransmitContext {
    int serviceFlag = 0;   // 99 when started with "/QV"
    bool fileMode = false; // the text is for a transmit file
    QByteArray unitSerial; // the unit's serial number as last read or edited
};

// Line 3: OffsetPercent in counts of Range / Conversion in linear mode, otherwise as stored.
// In linear mode an offset that holds no number counts as 0, and so does any offset when
// Conversion reads 0 (no count can be computed): the line is then "0".
QByteArray OffsetLine(const ProgramRecord& record);

// Sum of the byte values (0..255) of `text`, as a 32-bit signed integer.
qint32 ByteSum(const QByteArray& text);

// The whole transmission text of program `program` of `programs`.
QByteArray BuildTransmissionText(const ProgramSet& programs, int program,
                                 const TransmitContext& context);

} // namespace vanto
