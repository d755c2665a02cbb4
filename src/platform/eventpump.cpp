#include "eventpump.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

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

void QtEventPump::processEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEventPump::sleepFor(int ms) {
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}

qint64 QtEventPump::nowMs() const {
    // The monotonic clock of QDeadlineTimer, in milliseconds since an arbitrary start.
    return QDeadlineTimer::current().deadline();
}

} // namespace vanto
