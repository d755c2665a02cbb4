#include "recordreply.h"

#include "protocol.h"
#include "shared/numtext.h"
#include "transmission.h"

namespace vanto {

namespace {

constexpr int kMaxFields = 385;
constexpr int kChecksumField = 47;

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

RecordReply parseRecordReply(const QByteArray& reply) {
    RecordReply r;
    const int from = kRecordReplyLeadBytes;
    // The checksum runs from byte 3 up to and including the 47th CR.
    int end = from;
    int crs = 0;
    while (crs < kChecksumField) {
        const auto cr = static_cast<int>(reply.indexOf(kCR, end));
        if (cr < 0)
            break;
        ++crs;
        end = cr + 1;
    }
    r.checksum = byteSum(reply.mid(from, end - from));
    r.fields = splitReplyFields(reply, from, kMaxFields);
    if (crs < kChecksumField || r.fields.size() <= kChecksumField)
        return r;
    r.clean = r.fields.size() == kRecordReplyFields && !hasControlBytes(r.fields);
    if (r.clean) {
        // The EOT follows the checksum's CR directly.
        int at = from;
        for (const QByteArray& field : r.fields)
            at += int(field.size()) + 1;
        r.clean = at < reply.size() && reply[at] == kEOT;
    }
    // The sum is a 32-bit value: read it as such, not as a 16-bit whole number, so that a long
    // record whose sum passes 32767 is still accepted.
    bool ok = false;
    r.sentChecksum = r.fields[kChecksumField].trimmed().toLongLong(&ok);
    r.complete = ok;
    const WholeNumberReading running = readWholeNumber(r.fields[0]);
    if (running.ok && running.value >= 0 && running.value < kProgramCount)
        r.runningProgram = running.value;
    return r;
}

bool storeRecordReply(const RecordReply& reply, int program, ProgramState& state) {
    ProgramRecord record = state.programs[program];
    ProgramRecord program0 = program == 0 ? record : state.programs[0];
    QByteArray options;
    QByteArray serial;
    for (int i = 1; i < kChecksumField; ++i) {
        const RecordReplyField& f = kRecordReplyLayout[i];
        const QByteArray& value = reply.fields[i];
        switch (f.kind) {
        case RecordReplyField::ProgramField:
            record.set(f.field, value);
            break;
        case RecordReplyField::Program0Field:
            program0.set(f.field, value);
            break;
        case RecordReplyField::Options:
            options = value;
            break;
        case RecordReplyField::Serial:
            serial = value.left(kSerialWidth);
            break;
        default:
            break;
        }
    }
    if (program == 0)
        record.set(Field::Param21, program0.text(Field::Param21));

    // In linear mode the unit sends a positive offset in counts of the range.
    if (record.linearMode()) {
        const qint16 counts = record.whole(Field::OffsetPercent);
        if (counts > 0) {
            const double range = record.number(Field::Range);
            const double conversion = record.number(Field::Conversion);
            if (range == 0 || conversion == 0)
                return false;
            record.set(Field::OffsetPercent,
                       formatNumber(counts / (range / conversion) * 100.0, "0"));
        }
    }
    state.programs[program] = record;
    if (program != 0)
        state.programs[0] = program0;
    state.unitOptions = options;
    state.unitSerial = serial;
    return true;
}

} // namespace vanto
