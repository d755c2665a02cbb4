#include "setupdialog.h"

#include "link/commconfig.h"
#include "link/portchoice.h"
#include "platform/prompts.h"
#include "platform/serialport.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <functional>

namespace vanto {

namespace {

constexpr int kDeviceRole = Qt::UserRole + 1; // the device a machine port's entry opens
constexpr int kNumberedItems = 9;

// A drop-down list that tells before it opens, so that the machine's ports are listed afresh.
class PortCombo : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> beforePopup;
    void showPopup() override {
        if (beforePopup)
            beforePopup();
        QComboBox::showPopup();
    }
};

} // namespace

SetupDialog::SetupDialog(CommConfig& config, int& activePort, const QString& programDir,
                         Prompts& prompts, const QString& deviceOverride, QWidget* parent)
    : QDialog(parent), m_config(config), m_activePort(activePort), m_programDir(programDir),
      m_prompts(prompts), m_deviceOverride(deviceOverride) {
    setObjectName(QStringLiteral("SetupDialog"));
    setWindowTitle(QStringLiteral("Setup"));
    portLabel = new QLabel(QStringLiteral("Select Comm Port"), this);
    portLabel->setObjectName(QStringLiteral("portLabel"));
    portBox = new PortCombo(this);
    portBox->setObjectName(QStringLiteral("portBox"));
    for (int port = 1; port <= kNumberedItems; ++port) {
        // The item is the number; the device it opens is its tooltip and shows beside the list.
        portBox->addItem(QString::number(port));
        portBox->setItemData(port - 1, deviceForPort(port), Qt::ToolTipRole);
    }
    deviceLabel = new QLabel(this);
    deviceLabel->setObjectName(QStringLiteral("deviceLabel"));
    connect(portBox, qOverload<int>(&QComboBox::currentIndexChanged), this,
            [this] { showChoice(); });
    connect(portBox, &QComboBox::editTextChanged, this, [this] { showChoice(); });
    portBox->setCurrentIndex(setupItemFor(m_config.commPort));
    showChoice();
    portLabel->setBuddy(portBox);

    const char* captions[2] = {"SAVE", "CANCEL"};
    for (int i = 0; i < 2; ++i) {
        dialogButtons[i] = new QPushButton(QLatin1String(captions[i]), this);
        dialogButtons[i]->setObjectName(QStringLiteral("dialogButton_%1").arg(i));
        connect(dialogButtons[i], &QPushButton::clicked, this, [this, i] { buttonClicked(i); });
    }
    dialogButtons[0]->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(portLabel);
    auto* portRow = new QHBoxLayout;
    portRow->setObjectName(QStringLiteral("portRow"));
    portRow->addWidget(portBox, 1);
    layout->addLayout(portRow);
    layout->addWidget(deviceLabel);
    if (!deviceOverride.isEmpty()) {
        auto* note = new QLabel(
            QStringLiteral("This run uses %1 (given with --device).\nA port saved here is used "
                           "when VANTO starts without --device.")
                .arg(deviceOverride),
            this);
        note->setObjectName(QStringLiteral("overrideNote"));
        note->setWordWrap(true);
        layout->addWidget(note);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(dialogButtons[0]);
    buttons->addWidget(dialogButtons[1]);
    layout->addLayout(buttons);
    setMinimumWidth(280);
}

void SetupDialog::offerDevices(PortSource& source, QString& chosenDevice) {
    m_source = &source;
    m_chosenDevice = &chosenDevice;
    portBox->setEditable(true);
    portBox->setInsertPolicy(QComboBox::NoInsert);
    portBox->lineEdit()->setPlaceholderText(
        QStringLiteral("a port, a device path or tcp:// / rfc2217://HOST:PORT"));
    portBox->setToolTip(QStringLiteral("1 to 9: the serial ports by number; then the ports of "
                                       "this computer; or type a device path (/dev/ttyUSB0) or "
                                       "a serial device server's address (tcp://HOST:PORT, "
                                       "rfc2217://HOST:PORT)"));
    static_cast<PortCombo*>(portBox)->beforePopup = [this] { refreshPorts(); };
    refreshButton = new QPushButton(QStringLiteral("Refresh"), this);
    refreshButton->setObjectName(QStringLiteral("refreshButton"));
    refreshButton->setToolTip(
        QStringLiteral("List the ports of this computer again (after plugging "
                       "in an adapter)"));
    connect(refreshButton, &QPushButton::clicked, this, &SetupDialog::refreshPorts);
    if (auto* row = findChild<QHBoxLayout*>(QStringLiteral("portRow")))
        row->addWidget(refreshButton);
    refreshPorts();
    if (!chosenDevice.isEmpty()) {
        const int item = portBox->findData(chosenDevice, kDeviceRole);
        if (item >= 0)
            portBox->setCurrentIndex(item);
        else
            portBox->setEditText(chosenDevice);
    } else if (setupItemFor(m_config.commPort) < 0) {
        portBox->setEditText(QString());
    }
    portBox->lineEdit()->selectAll(); // typing replaces the choice shown
    showChoice();
    setMinimumWidth(520);
}

void SetupDialog::refreshPorts() {
    if (!m_source)
        return;
    // What the operator has picked or typed stays, whatever comes and goes in the list.
    const QString text = portBox->currentText();
    const int item = portBox->currentIndex();
    const QString device = item >= kNumberedItems && text == portBox->itemText(item)
                               ? portBox->itemData(item, kDeviceRole).toString()
                               : QString();
    const bool picked = item >= 0 && text == portBox->itemText(item);
    const QSignalBlocker quiet(portBox);
    while (portBox->count() > kNumberedItems)
        portBox->removeItem(kNumberedItems);
    const QList<PortListItem> items = portListItems(m_source->ports());
    for (const PortListItem& p : items) {
        portBox->addItem(p.text);
        const int at = portBox->count() - 1;
        portBox->setItemData(at, p.device, kDeviceRole);
        portBox->setItemData(at, p.tooltip, Qt::ToolTipRole);
    }
    const int again = device.isEmpty() ? -1 : portBox->findData(device, kDeviceRole);
    if (again >= 0)
        portBox->setCurrentIndex(again);
    else if (picked && item < kNumberedItems)
        portBox->setCurrentIndex(item);
    else
        portBox->setEditText(device.isEmpty() ? text : device);
    showChoice();
}

void SetupDialog::showChoice() {
    const int item = portBox->currentIndex();
    const QString text = portBox->currentText();
    QString device;
    if (item >= 0 && text == portBox->itemText(item))
        device = item < kNumberedItems ? deviceForPort(item + 1)
                                       : portBox->itemData(item, kDeviceRole).toString();
    else if (const auto choice = setupChoiceFor(text, QString()))
        device = choice->commPort ? deviceForPort(choice->commPort) : choice->device;
    deviceLabel->setText(device.isEmpty() ? QStringLiteral("no port chosen")
                                          : QStringLiteral("opens %1").arg(device));
}

void SetupDialog::buttonClicked(int index) {
    if (index != 0) {
        reject();
        return;
    }
    if (!m_chosenDevice) {
        m_config.commPort = setupPortFor(portBox->currentIndex(), m_config.commPort);
    } else {
        const int item = portBox->currentIndex();
        const bool picked = item >= 0 && portBox->currentText() == portBox->itemText(item);
        const QString itemDevice = picked && item >= kNumberedItems
                                       ? portBox->itemData(item, kDeviceRole).toString()
                                       : QString();
        if (const auto choice = setupChoiceFor(portBox->currentText(), itemDevice)) {
            if (choice->commPort) {
                m_config.commPort = qint16(choice->commPort);
                m_chosenDevice->clear();
            } else {
                *m_chosenDevice = choice->device;
            }
        }
    }
    // vanto.cfg is written as always; a chosen device goes to the settings store beside it.
    writeConfig(m_config, m_programDir, m_prompts);
    m_activePort = m_config.commPort; // from the next connection on, even if the store failed
    accept();
}

} // namespace vanto
