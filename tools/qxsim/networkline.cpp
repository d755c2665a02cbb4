#include "networkline.h"

#include <QTcpSocket>

namespace qxsim {

using namespace vanto::telnet;

NetworkLine::NetworkLine(bool telnet, QObject* parent)
    : QObject(parent), m_telnetMode(telnet),
      m_telnet({kBinary, kSuppressGoAhead}, {kBinary, kSuppressGoAhead, kComPort}) {
    connect(&m_server, &QTcpServer::newConnection, this, &NetworkLine::acceptHost);
}

NetworkLine::~NetworkLine() {
    close();
}

QString NetworkLine::listen(quint16 port) {
    if (!m_server.listen(QHostAddress::LocalHost, port))
        return QStringLiteral("cannot listen on port %1: %2").arg(port).arg(m_server.errorString());
    m_port = m_server.serverPort();
    return QString();
}

QString NetworkLine::address() const {
    return QStringLiteral("%1://127.0.0.1:%2")
        .arg(m_telnetMode ? QStringLiteral("rfc2217") : QStringLiteral("tcp"))
        .arg(m_port);
}

void NetworkLine::close() {
    m_server.close();
    dropHost();
}

void NetworkLine::dropHost() {
    if (!m_client)
        return;
    QTcpSocket* client = m_client;
    m_client = nullptr;
    client->disconnect(this);
    client->abort();
    client->deleteLater();
}

void NetworkLine::acceptHost() {
    while (QTcpSocket* next = m_server.nextPendingConnection()) {
        dropHost();
        m_client = next;
        m_client->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        m_telnet.reset();
        connect(m_client, &QTcpSocket::readyRead, this, &NetworkLine::readHost);
        connect(m_client, &QTcpSocket::disconnected, this, [this, next] {
            if (m_client != next)
                return;
            dropHost();
            if (onHostClosed)
                onHostClosed();
        });
        if (onHostConnected)
            onHostConnected();
    }
}

QByteArray NetworkLine::confirm(const QByteArray& payload) {
    // The answer carries the command plus 100 and the value in force: the one asked for, or the
    // current one when the host only asked (value 0).
    const bool changed = vanto::telnet::applyComPortCommand(payload, &m_line);
    QByteArray value = payload.mid(1);
    if (!changed) {
        switch (static_cast<unsigned char>(payload[0])) {
        case kSetBaudRate:
            value = QByteArray(4, 0);
            for (int i = 0; i < 4; ++i)
                value[i] = char((quint32(m_line.baud) >> (24 - 8 * i)) & 0xFF);
            break;
        case kSetDataSize:
            value = QByteArray(1, char(m_line.dataBits));
            break;
        default:
            break;
        }
    } else if (onLine) {
        onLine(m_line);
    }
    return Subnegotiation(kComPort,
                          char(static_cast<unsigned char>(payload[0]) + kServerOffset) + value);
}

void NetworkLine::readHost() {
    if (!m_client)
        return;
    const QByteArray bytes = m_client->readAll();
    QByteArray data = bytes;
    if (m_telnetMode) {
        QByteArray answer;
        QList<vanto::TelnetEndpoint::Subnegotiation> subnegotiations;
        data = m_telnet.receive(bytes, &answer, &subnegotiations);
        for (const auto& s : subnegotiations) {
            if (s.option == kComPort && !s.payload.isEmpty())
                answer += confirm(s.payload);
        }
        if (!answer.isEmpty())
            m_client->write(answer);
    }
    if (!data.isEmpty() && onData)
        onData(data);
}

void NetworkLine::write(const QByteArray& bytes) {
    if (m_client)
        m_client->write(m_telnetMode ? escape(bytes) : bytes);
}

} // namespace qxsim
