// The program report: the eight programs of a set in the units the operator reads them, with
// the unit's model, serial and version numbers, the date and the file name, as one HTML page
// (a compact table, a column per program). The window prints it or makes a PDF of it; `qxtool
// report` writes it as HTML or PDF.
#pragma once

#include "programrecord.h"

#include <QDateTime>
#include <QString>

namespace vanto {

struct ReportHeading {
    QString fileName; // the program file, or empty for the unit's own programs
    QString model;    // "QX3700"; empty when not known (a file read without a unit)
    QString serial;
    QString version;        // the unit's option and version text
    QDateTime date;         // when the report was made
    int activeProgram = -1; // the program the unit runs, marked; -1 when not known
};

QString programReportHtml(const ProgramSet& programs, const ReportHeading& heading);

} // namespace vanto
