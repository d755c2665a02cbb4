// SerialPort on QSerialPort. Notifications arrive on the thread that owns the object.
#pragma once

#include "platform/serialport.h"

#include <QSerialPort>

namespace vanto {

class QtSerialPort : public SerialPort {
    Q_OBJECT
public:
    explicit QtSerialPort(QObject* parent = nullptr);
    ~QtSerialPort() override;

    void setDevice(const QString& device) override;
    QString device() const override { return m_device; }
    void setLineSettings(const LineSettings& settings) override { m_settings = settings; }
    bool open() override;
    bool isOpen() const override { return m_port.isOpen(); }
    void close() override;
    QString errorString() const override { return m_error; }
    void setReceiveThreshold(int bytes) override { m_receiveThreshold = bytes; }
    int receiveThreshold() const override { return m_receiveThreshold; }
    void setSendThreshold(int bytes) override { m_sendThreshold = bytes; }
    int sendThreshold() const override { return m_sendThreshold; }
    int waitingCount() const override;
    void discardInput() override;
    void write(const QByteArray& bytes) override;
    QByteArray readAll() override;

private:
    void onReadyRead();
    void onBytesWritten();
    void onError(QSerialPort::SerialPortError error);
    QString describeOpenFailure(QSerialPort::SerialPortError error) const;

    QSerialPort m_port;
    QString m_device;
    LineSettings m_settings;
    QString m_error;
    int m_receiveThreshold = 0;
    int m_sendThreshold = 0;
    bool m_closingLostPort = false; // errors raised by that close are the same loss
};

} // namespace vanto
