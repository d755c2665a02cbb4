#include "programrecord.h"

#include "shared/numtext.h"

#include <algorithm>
#include <cstring>

namespace vanto {

namespace {

constexpr std::array<FieldInfo, kFieldCount> makeTable() {
    struct Entry {
        int width;
        const char* name;
    };
    constexpr Entry entries[kFieldCount] = {
        {5, "Units"},
        {5, "Spare02"},
        {6, "OffsetPercent"},
        {4, "ControlRelayEnable"},
        {4, "Rs232Enable"},
        {9, "Conversion"},
        {4, "DoubleEcho"},
        {9, "Base"},
        {9, "Range"},
        {4, "Param10"},
        {9, "NearRelay"},
        {9, "OverCount"},
        {9, "AverageCount"},
        {9, "RelayOnDistance"},
        {9, "RelayOffDistance"},
        {4, "RelayDelay"},
        {4, "Rs232Content"},
        {9, "ModeFlags"},
        {6, "Rs232Delay"},
        {6, "Rs232Baud"},
        {6, "Param21"},
        {6, "MuxSensors"},
        {9, "TotalSpan"},
        {8, "Param24"},
        {7, "SampleInterval"},
        {4, "Param26"},
        {4, "SumScaleChannel"},
        {6, "Param28"},
        {4, "Param29"},
        {6, "Param30"},
        {4, "ClockEnable"},
        {6, "ClockDelay"},
        {8, "ClockFrequency"},
        {4, "CountMode"},
        {6, "CountDelay"},
        {4, "SumScaleEnable"},
        {4, "SumScaleType"},
        {4, "SumScalePercent"},
        {6, "Param39"},
        {4, "SlaveMode"},
        {4, "Param41"},
        {4, "Param42"},
        {6, "Temperature"},
        {4, "TempSensorMode"},
        {4, "MinimumBase"},
        {4, "HysteresisOff"},
        {9, "Param47"},
    };
    std::array<FieldInfo, kFieldCount> table{};
    int at = 0;
    for (int i = 0; i < kFieldCount; ++i) {
        table[i] = FieldInfo{static_cast<Field>(i + 1), at, entries[i].width, entries[i].name};
        at += entries[i].width;
    }
    return table;
}

constexpr int sumWidths(const std::array<FieldInfo, kFieldCount>& table) {
    int sum = 0;
    for (const FieldInfo& f : table)
        sum += f.width;
    return sum;
}

constexpr std::array<FieldInfo, kFieldCount> kTable = makeTable();
static_assert(sumWidths(kTable) == kRecordSize, "field widths must add up to the record size");
static_assert(kTable[17].at == 112 && kTable[17].width == 9, "ModeFlags at 112");
static_assert(kTable[46].at == 269, "Param47 at 269");

} // namespace

const std::array<FieldInfo, kFieldCount> kFieldTable = kTable;

const FieldInfo& infoOf(Field field) {
    return kFieldTable.at(static_cast<int>(field) - 1);
}

std::optional<Field> fieldByName(const QString& name) {
    for (const FieldInfo& f : kFieldTable) {
        if (name == QLatin1String(f.name))
            return f.field;
    }
    return std::nullopt;
}

ProgramRecord::ProgramRecord() {
    m_data.fill(' ');
}

std::optional<ProgramRecord> ProgramRecord::fromBytes(const QByteArray& bytes) {
    if (bytes.size() != kRecordSize)
        return std::nullopt;
    ProgramRecord r;
    std::memcpy(r.m_data.data(), bytes.constData(), kRecordSize);
    return r;
}

QByteArray ProgramRecord::bytes() const {
    return QByteArray(m_data.data(), kRecordSize);
}

QByteArray ProgramRecord::text(Field field) const {
    const FieldInfo& f = infoOf(field);
    return QByteArray(m_data.data() + f.at, f.width);
}

QByteArray ProgramRecord::trimmed(Field field) const {
    const FieldInfo& f = infoOf(field);
    const char* start = m_data.data() + f.at;
    const char* end = start + f.width;
    while (start < end && *start == ' ')
        ++start;
    while (end > start && end[-1] == ' ')
        --end;
    return QByteArray(start, int(end - start));
}

void ProgramRecord::set(Field field, const QByteArray& text) {
    const FieldInfo& f = infoOf(field);
    const auto n = static_cast<int>(std::min<qsizetype>(text.size(), f.width));
    std::memcpy(m_data.data() + f.at, text.constData(), n);
    std::fill(m_data.begin() + f.at + n, m_data.begin() + f.at + f.width, ' ');
}

double ProgramRecord::number(Field field) const {
    return leadingNumber(text(field));
}

qint16 ProgramRecord::whole(Field field) const {
    return WholeNumber(text(field));
}

char ProgramRecord::modeFlag(int position) const {
    if (position < 1 || position > infoOf(Field::ModeFlags).width)
        return ' ';
    return m_data[infoOf(Field::ModeFlags).at + position - 1];
}

void ProgramRecord::setModeFlag(int position, char digit) {
    if (position < 1 || position > infoOf(Field::ModeFlags).width)
        return;
    m_data[infoOf(Field::ModeFlags).at + position - 1] = digit;
}

double ProgramRecord::unitFactor() const {
    return number(Field::Units) == 0.0 ? 1.0 : 2.54;
}

std::optional<ProgramSet> ProgramSet::fromBytes(const QByteArray& bytes) {
    if (bytes.size() != kFileSize)
        return std::nullopt;
    ProgramSet set;
    for (int p = 0; p < kProgramCount; ++p)
        set.m_records[p] = *ProgramRecord::fromBytes(bytes.mid(p * kRecordSize, kRecordSize));
    return set;
}

QByteArray ProgramSet::bytes() const {
    QByteArray out;
    out.reserve(kFileSize);
    for (const ProgramRecord& r : m_records)
        out += r.bytes();
    return out;
}

} // namespace vanto
