#include "recordreply.h"

namespace vanto {

namespace {
constexpr RecordReplyField f(Field field) {
    return {RecordReplyField::ProgramField, field};
}
constexpr RecordReplyField special(RecordReplyField::Kind kind) {
    return {kind, Field::Units};
}
} // namespace

const std::array<RecordReplyField, kRecordReplyFields> kRecordReplyLayout = {{
    special(RecordReplyField::RunningProgram),
    f(Field::Units),
    f(Field::OffsetPercent),
    f(Field::ControlRelayEnable),
    f(Field::Rs232Enable),
    f(Field::Conversion),
    f(Field::Base),
    f(Field::Range),
    f(Field::NearRelay),
    f(Field::OverCount),
    f(Field::AverageCount),
    f(Field::RelayOnDistance),
    f(Field::RelayOffDistance),
    f(Field::RelayDelay),
    f(Field::Rs232Content),
    f(Field::Param10),
    f(Field::Rs232Delay),
    f(Field::Rs232Baud),
    {RecordReplyField::Program0Field, Field::Param21},
    f(Field::DoubleEcho),
    f(Field::TotalSpan),
    f(Field::MuxSensors),
    f(Field::SampleInterval),
    f(Field::Param26),
    f(Field::SumScaleChannel),
    f(Field::Param28),
    f(Field::Param29),
    f(Field::Param30),
    f(Field::ClockEnable),
    f(Field::ClockFrequency),
    f(Field::ClockDelay),
    f(Field::CountMode),
    f(Field::CountDelay),
    f(Field::SumScaleEnable),
    f(Field::SumScaleType),
    f(Field::SumScalePercent),
    f(Field::Param39),
    f(Field::SlaveMode),
    f(Field::Param41),
    f(Field::Param42),
    f(Field::Temperature),
    f(Field::TempSensorMode),
    f(Field::MinimumBase),
    f(Field::HysteresisOff),
    special(RecordReplyField::Options),
    special(RecordReplyField::Serial),
    f(Field::ModeFlags),
    special(RecordReplyField::Checksum),
}};

} // namespace vanto
