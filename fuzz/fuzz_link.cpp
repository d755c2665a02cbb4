// The link's receive side: bytes from the unit, cut into pieces of any size, arriving while any
// request is outstanding, with Timer1 ticks and send-completions in between.
//
// Input: a request byte (1 + b % 8: the requests of LinkRequest from AllRecords to OneRecord, in
// their order), a set-up byte (bit 0 a QX3100, bit 1 temperature
// compensation, bits 2-3 the meter mode, bits 4-6 the current program, bit 7 a reload pending),
// then steps: a control byte c (piece length 1 + c % 64; bit 6 fires the send-complete, bit 7
// ticks Timer1 before the piece) followed by the piece.
#include "fuzzsupport.h"

#include "fakes.h"
#include "link/replies.h"
#include "link/unitlink.h"
#include "program/programstate.h"

using namespace vanto;
using namespace vanto::test;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ensureApplication();
    fuzz::Input in(data, size);
    const auto request = static_cast<LinkRequest>(1 + in.byte() % 8);
    const std::uint8_t setup = in.byte();

    ProgramState state;
    state.programs = fuzz::cachedDemoPrograms();
    FakeSerialPort port;
    FakeView view;
    FakePrompts prompts;
    FakePump pump;
    UnitLink link(state, port, view, prompts, pump);
    LinkProbe probe(link);
    link.setDeviceOverride(QStringLiteral("/dev/fuzz"));
    // The unit answers every handshake at once, so that re-connects on ticks succeed.
    pump.onRound = [&port](int) {
        if (port.lastWritten() == QByteArray(1, kSYN) && port.input.isEmpty())
            port.inject(QByteArray(1, kETB));
    };
    link.switchOnLine(true);
    FUZZ_CHECK(link.vars().onLine);

    state.currentProgram = (setup >> 4) % 8;
    link.refreshMainDisplay();
    state.modelName = (setup & 1) ? QStringLiteral("QX3100") : QStringLiteral("QX3700");
    link.setTemperatureCompensation((setup & 2) != 0);
    link.setMeterMode(1 + (setup >> 2) % 3);
    probe.setReloadFlag((setup & 0x80) != 0);
    if (request == LinkRequest::Transmission) {
        link.startTransmission(state.currentProgram);
    } else if (request == LinkRequest::OneRecord) {
        link.requestProgramRecord(state.currentProgram);
    } else {
        probe.send(request);
    }

    while (!in.empty()) {
        const std::uint8_t control = in.byte();
        if (control & 0x80)
            probe.pollTick();
        if (control & 0x40)
            port.fireSendComplete();
        port.inject(in.take(1 + control % 64));

        const LinkState& s = link.vars();
        FUZZ_CHECK(s.rxBuffer.size() <= UnitLink::kRxBufferLimit);
        FUZZ_CHECK(state.currentProgram >= 0 && state.currentProgram < kProgramCount);
        FUZZ_CHECK(s.meterValue == s.meterValue); // never a non-number on the display
    }
    link.switchOnLine(false);
    return 0;
}
