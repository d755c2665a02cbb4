// VANTO: the splash window first; after two seconds the application starts and shows the main
// window.
#include "mainwindow.h"
#include "shared/appshell.h"
#include "shared/commandline.h"
#include "shared/version.h"
#include "shellwindows.h"
#include "vantoapp.h"
#include "widgets/palette.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <memory>

int main(int argc, char* argv[]) {
    // The command line first, before anything needs a display: --help and --version answer
    // without one, and a mistyped option ends here instead of being ignored.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const vanto::VantoCommandLine commandLine = vanto::parseVantoCommandLine(arguments);
    switch (commandLine.action) {
    case vanto::VantoCommandLine::Action::Help:
        std::fputs(vanto::kVantoUsage, stdout);
        return 0;
    case vanto::VantoCommandLine::Action::Version:
        std::printf("vanto %s\n", vanto::kVersion);
        return 0;
    case vanto::VantoCommandLine::Action::Error:
        std::fprintf(stderr, "vanto: %s\n%s", qPrintable(commandLine.error), vanto::kVantoUsage);
        return 2;
    case vanto::VantoCommandLine::Action::Run:
        break;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QLatin1String(vanto::kAppTitle));
    QApplication::setOrganizationName(QStringLiteral("VANTO"));
    QApplication::setApplicationVersion(QLatin1String(vanto::kVersion));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.vanto.Vanto"));
    vanto::applyInstrumentPalette(app);

    const vanto::StartupOptions options =
        vanto::parseStartupOptions(app.arguments().mid(1), QCoreApplication::applicationDirPath());

    // Until the main window is shown, no window closing may end the program: the splash is the
    // only window before it, and a refusal box of a second instance another.
    QApplication::setQuitOnLastWindowClosed(false);
    std::unique_ptr<vanto::VantoApp> application;
    int result = 0;
    const auto buildOnce = [&] {
        if (!application)
            application = vanto::VantoApp::build(options);
    };
    vanto::SplashWindow splash([&] {
        buildOnce(); // a machine too slow to have built it yet
        if (!application->begin()) {
            application.reset();
            app.exit(1);
            return;
        }
        application->window().show();
        QApplication::setQuitOnLastWindowClosed(true);
        if (options.connect)
            application->switchOnLineAtStart();
    });
    splash.show();
    // The main window is built while the splash stands idle, once the splash has painted, so
    // that it shows as soon as the splash's time is up.
    QTimer::singleShot(300, &splash, buildOnce);
    QObject::connect(&app, &QApplication::lastWindowClosed, &app, [&] {
        if (application && !application->window().isVisible())
            app.quit();
    });
    result = app.exec();
    application.reset();
    return result;
}
