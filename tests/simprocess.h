// The unit simulator as a child process for end-to-end tests: started on a fresh
// pseudo-terminal, its device read from its first line, commands sent on its standard input.
#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <functional>

namespace vanto::test {

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
        const QString line = readLine(3000);
        if (line.startsWith(QLatin1String("device: ")))
            device = line.mid(8);
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
    // "error ..."); the lines it printed meanwhile are kept in `log`.
    QString command(const QString& text) {
        m_process.write(text.toUtf8() + '\n');
        m_process.waitForBytesWritten(1000);
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 5000) {
            const QString line = readLine(5000);
            if (line.startsWith(QLatin1String("ok ")) || line.startsWith(QLatin1String("error ")))
                return line;
            if (!line.isEmpty())
                log.append(line);
        }
        return {};
    }

    QString device;  // the pseudo-terminal to open; empty when the simulator did not start
    QStringList log; // other lines the simulator printed

private:
    QString readLine(int ms) {
        QElapsedTimer t;
        t.start();
        while (!m_process.canReadLine() && t.elapsed() < ms)
            m_process.waitForReadyRead(100);
        return QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
    QProcess m_process;
};

} // namespace vanto::test
