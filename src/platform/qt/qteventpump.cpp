#include "qteventpump.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace vanto {

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
