// qxtool: the command-line companion of VANTO for backups, comparisons and automation.
#include "commands.h"
#include "multiunit.h"
#include "usage.h"

#include "shared/version.h"

#include "shared/atomicfile.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLoggingCategory>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>

namespace {

const char kUsage[] =
    "usage: qxtool COMMAND ...\n"
    "  show FILE.prg [--program N]              table of the programs, fields by name\n"
    "  export FILE.prg [-o FILE.json]           lossless JSON of the eight programs\n"
    "  import FILE.json -o FILE.prg             program file from such JSON\n"
    "  diff A.prg B.prg [--exact]               field differences as the readers read them\n"
    "                                           (--exact: byte differences); exit 1 when any\n"
    "  xmt FILE.prg --program N [-o FILE.xmt]   transmit-file text of one program\n"
    "  demo -o FILE.prg                         the simulator's default programs\n"
    "  backup --device PATH -o FILE.prg         read the unit's eight programs into a file\n"
    "  backup --device PATH --device PATH ... -o FOLDER  (or --devices FILE: \"[NAME] DEVICE\"\n"
    "         a line) several units in parallel, one NAME-or-SERIAL.prg each, summary table\n"
    "  send --device PATH FILE.prg --program N  transmit one program, read it back, verify\n"
    "  monitor --device PATH [--seconds S] [--csv FILE] [--meter distance|output|analog]\n"
    "         [--samples N]                     poll the unit, one line per sample\n"
    "  report FILE.prg [-o FILE.pdf|FILE.html]  printable report of the eight programs\n"
    "         (several --device or --devices FILE: every unit, each line led by its name)\n"
    "  PATH is a serial device or a device server's tcp://HOST:PORT or rfc2217://HOST:PORT\n"
    "  (unit commands also take --timeout S, default 20, for each wait on the unit)\n"
    "  help COMMAND, COMMAND --help             the usage of one command\n"
    "  --version                                the version\n"
    "-o - writes to standard output; -- ends the options.\n"
    "exit codes: 0 success, 1 differences or failed verification, 2 bad usage or input\n";

} // namespace

int main(int argc, char* argv[]) {
    qxtool::guardStandardStreams();
    // The report lays text out, which takes Qt's font machinery: an offscreen platform serves
    // it without a display. Every other command stays a plain console program.
    QStringList raw;
    for (int i = 1; i < argc; ++i)
        raw.append(QString::fromLocal8Bit(argv[i]));
    std::unique_ptr<QCoreApplication> application;
    if (qxtool::reportNeedsGui(raw)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // The platform's start-up notes (such as an unset XDG_RUNTIME_DIR) are no concern of a
        // command that writes a file: stderr keeps only the tool's own messages.
        QLoggingCategory::setFilterRules(QStringLiteral("default.warning=false"));
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("qxtool"));
    using namespace qxtool;
    const std::map<QString, std::function<int(const Args&)>> commands = {
        {QStringLiteral("show"), cmdShow},       {QStringLiteral("export"), cmdExport},
        {QStringLiteral("import"), cmdImport},   {QStringLiteral("diff"), cmdDiff},
        {QStringLiteral("xmt"), cmdXmt},         {QStringLiteral("demo"), cmdDemo},
        {QStringLiteral("backup"), cmdBackup},   {QStringLiteral("send"), cmdSend},
        {QStringLiteral("monitor"), cmdMonitor}, {QStringLiteral("report"), cmdReport},
    };
    // File names are taken byte for byte, whatever their encoding.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << vanto::decodeFileName(QByteArray(argv[i]));
    try {
        const QStringList valueOptions = {
            QStringLiteral("--program"), QStringLiteral("-o"),        QStringLiteral("--device"),
            QStringLiteral("--seconds"), QStringLiteral("--csv"),     QStringLiteral("--meter"),
            QStringLiteral("--samples"), QStringLiteral("--timeout"),
            QStringLiteral("--devices"), // a file listing several units (multiunit.cpp)
        };
        const Args args = parseArgs(arguments, valueOptions,
                                    {QStringLiteral("--help"), QStringLiteral("-h"),
                                     QStringLiteral("--version"), QStringLiteral("--exact")});
        if (args.options.contains(QStringLiteral("--version"))) {
            writeOutput(QByteArray("qxtool ") + vanto::kVersion + "\n");
            return kExitOk;
        }
        const bool help = args.options.contains(QStringLiteral("--help")) ||
                          args.options.contains(QStringLiteral("-h"));
        // "help COMMAND" and "COMMAND --help": that command's usage; a bare "help" or "--help":
        // all of them. Asked for, usage goes to stdout; a command line without a command is a
        // usage error (stderr, exit 2).
        QString topic = args.command;
        if (topic == QLatin1String("help"))
            topic = args.positional.value(0);
        if (help || args.command == QLatin1String("help")) {
            if (topic.isEmpty() || topic == QLatin1String("help")) {
                writeOutput(kUsage);
                return kExitOk;
            }
            const QByteArray usage = commandUsage(topic);
            if (usage.isEmpty())
                throw Failure{kExitBadInput, QStringLiteral("unknown command \"%1\"").arg(topic)};
            writeOutput(usage);
            return kExitOk;
        }
        if (args.command.isEmpty()) {
            std::fputs(kUsage, stderr);
            return kExitBadInput;
        }
        int multiUnitExit = 0;
        if (runMultiUnit(args, &multiUnitExit))
            return multiUnitExit;
        const auto it = commands.find(args.command);
        if (it == commands.end())
            throw Failure{kExitBadInput,
                          QStringLiteral("unknown command \"%1\"").arg(args.command)};
        return it->second(args);
    } catch (const Failure& failure) {
        printError(failure.message);
        return failure.exitCode;
    }
}
