// backup and monitor over several units at once, all in parallel, each unit served by the
// single-unit command: backup runs it in a thread per unit (one process for all, so that many
// units do not pay for starting as many programs), monitor in a qxtool process per unit (its
// samples arrive as lines). This side names the units, collects the results and prints them.
#pragma once

#include "args.h"

#include <QList>
#include <QString>

namespace qxtool {

struct UnitEntry {
    QString name; // empty: named by its serial number once it is known
    QString device;
};

// The units a line list names: one unit a line, "DEVICE" or "NAME DEVICE"; blank lines and lines
// starting with # are skipped. Throws Failure naming the file and line for a bad one.
QList<UnitEntry> parseUnitList(const QString& text, const QString& fileName);

// A name usable as a file name: letters, digits, '.', '_' and '-' kept, anything else '_'; never
// empty, never starting with '.'.
QString safeUnitName(const QString& name);

// The name of a unit's file in the backup folder: its given name, else its serial number, else
// "unit-N" (N counting from 1); "-2", "-3" ... appended to a name already taken.
QString backupName(const UnitEntry& unit, const QString& serial, int index, QStringList* taken);

// backup and monitor with several --device (or --devices FILE): runs the multi-unit form, sets
// `exitCode` and returns true. Returns false for everything else (the single-unit commands run as
// before). Throws Failure for several --device on any other command.
bool runMultiUnit(const Args& args, int* exitCode);

} // namespace qxtool
