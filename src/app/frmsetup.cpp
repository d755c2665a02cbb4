#include "frmsetup.h"

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

frmSetup::frmSetup(CommConfig& config, int& activePort, const QString& programDir, Prompts& prompts,
                   const QString& deviceOverride, QWidget* parent)
    : QDialog(parent), m_config(config), m_activePort(activePort), m_programDir(programDir),
      m_prompts(prompts), m_deviceOverride(deviceOverride) {
    setObjectName(QStringLiteral("frmSetup"));
    setWindowTitle(QStringLiteral("Setup"));
    Label1 = new QLabel(QStringLiteral("Select Comm Port"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    cmbPorts = new PortCombo(this);
    cmbPorts->setObjectName(QStringLiteral("cmbPorts"));
    for (int port = 1; port <= kNumberedItems; ++port) {
        // The item is the number; the device it opens is its tooltip and shows beside the list.
        cmbPorts->addItem(QString::number(port));
        cmbPorts->setItemData(port - 1, DeviceForPort(port), Qt::ToolTipRole);
    }
    lblDevice = new QLabel(this);
    lblDevice->setObjectName(QStringLiteral("lblDevice"));
    connect(cmbPorts, qOverload<int>(&QComboBox::currentIndexChanged), this,
            [this] { showChoice(); });
    connect(cmbPorts, &QComboBox::editTextChanged, this, [this] { showChoice(); });
    cmbPorts->setCurrentIndex(SetupItemFor(m_config.CommPort));
    showChoice();
    Label1->setBuddy(cmbPorts);

    const char* captions[2] = {"SAVE", "CANCEL"};
    for (int i = 0; i < 2; ++i) {
        cmdSetup[i] = new QPushButton(QLatin1String(captions[i]), this);
        cmdSetup[i]->setObjectName(QStringLiteral("cmdSetup_%1").arg(i));
        connect(cmdSetup[i], &QPushButton::clicked, this, [this, i] { cmdSetup_Click(i); });
    }
    cmdSetup[0]->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    auto* portRow = new QHBoxLayout;
    portRow->setObjectName(QStringLiteral("portRow"));
    portRow->addWidget(cmbPorts, 1);
    layout->addLayout(portRow);
    layout->addWidget(lblDevice);
    if (!deviceOverride.isEmpty()) {
        auto* note = new QLabel(
            QStringLiteral("This run uses %1 (given with --device).\nA port saved here is used "
                           "when VANTO starts without --device.")
                .arg(deviceOverride),
            this);
        note->setObjectName(QStringLiteral("lblOverride"));
        note->setWordWrap(true);
        layout->addWidget(note);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdSetup[0]);
    buttons->addWidget(cmdSetup[1]);
    layout->addLayout(buttons);
    setMinimumWidth(280);
}

void frmSetup::offerDevices(PortSource& source, QString& chosenDevice) {
    m_source = &source;
    m_chosenDevice = &chosenDevice;
    cmbPorts->setEditable(true);
    cmbPorts->setInsertPolicy(QComboBox::NoInsert);
    cmbPorts->lineEdit()->setPlaceholderText(
        QStringLiteral("a port, a device path or tcp:// / rfc2217://HOST:PORT"));
    cmbPorts->setToolTip(QStringLiteral("1 to 9: the serial ports by number; then the ports of "
                                        "this computer; or type a device path (/dev/ttyUSB0) or "
                                        "a serial device server's address (tcp://HOST:PORT, "
                                        "rfc2217://HOST:PORT)"));
    static_cast<PortCombo*>(cmbPorts)->beforePopup = [this] { refreshPorts(); };
    cmdRefresh = new QPushButton(QStringLiteral("Refresh"), this);
    cmdRefresh->setObjectName(QStringLiteral("cmdRefresh"));
    cmdRefresh->setToolTip(QStringLiteral("List the ports of this computer again (after plugging "
                                          "in an adapter)"));
    connect(cmdRefresh, &QPushButton::clicked, this, &frmSetup::refreshPorts);
    if (auto* row = findChild<QHBoxLayout*>(QStringLiteral("portRow")))
        row->addWidget(cmdRefresh);
    refreshPorts();
    if (!chosenDevice.isEmpty()) {
        const int item = cmbPorts->findData(chosenDevice, kDeviceRole);
        if (item >= 0)
            cmbPorts->setCurrentIndex(item);
        else
            cmbPorts->setEditText(chosenDevice);
    } else if (SetupItemFor(m_config.CommPort) < 0) {
        cmbPorts->setEditText(QString());
    }
    cmbPorts->lineEdit()->selectAll(); // typing replaces the choice shown
    showChoice();
    setMinimumWidth(520);
}

void frmSetup::refreshPorts() {
    if (!m_source)
        return;
    // What the operator has picked or typed stays, whatever comes and goes in the list.
    const QString text = cmbPorts->currentText();
    const int item = cmbPorts->currentIndex();
    const QString device = item >= kNumberedItems && text == cmbPorts->itemText(item)
                               ? cmbPorts->itemData(item, kDeviceRole).toString()
                               : QString();
    const bool picked = item >= 0 && text == cmbPorts->itemText(item);
    const QSignalBlocker quiet(cmbPorts);
    while (cmbPorts->count() > kNumberedItems)
        cmbPorts->removeItem(kNumberedItems);
    const QList<PortListItem> items = PortListItems(m_source->ports());
    for (const PortListItem& p : items) {
        cmbPorts->addItem(p.text);
        const int at = cmbPorts->count() - 1;
        cmbPorts->setItemData(at, p.device, kDeviceRole);
        cmbPorts->setItemData(at, p.tooltip, Qt::ToolTipRole);
    }
    const int again = device.isEmpty() ? -1 : cmbPorts->findData(device, kDeviceRole);
    if (again >= 0)
        cmbPorts->setCurrentIndex(again);
    else if (picked && item < kNumberedItems)
        cmbPorts->setCurrentIndex(item);
    else
        cmbPorts->setEditText(device.isEmpty() ? text : device);
    showChoice();
}

void frmSetup::showChoice() {
    const int item = cmbPorts->currentIndex();
    const QString text = cmbPorts->currentText();
    QString device;
    if (item >= 0 && text == cmbPorts->itemText(item))
        device = item < kNumberedItems ? DeviceForPort(item + 1)
                                       : cmbPorts->itemData(item, kDeviceRole).toString();
    else if (const auto choice = SetupChoiceFor(text, QString()))
        device = choice->commPort ? DeviceForPort(choice->commPort) : choice->device;
    lblDevice->setText(device.isEmpty() ? QStringLiteral("no port chosen")
                                        : QStringLiteral("opens %1").arg(device));
}

void frmSetup::cmdSetup_Click(int index) {
    if (index != 0) {
        reject();
        return;
    }
    if (!m_chosenDevice) {
        m_config.CommPort = SetupPortFor(cmbPorts->currentIndex(), m_config.CommPort);
    } else {
        const int item = cmbPorts->currentIndex();
        const bool picked = item >= 0 && cmbPorts->currentText() == cmbPorts->itemText(item);
        const QString itemDevice = picked && item >= kNumberedItems
                                       ? cmbPorts->itemData(item, kDeviceRole).toString()
                                       : QString();
        if (const auto choice = SetupChoiceFor(cmbPorts->currentText(), itemDevice)) {
            if (choice->commPort) {
                m_config.CommPort = qint16(choice->commPort);
                m_chosenDevice->clear();
            } else {
                *m_chosenDevice = choice->device;
            }
        }
    }
    // vanto.cfg is written as always; a chosen device goes to the settings store beside it.
    WriteConfig(m_config, m_programDir, m_prompts);
    m_activePort = m_config.CommPort; // from the next connection on, even if the store failed
    accept();
}

} // namespace vanto
