// The event pump of a running Qt application: its events, a sleep, the monotonic clock.
#pragma once

#include "platform/eventpump.h"

namespace vanto {

// QCoreApplication::processEvents, QThread::msleep and the monotonic clock of QDeadlineTimer.
class QtEventPump : public EventPump {
public:
    void processEvents() override;
    void sleepFor(int ms) override;
    qint64 nowMs() const override;
};

} // namespace vanto
