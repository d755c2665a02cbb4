// The main window offscreen: start-up and shut-down, the setup dialog against vanto.cfg, the
// meter selector, and the whole window connected to the simulator.
#include "../fakes.h"
#include "../simprocess.h"
#include "grabscreen.h"

#include "mainwindow.h"
#include "setupdialog.h"
#include "shared/appshell.h"
#include "vantoapp.h"
#include "widgets/digitdisplay.h"
#include "widgets/labelpanel.h"
#include "widgets/lamp.h"
#include "widgets/meterselector.h"
#include "widgets/stripchart.h"
#include "widgets/switchindicator.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace vanto;

namespace {

using Sim = vanto::test::SimProcess;

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void startsOffLineWithDefaults();
    void placementSavedOnlyFromNormalState();
    void secondInstanceRefusedBeforeAnything();
    void setupSaveAndCancel();
    void meterSelectorRefusesAnalogWithoutSumScale();
    void connectsToSimulatorAndPolls();
    void failedConnectPutsTheSwitchBack();
    void switchWordsFollowTheProgram_data();
    void switchWordsFollowTheProgram();
    void offLineKeepsValuesButShowsThemStale();
    void onLineFailureRecoversWithoutAClick();
    void placementComesBackWhereItWas();

private:
    StartupOptions options() const;
    std::unique_ptr<QTemporaryDir> m_dir;
    test::FakePrompts m_prompts;
};

void TestMainWindow::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_prompts = test::FakePrompts();
}

StartupOptions TestMainWindow::options() const {
    StartupOptions o;
    o.programDir = m_dir->path();
    o.settingsFile = m_dir->filePath(QStringLiteral("settings.ini"));
    o.lockDir = m_dir->path();
    o.userConfigDir = m_dir->filePath(QStringLiteral("user")); // never the real user's vanto.cfg
    return o;
}

void TestMainWindow::startsOffLineWithDefaults() {
    auto app = VantoApp::start(options(), &m_prompts);
    QVERIFY(app);
    MainWindow* w = &app->window();
    QVERIFY(!app->onLine());
    QVERIFY(!app->link().pollTimerActive());
    QCOMPARE(app->link().vars().activePort, 1); // no vanto.cfg: port 1, nothing said
    QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("vanto.cfg"))));
    QCOMPARE(app->link().vars().linkRequest, LinkRequest::None);
    QCOMPARE(app->link().vars().pollRequest, LinkRequest::PollSerial);
    QCOMPARE(app->meterMode(), 3);
    QCOMPARE(w->digitDisplays[1]->label(), QStringLiteral("Distance (Inches)"));
    QVERIFY(!w->remoteProgramAction->isEnabled());
    QVERIFY(!w->chartButtonPanel->isEnabled());
    QVERIFY(!w->meterSelector->isEnabled());
    QVERIFY(!w->linkLamp->isOn());
    QVERIFY(m_prompts.messages.isEmpty());
    QCOMPARE(w->windowTitle(), QStringLiteral("VANTO"));
    QCOMPARE(app->help().helpFile(), m_dir->filePath(QStringLiteral("VANTO.HLP")));
}

void TestMainWindow::placementSavedOnlyFromNormalState() {
    {
        auto app = VantoApp::start(options(), &m_prompts);
        MainWindow* w = &app->window();
        w->show();
        w->setGeometry(30, 45, 1000, 700);
        w->close();
    }
    QSettings stored(options().settingsFile, QSettings::IniFormat);
    const Placement saved = readPlacement(stored);
    QVERIFY(saved.width > 9600); // 1000 pixels wide
    {
        auto app = VantoApp::start(options(), &m_prompts);
        MainWindow* w = &app->window();
        w->show();
        w->setGeometry(100, 100, 1100, 800);
        w->showMinimized();
        w->close();
    }
    QSettings again(options().settingsFile, QSettings::IniFormat);
    QCOMPARE(readPlacement(again), saved); // a minimised window keeps the stored placement
}

void TestMainWindow::secondInstanceRefusedBeforeAnything() {
    auto first = VantoApp::start(options(), &m_prompts);
    QVERIFY(first);
    test::FakePrompts second;
    StartupOptions o = options();
    o.settingsFile = m_dir->filePath(QStringLiteral("untouched.ini"));
    QVERIFY(!VantoApp::start(o, &second));
    QCOMPARE(second.messages.size(), 1);
    QCOMPARE(second.messages[0].text,
             QStringLiteral("Previous Instance of Application is running"));
    QVERIFY(!QFile::exists(o.settingsFile));
}

void TestMainWindow::setupSaveAndCancel() {
    auto app = VantoApp::start(options(), &m_prompts);
    const QString cfg = m_dir->filePath(QStringLiteral("vanto.cfg"));
    int active = app->link().vars().activePort;
    {
        SetupDialog setup(app->config(), active, m_dir->path(), m_prompts);
        QCOMPARE(setup.portBox->count(), 9);
        QCOMPARE(setup.portBox->itemText(0), QStringLiteral("1"));
        QCOMPARE(setup.portBox->currentIndex(), 0);
        setup.portBox->setCurrentIndex(5);
        setup.buttonClicked(1); // CANCEL
    }
    QCOMPARE(active, 1);
    QVERIFY(!QFile::exists(cfg));
    {
        SetupDialog setup(app->config(), active, m_dir->path(), m_prompts);
        setup.portBox->setCurrentIndex(3);
        QCOMPARE(setup.dialogButtons[0]->text(), QStringLiteral("SAVE"));
        setup.buttonClicked(0);
    }
    QCOMPARE(active, 4);
    QFile f(cfg);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QCOMPARE(bytes.size(), 126);
    QCOMPARE(bytes.at(124), char(4));
}

void TestMainWindow::meterSelectorRefusesAnalogWithoutSumScale() {
    auto app = VantoApp::start(options(), &m_prompts);
    MainWindow* w = &app->window();
    w->meterSelector->setEnabled(true);
    w->meterSelector->setPosition(2);
    app->selectMeterMode(w->meterSelector->position());
    QCOMPARE(app->meterMode(), 2);
    w->meterSelector->setPosition(1); // the running program (none loaded) has Sum/Scale off
    app->selectMeterMode(w->meterSelector->position());
    QCOMPARE(m_prompts.beeps, 1);
    QCOMPARE(w->meterSelector->position(), 2);
    QCOMPARE(app->meterMode(), 2);
    QCOMPARE(w->digitDisplays[1]->label(), QStringLiteral("ADAPTIVE MODE Percent Output(%)"));
}

void TestMainWindow::connectsToSimulatorAndPolls() {
    Sim sim;
    QVERIFY(!sim.device.isEmpty());
    StartupOptions o = options();
    o.device = sim.device;
    o.connect = true;
    auto app = VantoApp::start(o, &m_prompts);
    MainWindow* w = &app->window();
    w->show();
    app->switchOnLineAtStart();
    QTRY_VERIFY_WITH_TIMEOUT(app->link().pollTimerActive() && w->linkLamp->isOn(), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(w->identityPanels[0]->text(), QStringLiteral("A12345"), 5000);
    QCOMPARE(w->identityPanels[1]->text(), QStringLiteral("2.16 M"));
    QVERIFY(w->remoteProgramAction->isEnabled());
    QVERIFY(w->chartButtonPanel->isEnabled());
    // A distance arrives on the large display.
    QTRY_VERIFY_WITH_TIMEOUT(app->link().vars().liveDistance > 0, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(w->digitDisplays[1]->text().toDouble() > 0, 5000);
    QCOMPARE(w->settingPanels[0]->text(), QStringLiteral("13")); // program #0's Base
    QVERIFY(m_prompts.messages.isEmpty());
    // Switching off closes the link and stops polling.
    w->chartButtons[3]->setChecked(false);
    w->chartButtonClicked(3);
    QVERIFY(!app->onLine());
    QVERIFY(!app->link().pollTimerActive());
    QVERIFY(!w->linkLamp->isOn());
}

void TestMainWindow::failedConnectPutsTheSwitchBack() {
    StartupOptions o = options();
    o.device = m_dir->filePath(QStringLiteral("no-such-device"));
    auto app = VantoApp::start(o, &m_prompts);
    MainWindow* w = &app->window();
    app->switchOnLineAtStart();
    // The connect has given up and nothing re-connects: the switch says so, the box said why.
    QVERIFY(!app->link().pollTimerActive());
    QVERIFY(!w->chartButtons[3]->isChecked());
    QCOMPARE(m_prompts.messages.size(), 1);
}

void TestMainWindow::switchWordsFollowTheProgram_data() {
    // ModeFlags characters 6 (hold, 0 = on), 7 (1 = linear) and 8 (1 = pay-out); SlaveMode 1 =
    // slave. The word lit is the meaning of the value the unit runs.
    QTest::addColumn<QByteArray>("modeFlags");
    QTest::addColumn<QByteArray>("slave");
    QTest::addColumn<QStringList>("lit"); // Lin/Adp, Pay/Tak, Hold, Slv/Mas
    QTest::newRow("adaptive, take-up, hold off, master")
        << QByteArray("000001000") << QByteArray("0") << QStringList{"Adp", "Tak", "", "Mas"};
    QTest::newRow("linear, pay-out, hold on, slave")
        << QByteArray("000000110") << QByteArray("1") << QStringList{"Lin", "Pay", "Hold", "Slv"};
    QTest::newRow("adaptive, pay-out, hold off")
        << QByteArray("000001010") << QByteArray("0") << QStringList{"Adp", "Pay", "", "Mas"};
    QTest::newRow("linear, take-up, hold on (program #2 of the simulator)")
        << QByteArray("000000100") << QByteArray("0") << QStringList{"Lin", "Tak", "Hold", "Mas"};
}

void TestMainWindow::switchWordsFollowTheProgram() {
    QFETCH(QByteArray, modeFlags);
    QFETCH(QByteArray, slave);
    QFETCH(QStringList, lit);
    auto app = VantoApp::start(options(), &m_prompts);
    MainWindow* w = &app->window();
    ProgramState& state = app->programState();
    state.currentProgram = 3;
    state.programs[3].set(Field::ModeFlags, modeFlags);
    state.programs[3].set(Field::SlaveMode, slave);
    app->link().refreshMainDisplay();
    const QStringList shown = {w->switchIndicators[0]->litText(), w->switchIndicators[1]->litText(),
                               w->switchIndicators[2]->litText(),
                               w->switchIndicators[3]->litText()};
    QCOMPARE(shown, lit);
}

void TestMainWindow::offLineKeepsValuesButShowsThemStale() {
    Sim sim({QStringLiteral("--running"), QStringLiteral("2")});
    StartupOptions o = options();
    o.device = sim.device;
    auto app = VantoApp::start(o, &m_prompts);
    MainWindow* w = &app->window();
    w->show();
    // Nothing read yet: not live.
    QVERIFY(!w->readoutsLive());
    QCOMPARE(w->chart->badgeText(), QStringLiteral("OFF-LINE"));
    const QColor dim = w->digitDisplays[1]->digitColor();
    app->switchOnLineAtStart();
    QTRY_VERIFY_WITH_TIMEOUT(w->digitDisplays[1]->text().toDouble() > 0, 10000);
    QVERIFY(w->readoutsLive());
    QCOMPARE(w->chart->badgeText(), QStringLiteral("LIVE"));
    QVERIFY(w->digitDisplays[1]->digitColor() != dim);
    // The unit runs program #2: linear, take-up, hold on, master.
    QTRY_COMPARE_WITH_TIMEOUT(w->digitDisplays[0]->text(), QStringLiteral("2"), 5000);
    QCOMPARE(w->switchIndicators[0]->litText(), QStringLiteral("Lin"));
    QCOMPARE(w->switchIndicators[1]->litText(), QStringLiteral("Tak"));
    QCOMPARE(w->switchIndicators[3]->litText(), QStringLiteral("Mas"));
    QVERIFY(test::grabScreen(QStringLiteral("linear-program-2")));

    const QString last = w->digitDisplays[1]->text();
    w->chartButtons[3]->click(); // the operator switches off
    QVERIFY(!app->onLine());
    QVERIFY(!w->readoutsLive());
    QCOMPARE(w->chart->badgeText(), QStringLiteral("OFF-LINE"));
    QCOMPARE(w->digitDisplays[1]->text(), last); // the last value stays, dimmed
    QCOMPARE(w->digitDisplays[1]->digitColor(), dim);
    QVERIFY(!w->digitDisplays[2]->flash() && !w->digitDisplays[3]->flash());
    QVERIFY(w->linkFailureBar->isHidden()); // switched off by hand: nothing failed
    QVERIFY(m_prompts.messages.isEmpty());
    QVERIFY(test::grabScreen(QStringLiteral("off-line")));
}

void TestMainWindow::onLineFailureRecoversWithoutAClick() {
    QTemporaryDir links;
    const QString link = links.filePath(QStringLiteral("qx"));
    Sim sim({QStringLiteral("--hangup-after"), QStringLiteral("3"), QStringLiteral("--replug"),
             QStringLiteral("3"), QStringLiteral("--link"), link});
    QVERIFY(!sim.device.isEmpty());
    StartupOptions o = options();
    o.device = link;
    auto app = VantoApp::start(o, &m_prompts);
    MainWindow* w = &app->window();
    w->show();
    app->switchOnLineAtStart();
    QTRY_VERIFY_WITH_TIMEOUT(w->readoutsLive() && app->link().pollTimerActive(), 10000);

    // The hang-up: the failure shows under the menu, naming the device, without a box.
    QTRY_VERIFY_WITH_TIMEOUT(w->linkFailureBar->isVisible(), 8000);
    QVERIFY2(w->linkFailureBar->text().contains(link), qPrintable(w->linkFailureBar->text()));
    QVERIFY(!w->linkLamp->isOn());
    QVERIFY(!w->readoutsLive());
    QCOMPARE(w->chart->badgeText(), QStringLiteral("OFF-LINE"));
    QVERIFY(m_prompts.messages.isEmpty()); // a box would wait for a click
    QVERIFY(test::grabScreen(QStringLiteral("link-failure-banner")));

    // The replug: back on-line by itself within 3 s of the new device.
    // Waiting for it keeps the window's events (and its re-connect attempts) running.
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(link), 10000);
    QVERIFY(m_prompts.messages.isEmpty());
    QVERIFY2(w->linkFailureBar->text().contains(QLatin1String("no such device")),
             qPrintable(w->linkFailureBar->text())); // the latest attempt's reason
    QElapsedTimer sinceReplug;
    sinceReplug.start();
    QTRY_VERIFY_WITH_TIMEOUT(w->linkLamp->isOn(), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(w->readoutsLive() && w->linkFailureBar->isHidden(), 500);
    QVERIFY(sinceReplug.elapsed() <= 3000);
    const quint64 received = app->link().bytesReceived();
    QTRY_VERIFY_WITH_TIMEOUT(app->link().bytesReceived() > received + 20, 3000); // polling again
    QCOMPARE(w->chart->badgeText(), QStringLiteral("LIVE"));
    QVERIFY(m_prompts.messages.isEmpty());
    w->chartButtons[3]->click();
}

void TestMainWindow::placementComesBackWhereItWas() {
    // Start and exit a few times: the window comes back exactly where it was left, frame and
    // all. Under a window manager the frame's border and title bar are where a mismatch between
    // what is saved and what is restored shows, one step per start.
    QRect first;
    for (int cycle = 0; cycle < 3; ++cycle) {
        auto app = VantoApp::start(options(), &m_prompts);
        MainWindow* w = &app->window();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QTest::qWait(300); // the window manager's frame arrives after the window is mapped
        if (cycle == 0) {
            w->move(140, 110);
            QTRY_COMPARE(w->frameGeometry().topLeft(), QPoint(140, 110));
            first = QRect(w->frameGeometry().topLeft(), w->size());
        }
        QCOMPARE(QRect(w->frameGeometry().topLeft(), w->size()), first);
        w->close();
    }
    // A placement far off every screen comes back onto one.
    {
        QSettings stored(options().settingsFile, QSettings::IniFormat);
        writePlacement(stored, Placement{900000, 700000, 9600, 7250});
    }
    auto app = VantoApp::start(options(), &m_prompts);
    MainWindow* w = &app->window();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    const QRect screen = w->screen()->availableGeometry();
    QVERIFY2(screen.intersects(w->frameGeometry()),
             qPrintable(QStringLiteral("%1,%2").arg(w->x()).arg(w->y())));
    QVERIFY(screen.contains(w->frameGeometry().topLeft()));
    QVERIFY(test::grabScreen(QStringLiteral("placement")));
}

int main(int argc, char** argv) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestMainWindow t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_mainwindow.moc"
