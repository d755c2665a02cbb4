// The Program Utility window end to end: the main window on-line with qxsim over a
// pseudo-terminal, "&Remote" opens the window modally while polling goes on, BASE of the shown
// program is typed and Average Cnt pasted (a paste holding a line end is refused first), the
// program is transmitted and read back, and the simulated unit holds exactly what was sent.
#include "../fakes.h"
#include "../simprocess.h"

#include "fieldkeyfilter.h"
#include "link/unitlink.h"
#include "mainwindow.h"
#include "program/programfile.h"
#include "program/transmission.h"
#include "programutilitywindow.h"
#include "shared/numtext.h"
#include "vantoapp.h"
#include "widgets/commandswitch.h"
#include "widgets/labelpanel.h"
#include "widgets/tabstrip.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace vanto;

namespace {

using Sim = vanto::test::SimProcess;

// What happened inside the modal window, checked after it closed.
struct Session {
    bool opened = false;
    bool remoteCaption = false;
    bool polledWhileOpen = false;
    int shownProgram = -1;
    qint16 oldBase = 0;
    qint16 newBase = 0;
    QString baseShownAfterEntry;
    bool xmitLitBeforeXmit = false;
    bool xmitOffAfterXmit = false;
    bool closed = false;
    QString averageAfterBadPaste;
    int beepsAtBadPaste = 0;
    QByteArray sentText; // the transmission the window wrote to the unit
};

} // namespace

class TestProgramUtilityWindowE2E : public QObject {
    Q_OBJECT
private slots:
    void remoteEditTransmitsToTheUnit();
};

void TestProgramUtilityWindowE2E::remoteEditTransmitsToTheUnit() {
    Sim sim;
    QVERIFY(!sim.device.isEmpty());
    QTemporaryDir dir;
    StartupOptions options;
    options.programDir = dir.path();
    options.device = sim.device;
    options.connect = true;
    options.settingsFile = dir.filePath(QStringLiteral("settings.ini"));
    options.lockDir = dir.path();
    test::FakePrompts prompts;
    int beeps = 0;
    FieldKeyFilter::instance().beep = [&beeps] { ++beeps; };
    std::unique_ptr<VantoApp> main = VantoApp::start(options, &prompts);
    QVERIFY(main);
    main->window().show();
    int polls = 0;
    connect(&main->link(), &UnitLink::pollReplyApplied, this, [&polls] { ++polls; });
    main->switchOnLineAtStart();
    QTRY_VERIFY_WITH_TIMEOUT(polls > 3, 15000);
    QVERIFY(main->window().remoteProgramAction->isEnabled());

    Session s;
    QTimer::singleShot(0, this, [&] {
        QPointer<ProgramUtilityWindow> w =
            qobject_cast<ProgramUtilityWindow*>(QApplication::activeModalWidget());
        if (!w)
            return;
        s.opened = true;
        s.remoteCaption = w->panelLabel(kPnlMode) == QLatin1String("REMOTE MODE");
        // The main window goes on polling under the modal window.
        const int pollsAtOpen = polls;
        QElapsedTimer t;
        t.start();
        while (polls < pollsAtOpen + 3 && t.elapsed() < 5000)
            QTest::qWait(50);
        s.polledWhileOpen = polls >= pollsAtOpen + 3;

        ProgramEditor& editor = w->editor();
        s.shownProgram = w->programTabs->currentIndex();
        s.oldBase = editor.workingRecord().whole(Field::Base);
        s.newBase = s.oldBase == 20 ? 21 : 20;
        QLineEdit* base = w->fieldEdits[kFieldBase];
        base->setFocus(Qt::MouseFocusReason);
        base->selectAll();
        const double shown = s.newBase * editor.unitFactor();
        QTest::keyClicks(base, QString::number(qRound(shown)));
        QLineEdit* average = w->fieldEdits[kFieldAverage];
        average->setFocus(Qt::MouseFocusReason);
        average->selectAll();
        QGuiApplication::clipboard()->setText(QStringLiteral("4\r9"));
        QTest::keyClick(average, Qt::Key_V, Qt::ControlModifier);
        s.averageAfterBadPaste = average->text();
        s.beepsAtBadPaste = beeps;
        QGuiApplication::clipboard()->setText(QStringLiteral("49"));
        QTest::keyClick(average, Qt::Key_V, Qt::ControlModifier);
        s.xmitLitBeforeXmit =
            w->commandSwitches[kSwitchXmit]->indicator() == CommandSwitch::Indicator::Lit;
        // The click ends the entry, then transmits and waits for the unit.
        QTest::mouseClick(w->commandSwitches[kSwitchXmit], Qt::LeftButton);
        if (!w)
            return;
        s.baseShownAfterEntry = base->text();
        s.sentText = main->programState().transmitText;
        s.xmitOffAfterXmit =
            w->commandSwitches[kSwitchXmit]->indicator() == CommandSwitch::Indicator::Off;
        QTest::mouseClick(w->closeButton, Qt::LeftButton);
        s.closed = w && !w->isVisible();
    });
    // A window left open by a failure above must not hang the test.
    QTimer::singleShot(60000, this, [] {
        if (auto* w = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            w->done(QDialog::Rejected);
    });
    main->openRemoteProgram(); // returns when the window has closed

    QVERIFY(s.opened);
    QVERIFY(s.remoteCaption);
    QVERIFY(s.polledWhileOpen);
    QVERIFY(s.xmitLitBeforeXmit);
    QVERIFY(s.xmitOffAfterXmit);
    QVERIFY(s.closed);
    QVERIFY(prompts.questions.isEmpty()); // nothing was pending when closing
    QVERIFY(prompts.messages.isEmpty());  // the read-back found the program stored as sent
    QCOMPARE(s.beepsAtBadPaste, 1);
    QVERIFY(s.averageAfterBadPaste != QLatin1String("4\r9"));
    QVERIFY(main->remoteMode());

    // The unit holds the new BASE.
    const QString dump = dir.filePath(QStringLiteral("unit.prg"));
    QCOMPARE(sim.command(QStringLiteral("dump ") + dump), QStringLiteral("ok dump ") + dump);
    ProgramSet unit;
    QCOMPARE(readProgramFile(dump, &unit), QString());
    QCOMPARE(unit[s.shownProgram].whole(Field::Base), s.newBase);
    QCOMPARE(unit[s.shownProgram].trimmed(Field::AverageCount), QByteArray("49"));
    // Byte for byte: the text built from what the unit holds is the text the window sent.
    TransmitContext context;
    context.unitSerial = main->programState().unitSerial;
    QVERIFY(!s.sentText.isEmpty());
    QCOMPARE(buildTransmissionText(unit, s.shownProgram, context), s.sentText);
    QVERIFY(s.newBase != s.oldBase);
    QVERIFY(sim.log.contains(QStringLiteral("stored %1").arg(s.shownProgram)));

    // The transmitted program is the running one: the main display shows the new BASE.
    QCOMPARE(main->programState().currentProgram, s.shownProgram);
    const double factor = main->link().display().unitFactor;
    QTRY_COMPARE(main->window().settingPanels[0]->text(),
                 QString::fromLatin1(formatNumber(s.newBase * factor, "0")));
    main->link().switchOnLine(false);
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestProgramUtilityWindowE2E t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_programutilitywindow_e2e.moc"
