// Devices reached over the network: a serial device server's port given as tcp://HOST:PORT (raw
// bytes, the line settings are the server's) or rfc2217://HOST:PORT (Telnet with COM-PORT-CONTROL:
// the client sets the line).
#pragma once

#include <QString>

#include <optional>

namespace vanto {

struct NetworkDevice {
    enum class Protocol { Raw, Rfc2217 };
    Protocol protocol = Protocol::Raw;
    QString host; // a name, an IPv4 address or an IPv6 address (given in brackets)
    quint16 port = 0;
};

// True when the device text names a network device (its scheme is tcp:// or rfc2217://, in any
// letter case), whether or not the rest is well formed.
bool isNetworkDevice(const QString& device);

// The parts of tcp://HOST:PORT or rfc2217://HOST:PORT. On a malformed address returns nullopt and
// sets `error` to what is wrong.
std::optional<NetworkDevice> parseNetworkDevice(const QString& device, QString* error = nullptr);

// Why a network device could not be reached or stopped working.
enum class NetworkFailure {
    BadAddress,   // detail: what is wrong with it
    HostNotFound, // the name does not resolve
    Refused,      // nothing listens on the port
    Timeout,      // no answer to the connect within the time allowed
    NoTelnet,     // an rfc2217:// server that does not answer the Telnet negotiation
    Closed,       // the server closed an open connection
    Lost,         // an open connection failed; detail: the system's words
    Other,        // detail: the system's words
};

// One line naming the device and the reason, with a hint for the common causes.
QString describeNetworkFailure(NetworkFailure failure, const QString& device,
                               const QString& detail = {});

} // namespace vanto
