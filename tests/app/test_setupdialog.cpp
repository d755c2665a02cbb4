// The setup dialog's device choice: the machine's ports from a fake source, typed devices and
// addresses, what SAVE keeps where, and which device wins at start.
#include "fakes.h"
#include "link/commconfig.h"
#include "link/portchoice.h"
#include "platform/serialport.h"
#include "setupdialog.h"
#include "shared/atomicfile.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace vanto;

namespace {

class FakePorts : public PortSource {
public:
    QList<PortInfo> ports() override {
        ++asked;
        return list;
    }
    QList<PortInfo> list;
    int asked = 0;
};

const PortInfo kFtdi{
    QStringLiteral("/dev/ttyUSB0"), QStringLiteral("FT232R USB UART"), QStringLiteral("FTDI"),
    QStringLiteral("A10KXYZ"),
    QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10KXYZ-if00-port0")};
const PortInfo kAcm{QStringLiteral("/dev/ttyACM0"), QString(), QString(), QString(), QString()};
const PortInfo kOnboard{QStringLiteral("/dev/ttyS0"), QStringLiteral("16550A"), QString(),
                        QString(), QString()};

} // namespace

class TestSetupDialog : public QObject {
    Q_OBJECT
private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void listedPorts();
    void choices_data();
    void choices();
    void saveKeepsNumberOrDevice_data();
    void saveKeepsNumberOrDevice();
    void refreshFindsANewAdapter();
    void deviceAtStart_data();
    void deviceAtStart();
    void failedSaveSaysSoAndKeepsTheOldFile();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    test::FakePrompts m_prompts;
};

void TestSetupDialog::listedPorts() {
    const QList<PortListItem> items = portListItems({kFtdi, kOnboard, kAcm});
    // In device order; /dev/ttyS0 is port 1 already.
    QCOMPARE(items.size(), 2);
    QCOMPARE(items[0].device, QStringLiteral("/dev/ttyACM0"));
    QCOMPARE(items[1].device, kFtdi.stableName); // the name that survives replugging
    QCOMPARE(items[1].text, QStringLiteral("/dev/ttyUSB0: FT232R USB UART, FTDI, serial A10KXYZ"));
}

void TestSetupDialog::choices_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("itemDevice");
    QTest::addColumn<int>("commPort"); // -1: nothing usable
    QTest::addColumn<QString>("device");
    QTest::newRow("numbered") << "4"
                              << "" << 4 << "";
    QTest::newRow("not a port number") << "10"
                                       << "" << 0 << "10";
    QTest::newRow("typed address") << " rfc2217://box:4002 "
                                   << "" << 0 << "rfc2217://box:4002";
    QTest::newRow("picked port") << "/dev/ttyUSB0: FT232R" << kFtdi.stableName << 0
                                 << kFtdi.stableName;
    QTest::newRow("empty") << "  "
                           << "" << -1 << "";
}

void TestSetupDialog::choices() {
    QFETCH(QString, text);
    QFETCH(QString, itemDevice);
    QFETCH(int, commPort);
    QFETCH(QString, device);
    const std::optional<SetupChoice> c = setupChoiceFor(text, itemDevice);
    QCOMPARE(c.has_value(), commPort >= 0);
    if (c) {
        QCOMPARE(c->commPort, commPort);
        QCOMPARE(c->device, device);
    }
}

void TestSetupDialog::saveKeepsNumberOrDevice_data() {
    QTest::addColumn<QString>("before"); // the device chosen before
    QTest::addColumn<QString>("pick");   // "#N": item N; else typed text
    QTest::addColumn<int>("commPort");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("label");
    QTest::newRow("number over a device") << "/dev/ttyACM0"
                                          << "#3" << 4 << ""
                                          << "opens " + deviceForPort(4);
    QTest::newRow("machine port") << ""
                                  << "#10" << 2 << kFtdi.stableName << "opens " + kFtdi.stableName;
    QTest::newRow("typed address") << ""
                                   << "tcp://10.1.2.3:4001" << 2 << "tcp://10.1.2.3:4001"
                                   << "opens tcp://10.1.2.3:4001";
}

void TestSetupDialog::saveKeepsNumberOrDevice() {
    QFETCH(QString, before);
    QFETCH(QString, pick);
    QFETCH(int, commPort);
    QFETCH(QString, chosen);
    QFETCH(QString, label);
    CommConfig config = CommConfig::defaults(m_dir->path());
    config.commPort = 2;
    int active = 2;
    FakePorts ports;
    ports.list = {kFtdi, kAcm};
    QString device = before;
    SetupDialog setup(config, active, m_dir->path(), m_prompts);
    setup.offerDevices(ports, device);
    if (!before.isEmpty())
        QCOMPARE(setup.portBox->currentText(), QStringLiteral("/dev/ttyACM0"));
    if (pick.startsWith(QLatin1Char('#')))
        setup.portBox->setCurrentIndex(pick.mid(1).toInt());
    else
        setup.portBox->setEditText(pick);
    QCOMPARE(setup.deviceLabel->text(), label);
    setup.buttonClicked(0);
    QCOMPARE(int(config.commPort), commPort);
    QCOMPARE(active, commPort);
    QCOMPARE(device, chosen);
    // vanto.cfg is written as always: 126 bytes, the port number at byte 124.
    QFile cfg(configPath(m_dir->path()));
    QVERIFY(cfg.open(QIODevice::ReadOnly));
    const QByteArray bytes = cfg.readAll();
    QCOMPARE(bytes.size(), 126);
    QCOMPARE(int(bytes.at(124)), commPort);
}

void TestSetupDialog::refreshFindsANewAdapter() {
    CommConfig config = CommConfig::defaults(m_dir->path());
    int active = 1;
    FakePorts ports;
    QString device = QStringLiteral("tcp://box:4001");
    SetupDialog setup(config, active, m_dir->path(), m_prompts);
    setup.offerDevices(ports, device);
    QCOMPARE(setup.portBox->count(), 9);
    QCOMPARE(setup.portBox->currentText(), device);
    ports.list = {kFtdi};
    QVERIFY(setup.refreshButton);
    setup.refreshButton->click();
    QCOMPARE(setup.portBox->count(), 10);
    QCOMPARE(setup.portBox->currentText(), device); // what was typed stays
    setup.portBox->setCurrentIndex(9);
    ports.list = {kAcm, kFtdi};
    const int asked = ports.asked;
    setup.portBox->showPopup(); // the list opening asks again
    setup.portBox->hidePopup();
    QCOMPARE(ports.asked, asked + 1);
    QCOMPARE(setup.portBox->count(), 11);
    QCOMPARE(setup.portBox->itemData(setup.portBox->currentIndex(), Qt::UserRole + 1).toString(),
             kFtdi.stableName); // the picked adapter stays picked though it moved down
    setup.buttonClicked(1);     // CANCEL
    QCOMPARE(device, QStringLiteral("tcp://box:4001"));
    QVERIFY(!QFile::exists(configPath(m_dir->path())));
}

void TestSetupDialog::deviceAtStart_data() {
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("opened"); // "" : commPort's device
    QTest::newRow("command line wins") << "/dev/ttyUSB1"
                                       << "rfc2217://box:1"
                                       << "/dev/ttyUSB1";
    QTest::newRow("then the settings") << ""
                                       << "rfc2217://box:1"
                                       << "rfc2217://box:1";
    QTest::newRow("then the port number") << ""
                                          << ""
                                          << "";
}

void TestSetupDialog::deviceAtStart() {
    QFETCH(QString, commandLine);
    QFETCH(QString, stored);
    QFETCH(QString, opened);
    const QString ini = m_dir->filePath(QStringLiteral("settings.ini"));
    {
        QSettings settings(ini, QSettings::IniFormat);
        writeChosenDevice(settings, QStringLiteral("/dev/old"));
        writeChosenDevice(settings, stored); // "" removes it
    }
    QSettings settings(ini, QSettings::IniFormat);
    QCOMPARE(deviceOverrideAtStart(commandLine, readChosenDevice(settings)), opened);
}

// SAVE on a failing disk: the message, the old vanto.cfg, the new port still used for this run.
void TestSetupDialog::failedSaveSaysSoAndKeepsTheOldFile() {
    const QString cfg = configPath(m_dir->path());
    QVERIFY(test::writeAll(cfg, "old config"));
    testing::injectWriteFault(testing::WriteFaultAt::Write, ENOSPC);
    const auto noFault =
        qScopeGuard([] { testing::injectWriteFault(testing::WriteFaultAt::Nothing, 0); });
    CommConfig config = CommConfig::defaults(m_dir->path());
    int activePort = 1;
    test::FakePrompts prompts;
    SetupDialog dialog(config, activePort, m_dir->path(), prompts);
    dialog.portBox->setCurrentIndex(3);
    dialog.dialogButtons[0]->click();
    QCOMPARE(prompts.messages.size(), 1);
    QCOMPARE(prompts.messages[0].text, QStringLiteral("Error in Storing VANTO.CFG file."));
    QCOMPARE(test::readAll(cfg), QByteArray("old config"));
    QCOMPARE(activePort, 4);
}

QTEST_MAIN(TestSetupDialog)
#include "test_setupdialog.moc"
