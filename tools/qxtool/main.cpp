// qxtool: the command-line companion of VANTO for backups, comparisons and automation.
#include "commands.h"
#include "multiunit.h"

#include <QCoreApplication>

#include <functional>
#include <map>

namespace {

const char kUsage[] =
    "usage: qxtool COMMAND ...\n"
    "  show FILE.prg [--program N]              table of the programs, fields by name\n"
    "  export FILE.prg [-o FILE.json]           lossless JSON of the eight programs\n"
    "  import FILE.json -o FILE.prg             program file from such JSON\n"
    "  diff A.prg B.prg                         field differences; exit 1 when any\n"
    "  xmt FILE.prg --program N [-o FILE.xmt]   transmit-file text of one program\n"
    "  demo -o FILE.prg                         the simulator's default programs\n"
    "  backup --device PATH -o FILE.prg         read the unit's eight programs into a file\n"
    "  backup --device PATH --device PATH ... -o FOLDER  (or --devices FILE: \"[NAME] DEVICE\"\n"
    "         a line) several units in parallel, one NAME-or-SERIAL.prg each, summary table\n"
    "  send --device PATH FILE.prg --program N  transmit one program, read it back, verify\n"
    "  monitor --device PATH [--seconds S] [--csv FILE] [--meter distance|output|analog]\n"
    "         [--samples N]                     poll the unit, one line per sample\n"
    "         (several --device or --devices FILE: every unit, each line led by its name)\n"
    "  PATH is a serial device or a device server's tcp://HOST:PORT or rfc2217://HOST:PORT\n"
    "  (unit commands also take --timeout S, default 20, for each wait on the unit)\n"
    "exit codes: 0 success, 1 differences or failed verification, 2 bad usage or input\n";

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qxtool"));
    using namespace qxtool;
    const std::map<QString, std::function<int(const Args&)>> commands = {
        {QStringLiteral("show"), CmdShow},       {QStringLiteral("export"), CmdExport},
        {QStringLiteral("import"), CmdImport},   {QStringLiteral("diff"), CmdDiff},
        {QStringLiteral("xmt"), CmdXmt},         {QStringLiteral("demo"), CmdDemo},
        {QStringLiteral("backup"), CmdBackup},   {QStringLiteral("send"), CmdSend},
        {QStringLiteral("monitor"), CmdMonitor},
    };
    QStringList arguments = app.arguments().mid(1);
    try {
        const QStringList valueOptions = {
            QStringLiteral("--program"), QStringLiteral("-o"),        QStringLiteral("--device"),
            QStringLiteral("--seconds"), QStringLiteral("--csv"),     QStringLiteral("--meter"),
            QStringLiteral("--samples"), QStringLiteral("--timeout"),
            QStringLiteral("--devices"), // a file listing several units (multiunit.cpp)
        };
        const Args args =
            ParseArgs(arguments, valueOptions, {QStringLiteral("--help"), QStringLiteral("-h")});
        if (args.command.isEmpty() || args.options.contains(QStringLiteral("--help")) ||
            args.options.contains(QStringLiteral("-h")) || args.command == QLatin1String("help")) {
            Out(kUsage);
            return args.command.isEmpty() && args.options.isEmpty() ? kExitBadInput : kExitOk;
        }
        int multiUnitExit = 0;
        if (RunMultiUnit(args, &multiUnitExit))
            return multiUnitExit;
        const auto it = commands.find(args.command);
        if (it == commands.end())
            throw Failure{kExitBadInput,
                          QStringLiteral("unknown command \"%1\"").arg(args.command)};
        return it->second(args);
    } catch (const Failure& failure) {
        Err(failure.message);
        return failure.exitCode;
    }
}
