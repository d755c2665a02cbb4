// The usage of each qxtool command, as `qxtool help COMMAND` and `qxtool COMMAND --help` print it.
#pragma once

#include <QByteArray>
#include <QString>

namespace qxtool {

// The usage of one command; empty for a name that is no command.
QByteArray commandUsage(const QString& command);

// "-" as an output file name: standard output.
inline bool isStdout(const QString& path) {
    return path == QLatin1String("-");
}

} // namespace qxtool
