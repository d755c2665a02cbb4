#include "networkdevice.h"

namespace vanto {

namespace {

const QString kRawScheme = QStringLiteral("tcp://");
const QString kRfc2217Scheme = QStringLiteral("rfc2217://");

} // namespace

bool isNetworkDevice(const QString& device) {
    const QString d = device.trimmed();
    return d.startsWith(kRawScheme, Qt::CaseInsensitive) ||
           d.startsWith(kRfc2217Scheme, Qt::CaseInsensitive);
}

std::optional<NetworkDevice> parseNetworkDevice(const QString& device, QString* error) {
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const QString d = device.trimmed();
    NetworkDevice result;
    QString rest;
    if (d.startsWith(kRawScheme, Qt::CaseInsensitive)) {
        rest = d.mid(kRawScheme.size());
    } else if (d.startsWith(kRfc2217Scheme, Qt::CaseInsensitive)) {
        result.protocol = NetworkDevice::Protocol::Rfc2217;
        rest = d.mid(kRfc2217Scheme.size());
    } else {
        return fail(QStringLiteral("not a network address (tcp://HOST:PORT or "
                                   "rfc2217://HOST:PORT)"));
    }
    if (rest.endsWith(QLatin1Char('/')))
        rest.chop(1);
    const int colon = int(rest.lastIndexOf(QLatin1Char(':')));
    if (colon < 0)
        return fail(QStringLiteral("the address needs a port number (HOST:PORT)"));
    QString host = rest.left(colon);
    const QString portText = rest.mid(colon + 1);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2); // [IPv6]
    else if (host.contains(QLatin1Char(':')))
        return fail(QStringLiteral("an IPv6 address goes in brackets: [ADDRESS]:PORT"));
    if (host.isEmpty())
        return fail(QStringLiteral("the address needs a host name or address"));
    for (const QChar c : host) {
        if (c.isSpace() || c == QLatin1Char('/') || c == QLatin1Char('@'))
            return fail(QStringLiteral("\"%1\" is not a host name or address").arg(host));
    }
    bool ok = false;
    const uint port = portText.toUInt(&ok);
    if (!ok || port < 1 || port > 65535 || !portText.at(0).isDigit())
        return fail(
            QStringLiteral("the port must be a number 1 to 65535, not \"%1\"").arg(portText));
    result.host = host;
    result.port = quint16(port);
    return result;
}

QString describeNetworkFailure(NetworkFailure failure, const QString& device,
                               const QString& detail) {
    switch (failure) {
    case NetworkFailure::BadAddress:
        return QStringLiteral("%1: %2").arg(device, detail);
    case NetworkFailure::HostNotFound:
        return QStringLiteral("%1: host not found (is the name right and the network up?)")
            .arg(device);
    case NetworkFailure::Refused:
        return QStringLiteral("%1: connection refused (is the device server running and the port "
                              "number right?)")
            .arg(device);
    case NetworkFailure::Timeout:
        return QStringLiteral("%1: no answer from the host within %2 (timeout; is it switched on "
                              "and reachable?)")
            .arg(device, detail);
    case NetworkFailure::NoTelnet:
        return QStringLiteral("%1: the server does not answer the RFC 2217 negotiation (a raw "
                              "port is reached with tcp://)")
            .arg(device);
    case NetworkFailure::Closed:
        return QStringLiteral("%1: the connection was closed by the server").arg(device);
    case NetworkFailure::Lost:
        return QStringLiteral("%1: the connection was lost%2")
            .arg(device, detail.isEmpty() ? QString() : QStringLiteral(": ") + detail);
    case NetworkFailure::Other:
        break;
    }
    return QStringLiteral("%1: %2").arg(device, detail.isEmpty() ? QStringLiteral("cannot connect")
                                                                 : detail);
}

} // namespace vanto
