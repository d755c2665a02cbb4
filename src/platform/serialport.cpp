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

QString deviceForPort(int commPort) {
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(commPort);
#else
    return QStringLiteral("/dev/ttyS%1").arg(commPort - 1);
#endif
}

QString describePortFailure(PortFailure failure, const QString& device, const QString& group,
                            const QString& detail) {
    switch (failure) {
    case PortFailure::NoSuchDevice:
        return QStringLiteral("%1: no such device (is the adapter plugged in and the port number "
                              "or device path right?)")
            .arg(device);
    case PortFailure::PermissionDenied: {
        DeviceAccess access;
        access.group = group;
        return describePermissionDenied(device, access);
    }
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

QString describePermissionDenied(const QString& device, const DeviceAccess& a) {
    const QString head = QStringLiteral("%1: permission denied: ").arg(device);
    const bool rootGroup = a.group == QLatin1String("root") || (a.mode >= 0 && a.gid == 0);
    if (a.mode < 0) {
        // Nothing known of its mode: name the group if it is one worth joining.
        if (a.group.isEmpty() || rootGroup)
            return head + QStringLiteral("the user may not open it (serial devices usually "
                                         "belong to a group such as dialout that may)");
        return head + QStringLiteral("the user must be in the group that owns the device (%1), "
                                     "e.g. sudo usermod -aG %1 $USER, then log in again")
                          .arg(a.group);
    }
    const QString mode = QStringLiteral("%1").arg(a.mode & 07777, 4, 8, QLatin1Char('0'));
    const bool groupMayUse = (a.mode & 0060) == 0060;
    if (groupMayUse && !rootGroup && !a.group.isEmpty()) {
        if (a.sessionHasGroup)
            return head + QStringLiteral("the device belongs to group %1 (mode %2), which this "
                                         "session has; something else (an ACL or a security "
                                         "module) refuses it")
                              .arg(a.group, mode);
        if (a.memberOfGroup)
            return head + QStringLiteral("the device belongs to group %1 (mode %2): you are in "
                                         "that group, but this login session is older; log out "
                                         "and in again")
                              .arg(a.group, mode);
        return head + QStringLiteral("the device belongs to group %1 (mode %2): join it with "
                                     "sudo usermod -aG %1 $USER, then log in again")
                          .arg(a.group, mode);
    }
    // No group membership helps: say whose it is and how to hand it to a group.
    const QString kernelName = device.section(QLatin1Char('/'), -1);
    return head +
           QStringLiteral("the device is owned by %1:%2 with mode %3, which gives no group of "
                          "users access; a udev rule can, e.g. SUBSYSTEM==\"tty\", "
                          "KERNEL==\"%4\", GROUP=\"dialout\", MODE=\"0660\" in "
                          "/etc/udev/rules.d/50-serial.rules, then join dialout")
               .arg(a.owner.isEmpty() ? QStringLiteral("?") : a.owner,
                    a.group.isEmpty() ? QStringLiteral("?") : a.group, mode, kernelName);
}

} // namespace vanto
