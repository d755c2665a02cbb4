#include "networkport.h"

#include <QEventLoop>

namespace vanto {

using namespace telnet;

NetworkPort::NetworkPort(QObject* parent)
    : SerialPort(parent),
      // The client uses binary transmission itself and lets the server do the same; it offers
      // COM-PORT-CONTROL and accepts suppressed go-aheads. Everything else is refused.
      m_telnet({kBinary, kComPort, kSuppressGoAhead}, {kBinary, kSuppressGoAhead}) {
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &NetworkPort::onDeadline);
    connect(&m_socket, &QTcpSocket::connected, this, &NetworkPort::onConnected);
    connect(&m_socket, &QTcpSocket::readyRead, this, &NetworkPort::onReadyRead);
    connect(&m_socket, &QTcpSocket::bytesWritten, this, &NetworkPort::onBytesWritten);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &NetworkPort::onError);
    connect(&m_socket, &QTcpSocket::disconnected, this, &NetworkPort::onDisconnected);
}

NetworkPort::~NetworkPort() {
    m_phase = Phase::Closed;
    if (m_waiting)
        m_waiting->quit();
    m_socket.abort();
}

void NetworkPort::setDevice(const QString& device) {
    if (m_phase != Phase::Closed)
        return;
    m_device = device.trimmed();
}

bool NetworkPort::open() {
    if (m_phase != Phase::Closed)
        return m_phase == Phase::Open;
    m_error.clear();
    m_rx.clear();
    QString problem;
    const std::optional<NetworkDevice> address = parseNetworkDevice(m_device, &problem);
    if (!address) {
        m_error = describeNetworkFailure(NetworkFailure::BadAddress, m_device, problem);
        return false;
    }
    m_address = *address;
    m_telnet.reset();
    m_settingsSent = false;
    m_confirmed = LineSettings{0, 'N', 8, 1};
    m_openFailure.clear();
    m_phase = Phase::Connecting;
    m_deadline.start(kConnectTimeoutMs);
    // The name lookup runs on Qt's own lookup thread and the connect is non-blocking: events go
    // on being processed here until the connection is up or has failed.
    m_socket.connectToHost(m_address.host, m_address.port);
    if (m_phase == Phase::Connecting || m_phase == Phase::Negotiating) {
        QEventLoop loop;
        m_waiting = &loop;
        loop.exec();
        m_waiting = nullptr;
    }
    m_deadline.stop();
    if (m_phase == Phase::Open)
        return true;
    m_error = m_openFailure.isEmpty()
                  ? describeNetworkFailure(NetworkFailure::Other, m_device,
                                           QStringLiteral("the connection was abandoned"))
                  : m_openFailure;
    m_phase = Phase::Closed;
    m_socket.abort();
    m_rx.clear();
    return false;
}

void NetworkPort::finishOpening(const QString& failure) {
    if (m_phase != Phase::Connecting && m_phase != Phase::Negotiating)
        return;
    m_openFailure = failure;
    m_phase = failure.isEmpty() ? Phase::Open : Phase::Closed;
    m_deadline.stop();
    if (m_waiting)
        m_waiting->quit();
}

void NetworkPort::onConnected() {
    if (m_phase != Phase::Connecting)
        return;
    // Commands are single bytes: send each at once instead of waiting to fill a segment.
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_socket.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    if (!telnet()) {
        finishOpening(QString());
        return;
    }
    m_phase = Phase::Negotiating;
    m_deadline.start(kNegotiationTimeoutMs);
    m_socket.write(m_telnet.request({kBinary, kComPort}, {kBinary, kSuppressGoAhead}));
}

qsizetype NetworkPort::drain() {
    const QByteArray bytes = m_socket.readAll();
    if (bytes.isEmpty())
        return 0;
    if (!telnet()) {
        m_rx += bytes;
        return bytes.size();
    }
    QByteArray answer;
    QList<TelnetEndpoint::Subnegotiation> subnegotiations;
    const QByteArray data = m_telnet.receive(bytes, &answer, &subnegotiations);
    if (!m_settingsSent && m_telnet.localEnabled(kComPort)) {
        answer += comPortSettings(m_settings);
        m_settingsSent = true;
    }
    if (!answer.isEmpty())
        m_socket.write(answer);
    for (const TelnetEndpoint::Subnegotiation& s : subnegotiations) {
        if (s.option != kComPort || s.payload.isEmpty())
            continue;
        QByteArray command = s.payload;
        command[0] = char(static_cast<unsigned char>(command[0]) - kServerOffset);
        applyComPortCommand(command, &m_confirmed);
    }
    if (m_phase == Phase::Negotiating) {
        // Open once the server has confirmed the baud rate (it answers the settings in the order
        // sent, so the rest follows), or when it does not do COM-PORT-CONTROL at all: then its
        // port keeps the line settings it was configured with.
        if (m_confirmed.baud != 0 || m_telnet.localRefused(kComPort))
            finishOpening(QString());
    }
    m_rx += data;
    return data.size();
}

void NetworkPort::onReadyRead() {
    if (m_phase == Phase::Closed)
        return;
    // Like a serial port, no receive notification before open() has returned.
    const bool wasOpen = m_phase == Phase::Open;
    const qsizetype added = drain();
    if (wasOpen && m_phase == Phase::Open && added > 0 && m_receiveThreshold > 0 &&
        m_rx.size() >= m_receiveThreshold)
        emit received();
}

void NetworkPort::onBytesWritten() {
    if (m_phase == Phase::Open && m_sendThreshold > 0 && m_socket.bytesToWrite() < m_sendThreshold)
        emit sendComplete();
}

void NetworkPort::onDeadline() {
    if (m_phase == Phase::Connecting)
        finishOpening(describeNetworkFailure(
            NetworkFailure::Timeout, m_device,
            QStringLiteral("%1 s").arg(kConnectTimeoutMs / 1000.0, 0, 'g', 3)));
    else if (m_phase == Phase::Negotiating)
        finishOpening(describeNetworkFailure(NetworkFailure::NoTelnet, m_device));
}

void NetworkPort::onError(QAbstractSocket::SocketError error) {
    if (m_phase == Phase::Open) {
        if (error == QAbstractSocket::RemoteHostClosedError)
            lose(describeNetworkFailure(NetworkFailure::Closed, m_device));
        else if (error != QAbstractSocket::SocketTimeoutError)
            lose(describeNetworkFailure(NetworkFailure::Lost, m_device, m_socket.errorString()));
        return;
    }
    switch (error) {
    case QAbstractSocket::HostNotFoundError:
        finishOpening(describeNetworkFailure(NetworkFailure::HostNotFound, m_device));
        break;
    case QAbstractSocket::ConnectionRefusedError:
        finishOpening(describeNetworkFailure(NetworkFailure::Refused, m_device));
        break;
    case QAbstractSocket::SocketTimeoutError:
        finishOpening(describeNetworkFailure(
            NetworkFailure::Timeout, m_device,
            QStringLiteral("%1 s").arg(kConnectTimeoutMs / 1000.0, 0, 'g', 3)));
        break;
    case QAbstractSocket::RemoteHostClosedError:
        finishOpening(describeNetworkFailure(NetworkFailure::Closed, m_device));
        break;
    default:
        finishOpening(
            describeNetworkFailure(NetworkFailure::Other, m_device, m_socket.errorString()));
        break;
    }
}

void NetworkPort::onDisconnected() {
    if (m_phase == Phase::Open)
        lose(describeNetworkFailure(NetworkFailure::Closed, m_device));
    else
        finishOpening(describeNetworkFailure(NetworkFailure::Closed, m_device));
}

void NetworkPort::lose(const QString& description) {
    if (m_phase != Phase::Open)
        return;
    m_phase = Phase::Closed;
    m_error = description;
    m_sendThreshold = 0;
    m_rx.clear();
    m_socket.abort();
    emit failed(description);
}

void NetworkPort::close() {
    const bool opening = m_phase == Phase::Connecting || m_phase == Phase::Negotiating;
    if (opening) {
        finishOpening(describeNetworkFailure(NetworkFailure::Other, m_device,
                                             QStringLiteral("connecting was abandoned")));
        return; // open() cleans up when its wait returns
    }
    m_phase = Phase::Closed;
    m_socket.abort();
    m_rx.clear();
    m_sendThreshold = 0;
}

void NetworkPort::discardInput() {
    if (m_phase == Phase::Closed)
        return;
    drain(); // whatever the socket holds, with any negotiation in it answered
    m_rx.clear();
}

void NetworkPort::write(const QByteArray& bytes) {
    if (m_phase != Phase::Open)
        return;
    m_socket.write(telnet() ? escape(bytes) : bytes);
}

QByteArray NetworkPort::readAll() {
    if (m_phase == Phase::Closed)
        return QByteArray();
    drain();
    QByteArray out;
    out.swap(m_rx);
    return out;
}

} // namespace vanto
