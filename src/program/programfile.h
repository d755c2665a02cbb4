// The program file (.prg): the eight programs as one 2224-byte image, and the transmit file
// (.xmt): the transmission text of one program.
#pragma once

#include "programstate.h"
#include "transmission.h"

#include <QString>

#include <optional>

namespace vanto {

class FileDialogs;
class Prompts;

// True when the file name (without directory) ends in "." + `ext` in any letter case: the one
// rule for program and transmit file names in VANTO and qxtool alike (".prg", ".PRG", ".Prg").
bool hasExtension(const QString& path, const char* ext);

// The title of the message that refuses a program a transmission cannot carry.
extern const QString kXmitErrorTitle;

// Reads a .prg file. The whole file is checked before anything is returned: it must be
// exactly 2224 bytes. Returns "" on success, otherwise the reason in words.
QString readProgramFile(const QString& path, ProgramSet* programs);

// Writes the eight programs atomically as exactly 2224 bytes. Returns "" or the reason.
QString writeProgramFile(const QString& path, const ProgramSet& programs);

// Asks for a file name and writes the whole program set. Cancel ends silently; a name not ending
// in "prg" gets the beep; a failed write is reported by a message naming the file and the reason.
// Returns the path written, or nullopt.
std::optional<QString> saveProgramFile(ProgramState& state, FileDialogs& dialogs, Prompts& prompts,
                                       const QString& programDir);

// Asks for a .prg file and reads it into the program set. The set is replaced only when the whole
// file was read and is exactly 2224 bytes; a file of another size gets the beep and changes
// nothing. Returns true when the set was replaced.
bool openProgramFile(ProgramState& state, FileDialogs& dialogs, Prompts& prompts,
                     const QString& programDir);

// Asks for a .xmt file name and writes the file-mode transmission text of transmitProgram.
// A program the transmission cannot carry is refused by a message naming program and field
// before any name is asked for. Returns the path written, or nullopt (refused program,
// cancelled, refused name, failed write).
std::optional<QString> makeTransmitFile(ProgramState& state, FileDialogs& dialogs, Prompts& prompts,
                                        const QString& programDir);

// Builds the transmission text of transmitProgram into transmitText, in file mode when
// transmitFileMode is on. Writing it to the unit is the link's part. A program the text cannot
// carry leaves transmitText empty and is returned as the refusal.
std::optional<TransmissionRefusal> buildTransmissionText(ProgramState& state);

// The context transmitText is built in: service flag, file mode and serial number of `state`.
TransmitContext transmitContextOf(const ProgramState& state);

} // namespace vanto
