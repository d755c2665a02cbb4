// Program and unit state shared by the link, the windows and the files for the whole run.
#pragma once

#include "programrecord.h"

#include <QByteArray>
#include <QString>

namespace vanto {

struct ProgramState {
    ProgramSet programs;
    int CurrentProgram = 0;        // the program the unit runs; the one the live display shows
    int TransmitProgram = 0;       // the program a transmission or a transmit file takes
    QByteArray TransmitText;       // the transmission text last built
    bool TransmitFileMode = false; // on only while the text for a transmit file is built
    QByteArray UnitOptions;        // the unit's option and version text
    QByteArray UnitSerial;         // the unit's serial number, 6 characters at most
    QString ModelName;             // "QX3100" or "QX3700"
    int ServiceFlag = 0;           // 99 when started with "/QV"
    QString ProgramFileName;       // the last program file chosen, without directory
    QString ProgramFilePath;       // the same file with its directory
};

} // namespace vanto
