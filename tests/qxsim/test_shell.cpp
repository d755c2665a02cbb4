// The simulator's command line and its timed output queue.
#include "options.h"
#include "outputqueue.h"

#include <QElapsedTimer>
#include <QtTest>

using namespace qxsim;

namespace {

// What the queue wrote, piece by piece, and when.
struct Capture {
    QList<QByteArray> pieces;
    QList<qint64> atMs;
    QElapsedTimer clock;
    OutputQueue::Writer writer() {
        clock.start();
        return [this](const QByteArray& b) {
            pieces << b;
            atMs << clock.elapsed();
        };
    }
};

// Runs the event loop until the queue has written everything (QTRY_* would sleep in between,
// which hides how often the queue writes).
bool drain(const OutputQueue& queue) {
    QElapsedTimer waited;
    waited.start();
    while (!queue.idle() && waited.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
    return queue.idle();
}

QByteArray pattern(int n) {
    QByteArray b;
    for (int i = 0; i < n; ++i)
        b += char('a' + i % 26);
    return b;
}

} // namespace

class TestShell : public QObject {
    Q_OBJECT
private slots:
    void commandLines_data();
    void commandLines();
    void chunksWithGaps();
    void pacedAtWireSpeed();
};

void TestShell::commandLines_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("result"); // the option text, or a part of the error
    // The host tells a QX3100 by an option text below version 2; an explicit text is kept.
    QTest::newRow("defaults") << QStringList{} << "2.16 M";
    QTest::newRow("QX3100") << QStringList{"--model", "QX3100"} << "1.16 M";
    QTest::newRow("options kept") << QStringList{"--options=2.14", "--model", "QX3100"} << "2.14";
    QTest::newRow("unknown option") << QStringList{"--speed", "2"} << "--speed";
    QTest::newRow("model") << QStringList{"--model", "QX3600"} << "QX3600";
    QTest::newRow("running 8") << QStringList{"--running", "8"} << "--running";
    QTest::newRow("serial too long") << QStringList{"--serial", "A123456"} << "--serial";
    QTest::newRow("control character") << QStringList{"--options", "2.16\rM"} << "--options";
    QTest::newRow("chunk 0") << QStringList{"--chunk", "0"} << "--chunk";
    QTest::newRow("probability above 1") << QStringList{"--drop", "1.5"} << "--drop";
    QTest::newRow("flag with value") << QStringList{"--pace=yes"} << "--pace";
    QTest::newRow("tcp port too big") << QStringList{"--tcp", "65536"} << "--tcp";
    QTest::newRow("tcp and rfc2217") << QStringList{"--tcp", "1", "--rfc2217", "2"} << "--rfc2217";
    QTest::newRow("network and link") << QStringList{"--rfc2217=0", "--link", "/tmp/u"} << "--link";
}

void TestShell::commandLines() {
    QFETCH(QStringList, args);
    QFETCH(QString, result);
    QString error;
    const auto options = parseOptions(args, &error);
    if (options) {
        QCOMPARE(QString::fromLatin1(*options->options), result);
    } else {
        QVERIFY2(error.contains(result) && !error.contains('\n'), qPrintable(error));
    }
}

void TestShell::chunksWithGaps() {
    Capture out;
    OutputQueue queue(out.writer(), false, 30, 40);
    queue.send(pattern(70));
    queue.send("xyz");                                    // the next reply follows without a gap
    QCOMPARE(out.pieces, QList<QByteArray>{pattern(30)}); // the first piece leaves at once
    QVERIFY(drain(queue));
    QCOMPARE(out.pieces,
             (QList<QByteArray>{pattern(30), pattern(60).mid(30), pattern(70).mid(60), "xyz"}));
    QVERIFY(out.atMs[1] - out.atMs[0] >= 39);
    QVERIFY(out.atMs[2] - out.atMs[1] >= 39);
}

void TestShell::pacedAtWireSpeed() {
    Capture out;
    OutputQueue queue(out.writer(), true, 0, 0);
    const int n = 192; // 100 ms of wire time
    queue.send(pattern(n / 2));
    queue.send(pattern(n / 2));
    QVERIFY(out.pieces.size() <= 1); // nothing can have left yet
    QVERIFY(drain(queue));
    QCOMPARE(out.pieces.join(), pattern(n / 2) + pattern(n / 2));
    QVERIFY2(out.atMs.last() >= n * kByteNs / 1000000 - 1,
             qPrintable(QString::number(out.atMs.last())));
    // A few bytes at a time, not in one lump.
    QVERIFY2(out.pieces.size() > 10, qPrintable(QString::number(out.pieces.size())));
}

QTEST_GUILESS_MAIN(TestShell)
#include "test_shell.moc"
