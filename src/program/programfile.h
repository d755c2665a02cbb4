// The program file (.prg): the eight programs as one 2224-byte image, and the transmit file
// (.xmt): the transmission text of one program. The formats only: the editor's file flows
// (editor/fileflows.h) ask for the names and report.
#pragma once

#include "programstate.h"
#include "transmission.h"

#include <QString>

#include <optional>

namespace vanto {

// True when the file name (without directory) ends in "." + `ext` in any letter case: the one
// rule for program and transmit file names in VANTO and qxtool alike (".prg", ".PRG", ".Prg").
bool hasExtension(const QString& path, const char* ext);

// Reads a .prg file. The whole file is checked before anything is returned: it must be
// exactly 2224 bytes. Returns "" on success, otherwise the reason in words.
QString readProgramFile(const QString& path, ProgramSet* programs);

// Writes the eight programs atomically as exactly 2224 bytes. Returns "" or the reason.
QString writeProgramFile(const QString& path, const ProgramSet& programs);

// Builds the transmission text of transmitProgram into transmitText, in file mode when
// transmitFileMode is on. Writing it to the unit is the link's part. A program the text cannot
// carry leaves transmitText empty and is returned as the refusal.
std::optional<TransmissionRefusal> buildTransmissionText(ProgramState& state);

// The context transmitText is built in: service flag, file mode and serial number of `state`.
TransmitContext transmitContextOf(const ProgramState& state);

} // namespace vanto
