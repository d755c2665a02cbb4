// The machine's serial ports from QSerialPortInfo, each with its /dev/serial/by-id/ name when the
// system gives it one.
#pragma once

#include "platform/portsource.h"

namespace vanto {

class QtPortSource : public PortSource {
public:
    // `byIdDir`: where the stable names live (another directory in tests).
    explicit QtPortSource(const QString& byIdDir = QStringLiteral("/dev/serial/by-id"))
        : m_byIdDir(byIdDir) {}
    QList<PortInfo> ports() override;

private:
    QString m_byIdDir;
};

} // namespace vanto
