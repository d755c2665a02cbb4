// The shell's windows, offscreen: About and splash texts, the system information fallback and the
// help viewer (the web page window has its own program and test, test_webwindow).
#include "../fakes.h"

#include "shared/appshell.h"
#include "shellwindows.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

using namespace vanto;

class TestShellWindows : public QObject {
    Q_OBJECT
private slots:
    void aboutAndSplashShowTheSameVersion();
    void sysInfoFallback();
    void splashOpensTheMainWindowOnce();
    void helpShowsContentsAndCloses();
};

void TestShellWindows::aboutAndSplashShowTheSameVersion() {
    test::FakePrompts prompts;
    frmAbout about(prompts);
    frmSplash splash(nullptr);
    splash.Timer->stop();
    QCOMPARE(about.lblVersion->text(), QStringLiteral("Version 1.0.34"));
    QCOMPARE(splash.lblVersion->text(), about.lblVersion->text());
    QCOMPARE(about.windowTitle(), QStringLiteral("About Spoolex Loop Controller Interface"));
    QCOMPARE(about.lblDescription->text(),
             QStringLiteral("Interface to QX3100 and QX3600 Series Control Units"));
    QCOMPARE(splash.lblProductName->text(), about.lblTitle->text());
}

void TestShellWindows::sysInfoFallback() {
    test::FakePrompts prompts;
    frmAbout about(prompts);
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", "/nonexistent");
    about.StartSysInfo();
    qputenv("PATH", oldPath);
    QCOMPARE(prompts.messages.size(), 1);
    QCOMPARE(prompts.messages[0].text,
             QStringLiteral("System Information Is Unavailable At This Time"));
    QVERIFY(prompts.messages[0].title.isEmpty());
}

void TestShellWindows::splashOpensTheMainWindowOnce() {
    int opened = 0;
    frmSplash splash([&opened] { ++opened; });
    splash.Timer->setInterval(10);
    splash.Timer->start();
    splash.show();
    QTRY_COMPARE(opened, 1);
    QVERIFY(!splash.isVisible());
    QTest::qWait(50);
    QCOMPARE(opened, 1);
}

void TestShellWindows::helpShowsContentsAndCloses() {
    QTemporaryDir dir;
    QFile f(HelpFilePath(dir.path()));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("<html><body><a name=\"contents\"></a><h1>Help here</h1></body></html>");
    f.close();
    QWidget owner;
    ContextIDs help;
    help.Setup(&owner, dir.path() + QLatin1Char('/'));
    QCOMPARE(help.helpFile(), dir.filePath(QStringLiteral("VANTO.HLP")));
    help.ShowContents();
    QVERIFY(help.viewer() && help.viewer()->isVisible());
    auto* browser = help.viewer()->findChild<QTextBrowser*>();
    QVERIFY(browser->toPlainText().contains(QStringLiteral("Help here")));
    help.Close();
    QTRY_VERIFY(!help.viewer());
    help.Close(); // closing again is harmless
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestShellWindows t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_shellwindows.moc"
