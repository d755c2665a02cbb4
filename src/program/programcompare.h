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
    // only) and program #0's unit clock are left out.
    bool unitAgainstFile = false;
};

// Whether two stored field texts hold the same value: equal once the trailing blanks that pad
// them to the field's width are cut.
bool FieldTextsEqual(const QByteArray& a, const QByteArray& b);

// Whether `field` of `program` takes part in a comparison with these options.
bool FieldCompared(int program, Field field, const CompareOptions& options);

// Every differing field, program by program in field order; `onlyProgram` 0..7 limits it to one.
QList<ProgramDifference> ComparePrograms(const ProgramSet& left, const ProgramSet& right,
                                         const CompareOptions& options = {}, int onlyProgram = -1);

// The programs (0..7, ascending) that differ at all.
QList<int> DifferingPrograms(const QList<ProgramDifference>& differences);

// The field's value as the operator reads it, in the program's own display units, such as
// "33 cm", "68.0 °F", "0.4 ms", "Metric"; a field without a unit shows its text.
QString FieldShownText(const ProgramRecord& record, Field field);

// A readable name for the field: "Base", "Near Relay", "Offset %", "Sample Interval".
QString FieldLabel(Field field);

} // namespace vanto
