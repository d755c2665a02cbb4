// The eight programs as JSON: every field by name, its stored text with trailing blanks cut.
// Reading the JSON back gives the same program set byte for byte.
#pragma once

#include "program/programrecord.h"

#include <QByteArray>
#include <QString>

namespace qxtool {

QByteArray ProgramsToJson(const vanto::ProgramSet& programs);

// Reads JSON written by ProgramsToJson (fields may be left out: they are blank). Returns "" on
// success, otherwise the reason (unknown field, value wider than its field, not 8 programs, ...);
// `programs` is only written on success.
QString ProgramsFromJson(const QByteArray& json, vanto::ProgramSet* programs);

} // namespace qxtool
