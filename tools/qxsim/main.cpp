// qxsim: a simulated QX unit on a pseudo-terminal, for development, tests, demos and training.
#include <QtGlobal>

#if !defined(Q_OS_UNIX)

#include <cstdio>

int main() {
    std::fputs("qxsim: the simulator serves the unit's line on a pseudo-terminal and needs a POSIX "
               "system (Linux, macOS, BSD); it cannot run on this one\n",
               stderr);
    return 1;
}

#else

#include "options.h"
#include "simulator.h"

#include "program/demoprograms.h"
#include "program/programfile.h"
#include "shared/atomicfile.h"
#include "shared/version.h"

#include <QCoreApplication>
#include <QRandomGenerator>

#include <csignal>
#include <cstdio>
#if defined(Q_OS_LINUX)
#include <sys/signalfd.h>
#endif

namespace {

int fail(const QString& message, bool usage) {
    const QByteArray text = vanto::encodeFileName(message);
    std::fprintf(stderr, "qxsim: %s\n", text.constData());
    if (usage)
        std::fputs(qxsim::kUsage, stderr);
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    std::signal(SIGPIPE, SIG_IGN); // a reader of stdout that went away is no reason to die
    using namespace qxsim;

    // File names are taken byte for byte, whatever their encoding.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << vanto::decodeFileName(QByteArray(argv[i]));
    QString error;
    const std::optional<SimOptions> options = parseOptions(arguments, &error);
    if (!options)
        return fail(error, true);
    if (options->help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (options->version) {
        std::printf("qxsim %s\n", vanto::kVersion);
        return 0;
    }

    // The program file is read while the stop signals still end the process as usual.
    UnitSettings unit;
    unit.programs = vanto::demoPrograms();
    if (!options->programsFile.isEmpty()) {
        error = vanto::readProgramFile(options->programsFile, &unit.programs);
        if (!error.isEmpty())
            return fail(QStringLiteral("%1: %2").arg(options->programsFile, error), false);
    }

#if defined(Q_OS_LINUX)
    // SIGINT, SIGTERM and SIGHUP end the simulator cleanly from the event loop (so that the
    // link is removed): from here on they are blocked and read from a signalfd. (Elsewhere they
    // end the process as usual.)
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
#endif

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qxsim"));

    unit.model = options->model;
    unit.options = *options->options;
    unit.serial = options->serial;
    unit.running = options->running;
    unit.seed = options->seed ? *options->seed : QRandomGenerator::system()->generate();

    Simulator simulator(*options, unit);
    QObject::connect(
        &simulator, &Simulator::finished, &app, [](int code) { QCoreApplication::exit(code); },
        Qt::QueuedConnection);
#if defined(Q_OS_LINUX)
    const int signalFd = signalfd(-1, &stopSignals, SFD_NONBLOCK | SFD_CLOEXEC);
    if (signalFd >= 0)
        simulator.watchSignals(signalFd);
#endif
    error = simulator.start();
    if (!error.isEmpty())
        return fail(error, false);
    return app.exec();
}

#endif // Q_OS_UNIX
