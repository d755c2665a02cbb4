// The program record reply: taken apart, checked and stored.
#include "program/demoprograms.h"
#include "program/recordreply.h"
#include "program/transmission.h"
#include "unitformat.h"

#include <QtTest>

using namespace vanto;

class TestRecordReply : public QObject {
    Q_OBJECT
private slots:
    void recordRoundTrip();
    void recordChecksum_data();
    void recordChecksum();
    void longRecordChecksum();
    void linearOffsetBackToPercent();
    void program0KeepsUnitWideField();
};

namespace {

const qxsim::UnitIdentity kUnit{5, "2.16 M", "A12345"};

} // namespace

void TestRecordReply::recordRoundTrip() {
    const ProgramSet demo = demoPrograms();
    ProgramState state;
    for (int k = 0; k < kProgramCount; ++k) {
        const RecordReply reply =
            parseRecordReply(qxsim::unitRecordReply(demo, k, kUnit, "\x01\x02"));
        QVERIFY(reply.wellFormed());
        QVERIFY(reply.checksumOk());
        QCOMPARE(reply.runningProgram, 5);
        QVERIFY(storeRecordReply(reply, k, state));
    }
    QCOMPARE(state.unitOptions, QByteArray("2.16 M"));
    QCOMPARE(state.unitSerial, QByteArray("A12345"));
    // Every field the record carries comes back as it was (values travel trimmed).
    for (int k = 0; k < kProgramCount; ++k) {
        for (const FieldInfo& f : kFieldTable) {
            if (f.field == Field::Spare02 || f.field == Field::Param24 ||
                f.field == Field::Param47 || (k != 0 && f.field == Field::Param21))
                continue; // not carried, or carried only as program #0's unit-wide value
            QVERIFY2(state.programs[k].trimmed(f.field) == demo[k].trimmed(f.field),
                     qPrintable(QStringLiteral("#%1 %2").arg(k).arg(f.name)));
        }
    }
}

void TestRecordReply::recordChecksum_data() {
    QTest::addColumn<int>("at");
    QTest::addColumn<char>("byte");
    QTest::addColumn<bool>("wellFormed");
    QTest::addColumn<bool>("checksumOk");
    // Offsets into the reply; the two leading bytes are outside the checksum.
    QTest::newRow("lead byte 1") << 0 << 'z' << true << true;
    QTest::newRow("lead byte 2") << 1 << 'z' << true << true;
    QTest::newRow("field 1 changed") << 4 << '9' << true << false;
    QTest::newRow("field 0 out of range") << 2 << '9' << false << false;
    QTest::newRow("field 0 not a number") << 2 << 'x' << false << false;
}

void TestRecordReply::recordChecksum() {
    QFETCH(int, at);
    QFETCH(char, byte);
    QByteArray reply = qxsim::unitRecordReply(demoPrograms(), 1, kUnit, "\x01\x02");
    reply[at] = byte;
    const RecordReply r = parseRecordReply(reply);
    QTEST(r.wellFormed(), "wellFormed");
    if (r.wellFormed())
        QTEST(r.checksumOk(), "checksumOk");
}

void TestRecordReply::longRecordChecksum() {
    // A long option text pushes the sum past the 16-bit range; the record is still good.
    const qxsim::UnitIdentity unit{0, QByteArray(400, 'M'), "A12345"};
    const RecordReply r = parseRecordReply(qxsim::unitRecordReply(demoPrograms(), 0, unit, "xx"));
    QVERIFY(r.checksum > 32767);
    QVERIFY(r.wellFormed());
    QVERIFY(r.checksumOk());
    // Truncated: fewer than 47 CRs.
    const QByteArray full = qxsim::unitRecordReply(demoPrograms(), 0, kUnit, "xx");
    QVERIFY(!parseRecordReply(full.left(full.size() / 2)).wellFormed());
}

void TestRecordReply::linearOffsetBackToPercent() {
    ProgramSet programs;
    ProgramRecord& r = programs[2];
    r.set(Field::ModeFlags, "000000100");
    r.set(Field::OffsetPercent, "10");
    r.set(Field::Range, "30");
    r.set(Field::Conversion, "0.0067");
    const QByteArray reply = qxsim::unitRecordReply(programs, 2, kUnit, "xx");
    QVERIFY(reply.contains("\r448\r")); // sent in counts
    ProgramState state;
    QVERIFY(storeRecordReply(parseRecordReply(reply), 2, state));
    QCOMPARE(state.programs[2].trimmed(Field::OffsetPercent), QByteArray("10"));
    // An offset of 0 stays 0; a count with no range to divide by changes nothing.
    r.set(Field::OffsetPercent, "0");
    QVERIFY(storeRecordReply(parseRecordReply(qxsim::unitRecordReply(programs, 2, kUnit, "xx")), 2,
                             state));
    QCOMPARE(state.programs[2].trimmed(Field::OffsetPercent), QByteArray("0"));
    QByteArray zeroRange = qxsim::unitRecordReply(programs, 2, kUnit, "xx");
    RecordReply parsed = parseRecordReply(zeroRange);
    parsed.fields[2] = "448";
    parsed.fields[7] = "0";
    const ProgramState before = state;
    QVERIFY(!storeRecordReply(parsed, 2, state));
    QCOMPARE(state.programs[2], before.programs[2]);
}

void TestRecordReply::program0KeepsUnitWideField() {
    ProgramSet programs = demoPrograms();
    programs[0].set(Field::Param21, "1234.5");
    ProgramState state;
    state.programs[5].set(Field::Param21, "keep");
    QVERIFY(storeRecordReply(parseRecordReply(qxsim::unitRecordReply(programs, 5, kUnit, "xx")), 5,
                             state));
    QCOMPARE(state.programs[0].trimmed(Field::Param21), QByteArray("1234.5"));
    QCOMPARE(state.programs[5].trimmed(Field::Param21), QByteArray("keep"));
}

QTEST_GUILESS_MAIN(TestRecordReply)
#include "test_recordreply.moc"
