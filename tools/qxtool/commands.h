// The qxtool commands. Each returns its exit code, prints its result on stdout and throws
// Failure for anything that stops it.
#pragma once

#include "args.h"

#include "program/programrecord.h"

namespace qxtool {

int CmdShow(const Args& args);
int CmdExport(const Args& args);
int CmdImport(const Args& args);
int CmdDiff(const Args& args);
int CmdXmt(const Args& args);
int CmdDemo(const Args& args); // writes the simulator's default programs

// The unit commands (linkcommands.cpp): they open --device PATH and talk to the unit.
int CmdBackup(const Args& args);
int CmdSend(const Args& args);
int CmdMonitor(const Args& args);

// The program report of a .prg file as HTML or PDF (reportcommand.cpp). It lays text out, so
// main() makes a QGuiApplication (offscreen) for it: ReportNeedsGui(arguments without argv[0]).
int CmdReport(const Args& args);
bool ReportNeedsGui(const QStringList& arguments);

// Reads a .prg file or throws Failure naming it and the reason.
vanto::ProgramSet LoadPrg(const QString& path);
// Writes a file atomically ("-": standard output) or throws Failure naming it and the reason.
void SaveFile(const QString& path, const QByteArray& bytes);
// Refuses an output file before anything is read or written: an output of `format` ("prg",
// "xmt", "json" or "csv") whose name carries another of these formats' extensions (a .prg or
// .xmt output must end in exactly that), or that is one of `inputs` under any name.
void CheckOutput(const QString& path, const char* format, const QStringList& inputs = {});

} // namespace qxtool
