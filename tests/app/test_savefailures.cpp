// VANTO's saves on a disk that fails, offscreen: Save to File, Make Xmit File and Setup's SAVE
// must say so, keep the old file and not act as if the save had happened.
#include "../fakes.h"
#include "../fullfs.h"

#include "link/commconfig.h"
#include "program/demoprograms.h"
#include "programutilitywindow.h"
#include "setupdialog.h"
#include "shared/atomicfile.h"
#include "widgets/commandswitch.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace vanto;
using vanto::testing::WriteFaultAt;

namespace {

using vanto::test::readAll;
using vanto::test::writeAll;

} // namespace

class TestSaveFailures : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { testing::injectWriteFault(WriteFaultAt::Nothing, 0); }
    void failedSavesSaySoAndKeepTheOldFile_data();
    void failedSavesSaySoAndKeepTheOldFile();
};

void TestSaveFailures::failedSavesSaySoAndKeepTheOldFile_data() {
    QTest::addColumn<bool>("realDisk");
    QTest::newRow("injected write failure") << false;
    QTest::newRow("full tmpfs") << true;
}

void TestSaveFailures::failedSavesSaySoAndKeepTheOldFile() {
    QFETCH(bool, realDisk);
    QTemporaryDir tmp;
    std::unique_ptr<test::SmallTmpfs> fs;
    QString dir = tmp.path();
    if (realDisk) {
        fs = std::make_unique<test::SmallTmpfs>(tmp.filePath(QStringLiteral("small")), 64);
        if (!fs->mounted())
            QSKIP(qPrintable(fs->why()));
        dir = fs->path(QString());
    }
    const QString prg = QDir(dir).filePath(QStringLiteral("plant.prg"));
    const QString xmt = QDir(dir).filePath(QStringLiteral("Prog00.xmt"));
    const QString cfg = configPath(dir);
    QVERIFY(writeAll(prg, "old programs"));
    QVERIFY(writeAll(xmt, "old transmission"));
    QVERIFY(writeAll(cfg, "old config"));
    if (fs)
        QVERIFY(fs->fill());
    else
        testing::injectWriteFault(WriteFaultAt::Write, ENOSPC);

    // Save to File in file mode, after an edit.
    ProgramState state;
    state.programs = demoPrograms();
    state.programFileName = QStringLiteral("plant.prg");
    test::FakeEditorLink link;
    link.online = false;
    test::FakePrompts prompts;
    test::FakeFileDialogs dialogs;
    EditorSetup setup;
    setup.remoteMode = false;
    setup.featureLevel = 3;
    setup.programDir = dir;
    ProgramUtilityWindow window(state, link, prompts, dialogs, setup);
    window.show();
    QLineEdit* range = window.fieldEdits[kFieldRange];
    range->setFocus(Qt::MouseFocusReason);
    range->selectAll();
    QTest::keyClicks(range, QStringLiteral("25"));
    window.fieldEdits[kFieldBase]->setFocus(Qt::TabFocusReason);
    QCOMPARE(window.commandSwitches[kSwitchSaveToFile]->indicator(), CommandSwitch::Indicator::Lit);
    const QString label = window.panelLabel(kPnlMode);

    dialogs.answer = QDir(dir).filePath(QStringLiteral("other.prg"));
    window.commandSwitches[kSwitchSaveToFile]->click();
    QCOMPARE(prompts.messages.size(), 1);
    QVERIFY2(prompts.messages[0].text.contains(QStringLiteral("no space left on device")) &&
                 prompts.messages[0].text.contains(QStringLiteral("other.prg")),
             qPrintable(prompts.messages[0].text));
    QCOMPARE(window.panelLabel(kPnlMode), label); // still the old file's name
    QCOMPARE(window.commandSwitches[kSwitchSaveToFile]->indicator(), CommandSwitch::Indicator::Lit);
    QVERIFY(!QFile::exists(*dialogs.answer));

    dialogs.answer = prg; // over the old file
    window.commandSwitches[kSwitchSaveToFile]->click();
    QCOMPARE(prompts.messages.size(), 2);
    QCOMPARE(readAll(prg), QByteArray("old programs"));
    QCOMPARE(window.commandSwitches[kSwitchSaveToFile]->indicator(), CommandSwitch::Indicator::Lit);

    dialogs.answer = xmt;
    window.commandSwitches[kSwitchMakeXmitFile]->click();
    QCOMPARE(prompts.messages.size(), 3);
    QVERIFY(prompts.messages[2].text.contains(QStringLiteral("no space left on device")));
    QCOMPARE(readAll(xmt), QByteArray("old transmission"));

    // setup's SAVE: the message, the old vanto.cfg, the new port still used for this run.
    CommConfig config = CommConfig::defaults(dir);
    int activePort = 1;
    test::FakePrompts setupPrompts;
    SetupDialog dialog(config, activePort, dir, setupPrompts);
    dialog.portBox->setCurrentIndex(3);
    dialog.dialogButtons[0]->click();
    QCOMPARE(setupPrompts.messages.size(), 1);
    QCOMPARE(setupPrompts.messages[0].text, QStringLiteral("Error in Storing VANTO.CFG file."));
    QCOMPARE(setupPrompts.messages[0].title, QStringLiteral("FILE ERROR (ovk)"));
    QCOMPARE(readAll(cfg), QByteArray("old config"));
    QCOMPARE(activePort, 4);
}

QTEST_MAIN(TestSaveFailures)
#include "test_savefailures.moc"
