// One unit program as 47 fixed-width text fields (278 characters), and the set of eight.
#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

namespace vanto {

// Field numbers 1 to 47 in record order.
enum class Field : int {
    Units = 1,
    Spare02,
    OffsetPercent,
    ControlRelayEnable,
    Rs232Enable,
    Conversion,
    DoubleEcho,
    Base,
    Range,
    Param10,
    NearRelay,
    OverCount,
    AverageCount,
    RelayOnDistance,
    RelayOffDistance,
    RelayDelay,
    Rs232Content,
    ModeFlags,
    Rs232Delay,
    Rs232Baud,
    Param21,
    MuxSensors,
    TotalSpan,
    Param24,
    SampleInterval,
    Param26,
    SumScaleChannel,
    Param28,
    Param29,
    Param30,
    ClockEnable,
    ClockDelay,
    ClockFrequency,
    CountMode,
    CountDelay,
    SumScaleEnable,
    SumScaleType,
    SumScalePercent,
    Param39,
    SlaveMode,
    Param41,
    Param42,
    Temperature,
    TempSensorMode,
    MinimumBase,
    HysteresisOff,
    Param47,
};

struct FieldInfo {
    Field field;
    int at;    // position of the first character within the record
    int width; // characters
    const char* name;
};

constexpr int kFieldCount = 47;
constexpr int kRecordSize = 278;
constexpr int kProgramCount = 8;

// The field table in record order; kFieldTable[n - 1] describes field n.
extern const std::array<FieldInfo, kFieldCount> kFieldTable;

const FieldInfo& infoOf(Field field);
// The field with this name (as in the table), if any.
std::optional<Field> fieldByName(const QString& name);

// Positions within ModeFlags (counted from 1).
constexpr int kModeHold = 6;      // '0' = hold ON, '1' = hold off
constexpr int kModeLinear = 7;    // '1' = linear, '0' = adaptive
constexpr int kModeDirection = 8; // '1' = pay-out, '0' = take-up

class ProgramRecord {
public:
    // A record that was never loaded: every field blank, every number 0.
    ProgramRecord();

    // The record from its 278-character image; nullopt when the size is wrong.
    static std::optional<ProgramRecord> fromBytes(const QByteArray& bytes);
    QByteArray bytes() const;

    // The field's stored text, exactly its width.
    QByteArray text(Field field) const;
    // The stored text with blanks cut at both ends.
    QByteArray trimmed(Field field) const;
    // Writes a field: left-aligned, padded with blanks or cut to the width.
    void set(Field field, const QByteArray& text);

    double number(Field field) const; // leading-number reading
    qint16 whole(Field field) const;  // whole-number reading (non-numbers read 0)

    // The character at `position` (1..9) of ModeFlags, and the overwrite of that one character.
    char modeFlag(int position) const;
    void setModeFlag(int position, char digit);
    bool linearMode() const { return modeFlag(kModeLinear) == '1'; }
    bool holdOn() const { return modeFlag(kModeHold) != '1'; }
    bool payOut() const { return modeFlag(kModeDirection) == '1'; }

    // 1 for U.S. units (Units reads 0), 2.54 for metric units.
    double unitFactor() const;

    bool operator==(const ProgramRecord& other) const { return m_data == other.m_data; }
    bool operator!=(const ProgramRecord& other) const { return !(*this == other); }

private:
    std::array<char, kRecordSize> m_data;
};

// The eight programs #0 to #7.
class ProgramSet {
public:
    static constexpr int kFileSize = kRecordSize * kProgramCount; // 2224

    ProgramRecord& operator[](int program) { return m_records.at(program); }
    const ProgramRecord& operator[](int program) const { return m_records.at(program); }

    // Every field of every record blank again.
    void clear() { m_records = {}; }

    static std::optional<ProgramSet> fromBytes(const QByteArray& bytes);
    QByteArray bytes() const;

    bool operator==(const ProgramSet& other) const { return m_records == other.m_records; }
    bool operator!=(const ProgramSet& other) const { return !(*this == other); }

private:
    std::array<ProgramRecord, kProgramCount> m_records;
};

} // namespace vanto
