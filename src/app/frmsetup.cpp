#include "frmsetup.h"

#include "link/commconfig.h"
#include "platform/prompts.h"
#include "platform/serialport.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vanto {

frmSetup::frmSetup(CommConfig& config, int& activePort, const QString& programDir, Prompts& prompts,
                   const QString& deviceOverride, QWidget* parent)
    : QDialog(parent), m_config(config), m_activePort(activePort), m_programDir(programDir),
      m_prompts(prompts) {
    setObjectName(QStringLiteral("frmSetup"));
    setWindowTitle(QStringLiteral("Setup"));
    Label1 = new QLabel(QStringLiteral("Select Comm Port"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    cmbPorts = new QComboBox(this);
    cmbPorts->setObjectName(QStringLiteral("cmbPorts"));
    for (int port = 1; port <= 9; ++port) {
        // The item is the number; the device it opens is its tooltip and shows beside the list.
        cmbPorts->addItem(QString::number(port));
        cmbPorts->setItemData(port - 1, DeviceForPort(port), Qt::ToolTipRole);
    }
    lblDevice = new QLabel(this);
    lblDevice->setObjectName(QStringLiteral("lblDevice"));
    auto showDevice = [this](int item) {
        lblDevice->setText(item < 0 ? QStringLiteral("no port chosen")
                                    : QStringLiteral("opens %1").arg(DeviceForPort(item + 1)));
    };
    connect(cmbPorts, qOverload<int>(&QComboBox::currentIndexChanged), this, showDevice);
    cmbPorts->setCurrentIndex(SetupItemFor(m_config.CommPort));
    showDevice(cmbPorts->currentIndex());
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
    portRow->addWidget(cmbPorts);
    portRow->addWidget(lblDevice, 1);
    layout->addLayout(portRow);
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

void frmSetup::cmdSetup_Click(int index) {
    if (index == 0) {
        m_config.CommPort = SetupPortFor(cmbPorts->currentIndex(), m_config.CommPort);
        WriteConfig(m_config, m_programDir, m_prompts);
        m_activePort = m_config.CommPort; // from the next connection on, even if the store failed
        accept();
    } else {
        reject();
    }
}

} // namespace vanto
