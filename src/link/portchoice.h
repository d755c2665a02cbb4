// The choice of the device the unit link opens. vanto.cfg keeps a port number 1 to 9; a device
// chosen in setup that is not one of those (a USB adapter by its stable name, any device path, a
// network address) is kept in the per-user settings beside it. At start a device given on the
// command line wins for the run, then the settings' device, then the port number.
#pragma once

#include "platform/portsource.h"

#include <QString>

#include <optional>

class QSettings;

namespace vanto {

// The device kept in the settings store ("" when none), and storing it ("" removes it).
QString readChosenDevice(QSettings& settings);
void writeChosenDevice(QSettings& settings, const QString& device);

// The device the link opens instead of the port number's: the command line's, else the
// settings'. "" means the port number's device.
QString deviceOverrideAtStart(const QString& commandLineDevice, const QString& chosenDevice);

// One entry of the setup list after the numbered ports.
struct PortListItem {
    QString text;    // what the list shows: the device with what is known about it
    QString device;  // what is opened and kept: the stable name when there is one
    QString tooltip; // every detail
};

// The machine's ports as list entries, in device order; ports that a number 1 to 9 already opens
// are left out (their numbered entry stands for them).
QList<PortListItem> portListItems(const QList<PortInfo>& ports);

// What SAVE keeps for a typed or picked text: a port number 1 to 9 (for "1" to "9"), or a device.
struct SetupChoice {
    int commPort = 0; // 1..9, or 0 when a device was chosen
    QString device;
};
// `text` is the list's text, `itemDevice` the device of the entry picked ("" for a typed text or
// a numbered entry). Returns nullopt for nothing usable (empty text).
std::optional<SetupChoice> setupChoiceFor(const QString& text, const QString& itemDevice);

} // namespace vanto
