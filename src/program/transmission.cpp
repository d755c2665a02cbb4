#include "transmission.h"

#include "shared/numtext.h"

namespace vanto {

namespace {

constexpr TransmissionLine line(Field f) {
    return {TransmissionLine::FieldText, f, 0};
}
constexpr TransmissionLine special(TransmissionLine::Kind k) {
    return {k, Field::Units, 0};
}
constexpr TransmissionLine modeChar(int position) {
    return {TransmissionLine::ModeChar, Field::ModeFlags, position};
}

} // namespace

const std::array<TransmissionLine, kTransmissionLines> kTransmissionLayout = {{
    special(TransmissionLine::ProgramNumber),
    line(Field::Units),
    {TransmissionLine::Offset, Field::OffsetPercent, 0},
    line(Field::ControlRelayEnable),
    line(Field::Rs232Enable),
    line(Field::Conversion),
    line(Field::Base),
    line(Field::Range),
    line(Field::NearRelay),
    line(Field::OverCount),
    line(Field::AverageCount),
    line(Field::RelayOnDistance),
    line(Field::RelayOffDistance),
    line(Field::RelayDelay),
    line(Field::Rs232Content),
    line(Field::Rs232Delay),
    line(Field::Rs232Baud),
    {TransmissionLine::Program0Field, Field::Param21, 0},
    line(Field::DoubleEcho),
    line(Field::TotalSpan),
    line(Field::MuxSensors),
    line(Field::SampleInterval),
    modeChar(kModeHold),
    modeChar(kModeLinear),
    modeChar(kModeDirection),
    line(Field::Param26),
    line(Field::SumScaleChannel),
    line(Field::Param28),
    line(Field::Param29),
    line(Field::Param30),
    line(Field::ClockEnable),
    line(Field::ClockFrequency),
    line(Field::ClockDelay),
    line(Field::CountMode),
    line(Field::CountDelay),
    line(Field::SumScaleEnable),
    line(Field::SumScaleType),
    line(Field::SumScalePercent),
    line(Field::Param39),
    line(Field::SlaveMode),
    line(Field::Param41),
    line(Field::Param42),
    line(Field::Temperature),
    line(Field::TempSensorMode),
    line(Field::MinimumBase),
    line(Field::HysteresisOff),
    special(TransmissionLine::Service),
    special(TransmissionLine::Serial),
    special(TransmissionLine::Checksum),
}};

QByteArray offsetLine(const ProgramRecord& record) {
    if (!record.linearMode())
        return record.trimmed(Field::OffsetPercent);
    const double conversion = record.number(Field::Conversion);
    if (conversion == 0.0)
        return "0";
    const float counts = static_cast<float>(record.number(Field::Range) / conversion);
    return formatNumber(record.number(Field::OffsetPercent) * double(counts) / 100.0, "0");
}

qint32 byteSum(const QByteArray& text) {
    quint32 sum = 0; // unsigned: wraps instead of overflowing, read back as signed 32-bit
    for (char c : text)
        sum += static_cast<unsigned char>(c);
    return static_cast<qint32>(sum);
}

bool transmittableByte(unsigned char byte) {
    return byte >= 32 && byte != 127;
}

QString describeByte(unsigned char byte) {
    switch (byte) {
    case 0:
        return QStringLiteral("a NUL byte (byte 0)");
    case 4:
        return QStringLiteral("an end-of-transmission byte (EOT, byte 4)");
    case 9:
        return QStringLiteral("a tab (byte 9)");
    case 10:
        return QStringLiteral("a line feed (byte 10)");
    case 13:
        return QStringLiteral("a carriage return (byte 13)");
    case 17:
        return QStringLiteral("a DC1 byte (byte 17)");
    case 127:
        return QStringLiteral("a DEL byte (byte 127)");
    default:
        return QStringLiteral("the control byte %1").arg(byte);
    }
}

QString TransmissionRefusal::message() const {
    const QString what = serial ? QStringLiteral("the serial number")
                                : QStringLiteral("program #%1, field %2")
                                      .arg(program)
                                      .arg(QLatin1String(infoOf(field).name));
    return QStringLiteral("%1 holds %2, which a program transmission cannot carry")
        .arg(what, describeByte(byte));
}

namespace {

// The value line `l` of program `program`'s text carries (without its CR).
QByteArray lineValue(const ProgramSet& programs, int program, const TransmissionLine& l,
                     const TransmitContext& context) {
    const ProgramRecord& record = programs[program];
    switch (l.kind) {
    case TransmissionLine::ProgramNumber:
        return QByteArray::number(program);
    case TransmissionLine::FieldText:
        return record.trimmed(l.field);
    case TransmissionLine::Program0Field:
        return programs[0].trimmed(l.field);
    case TransmissionLine::Offset:
        return offsetLine(record);
    case TransmissionLine::ModeChar:
        return QByteArray(1, record.modeFlag(l.position));
    case TransmissionLine::Service:
        return (context.serviceFlag == 99 && !context.fileMode) ? "99" : "0";
    case TransmissionLine::Serial:
        return context.fileMode ? QByteArray("X") : context.unitSerial.trimmed();
    case TransmissionLine::Checksum:
        break;
    }
    return {};
}

bool carriesProgramValue(const TransmissionLine& line) {
    switch (line.kind) {
    case TransmissionLine::FieldText:
    case TransmissionLine::Program0Field:
    case TransmissionLine::Offset:
    case TransmissionLine::ModeChar:
        return true;
    default:
        return false;
    }
}

} // namespace

std::optional<TransmissionRefusal> checkTransmission(const ProgramSet& programs, int program,
                                                     const TransmitContext& context) {
    for (const TransmissionLine& l : kTransmissionLayout) {
        if (l.kind == TransmissionLine::Checksum)
            continue;
        const QByteArray value = lineValue(programs, program, l, context);
        for (char c : value) {
            const auto byte = static_cast<unsigned char>(c);
            if (transmittableByte(byte))
                continue;
            TransmissionRefusal refusal;
            refusal.program = l.kind == TransmissionLine::Program0Field ? 0 : program;
            refusal.field = l.field;
            refusal.serial = l.kind == TransmissionLine::Serial;
            refusal.byte = byte;
            return refusal;
        }
    }
    return std::nullopt;
}

QByteArray buildTransmissionText(const ProgramSet& programs, int program,
                                 const TransmitContext& context) {
    if (checkTransmission(programs, program, context))
        return {};
    QByteArray text;
    text.reserve(400);
    for (const TransmissionLine& l : kTransmissionLayout) {
        if (l.kind == TransmissionLine::Checksum)
            text += QByteArray::number(byteSum(text));
        else
            text += lineValue(programs, program, l, context);
        text += kCR;
    }
    text += kEOT;
    return text;
}

QList<CarriedDifference> carriedDifferences(const ProgramSet& sent, const ProgramSet& readBack,
                                            int program) {
    QList<CarriedDifference> out;
    const TransmitContext context;
    for (const TransmissionLine& l : kTransmissionLayout) {
        if (!carriesProgramValue(l))
            continue;
        const QByteArray a = lineValue(sent, program, l, context);
        const QByteArray b = lineValue(readBack, program, l, context);
        if (a == b)
            continue;
        const QString name = l.kind == TransmissionLine::ModeChar
                                 ? QStringLiteral("ModeFlags[%1]").arg(l.position)
                                 : QString::fromLatin1(infoOf(l.field).name);
        out.append({name, a, b});
    }
    return out;
}

} // namespace vanto
