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

QByteArray OffsetLine(const ProgramRecord& record) {
    if (!record.linearMode())
        return record.trimmed(Field::OffsetPercent);
    const double conversion = record.number(Field::Conversion);
    if (conversion == 0.0)
        return "0";
    const float counts = static_cast<float>(record.number(Field::Range) / conversion);
    return FormatNumber(record.number(Field::OffsetPercent) * double(counts) / 100.0, "0");
}

qint32 ByteSum(const QByteArray& text) {
    quint32 sum = 0; // unsigned: wraps instead of overflowing, read back as signed 32-bit
    for (char c : text)
        sum += static_cast<unsigned char>(c);
    return static_cast<qint32>(sum);
}

QByteArray BuildTransmissionText(const ProgramSet& programs, int program,
                                 const TransmitContext& context) {
    const ProgramRecord& record = programs[program];
    QByteArray text;
    text.reserve(400);
    for (const TransmissionLine& l : kTransmissionLayout) {
        switch (l.kind) {
        case TransmissionLine::ProgramNumber:
            text += QByteArray::number(program);
            break;
        case TransmissionLine::FieldText:
            text += record.trimmed(l.field);
            break;
        case TransmissionLine::Program0Field:
            text += programs[0].trimmed(l.field);
            break;
        case TransmissionLine::Offset:
            text += OffsetLine(record);
            break;
        case TransmissionLine::ModeChar:
            text += record.modeFlag(l.position);
            break;
        case TransmissionLine::Service:
            text += (context.serviceFlag == 99 && !context.fileMode) ? "99" : "0";
            break;
        case TransmissionLine::Serial:
            text += context.fileMode ? QByteArray("X") : context.unitSerial.trimmed();
            break;
        case TransmissionLine::Checksum:
            text += QByteArray::number(ByteSum(text));
            break;
        }
        text += kCR;
    }
    text += kEOT;
    return text;
}

} // namespace vanto
