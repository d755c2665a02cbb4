#include "unitformat.h"

#include <cmath>

namespace qxsim {

namespace {

constexpr char kCR = 13;
constexpr char kEOT = 4;

// Record reply values 1 to 46 by the program field they carry (1..47). 0 marks the places
// of the option text and the serial number; 21 (the unit-wide value) comes from program #0.
constexpr int kOptionsSlot = -1;
constexpr int kSerialSlot = -2;
constexpr int kRecordOrder[46] = {1,  3,  4,  5,  6,  8,  9,  11,           12,          13, 14, 15,
                                  16, 17, 10, 19, 20, 21, 7,  23,           22,          25, 26, 27,
                                  28, 29, 30, 31, 33, 32, 34, 35,           36,          37, 38, 39,
                                  40, 41, 42, 43, 44, 45, 46, kOptionsSlot, kSerialSlot, 18};

// Transmission lines 2 to 46 by the program field they carry; the three negative entries are
// characters 6, 7 and 8 of ModeFlags.
constexpr int kTransmitOrder[45] = {1,  3,  4,  5,  6,  8,  9,  11, 12, 13, 14, 15, 16, 17, 19,
                                    20, 21, 7,  23, 22, 25, -6, -7, -8, 26, 27, 28, 29, 30, 31,
                                    33, 32, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46};
constexpr int kLines = 49;

vanto::Field field(int number) {
    return static_cast<vanto::Field>(number);
}

// The stored text without the blanks around it.
QByteArray stripped(const vanto::ProgramRecord& record, int number) {
    QByteArray text = record.text(field(number));
    while (!text.isEmpty() && text.front() == ' ')
        text.remove(0, 1);
    while (!text.isEmpty() && text.back() == ' ')
        text.chop(1);
    return text;
}

double value(const vanto::ProgramRecord& record, int number) {
    bool ok = false;
    const double v = stripped(record, number).toDouble(&ok);
    return ok && std::isfinite(v) ? v : 0.0;
}

bool linear(const vanto::ProgramRecord& record) {
    return record.text(field(18)).at(6) == '1'; // the 7th character of ModeFlags
}

qint32 byteSum(const QByteArray& bytes) {
    quint32 sum = 0;
    for (const char c : bytes)
        sum += static_cast<unsigned char>(c);
    return static_cast<qint32>(sum);
}

QByteArray wholeText(double v) {
    return QByteArray::number(static_cast<qlonglong>(std::llround(v)));
}

} // namespace

QByteArray unitOffsetOut(const vanto::ProgramRecord& record) {
    if (!linear(record))
        return stripped(record, 3);
    const double conversion = value(record, 6);
    if (conversion == 0.0)
        return "0";
    const float steps = static_cast<float>(value(record, 9) / conversion);
    return wholeText(value(record, 3) * double(steps) / 100.0);
}

QByteArray unitRecordReply(const vanto::ProgramSet& programs, int program, const UnitIdentity& unit,
                           const QByteArray& lead) {
    const vanto::ProgramRecord& record = programs[program];
    QByteArray body = QByteArray::number(unit.running) + kCR;
    for (const int slot : kRecordOrder) {
        if (slot == kOptionsSlot)
            body += unit.options;
        else if (slot == kSerialSlot)
            body += unit.serial;
        else if (slot == 21)
            body += stripped(programs[0], 21);
        else if (slot == 3)
            body += unitOffsetOut(record);
        else
            body += stripped(record, slot);
        body += kCR;
    }
    body += QByteArray::number(byteSum(body)) + kCR;
    return lead + body + kEOT;
}

std::optional<UnitTransmission> readUnitTransmission(const QByteArray& text) {
    const int eot = int(text.indexOf(kEOT));
    if (eot < 0)
        return std::nullopt;
    const QByteArray body = text.left(eot);
    if (!body.endsWith(kCR))
        return std::nullopt;
    UnitTransmission t;
    t.lines = body.left(body.size() - 1).split(kCR);
    if (t.lines.size() != kLines)
        return std::nullopt;
    const QByteArray& number = t.lines[0];
    if (number.size() != 1 || number[0] < '0' || number[0] > '7')
        return std::nullopt;
    t.program = number[0] - '0';
    const int sumAt = int(body.size() - t.lines.last().size() - 1);
    bool ok = false;
    const qlonglong sent = t.lines.last().toLongLong(&ok);
    t.checksumOk = ok && sent == byteSum(body.left(sumAt));
    return t;
}

void storeUnitTransmission(const UnitTransmission& t, vanto::ProgramSet& programs) {
    vanto::ProgramRecord& record = programs[t.program];
    for (int i = 0; i < 45; ++i) {
        const int slot = kTransmitOrder[i];
        const QByteArray& line = t.lines[i + 1];
        if (slot < 0)
            record.setModeFlag(-slot, line.isEmpty() ? ' ' : line[0]);
        else if (slot == 21)
            programs[0].set(field(21), line);
        else
            record.set(field(slot), line);
    }
    if (linear(record)) {
        // The offset came in counts of the range; the unit keeps it as a whole percent.
        const double counts = value(record, 3);
        const double conversion = value(record, 6);
        const double steps = conversion == 0.0 ? 0.0 : value(record, 9) / conversion;
        record.set(field(3), counts == 0.0 || steps == 0.0 ? QByteArray("0")
                                                           : wholeText(counts / steps * 100.0));
    }
}

} // namespace qxsim
