// vanto-web: the web page window as a program of its own, started by VANTO's "On-Line Spoolex"
// menu item, so that the web engine (and the OpenGL it brings) lives only as long as the window.
//
//   vanto-web [--home URL] [--search URL] [--transient-for WINDOW] [--report-loads] [ADDRESS]
//
// ADDRESS is the starting address; without it no page is loaded. --home and --search are the
// pages of the toolbar's "Home" and "Search" buttons; --transient-for keeps the window above
// VANTO's main window (an X11 window id). --report-loads prints one line on stdout for each page
// load that ends: "loaded ok|failed MS URL TITLE", MS counted from the program's start.
// Exit 0 when the window is closed, 2 for a bad command line.
#include "webpagewindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QWebEngineView>
#include <QWindow>

#include <cstdio>
#include <memory>

int main(int argc, char* argv[]) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); // the web engine needs it
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vanto-web"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("VANTO's web page window."));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption home(QStringLiteral("home"),
                                  QStringLiteral("The page of the Home button."),
                                  QStringLiteral("url"));
    const QCommandLineOption search(QStringLiteral("search"),
                                    QStringLiteral("The page of the Search button."),
                                    QStringLiteral("url"));
    const QCommandLineOption transientFor(QStringLiteral("transient-for"),
                                          QStringLiteral("Stay above this window."),
                                          QStringLiteral("window"));
    const QCommandLineOption reportLoads(QStringLiteral("report-loads"),
                                         QStringLiteral("Print a line for each page loaded."));
    parser.addOptions({help, home, search, transientFor, reportLoads});
    parser.addPositionalArgument(QStringLiteral("address"),
                                 QStringLiteral("The starting address (none: no page)."),
                                 QStringLiteral("[ADDRESS]"));
    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "vanto-web: %s\n", qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) {
        std::fprintf(stderr, "vanto-web: one starting address at most, not %lld\n",
                     static_cast<long long>(positional.size()));
        return 2;
    }
    bool idOk = true;
    const quintptr parentId =
        parser.isSet(transientFor) ? parser.value(transientFor).toULongLong(&idOk) : 0;
    if (!idOk) {
        std::fprintf(stderr, "vanto-web: --transient-for needs a window id, not \"%s\"\n",
                     qPrintable(parser.value(transientFor)));
        return 2;
    }

    vanto::WebPageWindow browser;
    browser.startingAddress = positional.value(0);
    browser.homeAddress = parser.value(home);
    browser.searchAddress = parser.value(search);
    if (parser.isSet(reportLoads)) {
        QObject::connect(browser.brwWebBrowser, &QWebEngineView::loadFinished, &browser,
                         [&](bool ok) {
                             std::printf("loaded %s %lld %s %s\n", ok ? "ok" : "failed",
                                         static_cast<long long>(sinceStart.elapsed()),
                                         qPrintable(browser.brwWebBrowser->url().toString()),
                                         qPrintable(browser.brwWebBrowser->title()));
                             std::fflush(stdout);
                         });
    }
    // Above the main window, as a dialog of it would be. Only X11 takes another program's window.
    std::unique_ptr<QWindow> parent;
    if (parentId != 0 && QGuiApplication::platformName() == QLatin1String("xcb")) {
        parent.reset(QWindow::fromWinId(WId(parentId)));
        browser.winId(); // the native window, so that it has a handle to configure
        if (parent && browser.windowHandle())
            browser.windowHandle()->setTransientParent(parent.get());
    }
    browser.show();
    const int result = app.exec();
    if (browser.windowHandle())
        browser.windowHandle()->setTransientParent(nullptr);
    return result;
}
