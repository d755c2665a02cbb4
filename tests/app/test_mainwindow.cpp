// The main window without a unit: start-up, the single instance, the meter selector's wiring,
// the switch words, and the placement kept between runs (also under a real window manager, by
// run-under-openbox). On-line with the simulator it is tested by tests/system.
#include "../fakes.h"

#include "mainwindow.h"
#include "shared/appshell.h"
#include "vantoapp.h"
#include "widgets/meterselector.h"
#include "widgets/switchindicator.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace vanto;

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void placementSavedOnlyFromNormalState();
    void secondInstanceRefusedBeforeAnything();
    void startsOffLineAndMeterSelectorRefusesAnalog();
    void failedConnectPutsTheSwitchBack();
    void switchWordsFollowTheProgram_data();
    void switchWordsFollowTheProgram();
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

void TestMainWindow::startsOffLineAndMeterSelectorRefusesAnalog() {
    auto app = VantoApp::start(options(), &m_prompts);
    MainWindow* w = &app->window();
    QVERIFY(!app->onLine());
    QVERIFY(!app->link().pollTimerActive());
    QCOMPARE(app->link().vars().activePort, 1); // no vanto.cfg: port 1, nothing said
    QVERIFY(!w->remoteProgramAction->isEnabled());
    QVERIFY(!w->meterSelector->isEnabled());
    QVERIFY(m_prompts.messages.isEmpty());
    QCOMPARE(app->meterMode(), 3);
    w->show();
    w->meterSelector->setEnabled(true);
    w->meterSelector->setFocus();
    QTest::keyClick(w->meterSelector, Qt::Key_Left); // the operator moves it to OUTPUT
    QCOMPARE(app->meterMode(), 2);
    QCOMPARE(m_prompts.beeps, 0);
    // ANALOG: the running program (none loaded) has Sum/Scale off.
    QTest::keyClick(w->meterSelector, Qt::Key_Left);
    QCOMPARE(m_prompts.beeps, 1);
    QCOMPARE(w->meterSelector->position(), 2);
    QCOMPARE(app->meterMode(), 2);
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
        if (cycle == 0) {
            QTest::qWait(300); // the window manager's frame arrives after the window is mapped
            w->move(140, 110);
            QTRY_COMPARE(w->frameGeometry().topLeft(), QPoint(140, 110));
            first = QRect(w->frameGeometry().topLeft(), w->size());
        }
        // Waited for, not sampled once: on a slow machine the frame may come late.
        QTRY_COMPARE_WITH_TIMEOUT(QRect(w->frameGeometry().topLeft(), w->size()), first, 10000);
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
    QTRY_VERIFY(screen.contains(w->frameGeometry().topLeft()));
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestMainWindow t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_mainwindow.moc"
