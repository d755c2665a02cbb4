#include "deviceport.h"

#include "platform/networkdevice.h"

namespace vanto {

DevicePort::DevicePort(QObject* parent) : SerialPort(parent) {
    for (SerialPort* port :
         {static_cast<SerialPort*>(&m_serial), static_cast<SerialPort*>(&m_network)}) {
        connect(port, &SerialPort::received, this, &SerialPort::received);
        connect(port, &SerialPort::sendComplete, this, &SerialPort::sendComplete);
        connect(port, &SerialPort::failed, this, &SerialPort::failed);
    }
}

void DevicePort::setDevice(const QString& device) {
    if (m_active->isOpen())
        return;
    SerialPort* next = isNetworkDevice(device) ? static_cast<SerialPort*>(&m_network)
                                               : static_cast<SerialPort*>(&m_serial);
    if (next != m_active) {
        next->setReceiveThreshold(m_active->receiveThreshold());
        next->setSendThreshold(m_active->sendThreshold());
        m_active = next;
    }
    m_active->setDevice(device);
}

void DevicePort::setLineSettings(const LineSettings& settings) {
    m_serial.setLineSettings(settings);
    m_network.setLineSettings(settings);
}

} // namespace vanto
