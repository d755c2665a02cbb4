// The eight programs as JSON: every field by name, its stored text with trailing blanks cut.
// Reading the JSON back gives the same program set byte for byte.
#pragma once

#include "program/programrecord.h"

#include <QByteArray>
#include <QString>

namespace qxtool {

QByteArray programsToJson(const vanto::ProgramSet& programs);

// Reads JSON written by programsToJson: every program gives all 47 fields, no key is given twice,
// and no field holds a byte a program transmission cannot carry. Returns "" on success, otherwise
// the reason naming the program and field (missing or unknown field, duplicate key, value wider
// than its field, control byte, not 8 programs, ...); `programs` is only written on success.
QString programsFromJson(const QByteArray& json, vanto::ProgramSet* programs);

} // namespace qxtool
