#include "onlinerecord.h"

#include "link/replies.h"
#include "link/unitlink.h"
#include "program/recordreply.h"
#include "program/transmission.h"
#include "shared/numtext.h"

namespace vanto {

namespace {

constexpr int kMaxFields = 385;
constexpr int kChecksumField = 47;

} // namespace

RecordReply parseRecordReply(const QByteArray& reply) {
    RecordReply r;
    const int from = kRecordReplyLeadBytes;
    // The checksum runs from byte 3 up to and including the 47th CR.
    int end = from;
    int crs = 0;
    while (crs < kChecksumField) {
        const int cr = reply.indexOf(kCR, end);
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

RecordOutcome decodeOnlineRecord(UnitLink& link, bool fetchAll) {
    LinkState& s = link.vars();
    ProgramState& p = link.programState();
    link.stopPollTimer();

    const RecordReply reply = parseRecordReply(s.rxBuffer);
    // A damaged record is not stored. It is asked for again (a bounded number of times); a
    // pending reload stays pending until a record is stored.
    const auto damaged = [&](RecordOutcome outcome) {
        link.reportRecord(p.currentProgram, outcome);
        link.recordDamaged(fetchAll);
        return outcome;
    };
    if (!reply.wellFormed())
        return damaged(RecordOutcome::Malformed);
    if (!reply.checksumOk())
        return damaged(RecordOutcome::ChecksumMismatch);

    const int running = reply.runningProgram;
    const bool reload = s.reloadFlag;
    const int program = reload ? running : p.currentProgram;
    if (!storeRecordReply(reply, program, p))
        return damaged(RecordOutcome::Malformed);
    if (reload)
        s.reloadFlag = false;
    p.currentProgram = program;
    link.markProgramRead(program, running);
    if (p.currentProgram == running)
        link.refreshMainDisplay();
    link.reportRecord(program, RecordOutcome::Stored);

    p.currentProgram += 1;
    if (p.currentProgram < kProgramCount && fetchAll) {
        link.recordDone(true);
    } else {
        p.currentProgram = running;
        link.recordDone(false);
    }
    return RecordOutcome::Stored;
}

} // namespace vanto
