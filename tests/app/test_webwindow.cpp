// The web page window's program vanto-web as VANTO starts it: the first page loaded by the web
// engine, offscreen, and a command line it cannot follow refused.
#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

class TestWebWindow : public QObject {
    Q_OBJECT
private slots:
    void badCommandLinesRefused();
    void programShowsTheStartingPage();
};

void TestWebWindow::badCommandLinesRefused() {
    const QList<QPair<QStringList, QByteArray>> cases = {
        {{"--hmoe", "x"}, "vanto-web: "}, {{"--transient-for", "main"}, "needs a window id"}};
    for (const auto& [args, says] : cases) {
        QProcess web;
        web.start(QStringLiteral(VANTO_WEB_PATH), args);
        QVERIFY(web.waitForFinished(20000));
        QCOMPARE(web.exitCode(), 2);
        const QByteArray err = web.readAllStandardError();
        QVERIFY2(err.contains(says), err.constData());
    }
}

void TestWebWindow::programShowsTheStartingPage() {
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("start.html")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("<html><head><title>Start Page</title></head><body>hi</body></html>");
    f.close();
    const QString page = QUrl::fromLocalFile(f.fileName()).toString();
    QProcess web;
    web.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    web.start(QStringLiteral(VANTO_WEB_PATH),
              {"--report-loads", "--home", page, "--search", page, "--", page});
    QVERIFY(web.waitForStarted(5000));
    QTRY_VERIFY_WITH_TIMEOUT(web.canReadLine(), 30000);
    const QByteArray line = web.readLine().trimmed();
    QVERIFY2(line.startsWith("loaded ok ") && line.endsWith(page.toUtf8() + " Start Page"),
             line.constData());
    web.terminate(); // VANTO ends the window when it goes away
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
