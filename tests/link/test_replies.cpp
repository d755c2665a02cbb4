// The status byte and the meter value.
#include "link/replies.h"
#include "program/maindisplaymodel.h"

#include <QtTest>

using namespace vanto;

class TestReplies : public QObject {
    Q_OBJECT
private slots:
    void statusFlags_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("model");
        QTest::addColumn<QByteArray>("minimumBase");
        QTest::addColumn<QString>("flags"); // n: NEAR, f: FAR, r: reload
        QTest::newRow("nothing") << 128 << "QX3700" << QByteArray("6") << "";
        QTest::newRow("near far") << 128 + 6 << "QX3700" << QByteArray("6") << "nf";
        QTest::newRow("far") << 128 + 2 << "QX3700" << QByteArray("6") << "f";
        QTest::newRow("reload") << 128 + 8 << "QX3700" << QByteArray("6") << "r";
        QTest::newRow("bit 0 unused") << 129 << "QX3700" << QByteArray("6") << "";
        // Below 128 the difference is negative; its two's-complement bits still count.
        QTest::newRow("byte 4") << 4 << "QX3700" << QByteArray("6") << "n";
        QTest::newRow("3100 base 6 ok") << 128 << "QX3100" << QByteArray("6") << "";
        QTest::newRow("3100 base 13 stale") << 128 << "QX3100" << QByteArray("13") << "r";
        QTest::newRow("3100 bit16 base 13") << 128 + 16 << "QX3100" << QByteArray("13") << "";
        QTest::newRow("3100 bit16 base 6") << 128 + 16 << "QX3100" << QByteArray("6") << "r";
        QTest::newRow("3700 ignores bit16") << 128 + 16 << "QX3700" << QByteArray("6") << "";
    }

    void statusFlags() {
        QFETCH(int, status);
        QFETCH(QString, model);
        QFETCH(QByteArray, minimumBase);
        ProgramRecord running;
        running.set(Field::MinimumBase, minimumBase);
        const StatusFlags f = deriveStatusFlags(status, model, running);
        QString flags;
        for (const auto& [on, letter] : {std::pair{f.near, 'n'}, {f.far, 'f'}, {f.reload, 'r'}})
            flags += on ? QString(QLatin1Char(letter)) : QString();
        QTEST(flags, "flags");
    }

    void meterValue_data() {
        QTest::addColumn<int>("meterMode");
        QTest::addColumn<int>("outputMode");
        QTest::addColumn<int>("payOut");
        QTest::addColumn<int>("offset");
        QTest::addColumn<float>("share");
        QTest::addColumn<float>("distance");
        QTest::addColumn<float>("analog");
        QTest::addColumn<bool>("far");
        QTest::addColumn<float>("expected");
        // Base 10, range 20 throughout.
        QTest::newRow("analog") << 1 << 1 << 0 << 0 << 0.f << 15.f << 42.5f << false << 42.5f;
        QTest::newRow("distance") << 3 << 1 << 0 << 0 << 0.f << 15.f << 0.f << false << 15.f;
        QTest::newRow("other mode") << 7 << 1 << 0 << 0 << 0.f << 15.f << 0.f << false << 0.f;
        QTest::newRow("linear at base") << 2 << 1 << 0 << 0 << 0.f << 10.f << 0.f << false << 0.f;
        QTest::newRow("linear full") << 2 << 1 << 0 << 0 << 0.f << 30.f << 0.f << false << 100.f;
        QTest::newRow("linear beyond") << 2 << 1 << 0 << 0 << 0.f << 50.f << 0.f << false << 100.f;
        QTest::newRow("linear below") << 2 << 1 << 0 << 0 << 0.f << 5.f << 0.f << false << 0.f;
        QTest::newRow("linear half offset")
            << 2 << 1 << 0 << 10 << 0.f << 20.f << 0.f << false << 40.f;
        QTest::newRow("linear pay-out") << 2 << 1 << 1 << 0 << 0.f << 15.f << 0.f << false << 75.f;
        QTest::newRow("linear far") << 2 << 1 << 0 << 0 << 0.f << 20.f << 0.f << true << 0.f;
        QTest::newRow("adaptive") << 2 << 0 << 0 << 0 << 0.f << 20.f << 0.f << false << 0.f;
        // Sum: p = 0.5, at distance 20 x = 0.5, t = 0.5, d = 0: the analog value itself.
        QTest::newRow("sum middle") << 2 << 2 << 0 << 0 << 50.f << 20.f << 60.f << false << 60.f;
        // At distance 30 x = 1, t = 1, d = 0.5: 60 + 30.
        QTest::newRow("sum far end") << 2 << 4 << 0 << 0 << 50.f << 30.f << 60.f << false << 90.f;
        QTest::newRow("sum pay-out") << 2 << 2 << 1 << 0 << 50.f << 30.f << 60.f << false << 30.f;
        // Below base t = 0, d = -0.5: 60 - 30.
        QTest::newRow("sum below base") << 2 << 2 << 0 << 0 << 50.f << 5.f << 60.f << false << 30.f;
        QTest::newRow("sum far ignored")
            << 2 << 2 << 0 << 0 << 50.f << 20.f << 60.f << true << 60.f;
        // Scaled: 0.5 × 0.5 × 80 = 20; pay-out (0.5 − 0.25) × 80 = 20 as well at the middle.
        QTest::newRow("scaled") << 2 << 3 << 0 << 0 << 50.f << 20.f << 80.f << false << 20.f;
        QTest::newRow("scaled pay-out end")
            << 2 << 3 << 1 << 0 << 50.f << 30.f << 80.f << false << 0.f;
        QTest::newRow("scaled pay-out below")
            << 2 << 3 << 1 << 0 << 50.f << 5.f << 80.f << false << 40.f;
    }

    void meterValue() {
        QFETCH(int, meterMode);
        QFETCH(float, distance);
        QFETCH(float, analog);
        QFETCH(bool, far);
        QFETCH(float, expected);
        QFETCH(int, outputMode);
        QFETCH(int, payOut);
        QFETCH(int, offset);
        QFETCH(float, share);
        MainDisplayModel d;
        d.baseShown = 10;
        d.rangeShown = 20;
        d.outputMode = outputMode;
        d.payOutMode = payOut;
        d.offsetValue = qint16(offset);
        d.sumScaleShare = share;
        float last = -1;
        const float value = computeMeterValue(meterMode, {distance, analog, far}, d, &last);
        QVERIFY2(qAbs(value - expected) < 1e-4f, qPrintable(QString::number(value)));
    }

    void holdKeepsLastOutput() {
        MainDisplayModel d;
        d.baseShown = 10;
        d.rangeShown = 20;
        d.outputMode = 1;
        d.holdOn = true;
        float last = 0;
        QCOMPARE(computeMeterValue(2, {25.f, 0.f, false}, d, &last), 75.f);
        // FAR exceeded with hold on: the last output stays, whatever the distance says.
        QCOMPARE(computeMeterValue(2, {40.f, 0.f, true}, d, &last), 75.f);
        // Without hold, FAR in linear mode shows 0 without forgetting the last value.
        d.holdOn = false;
        QCOMPARE(computeMeterValue(2, {40.f, 0.f, true}, d, &last), 0.f);
        QCOMPARE(last, 75.f);
        // A zero range at the base gives no number: 0, not a non-number.
        d.rangeShown = 0;
        QCOMPARE(computeMeterValue(2, {10.f, 0.f, false}, d, &last), 0.f);
        QCOMPARE(last, 0.f);
    }
};

QTEST_GUILESS_MAIN(TestReplies)
#include "test_replies.moc"
