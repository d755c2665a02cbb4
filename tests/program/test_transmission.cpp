#include "../tablerows.h"
#include "program/demoprograms.h"
#include "program/recordreply.h"
#include "program/transmission.h"

#include <QRandomGenerator>
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

} // namespace

struct OffsetCase {
    const char *name, *modeFlags, *offset, *conversion, *line;
};
const OffsetCase kOffsets[] = {
    {"adaptive keeps the text", "000000000", " 10 ", "0.0067", "10"},
    {"linear in counts", "000000100", "10", "0.0067", "448"},
    {"linear, offset not a number", "000000100", "ab", "0.0067", "0"},
    {"linear, conversion 0", "000000100", "10", "0", "0"},
    {"only the digit 1 is linear", "000000x00", "10", "0.0067", "10"},
};

const int kAverage = int(Field::AverageCount);
struct RefusalCase {
    const char* name;
    int program; // the program transmitted
    int field;   // the field given the byte, 0 = the serial number
    int fieldOf; // the program whose field holds it
    const char* text;
    int length; // 0: up to the NUL
    bool fileMode;
    const char* named; // in the message; "" = not refused
};
const RefusalCase kRefusals[] = {
    {"CR in Average", 3, kAverage, 3, "4\r9", 0, false,
     "program #3, field AverageCount holds a carriage return"},
    {"EOT in Base", 1, int(Field::Base), 1, "1\x04", 0, true,
     "program #1, field Base holds an end-of-transmission"},
    {"DC1 in Param39", 4, int(Field::Param39), 4, "\x11", 0, true,
     "field Param39 holds a DC1 byte"},
    {"NUL inside Units", 5, int(Field::Units), 5, "1\0003", 3, false, "holds a NUL byte"},
    {"line feed", 0, kAverage, 0, "1\n", 0, false, "a line feed (byte 10)"},
    {"DEL", 0, kAverage, 0, "\x7f", 0, false, "DEL"},
    {"the unit-wide value of #0 goes with #6", 6, int(Field::Param21), 0, "7\r", 0, false,
     "program #0, field Param21"},
    {"a hold character", 2, int(Field::ModeFlags), 2, "00000\r010", 0, false, "field ModeFlags"},
    {"serial to the unit", 2, 0, 2, "A1\r45", 0, false,
     "the serial number holds a carriage return"},
    // Not carried, so not refused: a transmit file has "X" for the serial, the text never
    // carries Spare02, nor ModeFlags characters 1 to 5, nor a linear offset's own text.
    {"serial in a file", 2, 0, 2, "A1\r45", 0, true, ""},
    {"Spare02", 2, int(Field::Spare02), 2, "\r", 0, false, ""},
    {"ModeFlags position 1", 2, int(Field::ModeFlags), 2, "\r00001010", 0, false, ""},
    {"linear offset goes in counts", 1, int(Field::OffsetPercent), 1, "1\r", 0, false, ""},
    {"a Latin-1 letter travels", 2, kAverage, 2, "\xE9\xFF\x80", 0, false, ""},
};

class TestTransmission : public QObject {
    Q_OBJECT
private slots:
    void wholeTextByteForByte() {
        const ProgramSet set = numberedSet();
        TransmitContext context;
        context.unitSerial = "A12345";
        const QByteArray text = buildTransmissionText(set, 2, context);
        // Field numbers in the order the unit expects them (x10 + program 2), program #0's field
        // 21, then ModeFlags characters 6, 7, 8, the service value and the serial number.
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

    void offsetLineCases_data() { addRows(kOffsets); }
    void offsetLineCases() {
        QFETCH(int, row);
        const OffsetCase& c = kOffsets[row];
        ProgramSet set;
        set[1].set(Field::ModeFlags, c.modeFlags);
        set[1].set(Field::OffsetPercent, c.offset);
        set[1].set(Field::Range, "30");
        set[1].set(Field::Conversion, c.conversion);
        QCOMPARE(buildTransmissionText(set, 1, {}).split(kCR)[2], QByteArray(c.line));
    }

    // The service value goes only to the unit; a transmit file carries "X" for the serial.
    void serviceAndSerial() {
        for (bool fileMode : {false, true}) {
            const TransmitContext context{99, fileMode, " A12345"};
            const QList<QByteArray> lines =
                buildTransmissionText(demoPrograms(), 0, context).split(kCR);
            QCOMPARE(lines[46], QByteArray(fileMode ? "0" : "99"));
            QCOMPARE(lines[47], QByteArray(fileMode ? "X" : "A12345"));
        }
    }

    // Program #2 written out by hand from the line table: mostly blank fields, so the checksum can
    // be added up by hand, and one byte above 127 (0xE9) that must count 233, not -23.
    void goldenTextByHand() {
        ProgramSet set;
        set[2].set(Field::Units, " 0");
        set[2].set(Field::OffsetPercent, "5");
        set[2].set(Field::Base, "13");
        set[2].set(Field::Range, "30");
        set[2].set(Field::ModeFlags, "000001000"); // hold off, adaptive, take-up
        set[2].set(Field::Param39, "\xE9");
        // Lines 1-8, 9-22 blank, 23-25 mode characters, 26-38 blank, 39, 40-46 blank, 47-49.
        // Sum: 48 CRs 624 + "2" 50 + "0" 48 + "5" 53 + "13" 100 + "30" 99 + "1" 49 + "0" 48 +
        // "0" 48 + 0xE9 233 + "0" 48 + "X" 88 = 1488.
        const QByteArray expected = QByteArray("2\r0\r5\r\r\r\r13\r30\r") + QByteArray(14, '\r') +
                                    "1\r0\r0\r" + QByteArray(13, '\r') + "\xE9\r" +
                                    QByteArray(7, '\r') + "0\rX\r1488\r\x04";
        QCOMPARE(buildTransmissionText(set, 2, {0, true, "A12345"}), expected);
    }

    void refusesWhatItCannotCarry_data() { addRows(kRefusals); }
    void refusesWhatItCannotCarry() {
        QFETCH(int, row);
        const RefusalCase& c = kRefusals[row];
        const QByteArray text(c.text, c.length ? c.length : int(qstrlen(c.text)));
        const QString named = QString::fromLatin1(c.named);
        ProgramSet set = demoPrograms(); // program #1 is linear
        TransmitContext context{0, c.fileMode, "A12345"};
        if (c.field == 0)
            context.unitSerial = text;
        else
            set[c.fieldOf].set(static_cast<Field>(c.field), text);
        const auto refusal = checkTransmission(set, c.program, context);
        const QByteArray built = buildTransmissionText(set, c.program, context);
        if (named.isEmpty()) {
            QVERIFY2(!refusal, refusal ? qPrintable(refusal->message()) : "");
            QCOMPARE(built.count(kCR), kTransmissionLines);
            return;
        }
        QVERIFY(refusal);
        QVERIFY2(refusal->message().contains(named), qPrintable(refusal->message()));
        QVERIFY(built.isEmpty()); // nothing malformed comes out of the builder
    }

    // Any field texts at all, all 256 byte values: the text is refused naming a field whose value
    // holds the byte, or it is 49 CR-ended lines, one EOT and the right checksum.
    void randomFieldTextsRefusedOrWellFormed() {
        QRandomGenerator random(20261207);
        // Half the bytes printable (32..126, 128..255), half any value, control bytes favoured.
        const auto anyByte = [&random](bool printable) {
            const int b = printable ? 32 + int(random.bounded(223)) : int(random.bounded(289));
            return char(printable ? (b >= 127 ? b + 1 : b) : (b >= 256 ? b - 256 : b));
        };
        int refused = 0;
        for (int round = 0; round < 3000; ++round) {
            const bool clean = round % 2 == 0;
            ProgramSet set;
            for (int p = 0; p < kProgramCount; ++p) {
                for (const FieldInfo& f : kFieldTable) {
                    QByteArray text;
                    for (int i = int(random.bounded(f.width + 1)); i > 0; --i)
                        text += anyByte(clean || random.bounded(40) != 0);
                    set[p].set(f.field, text);
                }
            }
            const TransmitContext context{random.bounded(2) == 1 ? 99 : 0, random.bounded(2) == 1,
                                          QByteArray(1, anyByte(random.bounded(8) != 0)) + "1"};
            const int program = int(random.bounded(kProgramCount));
            const QByteArray text = buildTransmissionText(set, program, context);
            const std::optional<TransmissionRefusal> refusal =
                checkTransmission(set, program, context);
            if (refusal) {
                ++refused;
                QVERIFY(text.isEmpty());
                const QByteArray holder = refusal->serial
                                              ? context.unitSerial
                                              : set[refusal->program].text(refusal->field);
                QVERIFY2(holder.contains(char(refusal->byte)), qPrintable(refusal->message()));
                QVERIFY(refusal->byte < 32 || refusal->byte == 127);
                continue;
            }
            QCOMPARE(text.count('\x04'), 1);
            QCOMPARE(text.count('\r'), 49);
            for (char c : text.chopped(1)) // no control byte but the line ends
                QVERIFY(c == '\r' || (uchar(c) >= 32 && uchar(c) != 127));
            const int checksumAt = text.lastIndexOf('\r', text.size() - 3) + 1;
            quint32 sum = 0;
            for (char c : text.left(checksumAt))
                sum += uchar(c);
            QCOMPARE(text.mid(checksumAt), QByteArray::number(sum) + "\r\x04");
        }
        QVERIFY(refused > 500 && refused < 1500); // both outcomes, many times
    }
};

QTEST_APPLESS_MAIN(TestTransmission)
#include "test_transmission.moc"
