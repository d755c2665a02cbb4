// The simulator's engine: any bytes from the host, in pieces at any pace, including program
// transmissions (after DC1) that are whole, damaged, cut short or abandoned.
//
// Input: steps of a control byte c (piece length 1 + c % 64; bits 6-7 the pause before it:
// 0, 10 ms, 400 ms or 2 s) followed by the piece.
#include "fuzzsupport.h"

#include "program/transmission.h"
#include "unitengine.h"
#include "unitformat.h"

using namespace vanto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    qxsim::UnitSettings settings;
    settings.programs = fuzz::cachedDemoPrograms();
    qxsim::UnitEngine engine(settings);
    int stored = 0;
    engine.onTransmission = [&](const qxsim::TransmissionResult& r) {
        FUZZ_CHECK(r.program >= -1 && r.program < kProgramCount);
        if (r.stored)
            ++stored;
    };
    static constexpr qint64 kPauses[] = {0, 10, 400, 2000};
    qint64 now = 0;
    while (!in.empty()) {
        const std::uint8_t control = in.byte();
        now += kPauses[control >> 6];
        const QList<QByteArray> replies = engine.receive(in.take(1 + control % 64), now);
        for (const QByteArray& reply : replies) {
            // Every reply is one handshake or DC1 byte, or ends with EOT.
            FUZZ_CHECK(!reply.isEmpty());
            FUZZ_CHECK(reply.size() == 1 || reply.endsWith(qxsim::kEOT));
        }
        FUZZ_CHECK(engine.runningProgram() >= 0 && engine.runningProgram() < kProgramCount);
        FUZZ_CHECK(engine.programs().bytes().size() == ProgramSet::kFileSize);
    }
    if (stored == 0)
        FUZZ_CHECK(engine.programs() == settings.programs);
    // The text parser on its own, on the whole input.
    const auto parsed =
        qxsim::readUnitTransmission(QByteArray(reinterpret_cast<const char*>(data), int(size)));
    if (parsed)
        FUZZ_CHECK(parsed->program >= 0 && parsed->program < kProgramCount);
    return 0;
}
