// The serial ports of the machine, as the setup dialog lists them. The Qt implementation asks
// QSerialPortInfo; tests hand in ports of their own.
#pragma once

#include <QList>
#include <QString>

namespace vanto {

struct PortInfo {
    QString device;       // the device path, e.g. /dev/ttyUSB0 (COM3 on Windows)
    QString description;  // e.g. "FT232R USB UART"; empty when unknown
    QString manufacturer; // e.g. "FTDI"
    QString serialNumber; // the adapter's own serial number
    QString stableName;   // /dev/serial/by-id/... when the system has one: it survives replugging
};

class PortSource {
public:
    virtual ~PortSource() = default;
    virtual QList<PortInfo> ports() = 0;
};

} // namespace vanto
