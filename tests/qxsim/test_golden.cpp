// The record reply and the program transmission as bytes written out by hand from the two
// message formats, checked against both sides: the host's reader and writer, and the
// simulator's own. Every value differs ("v8" is program field 8), so a field carried in the
// wrong place, left out or taken twice shows.
#include "unitformat.h"

#include "program/programstate.h"
#include "program/recordreply.h"
#include "program/transmission.h"

#include <QtTest>

using namespace vanto;

namespace {

// Program #3 of the unit, running program 2; program #0 holds the unit-wide field 21.
const QByteArray kRecordAdaptive =
    "{\r" // the two leading bytes: the command byte 123 echoed and a CR
    "2\r"
    "v1\rv3\rv4\rv5\rv6\rv8\rv9\rv11\rv12\rv13\rv14\rv15\rv16\rv17\rv10\rv19\rv20\r"
    "p021\r"
    "v7\rv23\rv22\rv25\rv26\rv27\rv28\rv29\rv30\rv31\rv33\rv32\rv34\rv35\rv36\rv37\rv38\r"
    "v39\rv40\rv41\rv42\rv43\rv44\rv45\rv46\r"
    "2.16 M\rA12345\r123450089\r"
    "10885\r\x04";

// The same program in linear mode: its 10 % offset goes out as counts of 30 / 0.0067.
const QByteArray kRecordLinear =
    "{\r"
    "2\r"
    "v1\r448\rv4\rv5\r0.0067\rv8\r30\rv11\rv12\rv13\rv14\rv15\rv16\rv17\rv10\rv19\rv20\r"
    "p021\r"
    "v7\rv23\rv22\rv25\rv26\rv27\rv28\rv29\rv30\rv31\rv33\rv32\rv34\rv35\rv36\rv37\rv38\r"
    "v39\rv40\rv41\rv42\rv43\rv44\rv45\rv46\r"
    "2.16 M\rA12345\r000000100\r"
    "10896\r\x04";

// Program #3 sent to a unit whose serial number is A12345 (not in service mode).
const QByteArray kTransmitAdaptive =
    "3\r"
    "v1\rv3\rv4\rv5\rv6\rv8\rv9\rv11\rv12\rv13\rv14\rv15\rv16\rv17\rv19\rv20\r"
    "p021\r"
    "v7\rv23\rv22\rv25\r"
    "0\r0\r8\r" // characters 6, 7 and 8 of ModeFlags 123450089
    "v26\rv27\rv28\rv29\rv30\rv31\rv33\rv32\rv34\rv35\rv36\rv37\rv38\rv39\rv40\rv41\rv42\r"
    "v43\rv44\rv45\rv46\r"
    "0\rA12345\r"
    "10112\r\x04";

const QByteArray kTransmitLinear =
    "3\r"
    "v1\r448\rv4\rv5\r0.0067\rv8\r30\rv11\rv12\rv13\rv14\rv15\rv16\rv17\rv19\rv20\r"
    "p021\r"
    "v7\rv23\rv22\rv25\r"
    "0\r1\r0\r"
    "v26\rv27\rv28\rv29\rv30\rv31\rv33\rv32\rv34\rv35\rv36\rv37\rv38\rv39\rv40\rv41\rv42\r"
    "v43\rv44\rv45\rv46\r"
    "0\rA12345\r"
    "10147\r\x04";

ProgramSet unitPrograms(bool linear) {
    ProgramSet set;
    for (const FieldInfo& f : kFieldTable)
        set[3].set(f.field, "v" + QByteArray::number(int(f.field)));
    set[3].set(Field::ModeFlags, linear ? "000000100" : "123450089");
    if (linear) {
        set[3].set(Field::OffsetPercent, "10");
        set[3].set(Field::Conversion, "0.0067");
        set[3].set(Field::Range, "30");
    }
    set[0].set(Field::Param21, "p021");
    return set;
}

// Fields a record does not carry: 2, 24 and 47 (21 travels in program #0).
bool carriedByRecord(Field f) {
    return f != Field::Spare02 && f != Field::Param24 && f != Field::Param47 && f != Field::Param21;
}

} // namespace

class TestGolden : public QObject {
    Q_OBJECT
private slots:
    void messages_data() {
        QTest::addColumn<bool>("linear");
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<QByteArray>("transmit");
        QTest::newRow("adaptive") << false << kRecordAdaptive << kTransmitAdaptive;
        QTest::newRow("linear") << true << kRecordLinear << kTransmitLinear;
    }
    void recordReply_data() { messages_data(); }
    void transmission_data() { messages_data(); }

    void recordReply() {
        QFETCH(bool, linear);
        QFETCH(QByteArray, record);
        const ProgramSet unit = unitPrograms(linear);
        // The simulator sends exactly these bytes...
        QCOMPARE(qxsim::unitRecordReply(unit, 3, {2, "2.16 M", "A12345"}, "{\r"), record);
        // ...and the host files them as the unit holds them.
        const RecordReply reply = parseRecordReply(record);
        QVERIFY(reply.wellFormed());
        QVERIFY(reply.checksumOk());
        QCOMPARE(reply.runningProgram, 2);
        ProgramState state;
        QVERIFY(storeRecordReply(reply, 3, state));
        for (const FieldInfo& f : kFieldTable) {
            const QByteArray expected = carriedByRecord(f.field) ? unit[3].trimmed(f.field) : "";
            QCOMPARE(state.programs[3].trimmed(f.field), expected);
        }
        QCOMPARE(state.programs[0].trimmed(Field::Param21), QByteArray("p021"));
        QCOMPARE(state.unitOptions, QByteArray("2.16 M"));
        QCOMPARE(state.unitSerial, QByteArray("A12345"));
    }

    void transmission() {
        QFETCH(bool, linear);
        QFETCH(QByteArray, transmit);
        const ProgramSet unit = unitPrograms(linear);
        // The host sends exactly these bytes...
        QCOMPARE(buildTransmissionText(unit, 3, {0, false, "A12345"}), transmit);
        // ...and the simulated unit stores what they carry, and nothing else.
        const std::optional<qxsim::UnitTransmission> t = qxsim::readUnitTransmission(transmit);
        QVERIFY(t);
        QCOMPARE(t->program, 3);
        QVERIFY(t->checksumOk);
        ProgramSet stored;
        qxsim::storeUnitTransmission(*t, stored);
        for (const FieldInfo& f : kFieldTable) {
            const bool carried = carriedByRecord(f.field) && f.field != Field::Param10;
            QByteArray expected = carried ? unit[3].trimmed(f.field) : "";
            if (f.field == Field::ModeFlags)
                expected = linear ? "010" : "008"; // only characters 6 to 8 travel
            QCOMPARE(stored[3].trimmed(f.field), expected);
        }
        QCOMPARE(stored[0].trimmed(Field::Param21), QByteArray("p021"));
    }
};

QTEST_GUILESS_MAIN(TestGolden)
#include "test_golden.moc"
