// The shell's windows, offscreen: About and splash texts, the system information fallback and the
// help viewer (the web page window has its own program and test, test_webwindow).
#include "../fakes.h"
#include "grabscreen.h"

#include "shared/appshell.h"
#include "shellwindows.h"
#include "widgets/palette.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <cmath>

using namespace vanto;

class TestShellWindows : public QObject {
    Q_OBJECT
private slots:
    void aboutAndSplashShowTheSameVersion();
    void sysInfoFallback();
    void splashOpensTheMainWindowOnce();
    void mainWindowShownBeforeSplashGoes();
    void helpShowsContentsAndCloses();
    void helpLinksReadableOnTheDarkPage();
};

void TestShellWindows::aboutAndSplashShowTheSameVersion() {
    test::FakePrompts prompts;
    AboutDialog about(prompts);
    SplashWindow splash(nullptr);
    splash.closeTimer->stop();
    QCOMPARE(about.versionLabel->text(), QStringLiteral("Version 1.0.34"));
    QCOMPARE(splash.versionLabel->text(), about.versionLabel->text());
    QCOMPARE(about.windowTitle(), QStringLiteral("About Spoolex Loop Controller Interface"));
    QCOMPARE(about.descriptionLabel->text(),
             QStringLiteral("Interface to QX3100 and QX3600 Series Control Units"));
    QCOMPARE(splash.productNameLabel->text(), about.titleLabel->text());
}

void TestShellWindows::sysInfoFallback() {
    test::FakePrompts prompts;
    AboutDialog about(prompts);
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", "/nonexistent");
    about.startSysInfo();
    qputenv("PATH", oldPath);
    QCOMPARE(prompts.messages.size(), 1);
    QCOMPARE(prompts.messages[0].text,
             QStringLiteral("System Information Is Unavailable At This Time"));
    QVERIFY(prompts.messages[0].title.isEmpty());
}

void TestShellWindows::splashOpensTheMainWindowOnce() {
    int opened = 0;
    SplashWindow splash([&opened] { ++opened; });
    splash.closeTimer->setInterval(10);
    splash.closeTimer->start();
    splash.show();
    QTRY_COMPARE(opened, 1);
    QVERIFY(!splash.isVisible());
    QTest::qWait(50);
    QCOMPARE(opened, 1);
}

void TestShellWindows::mainWindowShownBeforeSplashGoes() {
    // The splash must never be the last window standing while the main window is not yet up:
    // closing the last window ends the program.
    class HideWatch : public QObject {
    public:
        explicit HideWatch(QWidget& main) : m_main(main) {}
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Hide && hides++ == 0)
                mainVisibleAtHide = m_main.isVisible();
            return false;
        }
        int hides = 0;
        bool mainVisibleAtHide = false;

    private:
        QWidget& m_main;
    };
    QWidget main;
    HideWatch watch(main);
    SplashWindow splash([&main] { main.show(); });
    splash.installEventFilter(&watch);
    splash.closeTimer->setInterval(10);
    splash.closeTimer->start();
    splash.show();
    QTRY_VERIFY(watch.hides > 0);
    QVERIFY(watch.mainVisibleAtHide);
    QVERIFY(!splash.isVisible());
}

void TestShellWindows::helpShowsContentsAndCloses() {
    QTemporaryDir dir;
    QFile f(helpFilePath(dir.path()));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("<html><body><a name=\"contents\"></a><h1>Help here</h1></body></html>");
    f.close();
    QWidget owner;
    HelpViewer help;
    help.setup(&owner, dir.path() + QLatin1Char('/'));
    QCOMPARE(help.helpFile(), dir.filePath(QStringLiteral("VANTO.HLP")));
    help.showContents();
    QVERIFY(help.viewer() && help.viewer()->isVisible());
    auto* browser = help.viewer()->findChild<QTextBrowser*>();
    QVERIFY(browser->toPlainText().contains(QStringLiteral("Help here")));
    help.close();
    QTRY_VERIFY(!help.viewer());
    help.close(); // closing again is harmless
}

namespace {

double luminance(const QColor& c) {
    const auto channel = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

// The contrast ratio of two colours, 1 to 21; 4.5 is the usual least for text.
double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

void TestShellWindows::helpLinksReadableOnTheDarkPage() {
    QTemporaryDir dir;
    QFile f(helpFilePath(dir.path()));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("<html><body><a name=\"contents\"></a><p><a href=\"#setup\">Setup</a></p>");
    for (int i = 0; i < 200; ++i)
        f.write("<p>line</p>");
    f.write("</body></html>");
    f.close();
    QWidget owner;
    HelpViewer help;
    help.setup(&owner, dir.path());
    help.showContents();
    auto* browser = help.viewer()->findChild<QTextBrowser*>();
    QVERIFY(browser);
    const QColor page = browser->palette().color(QPalette::Base);
    QColor link;
    for (QTextBlock b = browser->document()->begin(); b.isValid() && !link.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().anchorHref() == QLatin1String("#setup"))
                link = it.fragment().charFormat().foreground().color();
    QVERIFY(link.isValid());
    QVERIFY2(contrast(link, page) >= 4.5,
             qPrintable(QStringLiteral("%1 on %2").arg(link.name(), page.name())));
    // The scroll bar is drawn like every other one of the application: its palette's colours.
    QScrollBar* bar = browser->verticalScrollBar();
    QCOMPARE(bar->palette().color(QPalette::Button), qApp->palette().color(QPalette::Button));
    QCOMPARE(bar->palette().color(QPalette::Window), qApp->palette().color(QPalette::Window));
    QVERIFY(test::grabScreen(QStringLiteral("help-viewer")));
    help.close();
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    applyInstrumentPalette(app); // the application's dark look, as the help viewer meets it
    TestShellWindows t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_shellwindows.moc"
