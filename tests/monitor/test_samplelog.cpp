// The sample log: its rows against the samples, when they reach the file, the file per day and
// write failures.
#include "../fakes.h"
#include "monitor/samplelog.h"
#include "program/maindisplaymodel.h"

#include <QtTest>

using namespace vanto;
using vanto::test::writeAll;

namespace {

qint64 at(int y, int mo, int d, int h, int mi, int s, int ms = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms)).toMSecsSinceEpoch();
}

QList<QByteArray> lines(const QString& path) {
    QList<QByteArray> out = vanto::test::readAll(path).split('\n');
    out.removeLast(); // what follows the last line's end
    return out;
}

} // namespace

class TestSampleLog : public QObject {
    Q_OBJECT
private slots:
    void isoTime_data() {
        QTest::addColumn<QByteArray>("tz");
        QTest::addColumn<QByteArray>("expected");
        // 2026-07-01 12:00:00.250 UTC in zones east and west of UTC, whole and half hours, summer.
        QTest::newRow("utc") << QByteArray("UTC0") << QByteArray("2026-07-01T12:00:00.250+00:00");
        QTest::newRow("east, summer") << QByteArray("CET-1CEST,M3.5.0,M10.5.0/3")
                                      << QByteArray("2026-07-01T14:00:00.250+02:00");
        QTest::newRow("west, half hour")
            << QByteArray("<-0330>3:30") << QByteArray("2026-07-01T08:30:00.250-03:30");
    }

    void isoTime() {
        QFETCH(QByteArray, tz);
        qputenv("TZ", tz);
        const QByteArray text = localIsoTime(
            QDateTime(QDate(2026, 7, 1), QTime(12, 0, 0, 250), Qt::UTC).toMSecsSinceEpoch());
        qunsetenv("TZ");
        QTEST(text, "expected");
    }

    void sampleRows() {
        // A linear program on 10..110 inches: a distance of 60 is 50 % output. Metric programs log
        // centimetres; a FAR sample on a holding program keeps the last output.
        LiveValues link;
        link.liveDistance = 60;
        link.nearFlag = true;
        MainDisplayModel d;
        d.baseShown = 10;
        d.rangeShown = 100;
        d.outputMode = 1;
        d.linearOutput = 1;
        float held = 0;
        LogSample s = sampleFromLink(link, d, 3, 1000, &held);
        QCOMPARE(sampleCsvRow(s), localIsoTime(1000) + ",3,60.00,in,50.00,1,0\n");
        d.unitFactor = 2.54;
        d.holdOn = true;
        link.farFlag = true;
        link.nearFlag = false;
        link.liveDistance = 200;
        s = sampleFromLink(link, d, 3, 1200, &held);
        QCOMPARE(sampleCsvRow(s), localIsoTime(1200) + ",3,200.00,cm,50.00,0,1\n");
        QCOMPARE(sampleCsvHeader().count(','), 6);
    }

    void flushesWithinASecond() {
        qint64 now = at(2026, 12, 7, 10, 0, 0);
        SampleLog log([&] { return now; });
        const QString path = m_dir.filePath("flush.csv");
        QVERIFY(log.start(path));
        QCOMPARE(lines(path), QList<QByteArray>{sampleCsvHeader().trimmed()});
        QList<LogSample> samples;
        for (int i = 0; i < 6; ++i) {
            samples.append({now, 1, 10.0 + i, false, double(i), false, false});
            QVERIFY(log.add(samples.last()));
            if (i < 5) {
                QCOMPARE(lines(path).size(), 1); // buffered
                now += 200;
            }
        }
        // The sixth row came a second after the first: all six are in the file, in order.
        const QList<QByteArray> written = lines(path);
        QCOMPARE(written.size(), 7);
        for (int i = 0; i < 6; ++i)
            QCOMPARE(written[i + 1] + '\n', sampleCsvRow(samples[i]));
        QCOMPARE(log.rowCount(), qint64(6));
        QCOMPARE(log.bufferedRows(), qint64(0));
    }

    void timerFlushesAfterPollingStops() {
        SampleLog log;
        const QString path = m_dir.filePath("timer.csv");
        QVERIFY(log.start(path));
        QVERIFY(log.add({QDateTime::currentMSecsSinceEpoch(), 0, 1, false, 0, false, false}));
        QCOMPARE(lines(path).size(), 1);
        // No further sample comes; the row is in the file a second later all the same.
        QTRY_COMPARE_WITH_TIMEOUT(lines(path).size(), 2, 1500);
        log.stop();
        QVERIFY(!log.isActive());
    }

    void newFilePerDay() {
        qint64 now = at(2026, 12, 7, 23, 59, 59, 600);
        SampleLog log([&] { return now; });
        const QString path = m_dir.filePath("day.csv");
        // A file of the second day's name exists already: it is kept, the log takes the next name.
        const QString taken = m_dir.filePath("day-2026-12-08.csv");
        QVERIFY(writeAll(taken, "keep\n"));
        QVERIFY(log.start(path));
        QVERIFY(log.add({now, 0, 1, false, 0, false, false}));
        now += 200;
        QVERIFY(log.add({now, 0, 2, false, 0, false, false}));
        now += 200; // 00:00:00.000 on the 8th
        QVERIFY(log.add({now, 0, 3, false, 0, false, false}));
        const QString second = m_dir.filePath("day-2026-12-08-2.csv");
        QCOMPARE(log.path(), second);
        QCOMPARE(lines(path).size(), 3); // header and the two rows of the 7th, flushed
        QVERIFY(lines(path).at(2).contains(",2.00,"));
        log.stop();
        const QList<QByteArray> next = lines(second);
        QCOMPARE(next.size(), 2);
        QCOMPARE(next[0] + '\n', sampleCsvHeader());
        QVERIFY(next[1].startsWith("2026-12-08T00:00:00.000"));
        QCOMPARE(lines(taken), QList<QByteArray>{"keep"});
        QCOMPARE(log.totalRows(), qint64(3));
        QCOMPARE(log.rowCount(), qint64(1));
    }

    void writeFailureStopsTheLog() {
        if (!QFileInfo::exists("/dev/full"))
            QSKIP("no /dev/full");
        SampleLog log;
        QVERIFY(!log.start("/dev/full"));
        QVERIFY(!log.isActive());
        QVERIFY(log.lastError().startsWith("/dev/full: "));
        QVERIFY(!log.start(m_dir.filePath("no/such/dir/x.csv")));
        QVERIFY(log.lastError().contains("no/such/dir/x.csv"));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestSampleLog)
#include "test_samplelog.moc"
