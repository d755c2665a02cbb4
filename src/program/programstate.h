// Program and unit state shared by the link, the windows and the files for the whole run.
#pragma once

#include "programrecord.h"

#include <QByteArray>
#include <QString>

namespace vanto {

struct ProgramState {
    ProgramSet programs;
    int currentProgram = 0;        // the program the unit runs; the one the live display shows
    int transmitProgram = 0;       // the program a transmission or a transmit file takes
    QByteArray transmitText;       // the transmission text last built
    bool transmitFileMode = false; // on only while the text for a transmit file is built
    QByteArray unitOptions;        // the unit's option and version text
    QByteArray unitSerial;         // the unit's serial number, 6 characters at most
    QString modelName;             // "QX3100" or "QX3700"
    int serviceFlag = 0;           // 99 when started with "/QV"
    QString programFileName;       // the last program file chosen, without directory
    QString programFilePath;       // the same file with its directory
};

} // namespace vanto
