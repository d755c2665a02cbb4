// The editor's windows and the dialogs offscreen, wired to the models that carry the rules: the
// entry fields' key filters on real line edits (how text gets in); the option dialogs and the
// sensor layout window on the record they edit; the Program Utility window (typed text reaching
// the editor and coming back limited, tab refusal, Enter, clicks, the settings dialogs, Xmit,
// closing, failed saves); and the setup dialog's device choice: the machine's ports from a fake
// source, typed devices and addresses, what SAVE keeps where, and which device wins at start.
#include "../fakes.h"

#include "editordialogs.h"
#include "fieldkeyfilter.h"
#include "link/commconfig.h"
#include "link/portchoice.h"
#include "optiondialogs.h"
#include "platform/serialport.h"
#include "program/demoprograms.h"
#include "programutilitywindow.h"
#include "sensorlayoutwindow.h"
#include "setupdialog.h"
#include "shared/atomicfile.h"
#include "widgets/commandswitch.h"
#include "widgets/labelpanel.h"
#include "widgets/tabstrip.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>
#include <map>
#include <memory>

using namespace vanto;
using vanto::test::FakeEditorLink;
using vanto::test::FakeFileDialogs;
using vanto::test::FakePrompts;

namespace {

// A program in inches with Base 13 and Range 30, its counter on, SUM Linear at 30 %.
ProgramRecord loaded() {
    ProgramRecord r = demoPrograms()[0];
    r.set(Field::CountMode, " 1");
    r.set(Field::SumScaleType, "2");
    r.set(Field::SumScalePercent, "30");
    r.set(Field::SumScaleChannel, "1");
    return r;
}

// Runs `action` on the modal window once it is open.
void whenOpen(EditorDialogs& dialogs, const std::function<void(QDialog*)>& action) {
    QTimer::singleShot(0, [&dialogs, action] {
        QDialog* window = dialogs.openWindow();
        QVERIFY(window && window->isVisible());
        action(window);
    });
}

// The dialog's close button; the control relay dialog has two, close and Cancel.
QPushButton* findCloseButton(QDialog* window) {
    auto* close = window->findChild<QPushButton*>(QStringLiteral("closeButton"));
    return close ? close : window->findChild<QPushButton*>(QStringLiteral("okButton"));
}

void showActive(QWidget* window) {
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
}

// Three entry fields with the key filters on, in a window of their own.
struct Fields {
    QWidget window;
    QLineEdit* whole = new QLineEdit(&window);
    QLineEdit* decimal = new QLineEdit(&window);
    QLineEdit* serial = new QLineEdit(&window);
    Fields() {
        auto* layout = new QVBoxLayout(&window);
        for (QLineEdit* e : {whole, decimal, serial})
            layout->addWidget(e);
        FieldKeyFilter::instance().attach(whole, FieldKeyFilter::Keys::WholeNumber);
        FieldKeyFilter::instance().attach(decimal, FieldKeyFilter::Keys::Decimal);
        FieldKeyFilter::instance().attach(serial, FieldKeyFilter::Keys::UpperCase);
        showActive(&window);
    }
};

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

struct Rig {
    ProgramState state;
    FakeEditorLink link;
    FakePrompts prompts;
    FakeFileDialogs dialogs;
    EditorSetup setup;
    std::unique_ptr<ProgramUtilityWindow> window;

    explicit Rig(bool remote = false, int current = 1) {
        state.programs = demoPrograms();
        for (int p = 0; p < kProgramCount; ++p) {
            ProgramRecord& r = state.programs[p];
            r.set(Field::Units, " 0"); // every program in inches: typed = stored
            r.set(Field::MinimumBase, "13");
            r.set(Field::Base, "20");
            r.set(Field::Range, "30");
            r.set(Field::TotalSpan, "50");
            r.set(Field::NearRelay, "15");
            r.set(Field::CountMode, "0");
            r.set(Field::MuxSensors, "1");
            r.set(Field::TempSensorMode, "0");
        }
        state.currentProgram = current;
        state.modelName = QStringLiteral("QX3700");
        state.unitSerial = "A12345";
        state.programFileName = QStringLiteral("plant.prg");
        setup.remoteMode = remote;
        setup.featureLevel = 3;
    }

    ProgramUtilityWindow& open(std::function<MainTemperature()> temperature = {}) {
        window = std::make_unique<ProgramUtilityWindow>(state, link, prompts, dialogs, setup,
                                                        std::move(temperature));
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("the window did not become active");
        return *window;
    }
    ProgramRecord& working() { return window->editor().workingRecord(); }

    // Selects a field's text as focusing it does, and types.
    void type(QLineEdit* field, const QString& keys) {
        field->setFocus(Qt::MouseFocusReason);
        field->selectAll();
        QTest::keyClicks(field, keys);
    }
    void clickTab(int tab) {
        TabStrip* strip = window->programTabs;
        QTest::mouseClick(strip, Qt::LeftButton, {}, strip->tabRect(tab).center());
    }
};

} // namespace

Q_DECLARE_METATYPE(SettingsDialog)

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void init();
    void typingAndEnter();
    void everyWayInFollowsTheRules_data();
    void everyWayInFollowsTheRules();
    void openAndCloseChangesNothing_data();
    void openAndCloseChangesNothing();
    void frameCloseStoresNothing();
    void sumScaleTypingAndLeaving();
    void controlRelayTwoPressesAndCancel();
    void layoutClosesOnAnyKeyOrClick();

    void listedPorts();
    void choices_data();
    void choices();
    void saveKeepsNumberOrDevice_data();
    void saveKeepsNumberOrDevice();
    void refreshFindsANewAdapter();
    void deviceAtStart_data();
    void deviceAtStart();
    void failedSaveSaysSoAndKeepsTheOldFile();

    void typedFieldReachesModelOnFocusLoss();
    void tabChangeAsksFirst();
    void keyFiltersOnRealFields_data();
    void keyFiltersOnRealFields();
    void checkAndOptionClicksReachModel();
    void settingsSwitchesOpenTheirDialogs();
    void xmitIndicatorAndWait();
    void closeWithPendingChangesAsks();
    void timer2CopiesTheMainTemperature();
    void failedSavesSayWhyAndKeepTheOldFile();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    FakePrompts m_prompts;
    int m_keyBeeps = 0;
};

void TestDialogs::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_prompts = FakePrompts();
    m_keyBeeps = 0;
    FieldKeyFilter::instance().beep = [this] { ++m_keyBeeps; };
}

// The rules themselves are the key filters' table; here only that keys reach them.
void TestDialogs::typingAndEnter() {
    Fields f;
    f.serial->setFocus();
    QTest::keyClicks(f.serial, QStringLiteral("ab1"));
    QCOMPARE(f.serial->text(), QStringLiteral("AB1"));
    f.whole->setFocus();
    QTest::keyClicks(f.whole, QStringLiteral("1a2"));
    QCOMPARE(f.whole->text(), QStringLiteral("12"));
    QCOMPARE(m_keyBeeps, 1);
    QVERIFY(f.whole->font().bold());
    f.decimal->setText(QStringLiteral("13"));
    QTest::keyClick(f.whole, Qt::Key_Return); // moves on, the entry kept
    QCOMPARE(f.whole->text(), QStringLiteral("12"));
    QTRY_VERIFY(f.decimal->hasFocus());
    QTRY_COMPARE(f.decimal->selectedText(), QStringLiteral("13")); // the focus selects
    // Ctrl+Enter is a line feed: beeped and discarded, the focus stays.
    QTest::keyClick(f.decimal, Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(m_keyBeeps, 2);
    QVERIFY(f.decimal->hasFocus());
    QVERIFY(!f.decimal->font().bold());
    QTest::keyClicks(f.decimal, QStringLiteral("2")); // the first key replaces
    QCOMPARE(f.decimal->text(), QStringLiteral("2"));
}

namespace {

// The ways text gets into a field other than typing it key by key.
const std::map<QString, std::function<void(QLineEdit*, const QString&)>>& waysIn() {
    static const std::map<QString, std::function<void(QLineEdit*, const QString&)>> ways = {
        {QStringLiteral("Ctrl+V"),
         [](QLineEdit* e, const QString& text) {
             QGuiApplication::clipboard()->setText(text);
             QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
         }},
        {QStringLiteral("context menu Paste"),
         [](QLineEdit* e, const QString& text) {
             QGuiApplication::clipboard()->setText(text);
             QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(5, 5),
                                       e->mapToGlobal(QPoint(5, 5)));
             QCoreApplication::sendEvent(e, &request);
             auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
             QVERIFY(menu);
             QAction* paste = nullptr;
             for (QAction* a : menu->actions())
                 paste = FieldKeyFilter::isPasteAction(a) ? a : paste;
             QVERIFY(paste);
             paste->trigger();
             menu->close();
         }},
        {QStringLiteral("drop"),
         [](QLineEdit* e, const QString& text) {
             QMimeData data;
             data.setText(text);
             // Dragged in and dropped behind the text already there.
             const QPoint at(e->width() - 2, e->height() / 2);
             QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QCoreApplication::sendEvent(e, &enter);
             QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QCoreApplication::sendEvent(e, &move);
             QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QCoreApplication::sendEvent(e, &drop);
         }},
        {QStringLiteral("input method"),
         [](QLineEdit* e, const QString& text) {
             QInputMethodEvent commit;
             commit.setCommitString(text);
             QCoreApplication::sendEvent(e, &commit);
         }},
        {QStringLiteral("one key, several characters"),
         [](QLineEdit* e, const QString& text) {
             QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
             QCoreApplication::sendEvent(e, &press);
         }},
    };
    return ways;
}

} // namespace

void TestDialogs::everyWayInFollowsTheRules_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result"); // the field's text afterwards; it held "7"
    QTest::newRow("number with its line end") << 0 << "49\n"
                                              << "749";
    QTest::newRow("line end inside") << 0 << "4\r9"
                                     << "7";
    QTest::newRow("serial in capitals") << 2 << "ab"
                                        << "7AB";
    QTest::newRow("serial with DC1") << 2 << "a\x11"
                                     << "7";
}

void TestDialogs::everyWayInFollowsTheRules() {
    Fields f;
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, result);
    QLineEdit* edit = QList<QLineEdit*>{f.whole, f.decimal, f.serial}[field];
    const bool refused = result == QLatin1String("7");
    for (const auto& [way, put] : waysIn()) {
        edit->setText(QStringLiteral("7"));
        edit->setFont(QFont());
        edit->setFocus();
        edit->end(false);
        m_keyBeeps = 0;
        put(edit, text);
        QVERIFY2(edit->text() == result, qPrintable(way + QStringLiteral(": ") + edit->text()));
        QVERIFY2(m_keyBeeps == (refused ? 1 : 0), qPrintable(way));
        QVERIFY2(edit->font().bold() == !refused, qPrintable(way)); // an edit, when it went in
    }
}

void TestDialogs::openAndCloseChangesNothing_data() {
    QTest::addColumn<SettingsDialog>("dialog");
    QTest::newRow("ControlRelayDialog") << SettingsDialog::ControlRelay;
    QTest::newRow("CounterDialog") << SettingsDialog::Counter;
    QTest::newRow("Rs232Dialog") << SettingsDialog::Rs232;
    QTest::newRow("SumScaleDialog") << SettingsDialog::SumScale;
    QTest::newRow("ClockDialog") << SettingsDialog::Clock;
}

void TestDialogs::openAndCloseChangesNothing() {
    QFETCH(SettingsDialog, dialog);
    ProgramRecord record = loaded();
    std::unique_ptr<QDialog> window;
    switch (dialog) {
    case SettingsDialog::ControlRelay:
        window = std::make_unique<ControlRelayDialog>(record, m_prompts);
        break;
    case SettingsDialog::Counter:
        window = std::make_unique<CounterDialog>(record, m_prompts);
        break;
    case SettingsDialog::Rs232:
        window = std::make_unique<Rs232Dialog>(record, m_prompts);
        break;
    case SettingsDialog::SumScale:
        window = std::make_unique<SumScaleDialog>(record, 3, m_prompts);
        break;
    case SettingsDialog::Clock:
        window = std::make_unique<ClockDialog>(record, m_prompts);
        break;
    }
    QVERIFY(window->isModal());
    showActive(window.get());
    // Walk through every field once, as an operator looking at the values would.
    for (QLineEdit* field : window->findChildren<QLineEdit*>()) {
        if (field->isVisible())
            field->setFocus(Qt::TabFocusReason);
    }
    QTest::mouseClick(findCloseButton(window.get()), Qt::LeftButton);
    QVERIFY(!window->isVisible());
    QCOMPARE(window->result(), int(QDialog::Accepted));
    QCOMPARE(QString::fromLatin1(record.bytes()), QString::fromLatin1(loaded().bytes()));
    QCOMPARE(m_prompts.beeps, 0);
}

void TestDialogs::frameCloseStoresNothing() {
    ProgramRecord record = loaded();
    ClockDialog clock(record, m_prompts);
    showActive(&clock);
    clock.entryFields[kClockDelay]->setFocus();
    QTest::keyClicks(clock.entryFields[kClockDelay], QStringLiteral("77"));
    QVERIFY(clock.entryFields[kClockDelay]->font().bold());
    QTest::keyClick(&clock, Qt::Key_Escape);
    QVERIFY(!clock.isVisible());
    QCOMPARE(record, loaded());

    // Closing the window is not leaving the box for another control: no limit, no beep.
    SumScaleDialog sumScale(record, 3, m_prompts);
    showActive(&sumScale);
    sumScale.channelOptions[3]->click();
    sumScale.percentEntries[0]->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(sumScale.percentEntries[0], QStringLiteral("150"));
    QTest::keyClick(sumScale.percentEntries[0], Qt::Key_Escape);
    QVERIFY(!sumScale.isVisible());
    QCOMPARE(record, loaded());
    QCOMPARE(m_prompts.beeps, 0);
}

void TestDialogs::sumScaleTypingAndLeaving() {
    ProgramRecord record = loaded(); // SUM Linear, 30 %
    SumScaleDialog w(record, 3, m_prompts);
    showActive(&w);
    w.percentEntries[0]->setFocus(Qt::TabFocusReason);
    QTest::qWait(10); // the whole text is selected after the focus change
    QTest::keyClicks(w.percentEntries[0], QStringLiteral("12x0"));
    QCOMPARE(m_keyBeeps, 1); // the letter
    QCOMPARE(w.percentEntries[0]->text(), QStringLiteral("120"));
    QTest::keyClick(w.percentEntries[0], Qt::Key_Return); // moves on: leaves the box
    QCOMPARE(m_prompts.beeps, 1);
    QCOMPARE(w.percentEntries[0]->text(), QStringLiteral(" 100"));

    w.percentEntries[0]->setFocus(Qt::TabFocusReason);
    QTest::qWait(10);
    QTest::keyClicks(w.percentEntries[0], QStringLiteral("45"));
    QTest::mouseClick(w.closeButton, Qt::LeftButton); // the click leaves the box first
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QCOMPARE(record.trimmed(Field::SumScalePercent), QByteArray("45"));
}

void TestDialogs::controlRelayTwoPressesAndCancel() {
    ProgramRecord record = loaded();
    ControlRelayDialog w(record, m_prompts);
    showActive(&w);
    w.entryFields[kRelayOn]->setFocus(Qt::TabFocusReason);
    QTest::qWait(10);
    QTest::keyClicks(w.entryFields[kRelayOn], QStringLiteral("50"));
    QTest::keyClick(w.entryFields[kRelayOn], Qt::Key_Return);
    QVERIFY(w.entryFields[kRelayOff]->hasFocus());
    QTest::keyClicks(w.entryFields[kRelayOff], QStringLiteral("43"));
    QTest::mouseClick(w.okButton, Qt::LeftButton);
    QVERIFY(w.isVisible());
    QCOMPARE(m_prompts.beeps, 1);
    QCOMPARE(w.entryFields[kRelayOn]->text(), QStringLiteral("43"));
    QCOMPARE(record, loaded());
    QTest::mouseClick(w.okButton, Qt::LeftButton);
    QVERIFY(!w.isVisible());
    QCOMPARE(record.trimmed(Field::RelayOnDistance), QByteArray("43"));
    QCOMPARE(record.trimmed(Field::RelayOffDistance), QByteArray("43"));

    ProgramRecord untouched = loaded();
    ControlRelayDialog cancelled(untouched, m_prompts);
    showActive(&cancelled);
    cancelled.entryFields[kRelayOn]->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(cancelled.entryFields[kRelayOn], QStringLiteral("30"));
    QTest::mouseClick(cancelled.cancelButton, Qt::LeftButton);
    QVERIFY(!cancelled.isVisible());
    QCOMPARE(untouched, loaded());
}

void TestDialogs::layoutClosesOnAnyKeyOrClick() {
    QWidget editorWindow;
    EditorDialogs dialogs(m_prompts, 3, &editorWindow);
    showActive(&editorWindow);
    // A click anywhere or any key; a fresh window each time, released after it closes.
    for (const int way : {0, 1, int(Qt::Key_A), int(Qt::Key_Return)}) {
        QPointer<QDialog> seen;
        whenOpen(dialogs, [&seen, way](QDialog* window) {
            seen = window;
            auto* sens = qobject_cast<SensorLayoutWindow*>(window);
            QVERIFY(sens);
            if (way > 1)
                QTest::keyClick(sens, Qt::Key(way));
            else
                QTest::mouseClick(sens->layoutPicture, Qt::LeftButton, {},
                                  way ? QPoint(300, 200) : QPoint(5, 5));
            if (sens->isVisible()) { // not closed: fail without waiting on it
                sens->reject();
                QFAIL("still open");
            }
        });
        dialogs.showSensorLayout();
        QVERIFY(seen.isNull());
        QVERIFY(!dialogs.openWindow());
    }
}

void TestDialogs::listedPorts() {
    const QList<PortListItem> items = portListItems({kFtdi, kOnboard, kAcm});
    // In device order; /dev/ttyS0 is port 1 already.
    QCOMPARE(items.size(), 2);
    QCOMPARE(items[0].device, QStringLiteral("/dev/ttyACM0"));
    QCOMPARE(items[1].device, kFtdi.stableName); // the name that survives replugging
    QCOMPARE(items[1].text, QStringLiteral("/dev/ttyUSB0: FT232R USB UART, FTDI, serial A10KXYZ"));
}

void TestDialogs::choices_data() {
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

void TestDialogs::choices() {
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

void TestDialogs::saveKeepsNumberOrDevice_data() {
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

void TestDialogs::saveKeepsNumberOrDevice() {
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

void TestDialogs::refreshFindsANewAdapter() {
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

void TestDialogs::deviceAtStart_data() {
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

void TestDialogs::deviceAtStart() {
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
void TestDialogs::failedSaveSaysSoAndKeepsTheOldFile() {
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

void TestDialogs::typedFieldReachesModelOnFocusLoss() {
    Rig rig;
    ProgramUtilityWindow& w = rig.open();
    rig.type(w.fieldEdits[kFieldBase], QStringLiteral("5"));
    // Nothing is checked while the operator types.
    QCOMPARE(rig.working().trimmed(Field::Base), QByteArray("20"));
    QCOMPARE(m_keyBeeps + rig.prompts.beeps, 0);
    w.fieldEdits[kFieldRange]->setFocus(Qt::TabFocusReason);
    // BASE 5 is below the 13-inch minimum: limited with the beep, and shown limited.
    QCOMPARE(rig.working().trimmed(Field::Base), QByteArray("13"));
    QCOMPARE(w.fieldEdits[kFieldBase]->text(), QStringLiteral("13"));
    QCOMPARE(w.fieldEdits[kFieldTotalSpan]->text(), QStringLiteral("43"));
    QCOMPARE(rig.prompts.beeps, 1);
    // Enter moves on, and leaving by Enter is a focus loss: Near Relay is limited to BASE.
    rig.type(w.fieldEdits[kFieldNearRelay], QStringLiteral("99"));
    QTest::keyClick(w.fieldEdits[kFieldNearRelay], Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), w.fieldEdits[kFieldOverCount]);
    QCOMPARE(rig.working().trimmed(Field::NearRelay), QByteArray("13"));
    QVERIFY(w.isVisible()); // Enter never operates a command
}

// A tab change with an entry pending asks; refused, the tab and the typed text stay; accepted,
// the click ends the entry first, so the program kept holds it.
void TestDialogs::tabChangeAsksFirst() {
    Rig rig(false, 3);
    ProgramUtilityWindow& w = rig.open();
    QCOMPARE(w.programTabs->currentIndex(), 3); // opened on the running program
    rig.clickTab(1);                            // nothing edited: no question
    QCOMPARE(w.programTabs->currentIndex(), 1);
    rig.type(w.fieldEdits[kFieldRange], QStringLiteral("77"));
    rig.prompts.answer = false;
    rig.clickTab(4);
    QCOMPARE(w.programTabs->currentIndex(), 1);
    QCOMPARE(w.fieldEdits[kFieldRange]->text(), QStringLiteral("77"));
    w.programTabs->setFocus();
    QTest::keyClick(w.programTabs, Qt::Key_Right); // arrow keys ask the same way
    QCOMPARE(rig.prompts.questions.size(), 2);
    QCOMPARE(w.programTabs->currentIndex(), 1);
    rig.prompts.answer = true;
    rig.clickTab(4);
    QCOMPARE(w.programTabs->currentIndex(), 4);
    QCOMPARE(rig.state.programs[1].trimmed(Field::Range), QByteArray("77"));
    QCOMPARE(rig.state.programs[1].trimmed(Field::TotalSpan), QByteArray("97"));
    QCOMPARE(w.fieldEdits[kFieldRange]->text(), QStringLiteral("30"));
}

void TestDialogs::keyFiltersOnRealFields_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("beeps");
    QTest::newRow("BASE: no letters, no point") << int(kFieldBase) << "1a.5"
                                                << "15" << 2;
    QTest::newRow("Offset %: whole numbers") << int(kFieldOffset) << "-3.0"
                                             << "-30" << 1;
    QTest::newRow("Temperature: decimal") << int(kFieldTemperature) << "68.8x"
                                          << "68.8" << 1;
    QTest::newRow("serial in capitals") << -1 << "ab1"
                                        << "AB1" << 0;
}

void TestDialogs::keyFiltersOnRealFields() {
    QFETCH(int, field);
    QFETCH(QString, keys);
    QFETCH(QString, text);
    QFETCH(int, beeps);
    Rig rig(false, 7);
    rig.state.serviceFlag = 99; // the serial number is open on program #7
    ProgramUtilityWindow& w = rig.open();
    QLineEdit* edit = field < 0 ? w.serialEdit : w.fieldEdits[field];
    QVERIFY(edit->isEnabled());
    rig.type(edit, keys);
    QCOMPARE(edit->text(), text);
    QCOMPARE(m_keyBeeps, beeps);
    QVERIFY(edit->font().bold());
    if (field < 0) {
        w.fieldEdits[kFieldBase]->setFocus(Qt::TabFocusReason);
        QCOMPARE(rig.state.unitSerial, QByteArray("AB1"));
    }
}

void TestDialogs::checkAndOptionClicksReachModel() {
    Rig rig;
    ProgramUtilityWindow& w = rig.open();
    QVERIFY(!w.optionChecks[kCheckCounter]->isChecked());
    QTest::mouseClick(w.optionChecks[kCheckCounter], Qt::LeftButton);
    QCOMPARE(rig.working().whole(Field::CountMode), qint16(1));

    QVERIFY(w.rangeOptions[kOption13Inch]->isChecked());
    rig.working().set(Field::Base, "8"); // as the unit may hold it under the 6-inch minimum
    QTest::mouseClick(w.rangeOptions[kOption6Inch], Qt::LeftButton);
    QCOMPARE(rig.working().trimmed(Field::MinimumBase), QByteArray("6"));
    QTest::mouseClick(w.rangeOptions[kOption13Inch], Qt::LeftButton);
    QCOMPARE(rig.working().trimmed(Field::Base), QByteArray("13")); // raised to the minimum
    QCOMPARE(w.fieldEdits[kFieldBase]->text(), QStringLiteral("13"));

    QTest::mouseClick(w.rangeOptions[kOptionMetric], Qt::LeftButton);
    QCOMPARE(w.fieldEdits[kFieldRange]->text(), QStringLiteral("76")); // 30 inches in cm
}

void TestDialogs::settingsSwitchesOpenTheirDialogs() {
    Rig rig(true);
    ProgramUtilityWindow& window = rig.open();
    // Each switch opens its dialog modally over the editor, on the workingRecord.
    QStringList opened;
    const auto answerNextDialog = [&](const std::function<void(QDialog*)>& act) {
        QTimer::singleShot(0, [&, act] {
            QDialog* dialog = window.dialogs().openWindow();
            QVERIFY(dialog);
            QCOMPARE(dialog->parentWidget(), &window);
            opened << dialog->objectName();
            act(dialog);
        });
    };
    answerNextDialog([](QDialog* d) {
        auto* count = qobject_cast<CounterDialog*>(d);
        QVERIFY(count);
        count->countBoxes[0]->click(); // "Counter"
        count->closeButton->click();
    });
    QTest::mouseClick(window.settingSwitches[5], Qt::LeftButton);
    QCOMPARE(window.editor().workingRecord().trimmed(Field::CountMode), QByteArray("1"));
    QCOMPARE(window.optionChecks[kCheckCounter]->checkState(), Qt::Checked);
    QCOMPARE(window.commandSwitches[kSwitchXmit]->indicator(), CommandSwitch::Indicator::Lit);
    QCOMPARE(rig.state.programs[1].trimmed(Field::CountMode), QByteArray("0")); // not yet kept
    answerNextDialog([](QDialog* d) { d->reject(); });
    QTest::mouseClick(window.settingSwitches[8], Qt::LeftButton);
    answerNextDialog([](QDialog* d) { d->reject(); });
    QTest::mouseClick(window.commandSwitches[kSwitchViewLayout], Qt::LeftButton);
    QCOMPARE(opened, (QStringList{"CounterDialog", "ClockDialog", "SensorLayoutWindow"}));
}

void TestDialogs::xmitIndicatorAndWait() {
    Rig rig(true, 1);
    ProgramUtilityWindow& w = rig.open();
    QVERIFY(w.commandSwitches[kSwitchXmit]->isEnabled());
    QCOMPARE(w.commandSwitches[kSwitchXmit]->indicator(), CommandSwitch::Indicator::Off);
    rig.type(w.fieldEdits[kFieldAverage], QStringLiteral("6"));
    QCOMPARE(w.commandSwitches[kSwitchXmit]->indicator(), CommandSwitch::Indicator::Lit);
    bool tabsDuringWait = true, closeDuringWait = true;
    rig.link.duringWait = [&](int) {
        QCoreApplication::processEvents();
        tabsDuringWait = w.tabPanel->isEnabled();
        closeDuringWait = w.closeButton->isEnabled();
        rig.link.linkRequest = 0; // the unit took the program
    };
    QTest::mouseClick(w.commandSwitches[kSwitchXmit], Qt::LeftButton);
    QVERIFY(!tabsDuringWait);
    QVERIFY(!closeDuringWait);
    // The program transmitted holds the entry made just before Xmit.
    QCOMPARE(rig.state.programs[1].trimmed(Field::AverageCount), QByteArray("6"));
    QCOMPARE(w.commandSwitches[kSwitchXmit]->indicator(), CommandSwitch::Indicator::Off);
    QVERIFY(w.tabPanel->isEnabled());
    QVERIFY(w.closeButton->isEnabled());
    QCOMPARE(rig.link.refreshed, 1); // the running program was transmitted
}

void TestDialogs::closeWithPendingChangesAsks() {
    Rig rig;
    ProgramUtilityWindow& w = rig.open();
    QTest::mouseClick(w.closeButton, Qt::LeftButton); // nothing pending: no question
    QVERIFY(rig.prompts.questions.isEmpty());
    QVERIFY(!w.isVisible());

    w.show();
    rig.type(w.fieldEdits[kFieldOverCount], QStringLiteral("3"));
    rig.prompts.answer = false;
    QTest::mouseClick(w.closeButton, Qt::LeftButton);
    QCOMPARE(rig.prompts.questions.size(), 1);
    QVERIFY(w.isVisible());
    QTest::keyClick(&w, Qt::Key_Escape); // Escape asks the same
    QCOMPARE(rig.prompts.questions.size(), 2);
    QVERIFY(w.isVisible());
    rig.prompts.answer = true;
    QVERIFY(w.close());
    QVERIFY(!w.isVisible());
    QCOMPARE(w.result(), int(QDialog::Rejected));
    // Closing drops the shown program's edits.
    QCOMPARE(rig.state.programs[1].trimmed(Field::OverCount),
             demoPrograms()[1].trimmed(Field::OverCount));
}

void TestDialogs::timer2CopiesTheMainTemperature() {
    Rig rig(true, 2);
    rig.state.programs[2].set(Field::TempSensorMode, " 1");
    int asked = 0;
    ProgramUtilityWindow& w = rig.open([&asked] {
        ++asked;
        MainTemperature t;
        t.compensationOn = true;
        t.conversionValue = 0.0071234;
        t.temperatureText = QStringLiteral("71.6");
        return t;
    });
    QVERIFY(!w.fieldEdits[kFieldTemperature]->isEnabled());
    QTRY_COMPARE(w.fieldEdits[kFieldTemperature]->text(), QStringLiteral("71.6"));
    QCOMPARE(w.valuePanels[kValueConversion]->text(), QStringLiteral("0.00712"));
    QVERIFY(asked >= 1);
    QCOMPARE(w.commandSwitches[kSwitchXmit]->indicator(), CommandSwitch::Indicator::Off);
}

// The atomic writer's own tests run it on a full disk; here the window meets a failing write.
void TestDialogs::failedSavesSayWhyAndKeepTheOldFile() {
    QTemporaryDir dir;
    const QString prg = dir.filePath(QStringLiteral("plant.prg"));
    const QString xmt = dir.filePath(QStringLiteral("Prog00.xmt"));
    QVERIFY(test::writeAll(prg, "old programs"));
    QVERIFY(test::writeAll(xmt, "old transmission"));
    testing::injectWriteFault(testing::WriteFaultAt::Write, ENOSPC);
    const auto noFault =
        qScopeGuard([] { testing::injectWriteFault(testing::WriteFaultAt::Nothing, 0); });
    Rig rig; // file mode, after an edit
    rig.link.online = false;
    rig.setup.programDir = dir.path();
    ProgramUtilityWindow& w = rig.open();
    rig.type(w.fieldEdits[kFieldRange], QStringLiteral("25"));
    w.fieldEdits[kFieldBase]->setFocus(Qt::TabFocusReason);
    const QString label = w.panelLabel(kPanelMode);
    for (const QString& path : {dir.filePath(QStringLiteral("other.prg")), prg}) {
        rig.dialogs.answer = path;
        w.commandSwitches[kSwitchSaveToFile]->click();
        QVERIFY2(rig.prompts.messages.last().text.contains(path + ": no space left on device"),
                 qPrintable(rig.prompts.messages.last().text));
        QCOMPARE(w.panelLabel(kPanelMode), label); // still the old file's name
        QCOMPARE(w.commandSwitches[kSwitchSaveToFile]->indicator(), CommandSwitch::Indicator::Lit);
    }
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("other.prg"))));
    QCOMPARE(test::readAll(prg), QByteArray("old programs"));
    rig.dialogs.answer = xmt;
    w.commandSwitches[kSwitchMakeXmitFile]->click();
    QCOMPARE(rig.prompts.messages.size(), 3);
    QVERIFY(rig.prompts.messages[2].text.contains(QStringLiteral("no space left on device")));
    QCOMPARE(test::readAll(xmt), QByteArray("old transmission"));
}

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
