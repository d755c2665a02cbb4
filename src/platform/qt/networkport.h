// SerialPort on a TCP connection to a serial device server (a terminal server, ser2net): raw
// (tcp://HOST:PORT, the bytes pass unchanged and the line settings are the server's) or Telnet
// with COM-PORT-CONTROL (rfc2217://HOST:PORT, the line settings are sent to the server and byte
// 255 is doubled on the way). A failure to connect and a connection lost later are reported as a
// serial port's are: open() returns false with the reason, failed() once the connection drops.
#pragma once

#include "platform/networkdevice.h"
#include "platform/serialport.h"
#include "platform/telnet.h"

#include <QTcpSocket>
#include <QTimer>

class QEventLoop;

namespace vanto {

class NetworkPort : public SerialPort {
    Q_OBJECT
public:
    static constexpr int kConnectTimeoutMs = 5000;     // name lookup and connect
    static constexpr int kNegotiationTimeoutMs = 3000; // the server's answer to the line settings

    explicit NetworkPort(QObject* parent = nullptr);
    ~NetworkPort() override;

    void setDevice(const QString& device) override;
    QString device() const override { return m_device; }
    void setLineSettings(const LineSettings& settings) override { m_settings = settings; }
    // Connects, and for rfc2217:// sets the line, while events keep being processed (the name
    // lookup and the connect never block them). Returns once connected or failed.
    bool open() override;
    bool isOpen() const override { return m_phase == Phase::Open; }
    void close() override;
    QString errorString() const override { return m_error; }
    void setReceiveThreshold(int bytes) override { m_receiveThreshold = bytes; }
    int receiveThreshold() const override { return m_receiveThreshold; }
    void setSendThreshold(int bytes) override { m_sendThreshold = bytes; }
    int sendThreshold() const override { return m_sendThreshold; }
    int waitingCount() const override { return int(m_rx.size()); }
    void discardInput() override;
    void write(const QByteArray& bytes) override;
    QByteArray readAll() override;

    // The line settings the server confirmed (rfc2217:// only; the baud rate is 0 until then).
    LineSettings confirmedSettings() const { return m_confirmed; }

private:
    enum class Phase { Closed, Connecting, Negotiating, Open };
    bool telnet() const { return m_address.protocol == NetworkDevice::Protocol::Rfc2217; }
    void onConnected();
    void onReadyRead();
    void onBytesWritten();
    void onError(QAbstractSocket::SocketError error);
    void onDisconnected();
    void onDeadline();
    // Reads everything the socket holds into m_rx; answers Telnet negotiation on the way.
    // Returns the number of data bytes added.
    qsizetype drain();
    void finishOpening(const QString& failure);
    void lose(const QString& description);

    QTcpSocket m_socket;
    QTimer m_deadline;
    QEventLoop* m_waiting = nullptr;
    QString m_device;
    NetworkDevice m_address;
    LineSettings m_settings;
    LineSettings m_confirmed{0, 'N', 8, 1};
    TelnetEndpoint m_telnet;
    bool m_settingsSent = false;
    Phase m_phase = Phase::Closed;
    QString m_error;
    QString m_openFailure;
    QByteArray m_rx;
    int m_receiveThreshold = 0;
    int m_sendThreshold = 0;
};

} // namespace vanto
