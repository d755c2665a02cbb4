// VANTO: the splash window first; after two seconds it opens the main window.
#include "main351.h"
#include "shared/appshell.h"
#include "shellwindows.h"
#include "widgets/palette.h"

#include <QApplication>

#include <memory>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QLatin1String(vanto::kAppTitle));
    QApplication::setOrganizationName(QStringLiteral("VANTO"));
    vanto::ApplyInstrumentPalette(app);

    const vanto::StartupOptions options =
        vanto::ParseStartupOptions(app.arguments().mid(1), QCoreApplication::applicationDirPath());

    // Until the main window is shown, no window closing may end the program: the splash is the
    // only window before it, and a refusal box of a second instance another.
    QApplication::setQuitOnLastWindowClosed(false);
    std::unique_ptr<vanto::Main351> window;
    int result = 0;
    vanto::frmSplash splash([&] {
        window = vanto::Main351::Load(options);
        if (!window) {
            app.exit(1);
            return;
        }
        window->show();
        QApplication::setQuitOnLastWindowClosed(true);
        if (options.connect)
            window->SwitchOnLineAtStart();
    });
    splash.show();
    QObject::connect(&app, &QApplication::lastWindowClosed, &app, [&] {
        if (window && !window->isVisible())
            app.quit();
    });
    result = app.exec();
    window.reset();
    return result;
}
