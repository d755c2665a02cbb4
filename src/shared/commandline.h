// vanto's command line: "/QV" (any letter case), --device PATH, --connect, --settings FILE,
// --help and --version. Parsed before any window exists, so that --help and --version work
// without a display.
#pragma once

#include <QString>
#include <QStringList>

namespace vanto {

struct VantoCommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    QString error;        // Error: one line naming the option and what is wrong
    int serviceFlag = 0;  // 99 with "/QV" among the first ten arguments
    QString device;       // --device PATH
    bool connect = false; // --connect
    QString settingsFile; // --settings FILE
};

// The text --help prints.
extern const char kVantoUsage[];

// Parses the arguments after the program name. Qt's own options (-platform, -style ...) are
// accepted and left to Qt; other arguments that are not options are ignored.
VantoCommandLine parseVantoCommandLine(const QStringList& arguments);

} // namespace vanto
