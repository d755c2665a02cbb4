#include "editor/rangelimits.h"
#include "program/programrecord.h"
#include "shared/numtext.h"

#include <QTest>

using namespace vanto;

namespace {

// Base 13, Range 30, TotalSpan 43, NearRelay 13, 13-inch minimum, 0.0067 in per count, 10 ms.
ProgramRecord sample(const QByteArray& minimumBase = "13") {
    ProgramRecord r;
    r.set(Field::Base, "13");
    r.set(Field::Range, "30");
    r.set(Field::TotalSpan, "43");
    r.set(Field::NearRelay, "13");
    r.set(Field::MinimumBase, minimumBase);
    r.set(Field::Conversion, "0.0067");
    r.set(Field::SampleInterval, "10000");
    r.set(Field::RelayOnDistance, "20");
    r.set(Field::RelayOffDistance, "40");
    return r;
}

} // namespace

class TestRangeLimits : public QObject {
    Q_OBJECT
private slots:
    void limits_data() {
        QTest::addColumn<QByteArray>("minimumBase");
        QTest::addColumn<QByteArray>("conversion");
        QTest::addColumn<int>("kind");
        QTest::addColumn<float>("value");
        QTest::addColumn<float>("limited");
        QTest::addColumn<bool>("beep");

        QTest::newRow("base below 6-inch minimum")
            << QByteArray("6") << QByteArray("0.0067") << int(kCheckBase) << 5.0f << 6.0f << true;
        QTest::newRow("base below 13-inch minimum")
            << QByteArray("13") << QByteArray("0.0067") << int(kCheckBase) << 5.0f << 13.0f << true;
        QTest::newRow("base beyond 360 with range") << QByteArray("13") << QByteArray("0.0067")
                                                    << int(kCheckBase) << 400.0f << 330.0f << true;
        QTest::newRow("base in range") << QByteArray("13") << QByteArray("0.0067")
                                       << int(kCheckBase) << 20.0f << 20.0f << false;
        QTest::newRow("base fraction beeps unchanged") << QByteArray("13") << QByteArray("0.0067")
                                                       << int(kCheckBase) << 20.4f << 20.4f << true;
        QTest::newRow("range 0") << QByteArray("13") << QByteArray("0.0067") << int(kCheckRange)
                                 << 0.0f << 1.0f << true;
        QTest::newRow("range below minimum base is fine")
            << QByteArray("13") << QByteArray("0.0067") << int(kCheckRange) << 3.0f << 3.0f
            << false;
        QTest::newRow("range beyond 360 with base") << QByteArray("13") << QByteArray("0.0067")
                                                    << int(kCheckRange) << 400.0f << 347.0f << true;
        QTest::newRow("near relay one beyond base")
            << QByteArray("13") << QByteArray("0.0067") << int(kCheckNearRelay) << 14.0f << 13.0f
            << true;
        QTest::newRow("near relay beyond base") << QByteArray("13") << QByteArray("0.0067")
                                                << int(kCheckNearRelay) << 50.0f << 13.0f << true;
        QTest::newRow("near relay below minimum") << QByteArray("6") << QByteArray("0.0067")
                                                  << int(kCheckNearRelay) << 2.0f << 6.0f << true;
        QTest::newRow("total span beyond 360") << QByteArray("13") << QByteArray("0.0067")
                                               << int(kCheckTotalSpan) << 370.0f << 360.0f << true;
        QTest::newRow("total span leaves base below minimum")
            << QByteArray("6") << QByteArray("0.0067") << int(kCheckTotalSpan) << 20.0f << 36.0f
            << true;
        QTest::newRow("interval beyond measurement limit")
            << QByteArray("13") << QByteArray("0.0067") << int(kCheckSampleInterval) << 70.0f
            << 58.935f << true;
        QTest::newRow("interval below minimum base")
            << QByteArray("6") << QByteArray("0.0067") << int(kCheckSampleInterval) << 2.0f << 6.0f
            << true;
        QTest::newRow("interval with zero conversion")
            << QByteArray("13") << QByteArray("0") << int(kCheckSampleInterval) << 100.0f << 65.353f
            << true;
        QTest::newRow("interval with absurd conversion never negative")
            << QByteArray("13") << QByteArray("0.0000001") << int(kCheckSampleInterval) << 20.0f
            << 0.0f << true;
        // Entries outside the 16-bit range: limited, and always beeped.
        QTest::newRow("huge base") << QByteArray("13") << QByteArray("0.0067") << int(kCheckBase)
                                   << 1e9f << 330.0f << true;
        QTest::newRow("huge negative range") << QByteArray("13") << QByteArray("0.0067")
                                             << int(kCheckRange) << -1e9f << 1.0f << true;
        QTest::newRow("unknown kind limited to 16 bits")
            << QByteArray("13") << QByteArray("0.0067") << 3 << 40000.0f << 32767.0f << true;
        QTest::newRow("infinite entry")
            << QByteArray("13") << QByteArray("0.0067") << 3
            << std::numeric_limits<float>::infinity() << 32767.0f << true;
    }

    void limits() {
        QFETCH(QByteArray, minimumBase);
        QFETCH(QByteArray, conversion);
        QFETCH(int, kind);
        QFETCH(float, value);
        QFETCH(float, limited);
        QFETCH(bool, beep);
        ProgramRecord r = sample(minimumBase);
        r.set(Field::Conversion, conversion);
        const RangeResult result = limitToRange(r, value, kind);
        QVERIFY2(qAbs(result.value - limited) < 0.001f, qPrintable(QString::number(result.value)));
        QCOMPARE(result.beep, beep);
    }

    void baseMovesNearRelay_data() {
        QTest::addColumn<QByteArray>("minimumBase");
        QTest::addColumn<QByteArray>("nearRelay");
        QTest::addColumn<float>("base");
        QTest::addColumn<QByteArray>("nearRelayAfter");
        QTest::newRow("near relay raised to the minimum")
            << QByteArray("13") << QByteArray("3") << 20.0f << QByteArray(" 13");
        QTest::newRow("near relay pulled down to the base")
            << QByteArray("6") << QByteArray("50") << 20.0f << QByteArray("20");
        QTest::newRow("pulled down to a metric base")
            << QByteArray("6") << QByteArray("50") << float(33 / 2.54) << QByteArray("12.99213");
        QTest::newRow("near relay within the base stays")
            << QByteArray("6") << QByteArray("10") << 20.0f << QByteArray("10");
    }

    void baseMovesNearRelay() {
        QFETCH(QByteArray, minimumBase);
        QFETCH(QByteArray, nearRelay);
        QFETCH(float, base);
        ProgramRecord r = sample(minimumBase);
        r.set(Field::NearRelay, nearRelay);
        QFETCH(QByteArray, nearRelayAfter);
        limitToRange(r, base, kCheckBase);
        QCOMPARE(r.text(Field::NearRelay), nearRelayAfter.leftJustified(9, ' '));
    }

    void baseMovesRelayDistancesAgainstTheOldSpan() {
        ProgramRecord r = sample();
        r.set(Field::RelayOnDistance, "50");
        r.set(Field::RelayOffDistance, "60");
        limitToRange(r, 100.0f, kCheckBase);
        QCOMPARE(r.trimmed(Field::RelayOnDistance), QByteArray("13"));  // the base before the edit
        QCOMPARE(r.trimmed(Field::RelayOffDistance), QByteArray("43")); // the span before the edit

        ProgramRecord within = sample();
        limitToRange(within, 100.0f, kCheckBase);
        QCOMPARE(within.trimmed(Field::RelayOnDistance), QByteArray("20"));
        QCOMPARE(within.trimmed(Field::RelayOffDistance), QByteArray("40"));
    }

    // A longer span leaves less of the 65353 microseconds for the interval.
    void intervalLimit_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<float>("value");
        QTest::addColumn<QByteArray>("interval");
        QTest::addColumn<double>("intervalAfter");
        // 0.0067 in per count: 350 inches take 52238.8 us, leaving 13114.19 us.
        QTest::newRow("base 50 + range 300")
            << int(kCheckBase) << 50.0f << QByteArray("60000") << 13114.19;
        QTest::newRow("base fits") << int(kCheckBase) << 50.0f << QByteArray("10000") << 10000.0;
        QTest::newRow("range 337 + base 13")
            << int(kCheckRange) << 337.0f << QByteArray("60000") << 13114.19;
        QTest::newRow("total span 350")
            << int(kCheckTotalSpan) << 350.0f << QByteArray("60000") << 13114.19;
        QTest::newRow("near relay leaves the interval")
            << int(kCheckNearRelay) << 10.0f << QByteArray("65000") << 65000.0;
    }

    void intervalLimit() {
        QFETCH(int, kind);
        QFETCH(float, value);
        QFETCH(QByteArray, interval);
        QFETCH(double, intervalAfter);
        ProgramRecord r = sample("6");
        if (kind == kCheckBase)
            r.set(Field::Range, "300");
        r.set(Field::SampleInterval, interval);
        limitToRange(r, value, kind);
        const double stored = r.number(Field::SampleInterval);
        QVERIFY2(qAbs(stored - intervalAfter) < 0.2, r.text(Field::SampleInterval).constData());
    }

    void singleTextCases_data() {
        QTest::addColumn<float>("value");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("whole") << 20.0f << QByteArray("20");
        QTest::newRow("seven digits") << float(33 / 2.54) << QByteArray("12.99213");
        QTest::newRow("negative") << -3.0f << QByteArray("-3");
        QTest::newRow("large, no exponent") << 123456789.0f << QByteArray("123456792");
    }

    void singleTextCases() {
        QFETCH(float, value);
        QTEST(singleText(value), "text");
    }
};

QTEST_GUILESS_MAIN(TestRangeLimits)
#include "test_rangelimits.moc"
