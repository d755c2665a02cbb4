// The two waits of the link that must keep events flowing (the handshake wait and the editor's
// wait for the end of a transmission), and the monotonic clock they and delay measure with. In
// production QtEventPump (platform/qt) processes the application's events; tests pass a pump that
// advances a clock of their own and delivers replies at the round they choose.
#pragma once

#include <QtGlobal>

#include <functional>

namespace vanto {

class EventPump {
public:
    virtual ~EventPump() = default;
    // Delivers pending events (timer ticks, port notifications, window events) and returns.
    virtual void processEvents() = 0;
    // Blocks for about `ms` milliseconds without delivering events.
    virtual void sleepFor(int ms) = 0;
    // Milliseconds on a monotonic clock (unaffected by changes of the time of day).
    virtual qint64 nowMs() const = 0;
};

// Processes events until `done` returns true or `timeoutMs` has passed; true when done. Between
// rounds it sleeps 1 ms so that the wait does not occupy a processor.
bool pumpUntil(EventPump& pump, const std::function<bool()>& done, int timeoutMs);

} // namespace vanto
