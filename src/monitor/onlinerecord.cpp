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

RecordReply ParseRecordReply(const QByteArray& reply) {
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
    r.checksum = ByteSum(reply.mid(from, end - from));
    r.fields = SplitReplyFields(reply, from, kMaxFields);
    if (crs < kChecksumField || r.fields.size() <= kChecksumField)
        return r;
    // The sum is a 32-bit value: read it as such, not as a 16-bit whole number, so that a long
    // record whose sum passes 32767 is still accepted.
    bool ok = false;
    r.sentChecksum = r.fields[kChecksumField].trimmed().toLongLong(&ok);
    r.complete = ok;
    const WholeNumberReading running = ReadWholeNumber(r.fields[0]);
    if (running.ok && running.value >= 0 && running.value < kProgramCount)
        r.runningProgram = running.value;
    return r;
}

bool StoreRecordReply(const RecordReply& reply, int program, ProgramState& state) {
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
                       FormatNumber(counts / (range / conversion) * 100.0, "0"));
        }
    }
    state.programs[program] = record;
    if (program != 0)
        state.programs[0] = program0;
    state.UnitOptions = options;
    state.UnitSerial = serial;
    return true;
}

RecordOutcome DecodeOnlineRecord(UnitLink& link, bool fetchAll) {
    LinkState& s = link.vars();
    ProgramState& p = link.programState();
    link.disableTimer1();
    link.stopRecordWatchdog();

    const RecordReply reply = ParseRecordReply(s.RxBuffer);
    const auto requestAgain = [&]() {
        link.DiscardInput();
        s.LinkRequest = 1;
        link.SendUnitCommand();
        link.reportRecord(p.CurrentProgram, RecordOutcome::Malformed);
        return RecordOutcome::Malformed;
    };
    if (!reply.wellFormed())
        return requestAgain();
    if (!reply.checksumOk()) {
        // A damaged record is not stored, and a pending reload stays pending (the next tick
        // asks again); the fetch ends and polling resumes.
        s.LinkRequest = s.PollRequest;
        link.enableTimer1();
        link.reportRecord(p.CurrentProgram, RecordOutcome::ChecksumMismatch);
        return RecordOutcome::ChecksumMismatch;
    }

    const int running = reply.runningProgram;
    const bool reload = s.ReloadFlag;
    const int program = reload ? running : p.CurrentProgram;
    if (!StoreRecordReply(reply, program, p))
        return requestAgain();
    if (reload)
        s.ReloadFlag = false;
    p.CurrentProgram = program;
    if (p.CurrentProgram == running)
        link.RefreshMainDisplay();
    link.reportRecord(program, RecordOutcome::Stored);

    p.CurrentProgram += 1;
    if (p.CurrentProgram < kProgramCount && fetchAll) {
        link.DiscardInput();
        s.LinkRequest = 1;
        link.SendUnitCommand();
    } else {
        p.CurrentProgram = running;
        s.LinkRequest = s.PollRequest;
        link.setTimer1Interval(UnitLink::kPollInterval);
        link.enableTimer1();
        // Send the poll that LinkRequest now names at once rather than on the next tick, so the
        // first live value shows 200 ms sooner; the ticks then go on as usual.
        link.SendUnitCommand();
        link.reportPollingStarted();
    }
    return RecordOutcome::Stored;
}

} // namespace vanto
