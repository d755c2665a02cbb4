// The simulator process around the protocol engine: the pseudo-terminal, standard input and
// output, signals, pacing and chunking of replies, injected faults, silence and hang-ups.
#pragma once

#include "faults.h"
#include "networkline.h"
#include "options.h"
#include "outputqueue.h"
#include "pseudoterminal.h"
#include "unitengine.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <memory>

namespace qxsim {

// How long after a reply a stray byte follows it.
constexpr qint64 kStrayGapMs = 20;

class Simulator : public QObject {
    Q_OBJECT
public:
    Simulator(const SimOptions& options, const UnitSettings& unit, QObject* parent = nullptr);
    ~Simulator() override;

    // Opens the device, prints its "device:" line and starts serving. Returns "" or the reason.
    QString start();
    // Watches this descriptor (a signalfd) and ends cleanly when it becomes readable.
    void watchSignals(int fd);

signals:
    // The simulator is done; the process should exit with `code`.
    void finished(int code);

private:
    QString openDevice();
    void closeDevice();
    void readLine();
    // Bytes the host sent, from the pseudo-terminal or the network.
    void serve(const QByteArray& received);
    bool lineOpen() const { return m_net ? m_net->isOpen() : m_pty.isOpen(); }
    void readStdin();
    void handleCommand(const QString& line);
    void writeToLine(const QByteArray& bytes);
    void hangUp();
    void peerClosed();
    void finish(int code);
    QString makeLink();
    void removeLink();
    static void dropNotifier(QSocketNotifier*& notifier);
    qint64 nowMs() const { return m_clock.elapsed(); }
    bool silent() const;
    void print(const QString& line);
    void log(const QString& line);

    SimOptions m_options;
    UnitEngine m_engine;
    FaultInjector m_faults;
    Pty m_pty;
    std::unique_ptr<NetworkLine> m_net; // serving on TCP instead of the pseudo-terminal
    QSocketNotifier* m_lineNotifier = nullptr;
    QSocketNotifier* m_stdinNotifier = nullptr;
    OutputQueue m_output;
    QElapsedTimer m_clock;
    qint64 m_silentUntilMs = -1; // from the "silence" command
    bool m_peerSeen = false;     // a host has sent something on this device
    bool m_finished = false;
    QByteArray m_stdinBuffer;
};

} // namespace qxsim
