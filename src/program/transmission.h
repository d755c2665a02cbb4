// The transmission text of one program: 49 CR-ended lines and an EOT. The same text, built in
// file mode, is the content of a transmit file (.xmt).
#pragma once

#include "programrecord.h"
#include "protocol.h"

#include <QByteArray>
#include <QList>
#include <QString>

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
QByteArray offsetLine(const ProgramRecord& record);

// Sum of the byte values (0..255) of `text`, as a 32-bit signed integer.
qint32 byteSum(const QByteArray& text);

// True when `byte` can stand inside a value of the transmission text. No control byte can: CR
// ends a line, EOT ends the text, DC1 is the unit's go-ahead, and the others (NUL, line feed,
// DEL, ...) are what a damaged line produces, so no unit takes them as part of a value. Bytes
// 128 to 255 are characters of the code page and travel as they are. The editor's fields, the
// transmission builder and qxtool's import all judge field bytes by this one rule.
bool transmittableByte(unsigned char byte);

// A value the transmission text would carry that holds a byte the text cannot carry.
struct TransmissionRefusal {
    int program = 0;            // whose value: program #0 for the unit-wide value of line 18
    Field field = Field::Units; // the field holding it, unless `serial`
    bool serial = false;        // the unit's serial number (line 48)
    unsigned char byte = 0;     // the first byte that cannot be carried

    // One sentence naming the program, the field and the byte.
    QString message() const;
};

// Words for a byte that cannot be carried: "a carriage return (byte 13)", "byte 0 (NUL)", ...
QString describeByte(unsigned char byte);

// The first value of program `program`'s transmission text that holds a byte the text cannot
// carry, or nullopt when the program can be transmitted.
std::optional<TransmissionRefusal> checkTransmission(const ProgramSet& programs, int program,
                                                     const TransmitContext& context);

// The whole transmission text of program `program` of `programs`: exactly 49 CR-ended lines and
// one EOT. A program that checkTransmission refuses gives an empty text: nothing malformed can
// be built.
QByteArray buildTransmissionText(const ProgramSet& programs, int program,
                                 const TransmitContext& context);

// A carried value that the unit holds differently from what was sent.
struct CarriedDifference {
    QString name; // the field, or "ModeFlags[n]" for one mode character
    QByteArray sent;
    QByteArray readBack;
};

// The values the text of `program` carries that differ between `sent` and `readBack`, compared
// line by line as the unit receives them (the program number, service value, serial number and
// checksum lines are not values of the program and are not compared).
QList<CarriedDifference> carriedDifferences(const ProgramSet& sent, const ProgramSet& readBack,
                                            int program);

} // namespace vanto
