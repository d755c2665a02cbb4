#include "commandline.h"

#include "appshell.h"

#include <QCommandLineParser>

namespace vanto {

const char kVantoUsage[] =
    "usage: vanto [/QV] [--device PATH] [--connect] [--settings FILE.ini]\n"
    "Operator tool for the QX3100 and QX3700 loop-control units.\n"
    "  /QV                service mode (any letter case)\n"
    "  --device PATH      open this device instead of the port chosen in Setup\n"
    "  --connect          switch the unit link on at start\n"
    "  --settings FILE    keep the window placement in this INI file\n"
    "  -h, --help         this text\n"
    "  -v, --version      the version\n"
    "exit codes: 0 success, 1 the program could not start, 2 bad usage\n";

VantoCommandLine parseVantoCommandLine(const QStringList& arguments) {
    VantoCommandLine result;
    result.serviceFlag = serviceFlagFrom(arguments.mid(0, 10));

    QCommandLineParser parser;
    // "-platform xcb" is one option, as Qt reads it, not eight one-letter ones.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption device(QStringLiteral("device"), QString(), QStringLiteral("PATH"));
    const QCommandLineOption connect(QStringLiteral("connect"));
    const QCommandLineOption settings(QStringLiteral("settings"), QString(),
                                      QStringLiteral("FILE"));
    parser.addOptions({help, version, device, connect, settings});
    // Qt's own options, which QApplication takes out of the arguments itself.
    for (const char* name :
         {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
          "geometry", "qwindowtitle", "title", "qwindowicon", "icon", "session", "display", "name",
          "style", "stylesheet", "qmljsdebugger"}) {
        QCommandLineOption qtOption(QString::fromLatin1(name), QString(), QStringLiteral("VALUE"));
        qtOption.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qtOption);
    }
    for (const char* name : {"reverse", "testability", "widgetcount", "nograb", "dograb", "sync"}) {
        QCommandLineOption qtOption{QString::fromLatin1(name)};
        qtOption.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qtOption);
    }

    if (!parser.parse(QStringList{QStringLiteral("vanto")} + arguments)) {
        result.action = VantoCommandLine::Action::Error;
        result.error = parser.errorText();
        return result;
    }
    if (parser.isSet(device) && parser.value(device).isEmpty()) {
        result.action = VantoCommandLine::Action::Error;
        result.error = QStringLiteral("--device needs a path");
        return result;
    }
    if (parser.isSet(help))
        result.action = VantoCommandLine::Action::Help;
    else if (parser.isSet(version))
        result.action = VantoCommandLine::Action::Version;
    result.device = parser.value(device);
    result.connect = parser.isSet(connect);
    result.settingsFile = parser.value(settings);
    return result;
}

} // namespace vanto
