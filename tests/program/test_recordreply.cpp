// The record reply decoder against replies written out by hand from the record layout, with
// their checksums added up by hand: nothing here is built by the code under test.
#include "program/programstate.h"
#include "program/recordreply.h"

#include <QTest>

using namespace vanto;

namespace {

// Fields 0 to 46 of a record of program #3 (the unit runs #3): most are empty, so that the
// checksum can be added up by hand. 47 CRs (611) + "3" 51 + "1" 49 + "13" 100 + "30" 99 +
// "P10" 177 + "42" 102 + 0xE9 233 (a byte above 127 counts as such, not as -23) + "2.16 M" 308 +
// "A123456" 374 + "000001000" 433 = 2537.
QList<QByteArray> goldenFields() {
    QList<QByteArray> f(47);
    f[0] = "3";          // the running program
    f[1] = "1";          // Units
    f[6] = "13";         // Base
    f[7] = "30";         // Range
    f[15] = "P10";       // Param10
    f[18] = "42";        // Param21, program #0's
    f[36] = "\xE9";      // Param39
    f[44] = "2.16 M";    // the unit's options
    f[45] = "A123456";   // the serial number, one character longer than it is kept
    f[46] = "000001000"; // ModeFlags: adaptive
    return f;
}

QByteArray reply(const QList<QByteArray>& fields, const QByteArray& checksum,
                 const QByteArray& tail = "\x04") {
    QByteArray r = "xx"; // two lead bytes outside the record
    for (const QByteArray& f : fields)
        r += f + '\r';
    return r + checksum + '\r' + tail;
}

} // namespace

class TestRecordReply : public QObject {
    Q_OBJECT
private slots:
    void goldenRecordStored() {
        const RecordReply r = parseRecordReply(reply(goldenFields(), "2537"));
        QCOMPARE(r.checksum, 2537);
        QVERIFY(r.wellFormed());
        QVERIFY(r.checksumOk());
        QCOMPARE(r.runningProgram, 3);
        ProgramState state;
        state.programs[5].set(Field::Param21, "keep");
        state.programs[5].set(Field::Spare02, "keep"); // not carried by a record
        QVERIFY(storeRecordReply(r, 5, state));
        const ProgramRecord& p = state.programs[5];
        QCOMPARE(p.text(Field::Units), QByteArray("1    "));
        QCOMPARE(p.text(Field::Base), QByteArray("13       "));
        QCOMPARE(p.text(Field::Range), QByteArray("30       "));
        QCOMPARE(p.text(Field::Param10), QByteArray("P10 "));
        QCOMPARE(p.text(Field::Param39), QByteArray("\xE9     "));
        QCOMPARE(p.text(Field::ModeFlags), QByteArray("000001000"));
        QCOMPARE(p.text(Field::Rs232Delay), QByteArray(6, ' '));
        QCOMPARE(p.trimmed(Field::Param21), QByteArray("keep"));
        QCOMPARE(p.trimmed(Field::Spare02), QByteArray("keep"));
        QCOMPARE(state.programs[0].text(Field::Param21), QByteArray("42    "));
        QCOMPARE(state.unitOptions, QByteArray("2.16 M"));
        QCOMPARE(state.unitSerial, QByteArray("A12345"));
    }

    void damagedRecords_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QByteArray>("checksum"); // added up by hand for the changed record
        QTest::addColumn<QByteArray>("tail");
        QTest::addColumn<bool>("wellFormed");
        QTest::addColumn<bool>("checksumOk");
        QTest::newRow("as sent") << 0 << QByteArray("3") << QByteArray("2537") << QByteArray("\x04")
                                 << true << true;
        QTest::newRow("checksum one off")
            << 0 << QByteArray("3") << QByteArray("2536") << QByteArray("\x04") << true << false;
        // "8" is 5 more than "3": the sum matches, the program number does not.
        QTest::newRow("running program 8")
            << 0 << QByteArray("8") << QByteArray("2542") << QByteArray("\x04") << false << true;
        QTest::newRow("running program 7")
            << 0 << QByteArray("7") << QByteArray("2541") << QByteArray("\x04") << true << true;
        // A bell (7) instead of "1" (49): 42 less. A byte sum cannot tell a NUL from nothing.
        QTest::newRow("control byte in a field") << 15 << QByteArray("P\a0") << QByteArray("2495")
                                                 << QByteArray("\x04") << false << true;
        QTest::newRow("NUL in a field") << 15 << QByteArrayLiteral("P1\0000") << QByteArray("2537")
                                        << QByteArray("\x04") << false << true;
        QTest::newRow("bytes before the EOT")
            << 0 << QByteArray("3") << QByteArray("2537") << QByteArray("1\x04") << false << true;
        QTest::newRow("a field too many")
            << 0 << QByteArray("3") << QByteArray("2537") << QByteArray("1\r\x04") << false << true;
    }

    void damagedRecords() {
        QFETCH(int, field);
        QFETCH(QByteArray, value);
        QFETCH(QByteArray, checksum);
        QFETCH(QByteArray, tail);
        QList<QByteArray> fields = goldenFields();
        fields[field] = value;
        const RecordReply r = parseRecordReply(reply(fields, checksum, tail));
        QTEST(r.wellFormed(), "wellFormed");
        QTEST(r.checksumOk(), "checksumOk");
        // Cut short, a record is never well formed.
        QVERIFY(!parseRecordReply(reply(fields, checksum, tail).left(60)).wellFormed());
    }

    // In linear mode the unit sends the offset in counts; it is stored as percent of the range.
    void linearOffsetBackToPercent_data() {
        QTest::addColumn<QByteArray>("offset");
        QTest::addColumn<QByteArray>("range");
        QTest::addColumn<bool>("stored");
        QTest::addColumn<QByteArray>("percent"); // the offset kept
        // 448 counts of 30 in at 0.0067 in per count (4477.6 counts): 10 %.
        QTest::newRow("448 counts")
            << QByteArray("448") << QByteArray("30") << true << QByteArray("10");
        QTest::newRow("0 stays") << QByteArray("0") << QByteArray("30") << true << QByteArray("0");
        QTest::newRow("no range to divide by: nothing stored")
            << QByteArray("448") << QByteArray("0") << false << QByteArray("keep");
    }

    void linearOffsetBackToPercent() {
        QFETCH(QByteArray, offset);
        QFETCH(QByteArray, range);
        QList<QByteArray> fields = goldenFields();
        fields[2] = offset;
        fields[5] = "0.0067";
        fields[7] = range;
        fields[46] = "000000100"; // linear
        ProgramState state;
        state.programs[2].set(Field::OffsetPercent, "keep");
        // The checksum does not matter to storing; the parse is checked above.
        const bool stored = storeRecordReply(parseRecordReply(reply(fields, "0")), 2, state);
        QTEST(stored, "stored");
        QTEST(state.programs[2].trimmed(Field::OffsetPercent), "percent");
    }
};

QTEST_APPLESS_MAIN(TestRecordReply)
#include "test_recordreply.moc"
