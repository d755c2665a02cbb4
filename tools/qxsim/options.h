// The command line of qxsim and the commands it takes on standard input.
#pragma once

#include "faults.h"
#include "unitengine.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace qxsim {

extern const char kUsage[];

struct SimOptions {
    QString programsFile; // empty: the demo programs
    Model model = Model::QX3700;
    std::optional<QByteArray> options; // unset: the model's default
    QByteArray serial = "A12345";
    int running = 0;
    QString link;         // symlink to the device, when set
    int networkPort = -1; // serve the line on this TCP port (0: any free one) instead of a pty
    bool rfc2217 = false; // ... as an RFC 2217 (Telnet) device server rather than raw

    bool pace = false;      // one byte per wire time at 19200 baud
    int chunk = 0;          // write replies in pieces of this many bytes (0: whole)
    int chunkGapMs = 5;     // pause between the pieces of one reply
    double recordDelay = 0; // seconds a record reply starts late
    FaultSettings faults;
    double silentAfter = -1; // seconds; negative: never
    double hangupAfter = -1; // seconds; negative: never
    double replug = -1;      // seconds after a hang-up until a new device; negative: exit instead
    bool exitOnClose = false;
    std::optional<quint32> seed;
    bool verbose = false;
    bool help = false;
    bool version = false;
};

// The option and version text a unit of this model reports when none is given. The host tells
// the model from it (a first digit below 2 means a QX3100).
QByteArray defaultOptionsText(Model model);

// Parses the arguments after the program name. On a bad command line returns nullopt and sets
// `error` to one line naming the option and the reason.
std::optional<SimOptions> parseOptions(const QStringList& arguments, QString* error);

// A command read from standard input.
struct StdinCommand {
    enum Kind { Run, Distance, DistanceAuto, Silence, Hangup, Quit, Dump } kind = Quit;
    int program = 0;  // Run
    double value = 0; // Distance: inches; Silence: seconds
    QString path;     // Dump
};

// Parses one line of standard input. Returns nullopt for a blank line (error empty) or a bad
// one (error set).
std::optional<StdinCommand> parseStdinCommand(const QString& line, QString* error);

} // namespace qxsim
