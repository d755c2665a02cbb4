// Command-line arguments of qxtool: a command, positional arguments and --options with values.
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace qxtool {

// Exit codes shared by every command.
constexpr int kExitOk = 0;
constexpr int kExitDifference = 1; // diff found differences, or a verification failed
constexpr int kExitBadInput = 2;   // bad usage, unreadable or invalid input, failed write

struct Args {
    QString command;
    QStringList positional;
    QMap<QString, QString> options; // "--program" -> "3", "-o" -> "out.prg"
    // The second and later values of an option that may be given more than once (--device).
    QMap<QString, QStringList> repeated;

    // Every value of an option, in the order given.
    QStringList values(const QString& name) const {
        const std::optional<QString> first = option(name);
        return first ? QStringList{*first} + repeated.value(name) : QStringList();
    }

    std::optional<QString> option(const QString& name) const {
        auto it = options.find(name);
        return it == options.end() ? std::nullopt : std::optional<QString>(*it);
    }
};

// A failure that ends the command: the message goes to stderr as one line, and the exit code
// is returned from main.
struct Failure {
    int exitCode;
    QString message;
};

// Parses argv: options in `valueOptions` take a value ("--program 3" or "--program=3"), those in
// `flags` none; "--" ends the options. Throws Failure on an unknown option or a malformed command
// line.
Args parseArgs(const QStringList& arguments, const QStringList& valueOptions,
               const QStringList& flags);

// Throws Failure when an option not in `allowed`, or a number of positional arguments other than
// `positionals`, was given.
void expectArguments(const Args& args, int positionals, const QStringList& allowed);

// The value of --program as a number 0 to 7; throws Failure otherwise.
int programOption(const Args& args, bool required);

// Prints to stdout (Latin-1 bytes as they are) and flushes; throws Failure naming standard
// output and the reason when the bytes did not all get out (a full disk, a closed stdout).
void writeOutput(const QByteArray& bytes);
// The same without the throw: "" or the reason. For callers inside event handlers.
QString tryOut(const QByteArray& bytes);
// Prints one line to stderr (text as UTF-8, file names with the bytes they were given as).
void printError(const QString& line);

// Called first in main: a standard stream that was closed at start is marked so, and its number
// is taken by /dev/null so that no file opened later can become it.
void guardStandardStreams();

// While set for the calling thread, its printError() lines go to this function instead of stderr
// (one unit's backup in a thread of its own, several at once); nullptr restores stderr.
using ErrSink = std::function<void(const QString& line)>;
void setThreadErrSink(const ErrSink* sink);

} // namespace qxtool
