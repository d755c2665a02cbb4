// The main window offscreen: start-up and shut-down, the Setup dialog against vanto.cfg, the
// meter selector, and the whole window connected to the simulator.
#include "../fakes.h"
#include "../simprocess.h"

#include "frmsetup.h"
#include "main351.h"
#include "shared/appshell.h"
#include "widgets/digitdisplay.h"
#include "widgets/labelpanel.h"
#include "widgets/lamp.h"
#include "widgets/meterselector.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace vanto;

namespace {

using Sim = vanto::test::SimProcess;

} // namespace

class TestMain351 : public QObject {
    Q_OBJECT
private slots:
    void init();
    void startsOffLineWithDefaults();
    void placementSavedOnlyFromNormalState();
    void secondInstanceRefusedBeforeAnything();
    void setupSaveAndCancel();
    void meterSelectorRefusesAnalogWithoutSumScale();
    void connectsToSimulatorAndPolls();

private:
    StartupOptions options() const;
    std::unique_ptr<QTemporaryDir> m_dir;
    test::FakePrompts m_prompts;
};

void TestMain351::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_prompts = test::FakePrompts();
}

StartupOptions TestMain351::options() const {
    StartupOptions o;
    o.programDir = m_dir->path();
    o.settingsFile = m_dir->filePath(QStringLiteral("settings.ini"));
    o.lockDir = m_dir->path();
    o.userConfigDir = m_dir->filePath(QStringLiteral("user")); // never the real user's vanto.cfg
    return o;
}

void TestMain351::startsOffLineWithDefaults() {
    auto w = Main351::Load(options(), &m_prompts);
    QVERIFY(w);
    QVERIFY(!w->OnLine());
    QVERIFY(!w->link().timer1Active());
    QCOMPARE(w->link().vars().ActivePort, 1); // no vanto.cfg: port 1, nothing said
    QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("vanto.cfg"))));
    QCOMPARE(w->link().vars().LinkRequest, 0);
    QCOMPARE(w->link().vars().PollRequest, 2);
    QCOMPARE(w->meterMode(), 3);
    QCOMPARE(w->NumLED[1]->label(), QStringLiteral("Distance (Inches)"));
    QVERIFY(!w->mnuProgramRm->isEnabled());
    QVERIFY(!w->vseTogPnl->isEnabled());
    QVERIFY(!w->lgSlid->isEnabled());
    QVERIFY(!w->ledComm->isOn());
    QVERIFY(m_prompts.messages.isEmpty());
    QCOMPARE(w->windowTitle(), QStringLiteral("VANTO"));
    QCOMPARE(w->help().helpFile(), m_dir->filePath(QStringLiteral("VANTO.HLP")));
}

void TestMain351::placementSavedOnlyFromNormalState() {
    {
        auto w = Main351::Load(options(), &m_prompts);
        w->show();
        w->setGeometry(30, 45, 1000, 700);
        w->close();
    }
    QSettings stored(options().settingsFile, QSettings::IniFormat);
    const Placement saved = ReadPlacement(stored);
    QVERIFY(saved.width > 9600); // 1000 pixels wide
    {
        auto w = Main351::Load(options(), &m_prompts);
        w->show();
        w->setGeometry(100, 100, 1100, 800);
        w->showMinimized();
        w->close();
    }
    QSettings again(options().settingsFile, QSettings::IniFormat);
    QCOMPARE(ReadPlacement(again), saved); // a minimised window keeps the stored placement
}

void TestMain351::secondInstanceRefusedBeforeAnything() {
    auto first = Main351::Load(options(), &m_prompts);
    QVERIFY(first);
    test::FakePrompts second;
    StartupOptions o = options();
    o.settingsFile = m_dir->filePath(QStringLiteral("untouched.ini"));
    QVERIFY(!Main351::Load(o, &second));
    QCOMPARE(second.messages.size(), 1);
    QCOMPARE(second.messages[0].text,
             QStringLiteral("Previous Instance of Application is running"));
    QVERIFY(!QFile::exists(o.settingsFile));
}

void TestMain351::setupSaveAndCancel() {
    auto w = Main351::Load(options(), &m_prompts);
    const QString cfg = m_dir->filePath(QStringLiteral("vanto.cfg"));
    int active = w->link().vars().ActivePort;
    {
        frmSetup setup(w->config(), active, m_dir->path(), m_prompts);
        QCOMPARE(setup.cmbPorts->count(), 9);
        QCOMPARE(setup.cmbPorts->itemText(0), QStringLiteral("1"));
        QCOMPARE(setup.cmbPorts->currentIndex(), 0);
        setup.cmbPorts->setCurrentIndex(5);
        setup.cmdSetup_Click(1); // CANCEL
    }
    QCOMPARE(active, 1);
    QVERIFY(!QFile::exists(cfg));
    {
        frmSetup setup(w->config(), active, m_dir->path(), m_prompts);
        setup.cmbPorts->setCurrentIndex(3);
        QCOMPARE(setup.cmdSetup[0]->text(), QStringLiteral("SAVE"));
        setup.cmdSetup_Click(0);
    }
    QCOMPARE(active, 4);
    QFile f(cfg);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QCOMPARE(bytes.size(), 126);
    QCOMPARE(bytes.at(124), char(4));
}

void TestMain351::meterSelectorRefusesAnalogWithoutSumScale() {
    auto w = Main351::Load(options(), &m_prompts);
    w->lgSlid->setEnabled(true);
    w->lgSlid->setPosition(2);
    w->SelectMeterMode();
    QCOMPARE(w->meterMode(), 2);
    w->lgSlid->setPosition(1); // the running program (none loaded) has Sum/Scale off
    w->SelectMeterMode();
    QCOMPARE(m_prompts.beeps, 1);
    QCOMPARE(w->lgSlid->position(), 2);
    QCOMPARE(w->meterMode(), 2);
    QCOMPARE(w->NumLED[1]->label(), QStringLiteral("ADAPTIVE MODE Percent Output(%)"));
}

void TestMain351::connectsToSimulatorAndPolls() {
    Sim sim;
    QVERIFY(!sim.device.isEmpty());
    StartupOptions o = options();
    o.device = sim.device;
    o.connect = true;
    auto w = Main351::Load(o, &m_prompts);
    w->show();
    w->SwitchOnLineAtStart();
    QTRY_VERIFY_WITH_TIMEOUT(w->link().timer1Active() && w->ledComm->isOn(), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(w->vseLab[0]->text(), QStringLiteral("A12345"), 5000);
    QCOMPARE(w->vseLab[1]->text(), QStringLiteral("2.16 M"));
    QVERIFY(w->mnuProgramRm->isEnabled());
    QVERIFY(w->vseTogPnl->isEnabled());
    // A distance arrives on the large display.
    QTRY_VERIFY_WITH_TIMEOUT(w->link().vars().LiveDistance > 0, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(w->NumLED[1]->text().toDouble() > 0, 5000);
    QCOMPARE(w->vsePrgPnl[0]->text(), QStringLiteral("13")); // program #0's Base
    QVERIFY(m_prompts.messages.isEmpty());
    // Switching off closes the link and stops polling.
    w->Toggle1[3]->setChecked(false);
    w->Toggle1_Click(3);
    QVERIFY(!w->OnLine());
    QVERIFY(!w->link().timer1Active());
    QVERIFY(!w->ledComm->isOn());
}

int main(int argc, char** argv) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestMain351 t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_main351.moc"
