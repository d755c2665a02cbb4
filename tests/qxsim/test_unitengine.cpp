// The simulated unit's protocol engine, driven directly: what it answers to each command byte,
// the status bits, the reload handshake, record replies, program transmissions and line faults.
#include "faults.h"
#include "unitengine.h"
#include "unitformat.h"

#include "program/demoprograms.h"
#include "program/transmission.h"

#include <QtTest>

using namespace qxsim;
using vanto::Field;

namespace {

QByteArray reply(const QList<QByteArray>& fields) {
    return fields.join(kCR) + kCR + kEOT;
}

QByteArray status(int bits) {
    return QByteArray(1, char(kStatusBase + bits));
}

UnitSettings demoUnit(Model model = Model::QX3700, int running = 0) {
    UnitSettings s;
    s.programs = vanto::demoPrograms();
    s.model = model;
    s.options = model == Model::QX3100 ? "1.16 M" : "2.16 M";
    s.running = running;
    s.seed = 7;
    return s;
}

// One request and its single reply.
QByteArray ask(UnitEngine& unit, char command, qint64 nowMs = 0) {
    const QList<QByteArray> replies = unit.receive(QByteArray(1, command), nowMs);
    return replies.size() == 1 ? replies[0] : QByteArray("<no single reply>");
}

} // namespace

Q_DECLARE_METATYPE(qxsim::Model)

class TestUnitEngine : public QObject {
    Q_OBJECT
private slots:
    void handshakeAndStrayBytes();
    void pollReplies_data();
    void pollReplies();
    void recordReplies();
    void reloadAfterRun_data();
    void reloadAfterRun();
    void transmissionStored_data();
    void transmissionStored();
    void transmissionRefused_data();
    void transmissionRefused();
    void abandonedTransmission();
    void faults_data();
    void faults();
};

void TestUnitEngine::handshakeAndStrayBytes() {
    UnitEngine unit(demoUnit());
    // Every SYN gets its own ETB; bytes that are no command get nothing.
    const QList<QByteArray> replies = unit.receive(QByteArray("\x00\x16\x41\x0d\x16\xff", 6), 0);
    QCOMPARE(replies, (QList<QByteArray>{"\x17", "\x17"}));
}

void TestUnitEngine::pollReplies_data() {
    QTest::addColumn<Model>("model");
    QTest::addColumn<int>("running");
    QTest::addColumn<double>("distance");
    QTest::addColumn<char>("command");
    QTest::addColumn<QByteArray>("expected");
    const Model qx3700 = Model::QX3700;
    // Program #0: Base 13, Range 30 (far end 43), NearRelay 15, MinimumBase 13; 20.0 °C.
    // Program #2: Base 6, Range 24 (far end 30), NearRelay 8, MinimumBase 6.
    QTest::newRow("DC4 mid-range")
        << qx3700 << 0 << 27.35 << kDC4 << reply({"A12345", "27.35", status(0)});
    QTest::newRow("DC3 inside near")
        << qx3700 << 0 << 14.5 << kDC3 << reply({"14.50", status(kStatusNear)});
    QTest::newRow("DC3 at near relay is not near")
        << qx3700 << 0 << 15.0 << kDC3 << reply({"15.00", status(0)});
    QTest::newRow("DLE at far end is not far")
        << qx3700 << 0 << 43.0 << kDLE << reply({"A12345", "43.00", status(0), "255"});
    QTest::newRow("DLE beyond far")
        << qx3700 << 0 << 43.01 << kDLE << reply({"A12345", "43.01", status(kStatusFar), "255"});
    QTest::newRow("CAN analog mid")
        << qx3700 << 0 << 28.0 << kCAN << reply({"A12345", "28.00", "128", status(0)});
    QTest::newRow("CAN other program")
        << qx3700 << 2 << 12.0 << kCAN << reply({"A12345", "12.00", "64", status(0)});
    QTest::newRow("QX3100 minimum base 13") << Model::QX3100 << 0 << 20.0 << kDC4
                                            << reply({"A12345", "20.00", status(kStatusHighBase)});
    QTest::newRow("QX3100 near and far bits with base bit")
        << Model::QX3100 << 0 << 5.0 << kDC3
        << reply({"5.00", status(kStatusNear | kStatusHighBase)});
    QTest::newRow("STX 20 degrees") << qx3700 << 0 << 0.0 << kSTX << reply({"20.0", "0.0067571"});
}

void TestUnitEngine::pollReplies() {
    QFETCH(Model, model);
    QFETCH(int, running);
    QFETCH(double, distance);
    QFETCH(char, command);
    UnitSettings settings = demoUnit(model, running);
    settings.programs[running].set(Field::Temperature, "200");
    UnitEngine unit(settings);
    unit.target().pin(distance);
    QTEST(ask(unit, command), "expected");
}

void TestUnitEngine::recordReplies() {
    UnitEngine unit(demoUnit(Model::QX3700, 5));
    for (int k = 0; k < vanto::kProgramCount; ++k) {
        const char command = char(kRecordCommand + k);
        const QByteArray r = ask(unit, command);
        QCOMPARE(r, unitRecordReply(vanto::demoPrograms(), k, {5, "2.16 M", "A12345"},
                                    QByteArray(1, command) + kCR));
        // The sum of the bytes from the third up to and including the 47th CR after it.
        int sum = 0;
        int crs = 0;
        for (int i = 2; crs < 47; ++i) {
            sum += static_cast<unsigned char>(r[i]);
            crs += r[i] == kCR;
        }
        QCOMPARE(r.split(kCR).at(48).toInt(), sum);
    }
}

void TestUnitEngine::reloadAfterRun_data() {
    // A script of commands; after each, the status bits of the next poll or the program and
    // field 0 (the running program) of the record reply.
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("poll, then record of the running program")
        << QStringList{"poll", "run 3", "poll", "poll", "record 0", "poll", "record 1"}
        << QStringList{"0", "", "8", "8", "#3 running 3", "0", "#1 running 3"};
    // Without the reload bit seen, the host asks for what it wants (a fresh connect reads all
    // eight): it gets that program, and the reload is over.
    QTest::newRow("record before any poll")
        << QStringList{"run 6", "record 2", "poll"} << QStringList{"", "#2 running 6", "0"};
}

void TestUnitEngine::reloadAfterRun() {
    QFETCH(QStringList, script);
    QFETCH(QStringList, expected);
    UnitEngine unit(demoUnit());
    unit.target().pin(30.0); // neither near nor far
    for (int i = 0; i < script.size(); ++i) {
        const QStringList words = script[i].split(' ');
        QString got;
        if (words[0] == "run") {
            unit.runProgram(words[1].toInt());
        } else if (words[0] == "poll") {
            got = QString::number(static_cast<unsigned char>(ask(unit, kDC3)[6]) - kStatusBase);
        } else {
            const char command = char(kRecordCommand + words[1].toInt());
            const QByteArray r = ask(unit, command);
            for (int p = 0; p < vanto::kProgramCount; ++p) {
                if (r == unitRecordReply(vanto::demoPrograms(), p,
                                         {unit.runningProgram(), "2.16 M", "A12345"},
                                         QByteArray(1, command) + kCR))
                    got = QStringLiteral("#%1 running %2").arg(p).arg(QString(r.split(kCR)[1]));
            }
        }
        QCOMPARE(got, expected[i]);
    }
}

void TestUnitEngine::transmissionStored_data() {
    QTest::addColumn<int>("program");
    QTest::addColumn<QByteArray>("modeFlags");
    QTest::addColumn<QByteArray>("conversion");
    QTest::addColumn<QByteArray>("storedOffset"); // of the 10 % sent
    QTest::newRow("adaptive offset as sent")
        << 5 << QByteArray("111110109") << QByteArray("0.0067") << QByteArray("10");
    // 10 % of 30 in at 0.0067 in per count travels as 448 counts and comes back as 10 %.
    QTest::newRow("linear offset in counts")
        << 3 << QByteArray("000001100") << QByteArray("0.0067") << QByteArray("10");
    QTest::newRow("linear without conversion")
        << 6 << QByteArray("000000100") << QByteArray("") << QByteArray("0");
}

void TestUnitEngine::transmissionStored() {
    QFETCH(int, program);
    QFETCH(QByteArray, modeFlags);
    QFETCH(QByteArray, conversion);
    UnitEngine unit(demoUnit());
    QList<TransmissionResult> results;
    unit.onTransmission = [&](const TransmissionResult& r) { results.append(r); };
    const QByteArray keptParam10 = unit.programs()[program].trimmed(Field::Param10);
    vanto::ProgramSet edited = unit.programs();
    vanto::ProgramRecord& r = edited[program];
    r.set(Field::ModeFlags, modeFlags);
    r.set(Field::OffsetPercent, "10");
    r.set(Field::Conversion, conversion);
    r.set(Field::Range, "30");
    r.set(Field::NearRelay, "12.25");
    r.set(Field::Param28, "xy"); // 'x' is the record command for #0: must be taken as text
    r.set(Field::Param10, "99"); // not carried: the unit keeps its own
    edited[0].set(Field::Param21, "4321");

    const QByteArray text = vanto::buildTransmissionText(edited, program, {0, false, "A12345"});
    // The text arrives in pieces, as from a serial line.
    QList<QByteArray> replies = unit.receive(QByteArray(1, kDC1), 0);
    for (int at = 0; at < text.size(); at += 37)
        replies += unit.receive(text.mid(at, 37), 10 + at);
    QCOMPARE(replies, QList<QByteArray>{QByteArray(1, kDC1)});
    QCOMPARE(results.size(), 1);
    QVERIFY(results[0].stored);
    QCOMPARE(results[0].program, program);
    const vanto::ProgramRecord& got = unit.programs()[program];
    QCOMPARE(got.trimmed(Field::NearRelay), QByteArray("12.25"));
    QCOMPARE(got.trimmed(Field::Param28), QByteArray("xy"));
    QCOMPARE(got.trimmed(Field::Param10), keptParam10);
    QCOMPARE(got.linearMode(), modeFlags[6] == '1');
    QTEST(got.trimmed(Field::OffsetPercent), "storedOffset");
    QCOMPARE(unit.programs()[0].trimmed(Field::Param21), QByteArray("4321"));
    QCOMPARE(ask(unit, kSYN, 1000), QByteArray(1, kETB)); // back to commands
}

void TestUnitEngine::transmissionRefused_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("program");
    QTest::addColumn<QString>("reason");
    const QByteArray good =
        vanto::buildTransmissionText(vanto::demoPrograms(), 4, {0, false, QByteArray("A12345")});
    QByteArray changedBase = good;
    changedBase.replace("\r20\r60\r", "\r10\r60\r"); // program #4's Base, without a new checksum
    QTest::newRow("wrong checksum") << changedBase << 4 << "checksum";
    QTest::newRow("48 lines") << good.mid(good.indexOf(kCR) + 1) << -1 << "malformed";
    QTest::newRow("program 9") << "9" + good.mid(1) << -1 << "malformed";
}

void TestUnitEngine::transmissionRefused() {
    QFETCH(QByteArray, text);
    UnitEngine unit(demoUnit());
    QList<TransmissionResult> results;
    unit.onTransmission = [&](const TransmissionResult& r) { results.append(r); };
    const vanto::ProgramSet before = unit.programs();
    QCOMPARE(unit.receive(QByteArray(1, kDC1), 0), QList<QByteArray>{QByteArray(1, kDC1)});
    QVERIFY(unit.receive(text, 10).isEmpty());
    QCOMPARE(results.size(), 1);
    QVERIFY(!results[0].stored);
    QTEST(results[0].program, "program");
    QTEST(results[0].reason, "reason");
    QVERIFY(unit.programs() == before);
    QCOMPARE(ask(unit, kSYN, 100), QByteArray(1, kETB));
}

void TestUnitEngine::abandonedTransmission() {
    UnitEngine unit(demoUnit());
    QList<TransmissionResult> results;
    unit.onTransmission = [&](const TransmissionResult& r) { results.append(r); };
    QCOMPARE(ask(unit, kDC1, 0), QByteArray(1, kDC1));
    // A host that gave up after DC1 and reconnects: its SYN soon after is still taken as text,
    // one after the idle time is a command again.
    QVERIFY(unit.receive("1\r", 100).isEmpty());
    QVERIFY(unit.receive(QByteArray(1, kSYN), 100 + kTransmissionIdleMs).isEmpty());
    QCOMPARE(ask(unit, kSYN, 101 + 2 * kTransmissionIdleMs), QByteArray(1, kETB));
    QCOMPARE(results.size(), 1);
    QCOMPARE(results[0].reason, QStringLiteral("incomplete"));
    // A text that never ends is dropped once it is longer than any program could be.
    QCOMPARE(ask(unit, kDC1, 10000), QByteArray(1, kDC1));
    QVERIFY(unit.receive(QByteArray(kMaxTransmissionBytes + 1, '5'), 10001).isEmpty());
    QVERIFY(!unit.collectingTransmission());
    QCOMPARE(ask(unit, kSYN, 10002), QByteArray(1, kETB));
}

void TestUnitEngine::faults_data() {
    QTest::addColumn<QString>("fault");
    QTest::newRow("drop half") << "drop";
    QTest::newRow("corrupt") << "corrupt";
    QTest::newRow("noise") << "noise";
}

void TestUnitEngine::faults() {
    QFETCH(QString, fault);
    FaultSettings settings;
    settings.drop = fault == "drop" ? 0.5 : 0;
    settings.corrupt = fault == "corrupt" ? 1 : 0;
    settings.noise = fault == "noise" ? 1 : 0;
    FaultInjector injector(settings, 11);
    // Replies of every shape: one byte; poll replies whose status byte is one bit away from DC1
    // (0x91) or EOT (0x84), which a flipped bit must not produce; a record.
    const QList<QByteArray> originals = {
        QByteArray(1, kDC1), reply({"A12345", "27.35", status(0x11)}),
        reply({"A12345", "27.35", status(kStatusNear)}),
        unitRecordReply(vanto::demoPrograms(), 0, {0, "2.16 M", "A12345"}, "x\r")};
    int dropped = 0;
    for (int i = 0; i < 400; ++i) {
        const QByteArray original = originals[i % originals.size()];
        const QByteArray sent = injector.apply(original);
        if (fault == "drop") {
            dropped += sent.isEmpty();
            QVERIFY(sent.isEmpty() || sent == original);
        } else if (fault == "corrupt") {
            QCOMPARE(sent.size(), original.size());
            int flipped = 0;
            for (int j = 0; j < sent.size(); ++j) {
                const unsigned char x = static_cast<unsigned char>(sent[j] ^ original[j]);
                QVERIFY(x == 0 || (x & (x - 1)) == 0); // one bit at most
                flipped += x != 0;
            }
            // A one-byte answer (DC1, the handshake's ETB) is never damaged: its one byte is
            // the reply's last. A longer reply still ends where it did, and only there.
            QCOMPARE(flipped, original.size() > 1 ? 1 : 0);
            QCOMPARE(sent.back(), original.back());
            QVERIFY(!sent.chopped(1).contains(kEOT) && !sent.chopped(1).contains(kDC1));
        } else {
            int j = 0;
            while (j < original.size() && sent[j] == original[j])
                ++j;
            QVERIFY(!FaultInjector::isFraming(static_cast<unsigned char>(sent[j])));
            QCOMPARE(QByteArray(sent).remove(j, 1), original);
        }
    }
    if (fault == "drop")
        QVERIFY2(qAbs(dropped - 200) < 40, qPrintable(QString::number(dropped)));
}

QTEST_GUILESS_MAIN(TestUnitEngine)
#include "test_unitengine.moc"
