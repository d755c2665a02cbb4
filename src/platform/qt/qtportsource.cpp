#include "qtportsource.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSerialPortInfo>

namespace vanto {

QList<PortInfo> QtPortSource::ports() {
    // Each stable name is a symbolic link to the device it currently stands for.
    QHash<QString, QString> stableNames;
    const QFileInfoList links = QDir(m_byIdDir).entryInfoList(
        QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& link : links) {
        const QString target = link.canonicalFilePath();
        if (!target.isEmpty() && !stableNames.contains(target))
            stableNames.insert(target, link.absoluteFilePath());
    }
    QList<PortInfo> out;
    const QList<QSerialPortInfo> found = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : found) {
        PortInfo p;
        p.device = info.systemLocation();
        p.description = info.description();
        p.manufacturer = info.manufacturer();
        p.serialNumber = info.serialNumber();
        p.stableName = stableNames.value(QFileInfo(p.device).canonicalFilePath());
        out.append(p);
    }
    return out;
}

} // namespace vanto
