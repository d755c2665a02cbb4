// The serial port for any device text: a serial device (/dev/ttyUSB0, COM3) opens through
// QSerialPort, a device server's network port (tcp://HOST:PORT, rfc2217://HOST:PORT) through a
// TCP connection. The choice is made each time the device is set, so the same link can be pointed
// at either from one connection to the next.
#pragma once

#include "platform/qt/networkport.h"
#include "platform/qt/qtserialport.h"

namespace vanto {

class DevicePort : public SerialPort {
    Q_OBJECT
public:
    explicit DevicePort(QObject* parent = nullptr);

    void setDevice(const QString& device) override;
    QString device() const override { return m_active->device(); }
    void setLineSettings(const LineSettings& settings) override;
    bool open() override { return m_active->open(); }
    bool isOpen() const override { return m_active->isOpen(); }
    void close() override { m_active->close(); }
    QString errorString() const override { return m_active->errorString(); }
    void setReceiveThreshold(int bytes) override { m_active->setReceiveThreshold(bytes); }
    int receiveThreshold() const override { return m_active->receiveThreshold(); }
    void setSendThreshold(int bytes) override { m_active->setSendThreshold(bytes); }
    int sendThreshold() const override { return m_active->sendThreshold(); }
    int waitingCount() const override { return m_active->waitingCount(); }
    void discardInput() override { m_active->discardInput(); }
    void write(const QByteArray& bytes) override { m_active->write(bytes); }
    QByteArray readAll() override { return m_active->readAll(); }

    // The implementation the device set last opens through.
    SerialPort& active() { return *m_active; }

private:
    QtSerialPort m_serial;
    NetworkPort m_network;
    SerialPort* m_active = &m_serial;
};

} // namespace vanto
