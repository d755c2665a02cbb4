// The web page window's program vanto-web as VANTO starts it: its command line, and the first
// page loaded by the web engine, offscreen.
#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

QString writePage(const QTemporaryDir& dir, const QString& name, const QByteArray& title) {
    const QString path = dir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write("<html><head><title>" + title + "</title></head><body>hi</body></html>");
    return QUrl::fromLocalFile(path).toString();
}

} // namespace

class TestWebWindow : public QObject {
    Q_OBJECT
private slots:
    void programCommandLine_data();
    void programCommandLine();
    void programShowsTheStartingPage();
};

void TestWebWindow::programCommandLine_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("says"); // on stdout for 0, on stderr otherwise
    QTest::newRow("help") << QStringList{"--help"} << 0 << "--transient-for";
    QTest::newRow("unknown option") << QStringList{"--hmoe", "x"} << 2 << "vanto-web: ";
    QTest::newRow("window id not a number")
        << QStringList{"--transient-for", "main"} << 2 << "needs a window id";
}

void TestWebWindow::programCommandLine() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, says);
    QProcess web;
    web.start(QStringLiteral(VANTO_WEB_PATH), args);
    QVERIFY(web.waitForFinished(20000));
    QCOMPARE(web.exitStatus(), QProcess::NormalExit);
    QCOMPARE(web.exitCode(), exitCode);
    const QByteArray out = exitCode == 0 ? web.readAllStandardOutput() : web.readAllStandardError();
    QVERIFY2(out.contains(says.toUtf8()), out.constData());
}

void TestWebWindow::programShowsTheStartingPage() {
    QTemporaryDir dir;
    const QString page = writePage(dir, QStringLiteral("start.html"), "Start Page");
    QProcess web;
    web.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    web.start(QStringLiteral(VANTO_WEB_PATH),
              {QStringLiteral("--report-loads"), QStringLiteral("--home"), page,
               QStringLiteral("--"), page});
    QVERIFY(web.waitForStarted(5000));
    QTRY_VERIFY_WITH_TIMEOUT(web.canReadLine(), 30000);
    const QByteArray line = web.readLine().trimmed();
    QVERIFY2(line.startsWith("loaded ok ") && line.endsWith(page.toUtf8() + " Start Page"),
             line.constData());
    // VANTO ends the window when it goes away.
    web.terminate();
    QVERIFY(web.waitForFinished(5000));
}

int main(int argc, char** argv) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --no-sandbox");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestWebWindow t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_webwindow.moc"
