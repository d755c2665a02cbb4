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

    std::unique_ptr<vanto::Main351> window;
    int result = 0;
    vanto::frmSplash splash([&] {
        window = vanto::Main351::Load(options);
        if (!window) {
            app.exit(1);
            return;
        }
        window->show();
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
