// VANTO's main window on-line with the simulator over a pseudo-terminal: what the unit shows,
// the sample log against the chart, a program edited in the Program Utility and transmitted,
// the unit compared with a file, switching off, and a lost unit coming back by itself.
#include "../fakes.h"
#include "../simrig.h"

#include "link/unitlink.h"
#include "logpanel.h"
#include "mainwindow.h"
#include "program/programfile.h"
#include "program/transmission.h"
#include "programtools.h"
#include "programutilitywindow.h"
#include "shared/numtext.h"
#include "vantoapp.h"
#include "widgets/commandswitch.h"
#include "widgets/digitdisplay.h"
#include "widgets/labelpanel.h"
#include "widgets/lamp.h"
#include "widgets/stripchart.h"
#include "widgets/switchindicator.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace vanto;
using Sim = vanto::test::SimProcess;

namespace {

// Runs `then` on the modal window of type T once it is up (polling, up to 20 s).
template <typename T> void whenModal(std::function<void(T*)> then, int tries = 200) {
    QTimer::singleShot(100, [then, tries] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget()))
            then(w);
        else if (tries > 0)
            whenModal<T>(then, tries - 1);
    });
}

// Types a file name into the file dialog, as the operator would.
void chooseFile(const QString& path) {
    whenModal<QFileDialog>([path](QFileDialog* d) {
        d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
        static_cast<QDialog*>(d)->accept();
    });
}

// A window left open by a failure, or a transmission the unit never completes, must not hang
// the test: after `ms` the transmission is abandoned and the windows are closed. The timer ends
// with `scope`, so that it cannot reach into a later test.
void closeModalsAfter(QObject* scope, VantoApp& app, int ms) {
    QTimer::singleShot(ms, scope, [&app] {
        app.abandonTransmission();
        for (int i = 0; i < 5; ++i)
            if (auto* w = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                w->done(QDialog::Rejected);
    });
}

} // namespace

class TestSystemWindows : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void showsTheRunningUnit();
    void logRowsAreThePolledSamples();
    void remoteEditTransmitsToTheUnit();
    void compareWithFileAndTransmitOne();
    void offLineKeepsValuesButShowsThemStale();
    void lostUnitRecoversWithoutAClick();

private:
    StartupOptions options(const QString& device) const;
    ProgramSet unitPrograms(); // as the simulator holds them now
    std::unique_ptr<Sim> m_sim;
    std::unique_ptr<VantoApp> m_app;
    MainWindow* m_main = nullptr;
    test::FakePrompts m_prompts;
    QTemporaryDir m_dir;
    int m_polls = 0;
};

StartupOptions TestSystemWindows::options(const QString& device) const {
    StartupOptions o;
    o.programDir = m_dir.path();
    o.device = device;
    o.settingsFile = m_dir.filePath(QStringLiteral("settings.ini"));
    o.lockDir = m_dir.path();
    o.userConfigDir = m_dir.filePath(QStringLiteral("user"));
    return o;
}

ProgramSet TestSystemWindows::unitPrograms() {
    const QString dump = m_dir.filePath(QStringLiteral("unit.prg"));
    ProgramSet unit;
    if (m_sim->command(QStringLiteral("dump ") + dump) != QStringLiteral("ok dump ") + dump ||
        !readProgramFile(dump, &unit).isEmpty())
        qWarning("the simulator's programs could not be read");
    return unit;
}

void TestSystemWindows::initTestCase() {
    m_sim = std::make_unique<Sim>(QStringList{QStringLiteral("--running"), QStringLiteral("2")});
    QVERIFY(!m_sim->device.isEmpty());
    m_app = VantoApp::start(options(m_sim->device), &m_prompts);
    QVERIFY(m_app);
    m_main = &m_app->window();
    m_main->resize(1100, 760);
    m_main->show();
    connect(&m_app->link(), &UnitLink::pollReplyApplied, this, [this] { ++m_polls; });
    QVERIFY(!m_main->readoutsLive());
    m_app->switchOnLineAtStart();
    QTRY_VERIFY_WITH_TIMEOUT(m_polls > 3, 15000);
}

void TestSystemWindows::showsTheRunningUnit() {
    MainWindow& w = *m_main;
    QVERIFY(w.linkLamp->isOn());
    QVERIFY(w.readoutsLive());
    QCOMPARE(w.identityPanels[0]->text(), QStringLiteral("A12345"));
    QTRY_VERIFY(w.digitDisplays[1]->text().toDouble() > 0);
    // The unit runs program #2: linear, take-up, hold on, master; its Base is 6 in.
    QCOMPARE(w.digitDisplays[0]->text(), QStringLiteral("2"));
    const QStringList lit = {w.switchIndicators[0]->litText(), w.switchIndicators[1]->litText(),
                             w.switchIndicators[2]->litText(), w.switchIndicators[3]->litText()};
    QCOMPARE(lit, (QStringList{"Lin", "Tak", "Hold", "Mas"}));
    QCOMPARE(w.settingPanels[0]->text(), QStringLiteral("6"));
    QVERIFY(w.remoteProgramAction->isEnabled());
    QVERIFY(m_prompts.messages.isEmpty());
}

void TestSystemWindows::logRowsAreThePolledSamples() {
    auto* panel = m_main->findChild<LogPanel*>();
    QVERIFY(panel);
    const QString path = m_dir.filePath(QStringLiteral("live.csv"));
    const qsizetype before = m_main->chart->series().size();
    QVERIFY(panel->startLog(path));
    QTRY_VERIFY_WITH_TIMEOUT(m_main->chart->series().size() >= before + 5, 10000);
    panel->log().stop();
    const qsizetype after = m_main->chart->series().size();
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QList<QByteArray> rows = f.readAll().trimmed().split('\n');
    rows.removeFirst();
    // One row for each point the chart got while logging, with the same distance.
    QCOMPARE(rows.size(), after - before);
    QVERIFY(rows.size() >= 5);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QList<QByteArray> c = rows[i].split(',');
        QCOMPARE(c[2], formatNumber(m_main->chart->series().at(before + i).value, "0.00"));
        QCOMPARE(c[1], QByteArray("2"));
    }
    QVERIFY(panel->indicator()->text().contains(QString::number(rows.size())));
}

// "&Remote" opens the window modally while polling goes on; BASE and Average Cnt of the running
// program are typed; Xmit transmits, and the unit holds exactly what was sent.
void TestSystemWindows::remoteEditTransmitsToTheUnit() {
    const qint16 oldBase = unitPrograms()[2].whole(Field::Base);
    const qint16 newBase = oldBase == 20 ? 21 : 20;
    bool pollsWhileOpen = false;
    bool closed = false;
    QByteArray sent;
    whenModal<ProgramUtilityWindow>([&](ProgramUtilityWindow* w) {
        const int polls = m_polls;
        pollsWhileOpen = QTest::qWaitFor([&] { return m_polls >= polls + 3; }, 10000);
        QLineEdit* base = w->fieldEdits[kFieldBase];
        base->setFocus(Qt::MouseFocusReason);
        base->selectAll();
        QTest::keyClicks(base, QString::number(qRound(newBase * w->editor().unitFactor())));
        QLineEdit* average = w->fieldEdits[kFieldAverage];
        average->setFocus(Qt::MouseFocusReason);
        average->selectAll();
        QTest::keyClicks(average, QStringLiteral("49"));
        // The click ends the entry, then transmits and waits for the unit.
        QTest::mouseClick(w->commandSwitches[kSwitchXmit], Qt::LeftButton);
        sent = m_app->programState().transmitText;
        QTest::mouseClick(w->closeButton, Qt::LeftButton);
        closed = !w->isVisible();
    });
    QObject scope;
    closeModalsAfter(&scope, *m_app, 60000);
    m_app->openRemoteProgram(); // returns when the window has closed
    QVERIFY(pollsWhileOpen);
    QVERIFY(closed);
    QVERIFY(m_prompts.questions.isEmpty()); // nothing was pending when closing
    QVERIFY(m_prompts.messages.isEmpty());  // the read-back found the program stored as sent
    const ProgramSet unit = unitPrograms();
    QCOMPARE(unit[2].whole(Field::Base), newBase);
    QCOMPARE(unit[2].trimmed(Field::AverageCount), QByteArray("49"));
    // Byte for byte: the text built from what the unit holds is the text the window sent.
    TransmitContext context;
    context.unitSerial = m_app->programState().unitSerial;
    QCOMPARE(buildTransmissionText(unit, 2, context), sent);
    // The transmitted program is the running one: the main display shows the new BASE.
    const double factor = m_app->link().display().unitFactor;
    QTRY_COMPARE(m_main->settingPanels[0]->text(),
                 QString::fromLatin1(formatNumber(newBase * factor, "0")));
}

// "Compare with file…" lists what differs between the unit and a file and transmits the chosen
// program's file version; the unit then holds it.
void TestSystemWindows::compareWithFileAndTransmitOne() {
    ProgramSet file = unitPrograms();
    const qint16 base = file[5].whole(Field::Base) == 20 ? 21 : 20;
    file[5].set(Field::Base, QByteArray::number(base));
    file[5].set(Field::TotalSpan, QByteArray::number(base + file[5].whole(Field::Range)));
    const QString plant = m_dir.filePath(QStringLiteral("PLANT.prg"));
    QCOMPARE(writeProgramFile(plant, file), QString());
    QStringList fieldsBefore;
    QString summaryAfter;
    whenModal<ProgramUtilityWindow>([&](ProgramUtilityWindow* w) {
        auto* compare = w->findChild<QPushButton*>(QStringLiteral("compareButton"));
        QVERIFY(compare);
        chooseFile(plant);
        whenModal<CompareDialog>([&](CompareDialog* d) {
            for (const ProgramDifference& diff : d->differences())
                fieldsBefore.append(
                    QStringLiteral("#%1 %2").arg(diff.program).arg(fieldLabel(diff.field)));
            d->selectProgram(5);
            d->transmitSelected();
            summaryAfter = d->summary()->text();
            d->reject();
        });
        compare->click();
        w->closeButton->click();
    });
    QObject scope;
    closeModalsAfter(&scope, *m_app, 90000);
    m_app->openRemoteProgram();
    QCOMPARE(fieldsBefore, (QStringList{"#5 Base", "#5 Total Span"}));
    QVERIFY2(summaryAfter.contains(QStringLiteral("hold the same values")),
             qPrintable(summaryAfter));
    QCOMPARE(unitPrograms()[5].whole(Field::Base), base);
    QVERIFY(m_prompts.messages.isEmpty());
}

void TestSystemWindows::offLineKeepsValuesButShowsThemStale() {
    MainWindow& w = *m_main;
    const QString last = w.digitDisplays[1]->text();
    w.chartButtons[3]->click(); // the operator switches off
    QVERIFY(!m_app->onLine());
    QVERIFY(!m_app->link().pollTimerActive());
    QVERIFY(!w.linkLamp->isOn());
    QVERIFY(!w.readoutsLive());
    QCOMPARE(w.digitDisplays[1]->text(), last); // the last value stays
    QVERIFY(w.linkFailureBar->isHidden());      // switched off by hand: nothing failed
    QVERIFY(m_prompts.messages.isEmpty());
    m_main = nullptr;
    m_app.reset(); // the next test starts a window of its own
}

void TestSystemWindows::lostUnitRecoversWithoutAClick() {
    QTemporaryDir links;
    const QString link = links.filePath(QStringLiteral("qx"));
    Sim sim({"--replug", "3", "--link", link});
    QVERIFY(!sim.device.isEmpty());
    auto app = VantoApp::start(options(link), &m_prompts);
    MainWindow* w = &app->window();
    w->show();
    app->switchOnLineAtStart();
    QTRY_VERIFY_WITH_TIMEOUT(w->readoutsLive() && app->link().pollTimerActive(), 10000);
    // The hang-up, once the window is live (a slow start must not race it): the failure shows
    // under the menu, naming the device, without a box.
    sim.command(QStringLiteral("hangup"));
    QTRY_VERIFY_WITH_TIMEOUT(w->linkFailureBar->isVisible(), 15000);
    QVERIFY2(w->linkFailureBar->text().contains(link), qPrintable(w->linkFailureBar->text()));
    QVERIFY(!w->linkLamp->isOn());
    QVERIFY(!w->readoutsLive());
    QVERIFY(m_prompts.messages.isEmpty()); // a box would wait for a click
    // The replug: back on-line by itself, without a click.
    QTRY_VERIFY_WITH_TIMEOUT(w->linkLamp->isOn(), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(w->readoutsLive() && w->linkFailureBar->isHidden(), 10000);
    const quint64 received = app->link().bytesReceived();
    QTRY_VERIFY_WITH_TIMEOUT(app->link().bytesReceived() > received + 20, 10000); // polling again
    QVERIFY(m_prompts.messages.isEmpty());
    app->link().switchOnLine(false);
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestSystemWindows t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_system_windows.moc"
