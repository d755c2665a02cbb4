// The web page window runs in a program of its own, vanto-web, started on demand by the "On-Line
// Spoolex" menu item. The main program thus loads no web engine and no OpenGL, and a slow page
// never holds up its event loop. While the window is open the main window is disabled (the
// modality a separate program can have), and it is enabled again when the window ends.
#pragma once

#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QString>
#include <QStringList>

class QWidget;

namespace vanto {

class Prompts;

// The maker's web site address: "Settings/WebHome" in the settings store, else the default.
QString webHomeAddress();
// The search page: "Settings/WebSearch", else the default.
QString webSearchAddress();

// The command line of vanto-web: the starting address (none: no page is loaded), the Home and
// Search pages, and the window it is to stay above (0: none).
QStringList webPageArguments(const QString& startAddress, const QString& home,
                             const QString& search, quintptr transientFor);

class WebPageProcess : public QObject {
    Q_OBJECT
public:
    // `program` is the vanto-web executable; by default the one beside this program.
    WebPageProcess(QWidget* owner, Prompts& prompts, const QString& program = defaultProgram(),
                   QObject* parent = nullptr);
    // Ends a window still open (the main window is going away).
    ~WebPageProcess() override;

    static QString defaultProgram();
    QString program() const { return m_program; }

    // Opens the window on `startAddress` and disables the owner until it ends. A window already
    // open stays the only one. False, after telling the operator why, when it cannot be started.
    bool open(const QString& startAddress);
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    // Ends the window without waiting for the operator.
    void close();

signals:
    // The window has ended (closed by the operator, failed or ended by close()).
    void finished();

private:
    void onError(QProcess::ProcessError error);
    void onFinished(int exitCode, QProcess::ExitStatus status);
    void onStandardError();
    void release();
    void fail(const QString& reason);

    QPointer<QWidget> m_owner;
    Prompts& m_prompts;
    QString m_program;
    QProcess m_process;
    QByteArray m_errorTail; // the end of what the program wrote on stderr
    bool m_closing = false;
};

} // namespace vanto
