#include "serialport.h"

#include <QStringList>

namespace vanto {

std::optional<LineSettings> LineSettings::parse(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;
    LineSettings s;
    bool ok = false;
    s.baud = parts[0].trimmed().toInt(&ok);
    if (!ok || s.baud <= 0)
        return std::nullopt;
    const QString parity = parts[1].trimmed().toUpper();
    if (parity.size() != 1 || !QStringLiteral("NEOMS").contains(parity))
        return std::nullopt;
    s.parity = parity[0].toLatin1();
    s.dataBits = parts[2].trimmed().toInt(&ok);
    if (!ok || s.dataBits < 5 || s.dataBits > 8)
        return std::nullopt;
    s.stopBits = parts[3].trimmed().toInt(&ok);
    if (!ok || (s.stopBits != 1 && s.stopBits != 2))
        return std::nullopt;
    return s;
}

QString LineSettings::text() const {
    return QStringLiteral("%1,%2,%3,%4")
        .arg(baud)
        .arg(QLatin1Char(parity))
        .arg(dataBits)
        .arg(stopBits);
}

QString DeviceForPort(int commPort) {
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(commPort);
#else
    return QStringLiteral("/dev/ttyS%1").arg(commPort - 1);
#endif
}

QString DescribePortFailure(PortFailure failure, const QString& device, const QString& group,
                            const QString& detail) {
    switch (failure) {
    case PortFailure::NoSuchDevice:
        return QStringLiteral("%1: no such device (is the adapter plugged in and the port number "
                              "or device path right?)")
            .arg(device);
    case PortFailure::PermissionDenied:
        return QStringLiteral("%1: permission denied: the user must be in the group that owns "
                              "the device (%2), e.g. sudo usermod -aG %2 $USER, then log in again")
            .arg(device, group.isEmpty() ? QStringLiteral("usually dialout") : group);
    case PortFailure::Busy:
        return QStringLiteral("%1: busy: another program holds it; close that program first")
            .arg(device);
    case PortFailure::DeviceLost:
        return QStringLiteral("%1: the device stopped working (unplugged or hung up)%2")
            .arg(device, detail.isEmpty() ? QString() : QStringLiteral(": ") + detail);
    case PortFailure::Other:
        break;
    }
    return QStringLiteral("%1: %2").arg(
        device, detail.isEmpty() ? QStringLiteral("cannot open the port") : detail);
}

} // namespace vanto
