#include "simulator.h"

#include "program/programfile.h"
#include "shared/atomicfile.h"
#include "shared/numtext.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#if defined(Q_OS_LINUX)
#include <sys/signalfd.h>
#endif
#include <sys/stat.h>
#include <unistd.h>

namespace qxsim {

namespace {

QString errnoText() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

QString commandName(unsigned char byte) {
    switch (char(byte)) {
    case kSTX:
        return QStringLiteral("STX");
    case kDLE:
        return QStringLiteral("DLE");
    case kDC1:
        return QStringLiteral("DC1");
    case kDC3:
        return QStringLiteral("DC3");
    case kDC4:
        return QStringLiteral("DC4");
    case kSYN:
        return QStringLiteral("SYN");
    case kCAN:
        return QStringLiteral("CAN");
    default:
        if (byte >= kRecordCommand && byte < kRecordCommand + vanto::kProgramCount)
            return QStringLiteral("record %1").arg(byte - kRecordCommand);
        return QStringLiteral("byte %1 (ignored)").arg(byte);
    }
}

} // namespace

Simulator::Simulator(const SimOptions& options, const UnitSettings& unit, QObject* parent)
    : QObject(parent), m_options(options), m_engine(unit),
      m_faults(options.faults, unit.seed ^ 0x5bd1e995u),
      m_output([this](const QByteArray& bytes) { writeToLine(bytes); }, options.pace, options.chunk,
               options.chunkGapMs) {
    m_engine.onCommand = [this](unsigned char byte) {
        if (m_options.verbose)
            log(QStringLiteral("rx %1").arg(commandName(byte)));
    };
    m_engine.onTransmission = [this](const TransmissionResult& r) {
        if (r.stored)
            print(QStringLiteral("stored %1").arg(r.program));
        else if (r.program >= 0)
            print(QStringLiteral("rejected %1 %2").arg(r.program).arg(r.reason));
        else
            print(QStringLiteral("rejected %1").arg(r.reason));
    };
    if (options.networkPort >= 0) {
        m_net = std::make_unique<NetworkLine>(options.rfc2217);
        m_net->onData = [this](const QByteArray& bytes) { serve(bytes); };
        m_net->onHostConnected = [this]() {
            m_output.clear(); // what was still going to the host before belongs to no one
            m_peerSeen = false;
            if (m_options.verbose)
                log(QStringLiteral("host connected"));
        };
        m_net->onHostClosed = [this]() {
            m_output.clear();
            if (m_options.verbose)
                log(QStringLiteral("host closed the connection"));
            if (m_options.exitOnClose && m_peerSeen)
                peerClosed();
        };
        m_net->onLine = [this](const vanto::LineSettings& line) {
            if (m_options.verbose)
                log(QStringLiteral("line %1").arg(line.text()));
        };
    }
}

Simulator::~Simulator() {
    removeLink();
}

QString Simulator::start() {
    m_clock.start();
    const QString error = openDevice();
    if (!error.isEmpty())
        return error;
    if (::fcntl(STDIN_FILENO, F_GETFD) != -1) {
        m_stdinNotifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
        connect(m_stdinNotifier, &QSocketNotifier::activated, this, &Simulator::readStdin);
    }
    if (m_options.hangupAfter >= 0)
        QTimer::singleShot(qint64(m_options.hangupAfter * 1000), this, &Simulator::hangUp);
    return QString();
}

void Simulator::watchSignals(int fd) {
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this, fd]() {
#if defined(Q_OS_LINUX)
        signalfd_siginfo info = {};
        if (::read(fd, &info, sizeof info) == sizeof info && m_options.verbose)
            log(QStringLiteral("signal %1").arg(info.ssi_signo));
#endif
        finish(0);
    });
}

QString Simulator::openDevice() {
    if (m_net) {
        // After a replug the host finds the unit again where it was.
        const QString error =
            m_net->listen(m_net->port() ? m_net->port() : quint16(m_options.networkPort));
        if (!error.isEmpty())
            return error;
        m_peerSeen = false;
        print(QStringLiteral("device: %1").arg(m_net->address()));
        return QString();
    }
    const QString error = m_pty.open();
    if (!error.isEmpty())
        return error;
    const QString linkError = makeLink();
    if (!linkError.isEmpty()) {
        m_pty.close();
        return linkError;
    }
    m_peerSeen = false;
    m_lineNotifier = new QSocketNotifier(m_pty.master(), QSocketNotifier::Read, this);
    connect(m_lineNotifier, &QSocketNotifier::activated, this, &Simulator::readLine);
    print(QStringLiteral("device: %1").arg(m_pty.path()));
    return QString();
}

void Simulator::dropNotifier(QSocketNotifier*& notifier) {
    if (!notifier)
        return;
    // It may be the one whose signal is being handled: disable it now, delete it later.
    notifier->setEnabled(false);
    notifier->deleteLater();
    notifier = nullptr;
}

void Simulator::closeDevice() {
    dropNotifier(m_lineNotifier);
    m_output.clear();
    removeLink();
    m_pty.close();
    if (m_net)
        m_net->close();
}

bool Simulator::silent() const {
    const qint64 now = nowMs();
    if (m_options.silentAfter >= 0 && now >= qint64(m_options.silentAfter * 1000))
        return true;
    return m_silentUntilMs >= 0 && now < m_silentUntilMs;
}

void Simulator::readLine() {
    QByteArray received;
    bool closed = false;
    char buffer[4096];
    while (m_pty.isOpen()) {
        const ssize_t n = ::read(m_pty.master(), buffer, sizeof buffer);
        if (n > 0) {
            received.append(buffer, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // EIO (or end of file): no process holds the device any more. While the simulator
        // holds the slave itself this cannot happen.
        closed = !(n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK));
        break;
    }
    serve(received);
    if (closed)
        peerClosed();
}

void Simulator::serve(const QByteArray& received) {
    if (!received.isEmpty()) {
        if (!m_peerSeen) {
            m_peerSeen = true;
            // From now on a hang-up on the master means the host has closed the device.
            if (m_options.exitOnClose)
                m_pty.releaseSlave();
        }
        if (silent()) {
            if (m_options.verbose)
                log(QStringLiteral("silent: %1 bytes ignored").arg(received.size()));
        } else {
            const QList<QByteArray> replies = m_engine.receive(received, nowMs());
            for (const QByteArray& reply : replies) {
                const QByteArray sent = m_faults.apply(reply);
                if (m_options.verbose)
                    log(sent.isEmpty()
                            ? QStringLiteral("tx reply of %1 bytes lost").arg(reply.size())
                        : sent == reply ? QStringLiteral("tx %1 bytes").arg(reply.size())
                                        : QStringLiteral("tx %1 bytes, damaged").arg(sent.size()));
                // A record can be asked to come late; a stray byte follows a reply on its own,
                // a little after it, as noise on an idle line does.
                const bool record = UnitEngine::isRecordReply(reply);
                m_output.send(sent, record ? qint64(m_options.recordDelay * 1000) : 0);
                const int stray = m_faults.strayAfterReply();
                if (stray >= 0) {
                    if (m_options.verbose)
                        log(QStringLiteral("tx stray byte %1").arg(stray));
                    m_output.send(QByteArray(1, char(stray)), 0, kStrayGapMs);
                }
            }
        }
    }
}

void Simulator::peerClosed() {
    print(QStringLiteral("closed"));
    finish(0);
}

void Simulator::writeToLine(const QByteArray& bytes) {
    if (m_net) {
        m_net->write(bytes);
        return;
    }
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0 && m_pty.isOpen()) {
        const ssize_t n = ::write(m_pty.master(), data, size_t(left));
        if (n > 0) {
            data += n;
            left -= n;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            // Nobody reads the device and its buffer is full: like a serial line that nobody
            // listens to, the bytes are lost.
            if (m_options.verbose)
                log(QStringLiteral("line write failed (%1): %2 bytes lost")
                        .arg(errnoText())
                        .arg(left));
            break;
        }
    }
}

void Simulator::readStdin() {
    char buffer[4096];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (n <= 0) {
        // Standard input ended (or was never there, as for a background job): keep serving.
        dropNotifier(m_stdinNotifier);
        if (!m_stdinBuffer.isEmpty())
            handleCommand(vanto::decodeFileName(m_stdinBuffer));
        m_stdinBuffer.clear();
        return;
    }
    m_stdinBuffer.append(buffer, qsizetype(n));
    qsizetype end = 0;
    while (!m_finished && (end = m_stdinBuffer.indexOf('\n')) >= 0) {
        const QByteArray line = m_stdinBuffer.left(end);
        m_stdinBuffer.remove(0, end + 1);
        handleCommand(vanto::decodeFileName(line));
    }
}

void Simulator::handleCommand(const QString& line) {
    QString error;
    const std::optional<StdinCommand> command = parseStdinCommand(line, &error);
    if (!command) {
        if (!error.isEmpty())
            print(QStringLiteral("error ") + error);
        return;
    }
    switch (command->kind) {
    case StdinCommand::Run:
        m_engine.runProgram(command->program);
        print(QStringLiteral("ok run %1").arg(command->program));
        break;
    case StdinCommand::Distance:
        m_engine.target().pin(command->value);
        print(QStringLiteral("ok distance ") +
              QString::fromLatin1(vanto::formatNumber(command->value, "0.00")));
        break;
    case StdinCommand::DistanceAuto:
        m_engine.target().release();
        print(QStringLiteral("ok distance auto"));
        break;
    case StdinCommand::Silence:
        m_silentUntilMs = nowMs() + qint64(command->value * 1000);
        print(QStringLiteral("ok silence %1").arg(command->value));
        break;
    case StdinCommand::Dump: {
        const QString failure = vanto::writeProgramFile(command->path, m_engine.programs());
        if (failure.isEmpty())
            print(QStringLiteral("ok dump %1").arg(command->path));
        else
            print(QStringLiteral("error dump %1: %2").arg(command->path, failure));
        break;
    }
    case StdinCommand::Hangup:
        if (!lineOpen()) {
            print(QStringLiteral("error no device to hang up"));
            break;
        }
        print(QStringLiteral("ok hangup"));
        hangUp();
        break;
    case StdinCommand::Quit:
        print(QStringLiteral("ok quit"));
        finish(0);
        break;
    }
}

void Simulator::hangUp() {
    if (!lineOpen() || m_finished)
        return;
    closeDevice();
    print(QStringLiteral("hangup"));
    if (m_options.replug < 0) {
        finish(0);
        return;
    }
    QTimer::singleShot(qint64(m_options.replug * 1000), this, [this]() {
        if (m_finished || lineOpen())
            return;
        const QString error = openDevice();
        if (!error.isEmpty()) {
            log(error);
            finish(1);
        }
    });
}

void Simulator::finish(int code) {
    if (m_finished)
        return;
    m_finished = true;
    closeDevice();
    dropNotifier(m_stdinNotifier);
    emit finished(code);
}

QString Simulator::makeLink() {
    if (m_options.link.isEmpty())
        return QString();
    const QByteArray link = vanto::encodeFileName(m_options.link);
    struct stat st;
    if (::lstat(link.constData(), &st) == 0 && S_ISLNK(st.st_mode)) {
        ::unlink(link.constData()); // left by an earlier run, or our own before a replug
    } else if (::lstat(link.constData(), &st) == 0) {
        return QStringLiteral("%1: exists and is not a symbolic link").arg(m_options.link);
    }
    if (::symlink(QFile::encodeName(m_pty.path()).constData(), link.constData()) != 0)
        return QStringLiteral("%1: cannot make the link: %2").arg(m_options.link, errnoText());
    return QString();
}

void Simulator::removeLink() {
    if (m_options.link.isEmpty() || m_pty.path().isEmpty())
        return;
    const QByteArray link = vanto::encodeFileName(m_options.link);
    char target[4096];
    const ssize_t n = ::readlink(link.constData(), target, sizeof target - 1);
    // Only our own link: another simulator may have taken the name over since.
    if (n > 0 && QByteArray(target, int(n)) == QFile::encodeName(m_pty.path()))
        ::unlink(link.constData());
}

void Simulator::print(const QString& line) {
    const QByteArray bytes = vanto::encodeFileName(line) + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void Simulator::log(const QString& line) {
    const QByteArray bytes = QByteArrayLiteral("qxsim: ") + line.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace qxsim
