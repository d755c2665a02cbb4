#include "portchoice.h"

#include "platform/serialport.h"

#include <QSettings>
#include <QStringList>

#include <algorithm>

namespace vanto {

namespace {

const QString kDeviceKey = QStringLiteral("Settings/Device");

bool isNumberedPort(const QString& device) {
    for (int port = 1; port <= 9; ++port) {
        if (device == deviceForPort(port))
            return true;
    }
    return false;
}

} // namespace

QString readChosenDevice(QSettings& settings) {
    return settings.value(kDeviceKey).toString().trimmed();
}

void writeChosenDevice(QSettings& settings, const QString& device) {
    if (device.trimmed().isEmpty())
        settings.remove(kDeviceKey);
    else
        settings.setValue(kDeviceKey, device.trimmed());
    settings.sync();
}

QString deviceOverrideAtStart(const QString& commandLineDevice, const QString& chosenDevice) {
    return commandLineDevice.isEmpty() ? chosenDevice : commandLineDevice;
}

QList<PortListItem> portListItems(const QList<PortInfo>& ports) {
    QList<PortInfo> sorted = ports;
    std::sort(sorted.begin(), sorted.end(),
              [](const PortInfo& a, const PortInfo& b) { return a.device < b.device; });
    QList<PortListItem> items;
    for (const PortInfo& p : sorted) {
        if (p.device.isEmpty() || isNumberedPort(p.device))
            continue;
        QStringList about;
        if (!p.description.isEmpty())
            about << p.description;
        if (!p.manufacturer.isEmpty() && !p.description.contains(p.manufacturer))
            about << p.manufacturer;
        if (!p.serialNumber.isEmpty())
            about << QStringLiteral("serial %1").arg(p.serialNumber);
        PortListItem item;
        item.device = p.stableName.isEmpty() ? p.device : p.stableName;
        item.text = about.isEmpty()
                        ? p.device
                        : QStringLiteral("%1: %2").arg(p.device, about.join(QStringLiteral(", ")));
        QStringList tip{p.device};
        if (!p.stableName.isEmpty())
            tip << p.stableName;
        tip << about;
        item.tooltip = tip.join(QLatin1Char('\n'));
        items.append(item);
    }
    return items;
}

std::optional<SetupChoice> setupChoiceFor(const QString& text, const QString& itemDevice) {
    if (!itemDevice.isEmpty())
        return SetupChoice{0, itemDevice};
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const int number = t.toInt(&ok);
    if (ok && number >= 1 && number <= 9 && t.size() == 1)
        return SetupChoice{number, QString()};
    return SetupChoice{0, t};
}

} // namespace vanto
