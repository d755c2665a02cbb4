// The option dialogs' load and store rules, without windows.
#include "../fakes.h"

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

// A loaded program as the unit sends it.
ProgramRecord loaded() {
    return record({{Field::Units, " 0"},
                   {Field::Base, "13"},
                   {Field::Range, "30"},
                   {Field::TotalSpan, "43"},
                   {Field::NearRelay, "13"},
                   {Field::MinimumBase, "6"},
                   {Field::RelayOnDistance, "25"},
                   {Field::RelayOffDistance, "40"},
                   {Field::RelayDelay, "3"},
                   {Field::Rs232Content, "1"},
                   {Field::Rs232Delay, "10"},
                   {Field::Rs232Baud, "9600"},
                   {Field::ClockFrequency, "1000"},
                   {Field::ClockDelay, "4"},
                   {Field::CountMode, "1"},
                   {Field::CountDelay, "8"},
                   {Field::SumScaleType, "0"},
                   {Field::SumScalePercent, "125"},
                   {Field::SumScaleChannel, "2"}});
}

} // namespace

Q_DECLARE_METATYPE(ProgramRecord)

class TestDialogRules : public QObject {
    Q_OBJECT
private slots:
    void entryReadings_data();
    void entryReadings();

    void sumScaleOpen_data();
    void sumScaleOpen();
    void sumScaleTypeClick_data();
    void sumScaleTypeClick();
    void sumScaleLeave_data();
    void sumScaleLeave();
    void sumScaleClose_data();
    void sumScaleClose();
    void sumScaleLinearSecondBoxIsDerived();
    void sumScaleTooLargeScaleIsCorrectedThenStored();

    void unchangedCloseKeepsRecord_data();
    void unchangedCloseKeepsRecord();

    void rs232Open_data();
    void rs232Open();
    void rs232Close_data();
    void rs232Close();

    void clockClose_data();
    void clockClose();

    void counterMode_data();
    void counterMode();
    void counterDelay_data();
    void counterDelay();

    void controlRelay_data();
    void controlRelay();
    void controlRelayCorrectionTakesTwoPresses();
};

void TestDialogRules::entryReadings_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("valid");
    const int delay4 = int(Field::RelayDelay); // four characters
    const int delay6 = int(Field::ClockDelay); // six characters
    QTest::newRow("plain") << "12" << delay6 << 12 << true;
    QTest::newRow("leading zeros") << "0012" << delay6 << 12 << true;
    QTest::newRow("trailing blanks") << "12    " << delay6 << 12 << true;
    QTest::newRow("empty") << "" << delay6 << 0 << false;
    QTest::newRow("signs only") << "+-" << delay6 << 0 << false;
    QTest::newRow("sign after digits") << "5-" << delay6 << 5 << false;
    QTest::newRow("beyond 16 bits") << "70000" << delay6 << 32767 << false;
    QTest::newRow("below 16 bits") << "-40000" << delay6 << -32768 << false;
    QTest::newRow("largest in four") << "9999" << delay4 << 9999 << true;
    QTest::newRow("too long for four") << "12345" << delay4 << 9999 << false;
    QTest::newRow("too negative for four") << "-1000" << delay4 << -999 << false;
    QTest::newRow("fraction, halves to even") << "2.5" << delay6 << 2 << true;
}

void TestDialogRules::entryReadings() {
    QFETCH(QString, text);
    QFETCH(int, field);
    QTEST(EntryValue(text, Field(field)), "value");
    QTEST(EntryValid(text, Field(field)), "valid");
}

// --- Sum/Scale ----------------------------------------------------------------------------------

void TestDialogRules::sumScaleOpen_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("percent");
    QTest::addColumn<QString>("channel");
    QTest::addColumn<int>("featureLevel");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("main");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<bool>("secondShown");
    QTest::addColumn<QString>("second");
    QTest::addColumn<int>("selectedChannel");
    QTest::addColumn<bool>("linearEnabled");

    QTest::newRow("scale 1.25") << "0"
                                << "125"
                                << "2" << 3 << 0 << "1.25"
                                << "Scale Value" << false << "" << 2 << true;
    QTest::newRow("scale above 2 opens as 2") << "0"
                                              << "300"
                                              << "0" << 3 << 0 << "2.00"
                                              << "Scale Value" << false << "" << 0 << true;
    QTest::newRow("scale 0 opens as 2") << "0"
                                        << "0"
                                        << "1" << 3 << 0 << "2.00"
                                        << "Scale Value" << false << "" << 1 << true;
    QTest::newRow("sum proportional") << "1"
                                      << "30"
                                      << "3" << 3 << 1 << "30"
                                      << "Percent Sensor" << false << "" << 3 << true;
    QTest::newRow("sum proportional above 90") << "1"
                                               << "95"
                                               << "0" << 3 << 1 << "10"
                                               << "Percent Sensor" << false << "" << 0 << true;
    QTest::newRow("sum linear") << "2"
                                << "30"
                                << "1" << 3 << 2 << "30"
                                << "Percent Sensor" << true << "70" << 1 << true;
    QTest::newRow("sum linear, external above 90") << "2"
                                                   << "5"
                                                   << "1" << 3 << 2 << "5"
                                                   << "Percent Sensor" << true << "10" << 1 << true;
    QTest::newRow("sum linear kept below level 3")
        << "2"
        << "40"
        << "0" << 2 << 2 << "40"
        << "Percent Sensor" << true << "60" << 0 << false;
    QTest::newRow("blank record") << ""
                                  << ""
                                  << "" << 3 << 0 << "2.00"
                                  << "Scale Value" << false << "" << 0 << true;
    QTest::newRow("unknown type and channel") << "7"
                                              << "45"
                                              << "9" << 3 << -1 << "45"
                                              << "" << false << "" << -1 << true;
    QTest::newRow("negative type") << "-1"
                                   << "45"
                                   << "-1" << 3 << -1 << "45"
                                   << "" << false << "" << -1 << true;
}

void TestDialogRules::sumScaleOpen() {
    QFETCH(QString, type);
    QFETCH(QString, percent);
    QFETCH(QString, channel);
    QFETCH(int, featureLevel);
    FakePrompts prompts;
    SumScaleRules rules(prompts);
    rules.open(record({{Field::SumScaleType, qPrintable(type)},
                       {Field::SumScalePercent, qPrintable(percent)},
                       {Field::SumScaleChannel, qPrintable(channel)}}),
               featureLevel);
    QTEST(rules.selectedType(), "selected");
    QTEST(rules.txtPerc()[0].text, "main");
    QTEST(rules.txtPerc()[0].tag, "tag");
    QTEST(rules.txtPerc()[1].visible, "secondShown");
    QTEST(rules.txtPerc()[1].text, "second");
    QTEST(rules.selectedChannel(), "selectedChannel");
    QTEST(rules.sumLinearEnabled(), "linearEnabled");
    QVERIFY(!rules.loading());
    QCOMPARE(prompts.beeps, 0);
}

void TestDialogRules::sumScaleTypeClick_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("percent");
    QTest::addColumn<int>("featureLevel");
    QTest::addColumn<QString>("typed"); // into the main box before the click; empty: nothing
    QTest::addColumn<int>("click");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("main");
    QTest::addColumn<QString>("tip");
    QTest::addColumn<bool>("secondShown");
    QTest::addColumn<QString>("second");

    QTest::newRow("scale 1.25 to proportional")
        << "0"
        << "125" << 3 << "" << 1 << 1 << "1"
        << "+- SUM Percent, Min 5% - Max 50%." << false << "";
    QTest::newRow("scale 0 to proportional") << "0"
                                             << "125" << 3 << "0" << 1 << 1 << "10"
                                             << "+- SUM Percent, Min 5% - Max 50%." << false << "";
    QTest::newRow("proportional 30 to scale") << "1"
                                              << "30" << 3 << "" << 0 << 0 << "2.00"
                                              << "SCALE Value, 0.01 to 2.0" << false << "";
    QTest::newRow("proportional 1.5 to scale") << "1"
                                               << "30" << 3 << "1.5" << 0 << 0 << "1.50"
                                               << "SCALE Value, 0.01 to 2.0" << false << "";
    QTest::newRow("proportional to linear") << "1"
                                            << "30" << 3 << "" << 2 << 2 << "30"
                                            << "EXT SUM Percent, Min 5% - Max 90%." << true << "10";
    QTest::newRow("linear to proportional clears the second box")
        << "2"
        << "30" << 3 << "" << 1 << 1 << "30"
        << "+- SUM Percent, Min 5% - Max 50%." << false << "";
    QTest::newRow("linear refused below level 3")
        << "1"
        << "30" << 2 << "" << 2 << 1 << "30"
        << "+- SUM Percent, Min 5% - Max 50%." << false << "";
    QTest::newRow("unknown type gets one") << "5"
                                           << "45" << 3 << "" << 1 << 1 << "45"
                                           << "+- SUM Percent, Min 5% - Max 50%." << false << "";
}

void TestDialogRules::sumScaleTypeClick() {
    QFETCH(QString, type);
    QFETCH(QString, percent);
    QFETCH(int, featureLevel);
    QFETCH(QString, typed);
    QFETCH(int, click);
    FakePrompts prompts;
    SumScaleRules rules(prompts);
    rules.open(record({{Field::SumScaleType, qPrintable(type)},
                       {Field::SumScalePercent, qPrintable(percent)}}),
               featureLevel);
    if (!typed.isEmpty())
        rules.onValueEdited(0, typed);
    rules.onTypeClicked(click);
    QTEST(rules.selectedType(), "selected");
    QTEST(rules.txtPerc()[0].text, "main");
    QTEST(rules.txtPerc()[0].toolTip, "tip");
    QTEST(rules.txtPerc()[1].visible, "secondShown");
    QTEST(rules.txtPerc()[1].text, "second");
}

void TestDialogRules::sumScaleLeave_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("beeps");
    QTest::addColumn<QString>("main");
    QTest::addColumn<QString>("second");

    QTest::newRow("linear 120") << "2"
                                << "120" << 1 << " 100"
                                << " 0";
    QTest::newRow("linear 30") << "2"
                               << "30" << 0 << "30"
                               << " 70";
    QTest::newRow("linear 30.5") << "2"
                                 << "30.5" << 0 << "30.5"
                                 << " 69.5";
    QTest::newRow("linear exactly 100") << "2"
                                        << "100" << 0 << "100"
                                        << " 0";
    QTest::newRow("proportional 120") << "1"
                                      << "120" << 1 << " 100"
                                      << "";
    QTest::newRow("scale 1.5") << "0"
                               << "1.5" << 0 << "1.5"
                               << "";
}

void TestDialogRules::sumScaleLeave() {
    QFETCH(QString, type);
    QFETCH(QString, typed);
    FakePrompts prompts;
    SumScaleRules rules(prompts);
    rules.open(record({{Field::SumScaleType, qPrintable(type)}, {Field::SumScalePercent, "40"}}),
               3);
    rules.onValueEdited(0, typed);
    rules.onValueLeft();
    QTEST(prompts.beeps, "beeps");
    QTEST(rules.txtPerc()[0].text, "main");
    QTEST(rules.txtPerc()[1].text, "second");
}

void TestDialogRules::sumScaleClose_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("percent");
    QTest::addColumn<QString>("channel");
    QTest::addColumn<int>("clickType");    // -1: none
    QTest::addColumn<QString>("typed");    // main box; empty: untouched
    QTest::addColumn<int>("clickChannel"); // -1: none
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QByteArray>("storedType");
    QTest::addColumn<QByteArray>("storedPercent");
    QTest::addColumn<QByteArray>("storedChannel");

    QTest::newRow("scale 1.5 stores 150") << "0"
                                          << "125"
                                          << "2" << -1 << "1.5" << -1 << true << QByteArray("0   ")
                                          << QByteArray("150 ") << QByteArray("2   ");
    QTest::newRow("scale rounds to hundredths")
        << "0"
        << "125"
        << "2" << -1 << "1.155" << -1 << true << QByteArray("0   ") << QByteArray("116 ")
        << QByteArray("2   ");
    QTest::newRow("proportional 30 on channel 3")
        << "0"
        << "125"
        << "2" << 1 << "30" << 3 << true << QByteArray("1   ") << QByteArray("30  ")
        << QByteArray("3   ");
    QTest::newRow("proportional fraction stored whole")
        << "1"
        << "30"
        << "0" << -1 << "1.5" << -1 << true << QByteArray("1   ") << QByteArray("2   ")
        << QByteArray("0   ");
    QTest::newRow("linear stores the main percentage only")
        << "2"
        << "30"
        << "1" << -1 << "45" << -1 << true << QByteArray("2   ") << QByteArray("45  ")
        << QByteArray("1   ");
    QTest::newRow("proportional emptied is refused")
        << "1"
        << "30"
        << "0" << -1 << "+" << -1 << false << QByteArray("1   ") << QByteArray("30  ")
        << QByteArray("0   ");
    QTest::newRow("proportional too negative is refused")
        << "1"
        << "30"
        << "0" << -1 << "-5000" << -1 << false << QByteArray("1   ") << QByteArray("30  ")
        << QByteArray("0   ");
    QTest::newRow("unknown type and channel kept")
        << "7"
        << "45"
        << "9" << -1 << "" << -1 << true << QByteArray("7   ") << QByteArray("45  ")
        << QByteArray("9   ");
    QTest::newRow("unknown channel kept, type chosen")
        << "7"
        << "45"
        << "9" << 1 << "" << -1 << true << QByteArray("1   ") << QByteArray("45  ")
        << QByteArray("9   ");
    QTest::newRow("unknown type kept, channel chosen")
        << "7"
        << "45"
        << "9" << -1 << "" << 0 << true << QByteArray("7   ") << QByteArray("45  ")
        << QByteArray("0   ");
}

void TestDialogRules::sumScaleClose() {
    QFETCH(QString, type);
    QFETCH(QString, percent);
    QFETCH(QString, channel);
    QFETCH(int, clickType);
    QFETCH(QString, typed);
    QFETCH(int, clickChannel);
    QFETCH(bool, closes);
    FakePrompts prompts;
    SumScaleRules rules(prompts);
    ProgramRecord r = record({{Field::SumScaleType, qPrintable(type)},
                              {Field::SumScalePercent, qPrintable(percent)},
                              {Field::SumScaleChannel, qPrintable(channel)}});
    rules.open(r, 3);
    if (clickType >= 0)
        rules.onTypeClicked(clickType);
    if (!typed.isEmpty()) {
        rules.onValueEdited(0, typed);
        rules.onValueLeft();
    }
    if (clickChannel >= 0)
        rules.onChannelClicked(clickChannel);
    QCOMPARE(rules.close(r), closes);
    QCOMPARE(prompts.beeps, closes ? 0 : 1);
    QTEST(r.text(Field::SumScaleType), "storedType");
    QTEST(r.text(Field::SumScalePercent), "storedPercent");
    QTEST(r.text(Field::SumScaleChannel), "storedChannel");
}

void TestDialogRules::sumScaleLinearSecondBoxIsDerived() {
    FakePrompts prompts;
    ProgramRecord r = record({{Field::SumScaleType, "2"}, {Field::SumScalePercent, "30"}});
    SumScaleRules rules(prompts);
    rules.open(r, 3);
    rules.onValueEdited(1, QStringLiteral("20")); // the external share is never stored
    rules.onValueEdited(0, QStringLiteral("35"));
    rules.onValueLeft();
    QCOMPARE(rules.txtPerc()[1].text, QStringLiteral(" 65"));
    QVERIFY(rules.close(r));
    rules.open(r, 3);
    QCOMPARE(rules.txtPerc()[0].text, QStringLiteral("35"));
    QCOMPARE(rules.txtPerc()[1].text, QStringLiteral("65"));
}

void TestDialogRules::sumScaleTooLargeScaleIsCorrectedThenStored() {
    // 100 times 100 does not fit the four-character field: it would be cut to "1000".
    FakePrompts prompts;
    ProgramRecord r = record({{Field::SumScaleType, "0"}, {Field::SumScalePercent, "125"}});
    const ProgramRecord before = r;
    SumScaleRules rules(prompts);
    rules.open(r, 3);
    rules.onValueEdited(0, QStringLiteral("150"));
    rules.onValueLeft(); // above 100: beep, " 100"
    QCOMPARE(rules.txtPerc()[0].text, QStringLiteral(" 100"));
    QVERIFY(!rules.close(r));
    QCOMPARE(prompts.beeps, 2);
    QCOMPARE(rules.txtPerc()[0].text, QStringLiteral("99.99"));
    QCOMPARE(r, before);
    QVERIFY(rules.close(r));
    QCOMPARE(r.trimmed(Field::SumScalePercent), QByteArray("9999"));
}

// --- Opening and closing without a change ------------------------------------------------------

void TestDialogRules::unchangedCloseKeepsRecord_data() {
    QTest::addColumn<ProgramRecord>("record");
    QTest::newRow("loaded program") << loaded();
    ProgramRecord signedForms = loaded();
    signedForms.set(Field::CountMode, " 1");
    signedForms.set(Field::Rs232Content, " 1");
    signedForms.set(Field::SumScaleChannel, " 3");
    signedForms.set(Field::SumScaleType, " 1");
    signedForms.set(Field::SumScalePercent, " 30");
    QTest::newRow("signed-number forms") << signedForms;
    ProgramRecord odd = loaded();
    odd.set(Field::Rs232Content, "2");
    odd.set(Field::CountMode, "3");
    odd.set(Field::ClockFrequency, "100000");
    odd.set(Field::CountDelay, "0012");
    odd.set(Field::SumScaleType, "4");
    odd.set(Field::SumScaleChannel, "7");
    QTest::newRow("values the dialogs cannot show") << odd;
    ProgramRecord linear = loaded();
    linear.set(Field::SumScaleType, "2");
    linear.set(Field::SumScalePercent, "60");
    linear.set(Field::Rs232Baud, "4800");
    linear.set(Field::Rs232Content, "0");
    QTest::newRow("sum linear, 4800, data only") << linear;
}

void TestDialogRules::unchangedCloseKeepsRecord() {
    QFETCH(ProgramRecord, record);
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

// --- RS232 --------------------------------------------------------------------------------------

void TestDialogRules::rs232Open_data() {
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("baud");
    QTest::addColumn<QString>("delay");
    QTest::addColumn<bool>("serial");
    QTest::addColumn<bool>("baud9600");
    QTest::addColumn<QString>("shownDelay");
    QTest::newRow("serial, 9600") << "1"
                                  << "9600"
                                  << "10" << true << true << "10";
    QTest::newRow("data only, 4800") << "0"
                                     << "4800"
                                     << "10" << false << false << "10";
    QTest::newRow("blank record") << ""
                                  << ""
                                  << "" << false << false << "0";
    QTest::newRow("baud 0 shows 4800") << "1"
                                       << "0"
                                       << "5" << true << false << "5";
    QTest::newRow("fraction delay") << "1"
                                    << "9600"
                                    << "12.5" << true << true << "13";
    QTest::newRow("trailing text") << " 1"
                                   << "9600 "
                                   << "7x" << true << true << "7";
}

void TestDialogRules::rs232Open() {
    QFETCH(QString, content);
    QFETCH(QString, baud);
    QFETCH(QString, delay);
    QFETCH(bool, serial);
    QFETCH(bool, baud9600);
    FakePrompts prompts;
    Rs232Rules rules(prompts);
    rules.open(record({{Field::Rs232Content, qPrintable(content)},
                       {Field::Rs232Baud, qPrintable(baud)},
                       {Field::Rs232Delay, qPrintable(delay)}}));
    const auto& opt = rules.optSer();
    QCOMPARE(opt[kSerialAndData], serial);
    QCOMPARE(opt[kDataOnly], !serial);
    QCOMPARE(opt[kBaud9600], baud9600);
    QCOMPARE(opt[kBaud4800], !baud9600);
    QTEST(rules.txtSdel(), "shownDelay");
}

void TestDialogRules::rs232Close_data() {
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("baud");
    QTest::addColumn<QString>("delay");
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QString>("typed"); // "-" leaves the delay untouched
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QByteArray>("storedContent");
    QTest::addColumn<QByteArray>("storedBaud");
    QTest::addColumn<QByteArray>("storedDelay");
    QTest::addColumn<QString>("shownDelay");

    QTest::newRow("baud 0 stored as 4800") << "1"
                                           << "0"
                                           << "10" << QList<int>{} << "-" << true << QByteArray("1")
                                           << QByteArray("4800") << QByteArray("10") << "10";
    QTest::newRow("blank baud stored as 4800")
        << "0"
        << ""
        << "10" << QList<int>{} << "-" << true << QByteArray("0") << QByteArray("4800")
        << QByteArray("10") << "10";
    QTest::newRow("fraction delay rounded")
        << "1"
        << "9600"
        << "12.4" << QList<int>{} << "-" << true << QByteArray("1") << QByteArray("9600")
        << QByteArray("12") << "12";
    QTest::newRow("both pairs changed")
        << "1"
        << "4800"
        << "10" << QList<int>{kDataOnly, kBaud9600} << "-" << true << QByteArray("0")
        << QByteArray("9600") << QByteArray("10") << "10";
    QTest::newRow("data format back and forth keeps an odd code")
        << "2"
        << "9600"
        << "10" << QList<int>{kSerialAndData, kDataOnly} << "-" << true << QByteArray("2")
        << QByteArray("9600") << QByteArray("10") << "10";
    QTest::newRow("odd code replaced when changed")
        << "2"
        << "9600"
        << "10" << QList<int>{kSerialAndData} << "-" << true << QByteArray("1")
        << QByteArray("9600") << QByteArray("10") << "10";
    QTest::newRow("typed delay") << "1"
                                 << "9600"
                                 << "10" << QList<int>{} << "0025" << true << QByteArray("1")
                                 << QByteArray("9600") << QByteArray("25") << "0025";
    QTest::newRow("emptied delay refused")
        << "1"
        << "9600"
        << "10" << QList<int>{kDataOnly} << "" << false << QByteArray("1") << QByteArray("9600")
        << QByteArray("10") << "0";
    QTest::newRow("delay beyond 16 bits refused")
        << "1"
        << "9600"
        << "10" << QList<int>{} << "99999" << false << QByteArray("1") << QByteArray("9600")
        << QByteArray("10") << "32767";
    QTest::newRow("untouched delay beyond 16 bits kept")
        << "1"
        << "9600"
        << "99999" << QList<int>{} << "-" << true << QByteArray("1") << QByteArray("9600")
        << QByteArray("99999") << "99999";
}

void TestDialogRules::rs232Close() {
    QFETCH(QString, content);
    QFETCH(QString, baud);
    QFETCH(QString, delay);
    QFETCH(QList<int>, clicks);
    QFETCH(QString, typed);
    QFETCH(bool, closes);
    FakePrompts prompts;
    ProgramRecord r = record({{Field::Rs232Content, qPrintable(content)},
                              {Field::Rs232Baud, qPrintable(baud)},
                              {Field::Rs232Delay, qPrintable(delay)}});
    Rs232Rules rules(prompts);
    rules.open(r);
    for (int c : clicks)
        rules.onOptionClicked(c);
    if (typed != QLatin1String("-"))
        rules.onDelayEdited(typed);
    QCOMPARE(rules.close(r), closes);
    QCOMPARE(prompts.beeps, closes ? 0 : 1);
    QTEST(r.trimmed(Field::Rs232Content), "storedContent");
    QTEST(r.trimmed(Field::Rs232Baud), "storedBaud");
    QTEST(r.trimmed(Field::Rs232Delay), "storedDelay");
    QTEST(rules.txtSdel(), "shownDelay");
}

// --- Clock --------------------------------------------------------------------------------------

void TestDialogRules::clockClose_data() {
    QTest::addColumn<QString>("frequency");
    QTest::addColumn<QString>("delay");
    QTest::addColumn<QString>("typedFrequency"); // "-": untouched
    QTest::addColumn<QString>("typedDelay");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QByteArray>("storedFrequency");
    QTest::addColumn<QByteArray>("storedDelay");
    QTest::addColumn<QString>("shownFrequency");
    QTest::addColumn<QString>("shownDelay");

    QTest::newRow("delay 0012 stored as 12")
        << "1000"
        << "4"
        << "-"
        << "0012" << true << QByteArray("1000") << QByteArray("12") << "1000    "
        << "0012";
    QTest::newRow("both typed") << "1000"
                                << "4"
                                << "2500"
                                << "-3" << true << QByteArray("2500") << QByteArray("-3") << "2500"
                                << "-3";
    QTest::newRow("stored fraction rounded")
        << "1000.6"
        << "4"
        << "-"
        << "-" << true << QByteArray("1001") << QByteArray("4") << "1000.6  "
        << "4     ";
    QTest::newRow("untouched blank fields kept")
        << ""
        << ""
        << "-"
        << "-" << true << QByteArray("") << QByteArray("") << "        "
        << "      ";
    QTest::newRow("untouched frequency beyond 16 bits kept")
        << "100000"
        << "4"
        << "-"
        << "-" << true << QByteArray("100000") << QByteArray("4") << "100000  "
        << "4     ";
    QTest::newRow("typed frequency beyond 16 bits refused")
        << "1000"
        << "4"
        << "70000"
        << "6" << false << QByteArray("1000") << QByteArray("4") << "32767"
        << "6";
    QTest::newRow("both emptied, one beep")
        << "1000"
        << "4"
        << ""
        << "" << false << QByteArray("1000") << QByteArray("4") << "0"
        << "0";
}

void TestDialogRules::clockClose() {
    QFETCH(QString, frequency);
    QFETCH(QString, delay);
    QFETCH(QString, typedFrequency);
    QFETCH(QString, typedDelay);
    QFETCH(bool, closes);
    FakePrompts prompts;
    ProgramRecord r = record(
        {{Field::ClockFrequency, qPrintable(frequency)}, {Field::ClockDelay, qPrintable(delay)}});
    ClockRules rules(prompts);
    rules.open(r);
    QCOMPARE(rules.txtCdel()[kClockFrequency], QString::fromLatin1(r.text(Field::ClockFrequency)));
    if (typedFrequency != QLatin1String("-"))
        rules.onEdited(kClockFrequency, typedFrequency);
    if (typedDelay != QLatin1String("-"))
        rules.onEdited(kClockDelay, typedDelay);
    QCOMPARE(rules.close(r), closes);
    QCOMPARE(prompts.beeps, closes ? 0 : 1);
    QTEST(r.trimmed(Field::ClockFrequency), "storedFrequency");
    QTEST(r.trimmed(Field::ClockDelay), "storedDelay");
    QTEST(rules.txtCdel()[kClockFrequency], "shownFrequency");
    QTEST(rules.txtCdel()[kClockDelay], "shownDelay");
    if (!closes) { // the shown corrections are stored by the second press
        QVERIFY(rules.close(r));
        QCOMPARE(QString::fromLatin1(r.trimmed(Field::ClockFrequency)),
                 rules.txtCdel()[kClockFrequency]);
    }
}

// --- Counter ------------------------------------------------------------------------------------

void TestDialogRules::counterMode_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("counterShown");
    QTest::addColumn<bool>("gateShown");
    QTest::addColumn<QList<int>>("clicks"); // box index; a click toggles it
    QTest::addColumn<QByteArray>("stored");

    QTest::newRow("off, nothing checked")
        << "0" << false << false << QList<int>{} << QByteArray("0");
    QTest::newRow("off, gate checked")
        << "0" << false << false << QList<int>{kGateBox} << QByteArray("2");
    QTest::newRow("counter kept") << "1" << true << false << QList<int>{} << QByteArray("1");
    QTest::newRow("counter unchecked keeps the mode")
        << "1" << true << false << QList<int>{kCounterBox} << QByteArray("1");
    QTest::newRow("gate to counter")
        << "2" << false << true << QList<int>{kCounterBox} << QByteArray("1");
    QTest::newRow("counter then gate")
        << "0" << false << false << QList<int>{kCounterBox, kGateBox} << QByteArray("2");
    QTest::newRow("3 shows neither, kept")
        << "3" << false << false << QList<int>{} << QByteArray("3");
    QTest::newRow("blank record") << "" << false << false << QList<int>{} << QByteArray("");
}

void TestDialogRules::counterMode() {
    QFETCH(QString, mode);
    QFETCH(QList<int>, clicks);
    FakePrompts prompts;
    ProgramRecord r = record({{Field::CountMode, qPrintable(mode)}, {Field::CountDelay, "8"}});
    CounterRules rules(prompts);
    rules.open(r);
    QTEST(rules.chkCnt()[kCounterBox], "counterShown");
    QTEST(rules.chkCnt()[kGateBox], "gateShown");
    for (int box : clicks) {
        rules.onCheckClicked(box, !rules.chkCnt()[box]);
        QVERIFY(!(rules.chkCnt()[kCounterBox] && rules.chkCnt()[kGateBox]));
    }
    QVERIFY(rules.close(r));
    QTEST(r.trimmed(Field::CountMode), "stored");
}

void TestDialogRules::counterDelay_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QByteArray>("stored"); // the whole field
    QTest::addColumn<QString>("shown");
    QTest::newRow("as typed") << "0012" << true << QByteArray("0012  ") << "0012";
    QTest::newRow("six characters") << "-32768" << true << QByteArray("-32768") << "-32768";
    QTest::newRow("longer than the field")
        << "0000012" << true << QByteArray("12    ") << "0000012";
    QTest::newRow("empty refused") << "" << false << QByteArray("8     ") << "0";
    QTest::newRow("trailing sign refused") << "5-" << false << QByteArray("8     ") << "5";
    QTest::newRow("beyond 16 bits refused") << "40000" << false << QByteArray("8     ") << "32767";
}

void TestDialogRules::counterDelay() {
    QFETCH(QString, typed);
    QFETCH(bool, closes);
    FakePrompts prompts;
    ProgramRecord r = record({{Field::CountMode, "0"}, {Field::CountDelay, "8"}});
    CounterRules rules(prompts);
    rules.open(r);
    QCOMPARE(rules.txtCndel(), QStringLiteral("8     "));
    rules.onCheckClicked(kGateBox, true);
    rules.onDelayEdited(typed);
    QCOMPARE(rules.close(r), closes);
    QCOMPARE(prompts.beeps, closes ? 0 : 1);
    QTEST(r.text(Field::CountDelay), "stored");
    QCOMPARE(r.trimmed(Field::CountMode), QByteArray(closes ? "2" : "0")); // all or nothing
    QTEST(rules.txtCndel(), "shown");
}

// --- Control relay ------------------------------------------------------------------------------

void TestDialogRules::controlRelay_data() {
    // Span 43, near relay 13, minimum base 6; stored ON 25, OFF 40, delay 3.
    QTest::addColumn<QString>("on");
    QTest::addColumn<QString>("off");
    QTest::addColumn<QString>("delay");
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QString>("shownOn");
    QTest::addColumn<QString>("shownOff");
    QTest::addColumn<QString>("shownDelay");

    QTest::newRow("valid") << "20"
                           << "40"
                           << "5" << true << "20"
                           << "40"
                           << "5";
    QTest::newRow("ON at the span, OFF at the span") << "43"
                                                     << "43"
                                                     << "0" << true << "43"
                                                     << "43"
                                                     << "0";
    QTest::newRow("ON beyond the span") << "50"
                                        << "43"
                                        << "3" << false << "43"
                                        << "43"
                                        << "3";
    QTest::newRow("ON below the minimum base") << "3"
                                               << "43"
                                               << "3" << false << "6"
                                               << "43"
                                               << "3";
    QTest::newRow("ON above OFF falls back to the stored ON") << "20"
                                                              << "10"
                                                              << "3" << false << "25"
                                                              << "10"
                                                              << "3";
    QTest::newRow("OFF beyond the span") << "20"
                                         << "50"
                                         << "3" << false << "20"
                                         << "13"
                                         << "3";
    QTest::newRow("OFF below the near relay") << "8"
                                              << "10"
                                              << "3" << false << "8"
                                              << "13"
                                              << "3";
    QTest::newRow("OFF checked only after ON") << "50"
                                               << "50"
                                               << "3" << false << "43"
                                               << "50"
                                               << "3";
    QTest::newRow("empty ON") << ""
                              << "40"
                              << "3" << false << "6"
                              << "40"
                              << "3";
    QTest::newRow("ON beyond 16 bits") << "99999"
                                       << "40"
                                       << "3" << false << "25"
                                       << "40"
                                       << "3";
    QTest::newRow("ON with trailing sign") << "20-"
                                           << "40"
                                           << "3" << false << "20"
                                           << "40"
                                           << "3";
    QTest::newRow("empty OFF") << "20"
                               << ""
                               << "3" << false << "25"
                               << ""
                               << "3";
    QTest::newRow("negative delay allowed") << "20"
                                            << "40"
                                            << "-5" << true << "20"
                                            << "40"
                                            << "-5";
    QTest::newRow("delay too long for its field") << "20"
                                                  << "40"
                                                  << "12345" << false << "20"
                                                  << "40"
                                                  << "9999";
    QTest::newRow("empty delay") << "20"
                                 << "40"
                                 << "" << false << "20"
                                 << "40"
                                 << "0";
}

void TestDialogRules::controlRelay() {
    QFETCH(QString, on);
    QFETCH(QString, off);
    QFETCH(QString, delay);
    QFETCH(bool, stored);
    FakePrompts prompts;
    ProgramRecord r = loaded();
    const ProgramRecord before = r;
    ControlRelayRules rules(prompts);
    rules.open(r);
    rules.onEdited(kRelayOn, on);
    rules.onEdited(kRelayOff, off);
    rules.onEdited(kRelayDelay, delay);
    QCOMPARE(rules.ok(r), stored);
    QCOMPARE(prompts.beeps, stored ? 0 : 1);
    QTEST(rules.txtCdel()[kRelayOn], "shownOn");
    QTEST(rules.txtCdel()[kRelayOff], "shownOff");
    QTEST(rules.txtCdel()[kRelayDelay], "shownDelay");
    if (stored) {
        QCOMPARE(r.trimmed(Field::RelayOnDistance), on.toLatin1());
        QCOMPARE(r.trimmed(Field::RelayOffDistance), off.toLatin1());
        QCOMPARE(r.trimmed(Field::RelayDelay), delay.toLatin1());
    } else {
        QCOMPARE(r, before);
    }
}

void TestDialogRules::controlRelayCorrectionTakesTwoPresses() {
    FakePrompts prompts;
    ProgramRecord r = loaded();
    r.set(Field::MinimumBase, "13");
    r.set(Field::RelayDelay, "3.4");
    ControlRelayRules rules(prompts);
    rules.open(r);
    QCOMPARE(rules.txtCdel()[kRelayDelay], QStringLiteral("3"));
    rules.onEdited(kRelayOn, QStringLiteral("7"));
    QVERIFY(!rules.ok(r));
    QCOMPARE(rules.txtCdel()[kRelayOn], QStringLiteral("13"));
    QVERIFY(rules.ok(r));
    QCOMPARE(prompts.beeps, 1);
    QCOMPARE(r.trimmed(Field::RelayOnDistance), QByteArray("13"));
    QCOMPARE(r.trimmed(Field::RelayOffDistance), QByteArray("40"));
    QCOMPARE(r.trimmed(Field::RelayDelay), QByteArray("3"));
}

QTEST_APPLESS_MAIN(TestDialogRules)
#include "test_dialogrules.moc"
