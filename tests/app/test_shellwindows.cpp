// The shell's windows, offscreen: the splash handing over to the main window, the system
// information fallback, the help viewer, and the web page window's program as the main window
// starts it, with stand-in programs: the command line it gets, the owner disabled while it runs
// and enabled when it ends, and each way it can fail told once to the operator.
#include "../fakes.h"

#include "mainwindow.h"
#include "shared/appshell.h"
#include "shellwindows.h"
#include "vantoapp.h"
#include "webpageprocess.h"
#include "widgets/palette.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

using namespace vanto;

namespace {

// Writes an executable shell script.
QString script(const QTemporaryDir& dir, const QString& name, const QByteArray& body,
               bool executable = true) {
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(body) != body.size())
        return QString();
    f.setPermissions(executable ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                : QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

} // namespace

class TestShellWindows : public QObject {
    Q_OBJECT
private slots:
    void sysInfoFallback();
    void splashShowsTheMainWindowOnceBeforeItGoes();
    void helpShowsContentsAndCloses();
    void argumentsReachTheProgram();
    void failuresAreToldAndReleaseTheOwner_data();
    void failuresAreToldAndReleaseTheOwner();
    void closeEndsTheWindowQuietly();
    void menuItemWithoutTheProgramSaysSo();
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

void TestShellWindows::argumentsReachTheProgram() {
    const QString start = QStringLiteral("-x");
    const QStringList expected{"--home",   "https://www.spoolex.example/",
                               "--search", "https://www.spoolex.example/search",
                               "--",       "-x"};
    QTemporaryDir dir;
    const QString args = dir.filePath(QStringLiteral("args"));
    const QString go = dir.filePath(QStringLiteral("go"));
    // Records its arguments, then stays open until the test lets it end.
    const QString program =
        script(dir, QStringLiteral("vanto-web"),
               QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1'\n"
                              "while [ ! -e '%2' ]; do sleep 0.02; done\nexit 0\n")
                   .arg(args, go)
                   .toLocal8Bit());
    test::FakePrompts prompts;
    QWidget owner;
    owner.show();
    WebPageProcess web(&owner, prompts, program);
    QSignalSpy finished(&web, &WebPageProcess::finished);
    QVERIFY(web.open(start));
    QVERIFY(!owner.isEnabled()); // modal: the owner takes no input while the window is open
    QVERIFY(web.open(start));    // a second request opens no second window
    QTRY_VERIFY(QFile::exists(args));
    QVERIFY(web.isRunning());
    QFile f(args);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromLocal8Bit(f.readAll());
    QCOMPARE(text.split(QLatin1Char('\n'), Qt::SkipEmptyParts), expected);

    QFile(go).open(QIODevice::WriteOnly); // the operator closes the window
    QTRY_COMPARE(finished.size(), 1);
    QVERIFY(owner.isEnabled());
    QVERIFY(!web.isRunning());
    QVERIFY(prompts.messages.isEmpty());
}

void TestShellWindows::failuresAreToldAndReleaseTheOwner_data() {
    QTest::addColumn<QByteArray>("body"); // the program's script; "" = no program
    QTest::addColumn<bool>("executable");
    QTest::addColumn<QString>("told");
    const QString notOpened = QStringLiteral("The web page window could not be opened: ");
    const QString ended = QStringLiteral("The web page window ended unexpectedly: ");
    QTest::newRow("missing") << QByteArray() << true << notOpened + "%1 is missing.";
    QTest::newRow("not executable") << QByteArray("#!/bin/sh\nexit 0\n") << false
                                    << notOpened + "%1 is not an executable program.";
    QTest::newRow("exits with an error")
        << QByteArray("#!/bin/sh\necho starting >&2\necho 'vanto-web: no engine' >&2\nexit 1\n")
        << true << ended + "vanto-web: no engine";
    QTest::newRow("crashes") << QByteArray("#!/bin/sh\nkill -SEGV $$\n") << true
                             << ended + "the program crashed";
}

void TestShellWindows::failuresAreToldAndReleaseTheOwner() {
    QFETCH(QByteArray, body);
    QFETCH(bool, executable);
    QFETCH(QString, told);
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("vanto-web"));
    if (!body.isEmpty())
        script(dir, QStringLiteral("vanto-web"), body, executable);
    test::FakePrompts prompts;
    QWidget owner;
    owner.show();
    WebPageProcess web(&owner, prompts, program);
    web.open(QStringLiteral("https://www.spoolex.example/"));
    QTRY_COMPARE(prompts.messages.size(), 1);
    QTest::qWait(50);
    QCOMPARE(prompts.messages.size(), 1); // told once
    QVERIFY(owner.isEnabled());
    QVERIFY(!web.isRunning());
    const QString text = prompts.messages[0].text;
    QVERIFY2(text.startsWith(told.contains(QLatin1String("%1")) ? told.arg(program) : told),
             qPrintable(text));
}

void TestShellWindows::closeEndsTheWindowQuietly() {
    QTemporaryDir dir;
    const QString program = script(dir, QStringLiteral("vanto-web"), "#!/bin/sh\nexec sleep 30\n");
    test::FakePrompts prompts;
    QWidget owner;
    WebPageProcess web(&owner, prompts, program);
    QSignalSpy finished(&web, &WebPageProcess::finished);
    QVERIFY(web.open(QString()));
    QTRY_VERIFY(web.isRunning());
    QElapsedTimer t;
    t.start();
    web.close();
    QVERIFY(t.elapsed() < 900); // ended at once, not after the wait for a kill
    QVERIFY(!web.isRunning());
    QCOMPARE(finished.size(), 1);
    QVERIFY(owner.isEnabled());
    QVERIFY(prompts.messages.isEmpty());
}

void TestShellWindows::menuItemWithoutTheProgramSaysSo() {
    // The test program's directory holds no vanto-web: the menu item must say so, not crash.
    QTemporaryDir dir;
    test::FakePrompts prompts;
    StartupOptions options;
    options.programDir = dir.path();
    options.settingsFile = dir.filePath(QStringLiteral("vanto.ini"));
    options.lockDir = dir.path();
    const std::unique_ptr<VantoApp> app = VantoApp::start(options, &prompts);
    QVERIFY(app);
    MainWindow* window = &app->window();
    window->webPageAction->trigger();
    QTRY_COMPARE(prompts.messages.size(), 1);
    QCOMPARE(prompts.messages[0].text,
             QStringLiteral("The web page window could not be opened: %1 is missing.")
                 .arg(WebPageProcess::defaultProgram()));
    QVERIFY(window->isEnabled());
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    applyInstrumentPalette(app); // the application's dark look, as the help viewer meets it
    // A settings store of the test's own: the default Home and Search pages.
    QApplication::setOrganizationName(QStringLiteral("vanto-test-shellwindows"));
    TestShellWindows t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_shellwindows.moc"
