// The simulated unit's line as a TCP port on the loopback interface instead of a pseudo-terminal:
// raw (the bytes as on the wire) or as an RFC 2217 device server (Telnet, byte 255 doubled, the
// host's line settings accepted and confirmed). One host at a time: a new connection replaces the
// one before, as a host that lost its connection without noticing and connects again expects.
#pragma once

#include "platform/serialport.h"
#include "platform/telnet.h"

#include <QObject>
#include <QTcpServer>

#include <functional>

class QTcpSocket;

namespace qxsim {

class NetworkLine : public QObject {
    Q_OBJECT
public:
    explicit NetworkLine(bool telnet, QObject* parent = nullptr);
    ~NetworkLine() override;

    // Listens on 127.0.0.1:port (0: any free port). Returns "" or the reason.
    QString listen(quint16 port);
    // Stops listening and drops the host's connection.
    void close();
    bool isOpen() const { return m_server.isListening(); }
    quint16 port() const { return m_port; }
    // tcp://127.0.0.1:PORT or rfc2217://127.0.0.1:PORT: the device a host opens.
    QString address() const;
    bool hostConnected() const { return m_client != nullptr; }
    // Sends to the connected host; nothing when none is connected (like a line nobody listens to).
    void write(const QByteArray& bytes);

    std::function<void(const QByteArray&)> onData;          // bytes the host sent
    std::function<void()> onHostConnected;                  // a host connected
    std::function<void()> onHostClosed;                     // the host closed its connection
    std::function<void(const vanto::LineSettings&)> onLine; // the host set the line (RFC 2217)

private:
    void acceptHost();
    void readHost();
    void dropHost();
    QByteArray confirm(const QByteArray& payload);

    bool m_telnetMode;
    QTcpServer m_server;
    QTcpSocket* m_client = nullptr;
    vanto::TelnetEndpoint m_telnet;
    vanto::LineSettings m_line{9600, 'N', 8, 1}; // until the host sets it
    quint16 m_port = 0;
};

} // namespace qxsim
