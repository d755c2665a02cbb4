#include "args.h"

#include "shared/atomicfile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace qxtool {

Args parseArgs(const QStringList& arguments, const QStringList& valueOptions,
               const QStringList& flags) {
    Args args;
    bool optionsEnded = false; // after "--" every argument is a command or file name
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--") && !optionsEnded) {
            optionsEnded = true;
        } else if (!optionsEnded && a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            QString name = a;
            QString value;
            const qsizetype eq = a.indexOf(QLatin1Char('='));
            if (a.startsWith(QLatin1String("--")) && eq > 0) {
                name = a.left(eq);
                value = a.mid(eq + 1);
            }
            if (!valueOptions.contains(name) && !flags.contains(name))
                throw Failure{kExitBadInput, QStringLiteral("unknown option %1").arg(name)};
            if (eq < 0 && valueOptions.contains(name)) {
                if (i + 1 >= arguments.size())
                    throw Failure{kExitBadInput, QStringLiteral("option %1 needs a value").arg(a)};
                value = arguments[++i];
            }
            if (args.options.contains(name) && name == QLatin1String("--device")) {
                args.repeated[name].append(value); // several units at once
                continue;
            }
            if (args.options.contains(name))
                throw Failure{kExitBadInput, QStringLiteral("option %1 given twice").arg(name)};
            args.options.insert(name, value);
        } else if (args.command.isEmpty()) {
            args.command = a;
        } else {
            args.positional << a;
        }
    }
    return args;
}

void expectArguments(const Args& args, int positionals, const QStringList& allowed) {
    for (auto it = args.options.cbegin(); it != args.options.cend(); ++it) {
        if (!allowed.contains(it.key())) {
            throw Failure{
                kExitBadInput,
                QStringLiteral("%1 does not take the option %2").arg(args.command, it.key())};
        }
    }
    if (args.positional.size() != positionals) {
        throw Failure{kExitBadInput, QStringLiteral("%1 takes %2 file argument%3, %4 given")
                                         .arg(args.command)
                                         .arg(positionals)
                                         .arg(positionals == 1 ? QString() : QStringLiteral("s"))
                                         .arg(args.positional.size())};
    }
}

int programOption(const Args& args, bool required) {
    const std::optional<QString> value = args.option(QStringLiteral("--program"));
    if (!value) {
        if (required)
            throw Failure{kExitBadInput, QStringLiteral("%1 needs --program N").arg(args.command)};
        return -1;
    }
    bool ok = false;
    const int n = value->toInt(&ok);
    if (!ok || n < 0 || n > 7) {
        throw Failure{kExitBadInput,
                      QStringLiteral("--program must be a number 0 to 7, not \"%1\"").arg(*value)};
    }
    return n;
}

namespace {

bool g_stdoutClosed = false;

} // namespace

void guardStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1)
            continue;
        if (fd == STDOUT_FILENO)
            g_stdoutClosed = true;
        const int null = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (null >= 0 && null != fd) {
            ::dup2(null, fd);
            ::close(null);
        }
    }
}

QString tryOut(const QByteArray& bytes) {
    if (g_stdoutClosed)
        return QStringLiteral("standard output: it is closed");
    errno = 0;
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size()) ||
        std::fflush(stdout) != 0) {
        const int error = errno ? errno : EIO;
        std::clearerr(stdout);
        return QStringLiteral("standard output: cannot write: %1").arg(vanto::errorText(error));
    }
    return QString();
}

void writeOutput(const QByteArray& bytes) {
    const QString error = tryOut(bytes);
    if (!error.isEmpty())
        throw Failure{kExitBadInput, error};
}

namespace {
thread_local const ErrSink* t_errSink = nullptr;
} // namespace

void setThreadErrSink(const ErrSink* sink) {
    t_errSink = sink;
}

void printError(const QString& line) {
    if (t_errSink) {
        (*t_errSink)(line);
        return;
    }
    const QByteArray text = vanto::encodeFileName(QStringLiteral("qxtool: %1\n").arg(line));
    std::fwrite(text.constData(), 1, text.size(), stderr);
    std::fflush(stderr);
}

} // namespace qxtool
