// qxtool's JSON import: any text. What it accepts must export and import again to the same eight
// programs; what it refuses must leave the program set alone.
#include "fuzzsupport.h"

#include "programjson.h"

using namespace vanto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray json(reinterpret_cast<const char*>(data), int(size));
    const ProgramSet demo = fuzz::cachedDemoPrograms();
    ProgramSet programs = demo;
    const QString error = qxtool::programsFromJson(json, &programs);
    if (!error.isEmpty()) {
        FUZZ_CHECK(programs == demo);
        return 0;
    }
    ProgramSet again;
    FUZZ_CHECK(qxtool::programsFromJson(qxtool::programsToJson(programs), &again).isEmpty());
    FUZZ_CHECK(again == programs);
    return 0;
}
