// The option dialogs' load and store rules, without windows.
#include "../fakes.h"
#include "../tablerows.h"

#include "editor/dialogrules.h"

#include <QTest>

#include <initializer_list>
#include <utility>

using namespace vanto;
using vanto::test::FakePrompts;

namespace {

using Fields = std::initializer_list<std::pair<Field, const char*>>;

ProgramRecord record(Fields fields) {
    ProgramRecord r;
    for (const auto& [field, text] : fields)
        r.set(field, text);
    return r;
}

// Sets fields from "Name=value" pairs, named as in the record layout; '_' stands for a blank.
void setFields(ProgramRecord& r, const char* pairs) {
    for (const QByteArray& pair : QByteArray(pairs).replace('_', ' ').split(';')) {
        const QList<QByteArray> nameValue = pair.trimmed().split('=');
        r.set(*fieldByName(QString::fromLatin1(nameValue[0])), nameValue.value(1));
    }
}

// A loaded program as the unit sends it.
ProgramRecord loaded() {
    ProgramRecord r;
    setFields(r, "Units=_0; Base=13; Range=30; TotalSpan=43; NearRelay=13; MinimumBase=6; "
                 "RelayOnDistance=25; RelayOffDistance=40; RelayDelay=3; Rs232Content=1; "
                 "Rs232Delay=10; Rs232Baud=9600; ClockFrequency=1000; ClockDelay=4; CountMode=1; "
                 "CountDelay=8; SumScaleType=0; SumScalePercent=125; SumScaleChannel=2");
    return r;
}

} // namespace

// --- Sum/Scale ----------------------------------------------------------------------------------

struct SumScaleOpenCase {
    const char* name;
    const char *type, *percent, *channel;
    int featureLevel;
    int selected;
    const char* main;
    bool secondShown;
    const char* second;
    int channelShown;
};
const SumScaleOpenCase kSumScaleOpen[] = {
    {"scale 1.25", "0", "125", "2", 3, 0, "1.25", false, "", 2},
    {"scale above 2 opens as 2", "0", "300", "0", 3, 0, "2.00", false, "", 0},
    {"scale 0 opens as 2", "0", "0", "1", 3, 0, "2.00", false, "", 1},
    {"proportional above 90", "1", "95", "0", 3, 1, "10", false, "", 0},
    {"sum linear", "2", "30", "1", 3, 2, "30", true, "70", 1},
    {"linear kept below level 3", "2", "40", "0", 2, 2, "40", true, "60", 0},
    {"unknown type and channel", "7", "45", "9", 3, -1, "45", false, "", -1},
};

struct TypeClickCase {
    const char* name;
    const char *type, *percent;
    int featureLevel;
    const char* typed; // into the main box before the click; "": nothing
    int click;
    int selected;
    const char* main;
    bool secondShown;
    const char* second;
};
const TypeClickCase kTypeClicks[] = {
    {"scale 1.25 to proportional", "0", "125", 3, "", 1, 1, "1", false, ""},
    {"scale 0 to proportional", "0", "125", 3, "0", 1, 1, "10", false, ""},
    {"proportional 30 to scale", "1", "30", 3, "", 0, 0, "2.00", false, ""},
    {"proportional to linear", "1", "30", 3, "", 2, 2, "30", true, "10"},
    {"linear refused below level 3", "1", "30", 2, "", 2, 1, "30", false, ""},
    {"unknown type gets one", "5", "45", 3, "", 1, 1, "45", false, ""},
};

struct LeaveCase {
    const char *name, *type, *typed;
    int beeps;
    const char *main, *second;
};
const LeaveCase kLeave[] = {
    {"linear 120", "2", "120", 1, " 100", " 0"},
    {"linear 30.5", "2", "30.5", 0, "30.5", " 69.5"},
    {"linear exactly 100", "2", "100", 0, "100", " 0"},
    {"proportional 120", "1", "120", 1, " 100", ""},
    {"scale 1.5", "0", "1.5", 0, "1.5", ""},
};

struct SumScaleCloseCase {
    const char* name;
    const char *type, *percent, *channel;
    int clickType;     // -1: none
    const char* typed; // main box; "": untouched
    int clickChannel;  // -1: none
    bool closes;
    const char *storedType, *storedPercent, *storedChannel;
};
const SumScaleCloseCase kSumScaleClose[] = {
    {"scale 1.5 stores 150", "0", "125", "2", -1, "1.5", -1, true, "0", "150", "2"},
    {"scale rounds to hundredths", "0", "125", "2", -1, "1.155", -1, true, "0", "116", "2"},
    {"proportional 30 on channel 3", "0", "125", "2", 1, "30", 3, true, "1", "30", "3"},
    {"proportional fraction stored whole", "1", "30", "0", -1, "1.5", -1, true, "1", "2", "0"},
    {"linear stores the main share only", "2", "30", "1", -1, "45", -1, true, "2", "45", "1"},
    {"proportional, signs only, refused", "1", "30", "0", -1, "+", -1, false, "1", "30", "0"},
    {"unknown type and channel kept", "7", "45", "9", -1, "", -1, true, "7", "45", "9"},
    {"unknown type kept, channel chosen", "7", "45", "9", -1, "", 0, true, "7", "45", "0"},
};

// --- RS232 --------------------------------------------------------------------------------------

// The options shown on opening, then clicks, an entry and the close.
struct Rs232Case {
    const char *name, *content, *baud, *delay;
    bool serial, baud9600; // shown on opening
    int click1, click2;    // options clicked in turn; -1: none
    const char* typed;     // nullptr: the delay untouched
    bool closes;
    const char *storedContent, *storedBaud, *storedDelay, *shownDelay;
};
const Rs232Case kRs232[] = {
    {"serial, 9600", "1", "9600", "10", true, true, -1, -1, nullptr, true, "1", "9600", "10", "10"},
    {"baud 0 shown and stored as 4800", "1", "0", "10", true, false, -1, -1, nullptr, true, "1",
     "4800", "10", "10"},
    {"blank baud stored as 4800", "0", "", "10", false, false, -1, -1, nullptr, true, "0", "4800",
     "10", "10"},
    {"fraction delay rounded", "1", "9600", "12.4", true, true, -1, -1, nullptr, true, "1", "9600",
     "12", "12"},
    {"both pairs changed", "1", "4800", "10", true, false, kDataOnly, kBaud9600, nullptr, true, "0",
     "9600", "10", "10"},
    {"format back and forth keeps an odd code", "2", "9600", "10", false, true, kSerialAndData,
     kDataOnly, nullptr, true, "2", "9600", "10", "10"},
    {"odd code replaced when changed", "2", "9600", "10", false, true, kSerialAndData, -1, nullptr,
     true, "1", "9600", "10", "10"},
    {"typed delay", "1", "9600", "10", true, true, -1, -1, "0025", true, "1", "9600", "25", "0025"},
    {"emptied delay refused", "1", "9600", "10", true, true, kDataOnly, -1, "", false, "1", "9600",
     "10", "0"},
    {"delay beyond 16 bits refused", "1", "9600", "10", true, true, -1, -1, "99999", false, "1",
     "9600", "10", "32767"},
    {"untouched delay beyond 16 bits kept", "1", "9600", "99999", true, true, -1, -1, nullptr, true,
     "1", "9600", "99999", "99999"},
};

// --- Clock --------------------------------------------------------------------------------------

struct ClockCase {
    const char* name;
    const char *frequency, *delay;
    const char *typedFrequency, *typedDelay; // nullptr: untouched
    bool closes;
    const char *storedFrequency, *storedDelay, *shownFrequency, *shownDelay;
};
const ClockCase kClock[] = {
    {"delay 0012 stored as 12", "1000", "4", nullptr, "0012", true, "1000", "12", "1000    ",
     "0012"},
    {"stored fraction rounded", "1000.6", "4", nullptr, nullptr, true, "1001", "4", "1000.6  ",
     "4     "},
    {"untouched frequency beyond 16 bits kept", "100000", "4", nullptr, nullptr, true, "100000",
     "4", "100000  ", "4     "},
    {"typed frequency beyond 16 bits refused", "1000", "4", "70000", "6", false, "1000", "4",
     "32767", "6"},
    {"both emptied, one beep", "1000", "4", "", "", false, "1000", "4", "0", "0"},
};

// --- Control relay ------------------------------------------------------------------------------

// Span 43, near relay 13, minimum base 6; stored ON 25, OFF 40, delay 3.
struct RelayCase {
    const char* name;
    const char *on, *off, *delay;
    bool stored;
    const char *shownOn, *shownOff, *shownDelay;
};
const RelayCase kRelay[] = {
    {"valid", "20", "40", "5", true, "20", "40", "5"},
    {"ON beyond the span", "50", "43", "3", false, "43", "43", "3"},
    {"ON below the minimum base", "3", "43", "3", false, "6", "43", "3"},
    {"ON above OFF falls back to the stored ON", "20", "10", "3", false, "25", "10", "3"},
    {"OFF beyond the span", "20", "50", "3", false, "20", "13", "3"},
    {"OFF below the near relay", "8", "10", "3", false, "8", "13", "3"},
    {"OFF checked only after ON", "50", "50", "3", false, "43", "50", "3"},
    {"empty ON", "", "40", "3", false, "6", "40", "3"},
    {"ON beyond 16 bits", "99999", "40", "3", false, "25", "40", "3"},
    {"delay too long for its field", "20", "40", "12345", false, "20", "40", "9999"},
};

struct CounterModeCase {
    const char *name, *mode;
    bool counterShown, gateShown;
    const char *clicks, *stored; // clicks: 'c' the counter box, 'g' the gate box; each toggles
};
const CounterModeCase kCounterModes[] = {
    {"off, nothing checked", "0", false, false, "", "0"},
    {"off, gate checked", "0", false, false, "g", "2"},
    {"counter kept", "1", true, false, "", "1"},
    {"counter unchecked keeps the mode", "1", true, false, "c", "1"},
    {"gate to counter", "2", false, true, "c", "1"},
    {"counter then gate", "0", false, false, "cg", "2"},
    {"3 shows neither, kept", "3", false, false, "", "3"},
    {"blank record", "", false, false, "", ""},
};

class TestDialogRules : public QObject {
    Q_OBJECT
private slots:
    // A field's width bounds its entries: a four-character one holds -999 to 9999.
    void entryReadings() {
        QCOMPARE(entryValue("5-", Field::ClockDelay), 5);
        QVERIFY(!entryValid("5-", Field::ClockDelay));
        QVERIFY(entryValid("9999", Field::RelayDelay));
        QCOMPARE(entryValue("12345", Field::RelayDelay), 9999);
        QVERIFY(!entryValid("12345", Field::RelayDelay));
        QCOMPARE(entryValue("-1000", Field::RelayDelay), -999);
        QVERIFY(!entryValid("-1000", Field::RelayDelay));
    }

    void sumScaleOpen_data() { addRows(kSumScaleOpen); }
    void sumScaleOpen() {
        QFETCH(int, row);
        const SumScaleOpenCase& c = kSumScaleOpen[row];
        FakePrompts prompts;
        SumScaleRules rules(prompts);
        rules.open(record({{Field::SumScaleType, c.type},
                           {Field::SumScalePercent, c.percent},
                           {Field::SumScaleChannel, c.channel}}),
                   c.featureLevel);
        QCOMPARE(rules.selectedType(), c.selected);
        QCOMPARE(rules.percentEntries()[0].text, QString(c.main));
        QCOMPARE(rules.percentEntries()[1].visible, c.secondShown);
        QCOMPARE(rules.percentEntries()[1].text, QString(c.second));
        QCOMPARE(rules.selectedChannel(), c.channelShown);
        QCOMPARE(rules.sumLinearEnabled(), c.featureLevel >= 3);
        QCOMPARE(prompts.beeps, 0);
    }

    void sumScaleTypeClick_data() { addRows(kTypeClicks); }
    void sumScaleTypeClick() {
        QFETCH(int, row);
        const TypeClickCase& c = kTypeClicks[row];
        FakePrompts prompts;
        SumScaleRules rules(prompts);
        rules.open(record({{Field::SumScaleType, c.type}, {Field::SumScalePercent, c.percent}}),
                   c.featureLevel);
        if (*c.typed)
            rules.onValueEdited(0, QString(c.typed));
        rules.onTypeClicked(c.click);
        QCOMPARE(rules.selectedType(), c.selected);
        QCOMPARE(rules.percentEntries()[0].text, QString(c.main));
        QCOMPARE(rules.percentEntries()[1].visible, c.secondShown);
        QCOMPARE(rules.percentEntries()[1].text, QString(c.second));
    }

    void sumScaleLeave_data() { addRows(kLeave); }
    void sumScaleLeave() {
        QFETCH(int, row);
        const LeaveCase& c = kLeave[row];
        FakePrompts prompts;
        SumScaleRules rules(prompts);
        rules.open(record({{Field::SumScaleType, c.type}, {Field::SumScalePercent, "40"}}), 3);
        rules.onValueEdited(0, QString(c.typed));
        rules.onValueLeft();
        QCOMPARE(prompts.beeps, c.beeps);
        QCOMPARE(rules.percentEntries()[0].text, QString(c.main));
        QCOMPARE(rules.percentEntries()[1].text, QString(c.second));
    }

    void sumScaleClose_data() { addRows(kSumScaleClose); }
    void sumScaleClose() {
        QFETCH(int, row);
        const SumScaleCloseCase& c = kSumScaleClose[row];
        FakePrompts prompts;
        SumScaleRules rules(prompts);
        ProgramRecord r = record({{Field::SumScaleType, c.type},
                                  {Field::SumScalePercent, c.percent},
                                  {Field::SumScaleChannel, c.channel}});
        rules.open(r, 3);
        if (c.clickType >= 0)
            rules.onTypeClicked(c.clickType);
        if (*c.typed) {
            rules.onValueEdited(0, QString(c.typed));
            rules.onValueLeft();
        }
        if (c.clickChannel >= 0)
            rules.onChannelClicked(c.clickChannel);
        QCOMPARE(rules.close(r), c.closes);
        QCOMPARE(prompts.beeps, c.closes ? 0 : 1);
        QCOMPARE(r.trimmed(Field::SumScaleType), QByteArray(c.storedType));
        QCOMPARE(r.trimmed(Field::SumScalePercent), QByteArray(c.storedPercent));
        QCOMPARE(r.trimmed(Field::SumScaleChannel), QByteArray(c.storedChannel));
    }

    void sumScaleTooLargeScaleIsCorrectedThenStored() {
        // 100 times 100 does not fit the four-character field: it would be cut to "1000".
        FakePrompts prompts;
        ProgramRecord r = record({{Field::SumScaleType, "0"}, {Field::SumScalePercent, "125"}});
        const ProgramRecord before = r;
        SumScaleRules rules(prompts);
        rules.open(r, 3);
        rules.onValueEdited(0, QStringLiteral("150"));
        rules.onValueLeft(); // above 100: beep, " 100"
        QCOMPARE(rules.percentEntries()[0].text, QStringLiteral(" 100"));
        QVERIFY(!rules.close(r));
        QCOMPARE(prompts.beeps, 2);
        QCOMPARE(rules.percentEntries()[0].text, QStringLiteral("99.99"));
        QCOMPARE(r, before);
        QVERIFY(rules.close(r));
        QCOMPARE(r.trimmed(Field::SumScalePercent), QByteArray("9999"));
    }

    // Opening and closing a dialog without a change stores nothing new.
    void unchangedCloseKeepsRecord_data() {
        QTest::addColumn<QString>("changes"); // to the loaded program
        QTest::newRow("loaded program") << QString();
        QTest::newRow("signed-number forms")
            << "CountMode=_1; Rs232Content=_1; SumScaleChannel=_3; "
               "SumScaleType=_1; SumScalePercent=_30";
        QTest::newRow("values the dialogs cannot show")
            << "Rs232Content=2; CountMode=3; ClockFrequency=100000; CountDelay=0012; "
               "SumScaleType=4; SumScaleChannel=7";
        QTest::newRow("sum linear, 4800, data only")
            << "SumScaleType=2; SumScalePercent=60; Rs232Baud=4800; Rs232Content=0";
    }
    void unchangedCloseKeepsRecord() {
        QFETCH(QString, changes);
        ProgramRecord record = loaded();
        if (!changes.isEmpty())
            setFields(record, qPrintable(changes));
        FakePrompts prompts;
        ProgramRecord r = record;
        Rs232Rules rs232(prompts);
        rs232.open(r);
        QVERIFY(rs232.close(r));
        ClockRules clock(prompts);
        clock.open(r);
        QVERIFY(clock.close(r));
        CounterRules counter(prompts);
        counter.open(r);
        QVERIFY(counter.close(r));
        SumScaleRules sumScale(prompts);
        sumScale.open(r, 3);
        QVERIFY(sumScale.close(r));
        QCOMPARE(QString::fromLatin1(r.bytes()), QString::fromLatin1(record.bytes()));
        QCOMPARE(prompts.beeps, 0);
    }

    void rs232_data() { addRows(kRs232); }
    void rs232() {
        QFETCH(int, row);
        const Rs232Case& c = kRs232[row];
        FakePrompts prompts;
        ProgramRecord r = record({{Field::Rs232Content, c.content},
                                  {Field::Rs232Baud, c.baud},
                                  {Field::Rs232Delay, c.delay}});
        Rs232Rules rules(prompts);
        rules.open(r);
        const auto& shown = rules.serialOptions();
        QCOMPARE(shown[kSerialAndData], c.serial);
        QCOMPARE(shown[kDataOnly], !c.serial); // any code but 1 shows Data Only
        QCOMPARE(shown[kBaud9600], c.baud9600);
        QCOMPARE(shown[kBaud4800], !c.baud9600);
        for (int option : {c.click1, c.click2}) {
            if (option >= 0)
                rules.onOptionClicked(option);
        }
        if (c.typed)
            rules.onDelayEdited(QString(c.typed));
        QCOMPARE(rules.close(r), c.closes);
        QCOMPARE(prompts.beeps, c.closes ? 0 : 1);
        QCOMPARE(r.trimmed(Field::Rs232Content), QByteArray(c.storedContent));
        QCOMPARE(r.trimmed(Field::Rs232Baud), QByteArray(c.storedBaud));
        QCOMPARE(r.trimmed(Field::Rs232Delay), QByteArray(c.storedDelay));
        QCOMPARE(rules.delayEntry(), QString(c.shownDelay));
    }

    void clockClose_data() { addRows(kClock); }
    void clockClose() {
        QFETCH(int, row);
        const ClockCase& c = kClock[row];
        FakePrompts prompts;
        ProgramRecord r =
            record({{Field::ClockFrequency, c.frequency}, {Field::ClockDelay, c.delay}});
        ClockRules rules(prompts);
        rules.open(r);
        if (c.typedFrequency)
            rules.onEdited(kClockFrequency, QString(c.typedFrequency));
        if (c.typedDelay)
            rules.onEdited(kClockDelay, QString(c.typedDelay));
        QCOMPARE(rules.close(r), c.closes);
        QCOMPARE(prompts.beeps, c.closes ? 0 : 1);
        QCOMPARE(r.trimmed(Field::ClockFrequency), QByteArray(c.storedFrequency));
        QCOMPARE(r.trimmed(Field::ClockDelay), QByteArray(c.storedDelay));
        QCOMPARE(rules.entryFields()[kClockFrequency], QString(c.shownFrequency));
        QCOMPARE(rules.entryFields()[kClockDelay], QString(c.shownDelay));
        if (!c.closes) { // the shown corrections are stored by the second press
            QVERIFY(rules.close(r));
            QCOMPARE(QString::fromLatin1(r.trimmed(Field::ClockFrequency)),
                     rules.entryFields()[kClockFrequency]);
        }
    }

    void counterMode_data() { addRows(kCounterModes); }
    void counterMode() {
        QFETCH(int, row);
        const CounterModeCase& c = kCounterModes[row];
        FakePrompts prompts;
        ProgramRecord r = record({{Field::CountMode, c.mode}, {Field::CountDelay, "8"}});
        CounterRules rules(prompts);
        rules.open(r);
        QCOMPARE(rules.countBoxes()[kCounterBox], c.counterShown);
        QCOMPARE(rules.countBoxes()[kGateBox], c.gateShown);
        for (const char* click = c.clicks; *click; ++click) {
            const int box = *click == 'c' ? kCounterBox : kGateBox;
            rules.onCheckClicked(box, !rules.countBoxes()[box]);
            QVERIFY(!(rules.countBoxes()[kCounterBox] && rules.countBoxes()[kGateBox]));
        }
        QVERIFY(rules.close(r));
        QCOMPARE(r.trimmed(Field::CountMode), QByteArray(c.stored));
    }

    void counterDelay_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<QByteArray>("stored"); // the whole field
        QTest::addColumn<QString>("shown");
        const QByteArray eight = "8     ";
        QTest::newRow("as typed") << "0012" << true << QByteArray("0012  ") << QString("0012");
        QTest::newRow("six characters")
            << "-32768" << true << QByteArray("-32768") << QString("-32768");
        QTest::newRow("longer than the field")
            << "0000012" << true << QByteArray("12    ") << QString("0000012");
        QTest::newRow("empty refused") << "" << false << eight << QString("0");
        QTest::newRow("trailing sign refused") << "5-" << false << eight << QString("5");
        QTest::newRow("beyond 16 bits refused") << "40000" << false << eight << QString("32767");
    }
    void counterDelay() {
        QFETCH(QString, typed);
        QFETCH(bool, closes);
        FakePrompts prompts;
        ProgramRecord r = record({{Field::CountMode, "0"}, {Field::CountDelay, "8"}});
        CounterRules rules(prompts);
        rules.open(r);
        QCOMPARE(rules.delayEntry(), QStringLiteral("8     "));
        rules.onCheckClicked(kGateBox, true);
        rules.onDelayEdited(typed);
        QCOMPARE(rules.close(r), closes);
        QCOMPARE(prompts.beeps, closes ? 0 : 1);
        QTEST(r.text(Field::CountDelay), "stored");
        QCOMPARE(r.trimmed(Field::CountMode), QByteArray(closes ? "2" : "0")); // all or nothing
        QTEST(rules.delayEntry(), "shown");
    }

    void controlRelay_data() { addRows(kRelay); }
    void controlRelay() {
        QFETCH(int, row);
        const RelayCase& c = kRelay[row];
        FakePrompts prompts;
        ProgramRecord r = loaded();
        const ProgramRecord before = r;
        ControlRelayRules rules(prompts);
        rules.open(r);
        rules.onEdited(kRelayOn, QString(c.on));
        rules.onEdited(kRelayOff, QString(c.off));
        rules.onEdited(kRelayDelay, QString(c.delay));
        QCOMPARE(rules.ok(r), c.stored);
        QCOMPARE(prompts.beeps, c.stored ? 0 : 1);
        QCOMPARE(rules.entryFields()[kRelayOn], QString(c.shownOn));
        QCOMPARE(rules.entryFields()[kRelayOff], QString(c.shownOff));
        QCOMPARE(rules.entryFields()[kRelayDelay], QString(c.shownDelay));
        if (c.stored) {
            QCOMPARE(r.trimmed(Field::RelayOnDistance), QByteArray(c.on));
            QCOMPARE(r.trimmed(Field::RelayOffDistance), QByteArray(c.off));
            QCOMPARE(r.trimmed(Field::RelayDelay), QByteArray(c.delay));
        } else {
            QCOMPARE(r, before);
        }
    }
};

QTEST_APPLESS_MAIN(TestDialogRules)
#include "test_dialogrules.moc"
