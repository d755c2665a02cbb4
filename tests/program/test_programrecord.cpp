#include "program/demoprograms.h"
#include "program/derived.h"
#include "program/programcompare.h"
#include "program/programrecord.h"
#include "shared/numtext.h"

#include <QTest>

#include <cmath>

using namespace vanto;

class TestProgramRecord : public QObject {
    Q_OBJECT
private slots:
    void layout_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("at");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("name");
        // Positions spread over the whole record, so a wrong width anywhere shifts one of them.
        QTest::newRow("1") << 1 << 0 << 5 << "Units";
        QTest::newRow("6") << 6 << 24 << 9 << "Conversion";
        QTest::newRow("10") << 10 << 55 << 4 << "Param10";
        QTest::newRow("18") << 18 << 112 << 9 << "ModeFlags";
        QTest::newRow("25") << 25 << 162 << 7 << "SampleInterval";
        QTest::newRow("33") << 33 << 203 << 8 << "ClockFrequency";
        QTest::newRow("47") << 47 << 269 << 9 << "Param47";
    }
    void layout() {
        QFETCH(int, field);
        QFETCH(int, at);
        QFETCH(int, width);
        QFETCH(QString, name);
        QCOMPARE(fieldByName(name), std::optional<Field>(static_cast<Field>(field)));
        // Writing the field changes exactly its characters of the image.
        ProgramRecord r;
        r.set(static_cast<Field>(field), QByteArray(width, 'x'));
        const QByteArray image = r.bytes();
        QCOMPARE(image.size(), kRecordSize);
        QCOMPARE(image.count('x'), width);
        QCOMPARE(image.indexOf('x'), at);
    }

    // Any Units value but 0 is metric.
    void unitsSelectMetric() {
        const std::pair<const char*, double> cases[] = {
            {" 1", 2.54}, {"1    ", 2.54}, {"2", 2.54}, {"", 1.0}, {" 0", 1.0}};
        for (const auto& [units, factor] : cases) {
            ProgramRecord r;
            r.set(Field::Units, units);
            QCOMPARE(r.unitFactor(), factor);
        }
    }

    void modeFlagsChangeOneCharacter() {
        ProgramRecord r;
        r.set(Field::ModeFlags, "123450789");
        r.setModeFlag(kModeLinear, '1');
        r.setModeFlag(kModeHold, '1');
        QCOMPARE(r.text(Field::ModeFlags), QByteArray("123451189"));
        QVERIFY(r.linearMode());
        QVERIFY(!r.holdOn());
        QVERIFY(!r.payOut());   // only the digit 1 means pay-out
        r.setModeFlag(10, '1'); // outside the field: ignored
        QCOMPARE(r.text(Field::HysteresisOff), QByteArray(4, ' '));
    }

    void derivedValues() {
        ProgramRecord r;
        r.set(Field::Base, "13");
        r.set(Field::Range, "30");
        r.set(Field::TotalSpan, "40");
        r.set(Field::Conversion, "0.0067");
        r.set(Field::SampleInterval, "20000");
        QCOMPARE(totalSpanOf(r), 43.0);
        QCOMPARE(formatNumber(coneDiameter(r), "0.00"), QByteArray("12.20"));
        r.set(Field::Units, " 1");
        QCOMPARE(formatNumber(coneDiameter(r), "0.00"), QByteArray("30.99"));
        QCOMPARE(formatNumber(pwmFrequency(r), "0.00"), QByteArray("1340.54"));
        QCOMPARE(formatNumber(sampleTimeMs(r), "0.00"), QByteArray("25.97"));
    }

    void conversionAtTemperature() {
        QCOMPARE(QByteArray::number(vanto::conversionAtTemperature(0.0f), 'f', 7), "0.0065226");
        QCOMPARE(QByteArray::number(vanto::conversionAtTemperature(25.0f), 'f', 7), "0.0068145");
        QVERIFY(std::isfinite(vanto::conversionAtTemperature(-400.0f)));
    }

    void derivedValuesWithZeroDivisors() {
        const ProgramRecord blank;
        QCOMPARE(pwmFrequency(blank), 0.0f);
        QCOMPARE(sampleTimeMs(blank), 0.0f);
        QCOMPARE(rangeCounts(blank), 0.0);
        ProgramRecord noConversion;
        noConversion.set(Field::Range, "30");
        noConversion.set(Field::TotalSpan, "43");
        noConversion.set(Field::SampleInterval, "5000");
        QCOMPARE(pwmFrequency(noConversion), 0.0f);
        QCOMPARE(sampleTimeMs(noConversion), 5.0f);
    }

    // A program file written out by hand from the record layout: 278 bytes per program, each field
    // at its offset, blanks everywhere else; no header, no separators.
    void programFileBytes() {
        ProgramSet set;
        set[0].set(Field::Units, " 1");        // program #0, field 1: byte 0
        set[1].set(Field::AverageCount, "16"); // program #1, field 13: 278 + 77
        set[3].set(Field::Spare02, "sp");      // program #3, field 2: 3 * 278 + 5
        set[7].set(Field::Param47, "\xE9nd");  // program #7, field 47: 7 * 278 + 269, the last 9
        QByteArray expected(2224, ' ');
        expected.replace(0, 2, " 1");
        expected.replace(355, 2, "16");
        expected.replace(839, 2, "sp");
        expected.replace(2215, 3, "\xE9nd");
        QCOMPARE(set.bytes(), expected);
        QCOMPARE(ProgramSet::fromBytes(expected), std::optional<ProgramSet>(set));
        QVERIFY(!ProgramSet::fromBytes(expected.left(2223)));
        QVERIFY(!ProgramSet::fromBytes(expected + ' '));
    }

    // Compare by field, in display units: blanks around a value are no difference, ModeFlags
    // compares position by position, and one program can be compared alone.
    void compare() {
        ProgramSet left;
        ProgramSet right;
        left[0].set(Field::Units, "0");
        right[0].set(Field::Units, " 0");
        right[0].set(Field::Base, "14");
        right[0].set(Field::ModeFlags, " 1");
        right[5].set(Field::Base, "20");
        const QList<ProgramDifference> all = comparePrograms(left, right, {}, -1);
        QCOMPARE(all.size(), 3);
        QCOMPARE(differingPrograms(all), (QList<int>{0, 5}));
        const QList<ProgramDifference> first = comparePrograms(left, right, {}, 0);
        QCOMPARE(first.size(), 2); // Base and ModeFlags of #0 only
        QCOMPARE(first[0].field, Field::Base);
        QCOMPARE(first[1].field, Field::ModeFlags);
    }
};

QTEST_APPLESS_MAIN(TestProgramRecord)
#include "test_programrecord.moc"
