#include "webpageprocess.h"

#include "platform/prompts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSettings>
#include <QWidget>

#include <cstdio>

#ifdef Q_OS_LINUX
#include <sys/prctl.h>

#include <csignal>
#endif

namespace vanto {

namespace {

constexpr int kErrorTailBytes = 2048;
constexpr int kEndWaitMs = 1000;

QString setting(const char* key, const char* fallback) {
    QSettings settings;
    const QString value =
        settings.value(QStringLiteral("Settings/%1").arg(QLatin1String(key))).toString();
    return value.isEmpty() ? QString::fromLatin1(fallback) : value;
}

// The last line the program wrote on stderr, as the reason of a failure, without the web
// engine's "[pid:thread:time:ERROR:file(line)] " prefix.
QString lastLine(const QByteArray& text) {
    const QList<QByteArray> lines = text.trimmed().split('\n');
    QByteArray line = lines.isEmpty() ? QByteArray() : lines.last().trimmed();
    const qsizetype prefixEnd = line.startsWith('[') ? line.indexOf("] ") : -1;
    if (prefixEnd > 0)
        line = line.mid(prefixEnd + 2);
    return QString::fromLocal8Bit(line);
}

} // namespace

QString webHomeAddress() {
    return setting("WebHome", "https://www.spoolex.example/");
}

QString webSearchAddress() {
    return setting("WebSearch", "https://www.spoolex.example/search");
}

QStringList webPageArguments(const QString& startAddress, const QString& home,
                             const QString& search, quintptr transientFor) {
    QStringList args{QStringLiteral("--home"), home, QStringLiteral("--search"), search};
    if (transientFor != 0)
        args << QStringLiteral("--transient-for") << QString::number(transientFor);
    // After "--" an address that begins with "-" is still an address.
    if (!startAddress.isEmpty())
        args << QStringLiteral("--") << startAddress;
    return args;
}

WebPageProcess::WebPageProcess(QWidget* owner, Prompts& prompts, const QString& program,
                               QObject* parent)
    : QObject(parent), m_owner(owner), m_prompts(prompts), m_program(program) {
    m_process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
#ifdef Q_OS_LINUX
    // The window never outlives VANTO, however VANTO ends.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
    connect(&m_process, &QProcess::errorOccurred, this, &WebPageProcess::onError);
    connect(&m_process, &QProcess::finished, this, &WebPageProcess::onFinished);
    connect(&m_process, &QProcess::readyReadStandardError, this, &WebPageProcess::onStandardError);
}

WebPageProcess::~WebPageProcess() {
    // The owner may be half destroyed by now: end the window without touching it.
    m_process.disconnect(this);
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(kEndWaitMs)) {
        m_process.kill();
        m_process.waitForFinished(kEndWaitMs);
    }
}

QString WebPageProcess::defaultProgram() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("vanto-web"));
}

bool WebPageProcess::open(const QString& startAddress) {
    if (isRunning())
        return true;
    const QFileInfo info(m_program);
    if (!info.exists()) {
        fail(QStringLiteral("%1 is missing.").arg(QDir::toNativeSeparators(m_program)));
        return false;
    }
    if (!info.isFile() || !info.isExecutable()) {
        fail(QStringLiteral("%1 is not an executable program.")
                 .arg(QDir::toNativeSeparators(m_program)));
        return false;
    }
    // Stays above the main window where the window system lets another program say so.
    quintptr transientFor = 0;
    if (m_owner && QGuiApplication::platformName() == QLatin1String("xcb"))
        transientFor = quintptr(m_owner->window()->winId());
    m_errorTail.clear();
    m_closing = false;
    if (m_owner)
        m_owner->setEnabled(false);
    m_process.start(m_program, webPageArguments(startAddress, webHomeAddress(), webSearchAddress(),
                                                transientFor));
    // A start that failed at once has been reported, and the owner enabled, by onError; a later
    // failure to start is reported the same way when it is known.
    return m_process.state() != QProcess::NotRunning;
}

void WebPageProcess::close() {
    if (!isRunning())
        return;
    m_closing = true;
    m_process.terminate();
    if (!m_process.waitForFinished(kEndWaitMs)) {
        m_process.kill();
        m_process.waitForFinished(kEndWaitMs);
    }
}

void WebPageProcess::onError(QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart)
        return; // a crash is reported when the process has finished
    release();
    fail(QStringLiteral("%1: %2.").arg(QDir::toNativeSeparators(m_program),
                                       m_process.errorString()));
    emit finished();
}

void WebPageProcess::onFinished(int exitCode, QProcess::ExitStatus status) {
    onStandardError();
    release();
    if (!m_closing && (status == QProcess::CrashExit || exitCode != 0)) {
        QString reason = lastLine(m_errorTail);
        if (reason.isEmpty())
            reason = status == QProcess::CrashExit ? QStringLiteral("the program crashed")
                                                   : QStringLiteral("exit code %1").arg(exitCode);
        m_prompts.message(QStringLiteral("The web page window ended unexpectedly: %1").arg(reason),
                          QStringLiteral("ERROR"), MessageIcon::Warning);
    }
    m_closing = false;
    emit finished();
}

void WebPageProcess::onStandardError() {
    const QByteArray chunk = m_process.readAllStandardError();
    if (chunk.isEmpty())
        return;
    // Still shown where the operator's own stderr goes.
    std::fwrite(chunk.constData(), 1, size_t(chunk.size()), stderr);
    m_errorTail = (m_errorTail + chunk).right(kErrorTailBytes);
}

void WebPageProcess::release() {
    if (!m_owner)
        return;
    m_owner->setEnabled(true);
    m_owner->activateWindow();
}

void WebPageProcess::fail(const QString& reason) {
    m_prompts.message(QStringLiteral("The web page window could not be opened: %1").arg(reason),
                      QStringLiteral("ERROR"), MessageIcon::Warning);
}

} // namespace vanto
