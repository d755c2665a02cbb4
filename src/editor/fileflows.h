// The editor's file flows: they ask for a file name through the file dialogs, check it, read or
// write the program or transmit file (program/programfile.h) and report through the prompts: a
// refused name gets the beep, a failed read or write a message naming the file and the reason.
#pragma once

#include "program/programstate.h"

#include <QString>

#include <optional>

namespace vanto {

class FileDialogs;
class Prompts;

// The title of the message that refuses a program a transmission cannot carry.
extern const QString kXmitErrorTitle;

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

} // namespace vanto
