// The check after a transmission: which transmitted values the unit does not hold as sent.
#pragma once

#include "program/programrecord.h"
#include "program/transmission.h"

#include <QByteArray>
#include <QList>

namespace qxtool {

struct FieldDifference {
    QString name; // the field, or "ModeFlags[n]" for one mode character
    QByteArray sent;
    QByteArray readBack;
};

// Compares the values the transmission text of `program` carries in `sent` and in `readBack`,
// line by line as the unit receives them (the program number, service value, serial number and
// checksum lines are not values of the program and are not compared).
QList<FieldDifference> TransmittedDifferences(const vanto::ProgramSet& sent,
                                              const vanto::ProgramSet& readBack, int program,
                                              const vanto::TransmitContext& context);

} // namespace qxtool
