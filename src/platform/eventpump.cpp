#include "eventpump.h"

namespace vanto {

bool pumpUntil(EventPump& pump, const std::function<bool()>& done, int timeoutMs) {
    const qint64 end = pump.nowMs() + timeoutMs;
    for (;;) {
        pump.processEvents();
        if (done())
            return true;
        if (pump.nowMs() >= end)
            return false;
        pump.sleepFor(1);
    }
}

} // namespace vanto
