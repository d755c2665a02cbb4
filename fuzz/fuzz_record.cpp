// The record decoder: a record reply as the unit sends it for command 120 + program, taken apart
// and, when whole and its checksum matches, stored into a program set.
//
// Input: the reply bytes. The program it is stored under is the running program it names.
#include "fuzzsupport.h"

#include "program/programstate.h"
#include "program/protocol.h"
#include "program/recordreply.h"
#include "program/transmission.h"

using namespace vanto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    const RecordReply reply = parseRecordReply(bytes);

    FUZZ_CHECK(reply.fields.size() <= 385);
    FUZZ_CHECK(reply.runningProgram >= -1 && reply.runningProgram < kProgramCount);
    if (reply.complete) {
        FUZZ_CHECK(reply.fields.size() >= kRecordReplyFields);
        // The checksum covers exactly the bytes from the leading pair up to the 47th CR.
        qsizetype end = kRecordReplyLeadBytes;
        for (int i = 0; i < kRecordReplyFields - 1; ++i)
            end = bytes.indexOf(kCR, end) + 1;
        FUZZ_CHECK(reply.checksum ==
                   byteSum(bytes.mid(kRecordReplyLeadBytes, end - kRecordReplyLeadBytes)));
    }
    if (!reply.wellFormed() || !reply.checksumOk())
        return 0;

    ProgramState state;
    state.programs = fuzz::cachedDemoPrograms();
    const ProgramState before = state;
    const int program = reply.runningProgram;
    if (!storeRecordReply(reply, program, state)) {
        FUZZ_CHECK(state.programs == before.programs);
        return 0;
    }
    // Only the program asked for (and program #0's unit-wide field) may change.
    for (int k = 0; k < kProgramCount; ++k) {
        if (k == program)
            continue;
        ProgramRecord expected = before.programs[k];
        if (k == 0)
            expected.set(Field::Param21, state.programs[0].text(Field::Param21));
        FUZZ_CHECK(state.programs[k] == expected);
    }
    FUZZ_CHECK(state.unitSerial.size() <= kSerialWidth);
    FUZZ_CHECK(state.programs.bytes().size() == ProgramSet::kFileSize);
    return 0;
}
