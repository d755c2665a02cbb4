#include "program/demoprograms.h"
#include "program/recordreply.h"
#include "program/transmission.h"
#include "unitformat.h"

#include <QTest>

using namespace vanto;

namespace {

// A program whose every transmitted field holds a distinct value, so that the order shows.
ProgramSet numberedSet() {
    ProgramSet set;
    for (int p = 0; p < kProgramCount; ++p) {
        for (const FieldInfo& f : kFieldTable)
            set[p].set(f.field, QByteArray::number(int(f.field) * 10 + p));
        set[p].set(Field::ModeFlags, "abcde021z"); // not linear: the offset goes as stored
    }
    return set;
}

QList<QByteArray> linesOf(const QByteArray& text) {
    QList<QByteArray> lines = text.split(kCR);
    return lines;
}

} // namespace

class TestTransmission : public QObject {
    Q_OBJECT
private slots:
    void wholeTextByteForByte();
    void frameAndChecksum();
    void programNumberAndUnits();
    void offsetLine_data();
    void offsetLine();
    void serviceAndSerial_data();
    void serviceAndSerial();
    void blankAndInnerBlankFields();
    void parseRoundTrip();
    void parseRefusesMalformed_data();
    void parseRefusesMalformed();
    void recordReplyChecksum();
};

void TestTransmission::wholeTextByteForByte() {
    const ProgramSet set = numberedSet();
    TransmitContext context;
    context.unitSerial = "A12345";
    const QByteArray text = BuildTransmissionText(set, 2, context);
    // Field numbers in the order the unit expects them (x10 + program 2), program #0's field 21,
    // then ModeFlags characters 6, 7, 8, the service value and the serial number.
    const QList<QByteArray> body = {
        "2",   "12",  "32",  "42",  "52",  "62",  "82",  "92",  "112", "122", "132", "142",
        "152", "162", "172", "192", "202", "210", "72",  "232", "222", "252", "0",   "2",
        "1",   "262", "272", "282", "292", "302", "312", "332", "322", "342", "352", "362",
        "372", "382", "392", "402", "412", "422", "432", "442", "452", "462", "0",   "A12345"};
    QByteArray expected;
    for (const QByteArray& line : body)
        expected += line + '\r';
    int sum = 0;
    for (char c : expected)
        sum += static_cast<unsigned char>(c);
    expected += QByteArray::number(sum) + "\r\x04";
    QCOMPARE(text, expected);
}

void TestTransmission::frameAndChecksum() {
    const ProgramSet set = DemoPrograms();
    for (int p = 0; p < kProgramCount; ++p) {
        const QByteArray text = BuildTransmissionText(set, p, {});
        QCOMPARE(text.count(kCR), kTransmissionLines);
        QVERIFY(text.endsWith("\r\x04"));
        QCOMPARE(text.count(kEOT), 1);
        const QList<QByteArray> lines = linesOf(text);
        const int checksumStart = text.lastIndexOf(kCR, text.size() - 3) + 1;
        QCOMPARE(lines[48], QByteArray::number(ByteSum(text.left(checksumStart))));
    }
}

void TestTransmission::programNumberAndUnits() {
    ProgramSet set;
    set[3].set(Field::Units, " 0");
    QVERIFY(BuildTransmissionText(set, 3, {}).startsWith("3\r0\r"));
}

void TestTransmission::offsetLine_data() {
    QTest::addColumn<QByteArray>("modeFlags");
    QTest::addColumn<QByteArray>("offset");
    QTest::addColumn<QByteArray>("conversion");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("adaptive keeps the text") << QByteArray("000000000") << QByteArray(" 10 ")
                                             << QByteArray("0.0067") << QByteArray("10");
    QTest::newRow("linear in counts")
        << QByteArray("000000100") << QByteArray("10") << QByteArray("0.0067") << QByteArray("448");
    QTest::newRow("linear zero") << QByteArray("000000100") << QByteArray("0")
                                 << QByteArray("0.0067") << QByteArray("0");
    QTest::newRow("linear, offset not a number")
        << QByteArray("000000100") << QByteArray("ab") << QByteArray("0.0067") << QByteArray("0");
    QTest::newRow("linear, conversion 0")
        << QByteArray("000000100") << QByteArray("10") << QByteArray("0") << QByteArray("0");
    QTest::newRow("only the digit 1 is linear")
        << QByteArray("000000x00") << QByteArray("10") << QByteArray("0.0067") << QByteArray("10");
}

void TestTransmission::offsetLine() {
    QFETCH(QByteArray, modeFlags);
    QFETCH(QByteArray, offset);
    QFETCH(QByteArray, conversion);
    QFETCH(QByteArray, line);
    ProgramSet set;
    set[1].set(Field::ModeFlags, modeFlags);
    set[1].set(Field::OffsetPercent, offset);
    set[1].set(Field::Range, "30");
    set[1].set(Field::Conversion, conversion);
    QCOMPARE(linesOf(BuildTransmissionText(set, 1, {}))[2], line);
}

void TestTransmission::serviceAndSerial_data() {
    QTest::addColumn<int>("serviceFlag");
    QTest::addColumn<bool>("fileMode");
    QTest::addColumn<QByteArray>("service");
    QTest::addColumn<QByteArray>("serial");
    QTest::newRow("port, /QV") << 99 << false << QByteArray("99") << QByteArray("A12345");
    QTest::newRow("file, /QV") << 99 << true << QByteArray("0") << QByteArray("X");
    QTest::newRow("port") << 0 << false << QByteArray("0") << QByteArray("A12345");
    QTest::newRow("file") << 0 << true << QByteArray("0") << QByteArray("X");
}

void TestTransmission::serviceAndSerial() {
    QFETCH(int, serviceFlag);
    QFETCH(bool, fileMode);
    QFETCH(QByteArray, service);
    QFETCH(QByteArray, serial);
    TransmitContext context{serviceFlag, fileMode, " A12345"};
    const QList<QByteArray> lines = linesOf(BuildTransmissionText(DemoPrograms(), 0, context));
    QCOMPARE(lines[46], service);
    QCOMPARE(lines[47], serial);
}

void TestTransmission::blankAndInnerBlankFields() {
    ProgramSet set = DemoPrograms();
    set[0].set(Field::ControlRelayEnable, "");
    set[0].set(Field::Base, " 1 3 ");
    const QByteArray text = BuildTransmissionText(set, 0, {});
    const QList<QByteArray> lines = linesOf(text);
    QCOMPARE(lines[3], QByteArray());
    QCOMPARE(lines[6], QByteArray("1 3"));
}

void TestTransmission::parseRoundTrip() {
    // The host's text, read by the simulated unit's own reader.
    ProgramSet set = DemoPrograms();
    set[5].set(Field::Base, "17");
    const QByteArray text = BuildTransmissionText(set, 5, {0, false, "A12345"});
    const std::optional<qxsim::UnitTransmission> parsed = qxsim::ReadUnitTransmission(text);
    QVERIFY(parsed);
    QCOMPARE(parsed->program, 5);
    QVERIFY(parsed->checksumOk);
    ProgramSet stored = DemoPrograms();
    stored[0].set(Field::Param21, "x");
    qxsim::StoreUnitTransmission(*parsed, stored);
    QCOMPARE(stored[5].trimmed(Field::Base), QByteArray("17"));
    QCOMPARE(stored[0].trimmed(Field::Param21), set[0].trimmed(Field::Param21));
    // Every carried field comes back; the fields the text does not carry keep their values.
    for (const FieldInfo& f : kFieldTable)
        QCOMPARE(stored[5].trimmed(f.field), set[5].trimmed(f.field));

    QByteArray corrupted = text;
    corrupted[8] = corrupted[8] == '1' ? '2' : '1';
    const std::optional<qxsim::UnitTransmission> bad = qxsim::ReadUnitTransmission(corrupted);
    QVERIFY(bad);
    QVERIFY(!bad->checksumOk);
}

void TestTransmission::parseRefusesMalformed_data() {
    const QByteArray good = BuildTransmissionText(DemoPrograms(), 1, {});
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("no EOT") << good.left(good.size() - 1);
    QTest::newRow("a line short") << good.mid(good.indexOf('\r') + 1);
    QTest::newRow("program 8") << QByteArray("8" + good.mid(1));
    QTest::newRow("empty") << QByteArray("\x04");
}

void TestTransmission::parseRefusesMalformed() {
    QFETCH(QByteArray, text);
    QVERIFY(!qxsim::ReadUnitTransmission(text));
}

void TestTransmission::recordReplyChecksum() {
    const ProgramSet set = DemoPrograms();
    const QByteArray reply = qxsim::UnitRecordReply(set, 1, {4, "2.16 M", "A12345"}, "x\r");
    QVERIFY(reply.startsWith("x\r4\r"));
    QVERIFY(reply.endsWith("\r\x04"));
    const QByteArray body = reply.mid(kRecordReplyLeadBytes);
    QCOMPARE(body.count(kCR), kRecordReplyFields);
    const QList<QByteArray> fields = body.split(kCR);
    const int checksumStart = body.lastIndexOf(kCR, body.size() - 3) + 1;
    QCOMPARE(fields[47], QByteArray::number(ByteSum(body.left(checksumStart))));
    QCOMPARE(fields[2], QByteArray("592")); // program #1 is linear: its 10 % go as counts
    QCOMPARE(fields[18], set[0].trimmed(Field::Param21));
    QCOMPARE(fields[45], QByteArray("A12345"));
    QCOMPARE(fields[46], set[1].trimmed(Field::ModeFlags));
}

QTEST_APPLESS_MAIN(TestTransmission)
#include "test_transmission.moc"
