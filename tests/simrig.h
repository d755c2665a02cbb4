// The rig of the tests that run the programs as processes: the unit simulator on a fresh
// pseudo-terminal (or network port), commands on its standard input; qxtool and qxsim runs with
// their exit code and outputs.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>

namespace vanto::test {

#ifdef QXSIM_PATH
// The simulator as a child process; its device is read from its first line.
class SimProcess {
public:
    // `prepare` adjusts the process before it starts (its environment, limits).
    explicit SimProcess(const QStringList& args = {},
                        const std::function<void(QProcess&)>& prepare = {}) {
        m_process.setProgram(QStringLiteral(QXSIM_PATH));
        m_process.setArguments(args);
        if (prepare)
            prepare(m_process);
        m_process.start();
        m_process.waitForStarted(3000);
        const QString first = line(10000); // a loaded machine starts it slowly
        if (first.startsWith(QLatin1String("device: ")))
            device = first.mid(8);
    }
    ~SimProcess() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Sends a command on standard input and returns the simulator's answer ("ok ..." or
    // "error ..."), skipping the other lines it printed meanwhile.
    QString command(const QString& text) {
        send(text);
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 10000) {
            const QString l = line(10000);
            if (l.startsWith(QLatin1String("ok ")) || l.startsWith(QLatin1String("error ")))
                return l;
        }
        return {};
    }
    // Sends a command without waiting for the answer: an in-process host keeps pumping its
    // events meanwhile instead of standing still while the simulator acts.
    void send(const QString& text) {
        m_process.write(text.toUtf8() + '\n');
        m_process.waitForBytesWritten(1000);
    }
    // The next line of standard output, without the newline; "" after `ms` without one.
    QString line(int ms = 3000) {
        QElapsedTimer t;
        t.start();
        while (!m_process.canReadLine() && t.elapsed() < ms)
            m_process.waitForReadyRead(100);
        return QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }

    QString device; // the pseudo-terminal or address to open; empty when it did not start

private:
    QProcess m_process;
};
#endif

struct ProcessRun {
    int exitCode = -1; // -1: crashed or did not finish in time
    QByteArray out;
    QByteArray err;
    QString errText() const { return QString::fromUtf8(err); }
    // The last line of stderr, the one a failure explains itself in.
    QString lastLine() const { return QString::fromUtf8(err.trimmed().split('\n').last()); }
};

inline ProcessRun runProcess(const QString& program, const QStringList& args,
                             const std::function<void(QProcess&)>& prepare = {},
                             int timeoutMs = 60000) {
    QProcess p;
    if (prepare)
        prepare(p);
    p.start(program, args);
    ProcessRun r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

#ifdef QXTOOL_PATH
inline ProcessRun runQxtool(const QStringList& args,
                            const std::function<void(QProcess&)>& prepare = {}) {
    return runProcess(QStringLiteral(QXTOOL_PATH), args, prepare);
}
#endif

} // namespace vanto::test
