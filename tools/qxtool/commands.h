// The qxtool commands. Each returns its exit code, prints its result on stdout and throws
// Failure for anything that stops it.
#pragma once

#include "args.h"

#include "program/programrecord.h"

namespace qxtool {

int cmdShow(const Args& args);
int cmdExport(const Args& args);
int cmdImport(const Args& args);
int cmdDiff(const Args& args);
int cmdXmt(const Args& args);
int cmdDemo(const Args& args); // writes the simulator's default programs

// The unit commands (linkcommands.cpp): they open --device PATH and talk to the unit.
int cmdBackup(const Args& args);
int cmdSend(const Args& args);
int cmdMonitor(const Args& args);

// The program report of a .prg file as HTML or PDF (reportcommand.cpp). It lays text out, so
// main() makes a QGuiApplication (offscreen) for it: reportNeedsGui(arguments without argv[0]).
int cmdReport(const Args& args);
bool reportNeedsGui(const QStringList& arguments);

// Reads a .prg file or throws Failure naming it and the reason.
vanto::ProgramSet loadPrg(const QString& path);
// Writes a file atomically ("-": standard output) or throws Failure naming it and the reason.
void saveFile(const QString& path, const QByteArray& bytes);
// Refuses an output file before anything is read or written: an output of `format` ("prg",
// "xmt", "json" or "csv") whose name carries another of these formats' extensions (a .prg or
// .xmt output must end in exactly that), or that is one of `inputs` under any name.
void checkOutput(const QString& path, const char* format, const QStringList& inputs = {});

} // namespace qxtool
