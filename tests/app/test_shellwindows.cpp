// The shell's windows, offscreen: the splash handing over to the main window, the system
// information fallback and the help viewer.
#include "../fakes.h"

#include "shared/appshell.h"
#include "shellwindows.h"
#include "widgets/palette.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

using namespace vanto;

class TestShellWindows : public QObject {
    Q_OBJECT
private slots:
    void sysInfoFallback();
    void splashShowsTheMainWindowOnceBeforeItGoes();
    void helpShowsContentsAndCloses();
};

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
}

// The splash opens the main window once, and it is up before the splash goes: closing the last
// window standing ends the program.
void TestShellWindows::splashShowsTheMainWindowOnceBeforeItGoes() {
    QWidget main;
    int opened = 0;
    bool mainUpAtHide = false;
    SplashWindow splash([&] {
        ++opened;
        main.show();
    });
    struct HideWatch : QObject {
        std::function<void()> onHide;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Hide)
                onHide();
            return false;
        }
    } watch;
    watch.onHide = [&] { mainUpAtHide = mainUpAtHide || (opened == 1 && main.isVisible()); };
    splash.installEventFilter(&watch);
    splash.closeTimer->setInterval(10);
    splash.closeTimer->start();
    splash.show();
    QTRY_VERIFY(!splash.isVisible());
    QVERIFY(mainUpAtHide);
    QTest::qWait(50);
    QCOMPARE(opened, 1);
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

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    applyInstrumentPalette(app); // the application's dark look, as the help viewer meets it
    TestShellWindows t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_shellwindows.moc"
