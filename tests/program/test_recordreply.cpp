// The record reply decoder against replies written out by hand from the record layout, with
// their checksums added up by hand: nothing here is built by the code under test.
#include "../tablerows.h"
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

struct DamageCase {
    const char* name;
    int field;
    const char* value;
    int length;                  // 0: up to the NUL
    const char *checksum, *tail; // the checksum added up by hand for the changed record
    bool wellFormed, checksumOk;
};
const DamageCase kDamaged[] = {
    {"as sent", 0, "3", 0, "2537", "\x04", true, true},
    {"checksum one off", 0, "3", 0, "2536", "\x04", true, false},
    // "8" is 5 more than "3": the sum matches, the program number does not.
    {"running program 8", 0, "8", 0, "2542", "\x04", false, true},
    {"running program 7", 0, "7", 0, "2541", "\x04", true, true},
    // A bell (7) instead of "1" (49): 42 less. A byte sum cannot tell a NUL from nothing.
    {"control byte in a field", 15, "P\a0", 0, "2495", "\x04", false, true},
    {"NUL in a field", 15, "P1\0000", 4, "2537", "\x04", false, true},
    {"bytes before the EOT", 0, "3", 0, "2537", "1\x04", false, true},
    {"a field too many", 0, "3", 0, "2537", "1\r\x04", false, true},
};

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

    void damagedRecords_data() { addRows(kDamaged); }
    void damagedRecords() {
        QFETCH(int, row);
        const DamageCase& c = kDamaged[row];
        QList<QByteArray> fields = goldenFields();
        fields[c.field] = QByteArray(c.value, c.length ? c.length : int(qstrlen(c.value)));
        const QByteArray bytes = reply(fields, c.checksum, c.tail);
        QCOMPARE(parseRecordReply(bytes).wellFormed(), c.wellFormed);
        QCOMPARE(parseRecordReply(bytes).checksumOk(), c.checksumOk);
        QVERIFY(!parseRecordReply(bytes.left(60)).wellFormed()); // cut short: never well formed
    }

    // In linear mode the unit sends the offset in counts; it is stored as percent of the range.
    void linearOffsetBackToPercent() {
        // 448 counts of 30 in at 0.0067 in per count (4477.6 counts): 10 %; no range, no store.
        const struct {
            const char *offset, *range;
            bool stored;
            const char* percent;
        } cases[] = {
            {"448", "30", true, "10"}, {"0", "30", true, "0"}, {"448", "0", false, "keep"}};
        for (const auto& c : cases) {
            QList<QByteArray> fields = goldenFields();
            fields[2] = c.offset;
            fields[5] = "0.0067";
            fields[7] = c.range;
            fields[46] = "000000100"; // linear
            ProgramState state;
            state.programs[2].set(Field::OffsetPercent, "keep");
            // The checksum does not matter to storing; the parse is checked above.
            QCOMPARE(storeRecordReply(parseRecordReply(reply(fields, "0")), 2, state), c.stored);
            QCOMPARE(state.programs[2].trimmed(Field::OffsetPercent), QByteArray(c.percent));
        }
    }
};

QTEST_APPLESS_MAIN(TestRecordReply)
#include "test_recordreply.moc"
