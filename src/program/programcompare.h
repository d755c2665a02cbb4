// Comparing two sets of programs field by field, and showing a field's value as the operator
// reads it (lengths in inches or centimetres, the temperature in degrees, the sample interval
// in milliseconds). The Program Utility's compare view, the program report and `qxtool diff`
// use the same rule: the blanks that pad a field to its width are no difference.
#pragma once

#include "programrecord.h"

#include <QList>
#include <QString>

namespace vanto {

struct ProgramDifference {
    int program = 0;
    Field field = Field::Units;
    QByteArray left; // stored texts, padding cut
    QByteArray right;
    QString leftShown; // in the display units of each side's own program
    QString rightShown;
};

struct CompareOptions {
    // Comparing a unit's programs with a file's: fields the unit never holds (kept in the file
    // only) and Param21, the unit's own value (its clock, kept in program #0 only), are left out.
    bool unitAgainstFile = false;
};

// Whether two stored texts of `field` hold the same value as the readers of the field read it:
// the blanks around a value are no difference (" 0", as a file keeps it, equals "0", as a unit
// sends it), except in ModeFlags, which is read character by character, where only the
// trailing padding is none.
bool fieldTextsEqual(Field field, const QByteArray& a, const QByteArray& b);

// Whether `field` of `program` takes part in a comparison with these options.
bool fieldCompared(int program, Field field, const CompareOptions& options);

// Every differing field, program by program in field order; `onlyProgram` 0..7 limits it to one.
QList<ProgramDifference> comparePrograms(const ProgramSet& left, const ProgramSet& right,
                                         const CompareOptions& options = {}, int onlyProgram = -1);

// The programs (0..7, ascending) that differ at all.
QList<int> differingPrograms(const QList<ProgramDifference>& differences);

// The field's value as the operator reads it, in the program's own display units, such as
// "33 cm", "68.0 °F", "0.4 ms", "Metric"; a field without a unit shows its text.
QString fieldShownText(const ProgramRecord& record, Field field);

// A readable name for the field: "Base", "Near Relay", "Offset %", "Sample Interval".
QString fieldLabel(Field field);

} // namespace vanto
