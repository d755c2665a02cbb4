#include "demoprograms.h"

namespace vanto {

namespace {

struct Demo {
    const char* units;
    const char* offset;
    const char* base;
    const char* range;
    const char* nearRelay;
    const char* modeFlags; // positions 6 hold, 7 linear, 8 pay-out
    const char* sumScale;  // SumScaleEnable
    const char* sumType;
    const char* sumPercent;
    const char* relay; // ControlRelayEnable
    const char* rs232; // Rs232Enable
    const char* temperature;
    const char* tempMode;
    const char* minBase;
};

constexpr Demo kDemos[kProgramCount] = {
    {" 0", "0", "13", "30", "15", "000000000", " 0", " 0", "50", " 0", " 0", "204", " 0", "13"},
    {" 0", "10", "13", "40", "16", "000001100", " 0", " 0", "50", " 1", " 0", "204", " 0", "13"},
    {" 0", "0", "6", "24", "8", "000000100", " 1", " 1", "40", " 0", " 1", "250", " 1", "6"},
    {" 1", "5", "13", "36", "14", "000011000", " 0", " 0", "60", " 0", " 0", "180", " 0", "13"},
    {" 1", "0", "20", "60", "22", "000001000", " 1", " 0", "75", " 1", " 1", "220", " 0", "13"},
    {" 0", "0", "13", "48", "15", "000010100", " 1", " 2", "30", " 0", " 0", "204", " 2", "13"},
    {" 0", "20", "10", "20", "12", "000011100", " 0", " 0", "50", " 1", " 0", "150", " 0", "6"},
    {" 0", "0", "13", "72", "15", "000000000", " 0", " 0", "50", " 0", " 0", "204", " 0", "13"},
};

} // namespace

ProgramSet demoPrograms() {
    ProgramSet set;
    for (int p = 0; p < kProgramCount; ++p) {
        const Demo& d = kDemos[p];
        ProgramRecord& r = set[p];
        r.set(Field::Units, d.units);
        r.set(Field::OffsetPercent, d.offset);
        r.set(Field::ControlRelayEnable, d.relay);
        r.set(Field::Rs232Enable, d.rs232);
        r.set(Field::Conversion, "0.00676");
        r.set(Field::DoubleEcho, " 0");
        r.set(Field::Base, d.base);
        r.set(Field::Range, d.range);
        r.set(Field::Param10, "0");
        r.set(Field::NearRelay, d.nearRelay);
        r.set(Field::OverCount, "10");
        r.set(Field::AverageCount, "4");
        r.set(Field::RelayOnDistance, QByteArray::number(QByteArray(d.base).toInt() + 5));
        r.set(Field::RelayOffDistance,
              QByteArray::number(QByteArray(d.base).toInt() + QByteArray(d.range).toInt() - 5));
        r.set(Field::RelayDelay, "2");
        r.set(Field::Rs232Content, "1");
        r.set(Field::ModeFlags, d.modeFlags);
        r.set(Field::Rs232Delay, "10");
        r.set(Field::Rs232Baud, p % 2 ? "4800" : "9600");
        r.set(Field::Param21, p == 0 ? "1234" : "0");
        r.set(Field::MuxSensors, "1");
        r.set(Field::TotalSpan,
              QByteArray::number(QByteArray(d.base).toInt() + QByteArray(d.range).toInt()));
        r.set(Field::SampleInterval, "20000");
        r.set(Field::Param26, "0");
        r.set(Field::SumScaleChannel, QByteArray::number(p % 4));
        r.set(Field::Param28, "0");
        r.set(Field::Param29, "0");
        r.set(Field::Param30, "0");
        r.set(Field::ClockEnable, p == 4 ? " 1" : " 0");
        r.set(Field::ClockDelay, "5");
        r.set(Field::ClockFrequency, "1000");
        r.set(Field::CountMode, p == 6 ? "1" : "0");
        r.set(Field::CountDelay, "3");
        r.set(Field::SumScaleEnable, d.sumScale);
        r.set(Field::SumScaleType, d.sumType);
        r.set(Field::SumScalePercent, d.sumPercent);
        r.set(Field::Param39, "0");
        r.set(Field::SlaveMode, "0");
        r.set(Field::Param41, "0");
        r.set(Field::Param42, "0");
        r.set(Field::Temperature, d.temperature);
        r.set(Field::TempSensorMode, d.tempMode);
        r.set(Field::MinimumBase, d.minBase);
        r.set(Field::HysteresisOff, " 0");
    }
    return set;
}

} // namespace vanto
