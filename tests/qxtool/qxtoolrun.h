// qxtool run as a process by the tests: exit code, standard output and standard error.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace vanto::test {

struct QxtoolRun {
    int exitCode = -1; // -1: did not finish within a minute
    QByteArray out;
    QByteArray err;
};

inline QxtoolRun runQxtool(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(QXTOOL_PATH), args);
    QxtoolRun r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// The last line of stderr, the one a failure explains itself in.
inline QString lastLine(const QByteArray& err) {
    return QString::fromUtf8(err.trimmed().split('\n').last());
}

} // namespace vanto::test
