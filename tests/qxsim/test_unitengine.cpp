// The simulated unit's protocol engine, driven directly: what it answers to each command byte,
// the status bits, the reload handshake, record replies and program transmissions.
#include "faults.h"
#include "unitengine.h"
#include "unitformat.h"

#include "program/demoprograms.h"
#include "program/recordreply.h"
#include "program/transmission.h"

#include <QtTest>

using namespace qxsim;
using vanto::Field;

namespace {

QByteArray reply(const QList<QByteArray>& fields) {
    QByteArray r;
    for (const QByteArray& f : fields)
        r += f + kCR;
    return r + kEOT;
}

QByteArray status(int bits) {
    return QByteArray(1, char(kStatusBase + bits));
}

UnitSettings demoUnit(Model model = Model::QX3700, int running = 0) {
    UnitSettings s;
    s.programs = vanto::demoPrograms();
    s.model = model;
    s.options = model == Model::QX3100 ? "1.16 M" : "2.16 M";
    s.serial = "A12345";
    s.running = running;
    s.seed = 7;
    return s;
}

// One request and its single reply.
QByteArray ask(UnitEngine& unit, char command, qint64 nowMs = 0) {
    const QList<QByteArray> replies = unit.receive(QByteArray(1, command), nowMs);
    return replies.size() == 1 ? replies[0] : QByteArray("<no single reply>");
}

// The fields of a record reply after its two leading bytes, without the CRs; the EOT is left
// off. Empty when the framing is wrong.
QList<QByteArray> recordFields(const QByteArray& reply) {
    if (reply.size() < 3 || !reply.endsWith(kEOT))
        return {};
    QList<QByteArray> fields = reply.mid(2, reply.size() - 3).split(kCR);
    if (fields.size() != vanto::kRecordReplyFields + 1 || !fields.last().isEmpty())
        return {};
    fields.removeLast();
    return fields;
}

// Sum of the bytes from the third up to and including the 47th CR after it.
qint32 recordChecksum(const QByteArray& reply) {
    qint32 sum = 0;
    int crs = 0;
    for (int i = 2; i < reply.size() && crs < 47; ++i) {
        sum += static_cast<unsigned char>(reply[i]);
        crs += reply[i] == kCR;
    }
    return sum;
}

} // namespace

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
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("running");
    QTest::addColumn<QByteArray>("temperature"); // replaces the running program's, when set
    QTest::addColumn<double>("distance");
    QTest::addColumn<char>("command");
    QTest::addColumn<QByteArray>("expected");
    const int qx3700 = int(Model::QX3700);
    const int qx3100 = int(Model::QX3100);
    // Program #0: Base 13, Range 30 (far end 43), NearRelay 15, MinimumBase 13.
    // Program #2: Base 6, Range 24 (far end 30), NearRelay 8, MinimumBase 6.
    QTest::newRow("DC4 mid-range")
        << qx3700 << 0 << QByteArray() << 27.35 << kDC4 << reply({"A12345", "27.35", status(0)});
    QTest::newRow("DC3 inside near")
        << qx3700 << 0 << QByteArray() << 14.5 << kDC3 << reply({"14.50", status(kStatusNear)});
    QTest::newRow("DC3 at near relay is not near")
        << qx3700 << 0 << QByteArray() << 15.0 << kDC3 << reply({"15.00", status(0)});
    QTest::newRow("DLE at far end is not far") << qx3700 << 0 << QByteArray() << 43.0 << kDLE
                                               << reply({"A12345", "43.00", status(0), "255"});
    QTest::newRow("DLE beyond far") << qx3700 << 0 << QByteArray() << 43.01 << kDLE
                                    << reply({"A12345", "43.01", status(kStatusFar), "255"});
    QTest::newRow("CAN analog mid") << qx3700 << 0 << QByteArray() << 28.0 << kCAN
                                    << reply({"A12345", "28.00", "128", status(0)});
    QTest::newRow("CAN other program") << qx3700 << 2 << QByteArray() << 12.0 << kCAN
                                       << reply({"A12345", "12.00", "64", status(0)});
    QTest::newRow("QX3100 minimum base 13") << qx3100 << 0 << QByteArray() << 20.0 << kDC4
                                            << reply({"A12345", "20.00", status(kStatusHighBase)});
    QTest::newRow("QX3100 near and far bits with base bit")
        << qx3100 << 0 << QByteArray() << 5.0 << kDC3
        << reply({"5.00", status(kStatusNear | kStatusHighBase)});
    QTest::newRow("STX 20 degrees")
        << qx3700 << 0 << QByteArray("200") << 0.0 << kSTX << reply({"20.0", "0.0067571"});
}

void TestUnitEngine::pollReplies() {
    QFETCH(int, model);
    QFETCH(int, running);
    QFETCH(QByteArray, temperature);
    QFETCH(double, distance);
    QFETCH(char, command);
    QFETCH(QByteArray, expected);
    UnitSettings settings = demoUnit(Model(model), running);
    if (!temperature.isEmpty())
        settings.programs[running].set(Field::Temperature, temperature);
    UnitEngine unit(settings);
    unit.target().pin(distance);
    QCOMPARE(ask(unit, command), expected);
}

void TestUnitEngine::recordReplies() {
    const vanto::ProgramSet programs = vanto::demoPrograms();
    UnitEngine unit(demoUnit(Model::QX3700, 5));
    for (int k = 0; k < vanto::kProgramCount; ++k) {
        const char command = char(kRecordCommand + k);
        const QByteArray r = ask(unit, command);
        QCOMPARE(r, qxsim::unitRecordReply(programs, k, {5, "2.16 M", "A12345"},
                                           QByteArray(1, command) + kCR));
        QVERIFY(r[0] != kEOT && r[0] != kDC1 && r[1] != kEOT && r[1] != kDC1);
        const QList<QByteArray> fields = recordFields(r);
        QCOMPARE(fields.size(), vanto::kRecordReplyFields);
        QCOMPARE(fields[0], QByteArray("5"));
        QCOMPARE(fields[44], QByteArray("2.16 M"));
        QCOMPARE(fields[45], QByteArray("A12345"));
        QCOMPARE(fields[47].toInt(), recordChecksum(r));
    }
    // Demo program #1 is linear with an offset of 10 % of a 40 in range at 0.00676 in per
    // count: the unit reports it as 10 / 100 * 40 / 0.00676 = 591.7 counts.
    QCOMPARE(recordFields(ask(unit, char(kRecordCommand + 1)))[2], QByteArray("592"));
}

void TestUnitEngine::reloadAfterRun_data() {
    // A script of commands; after each, the status bits of the next poll or the program and
    // field 0 of the record reply.
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
            const QList<QByteArray> f = recordFields(r);
            QCOMPARE(f.size(), vanto::kRecordReplyFields);
            int program = -1;
            for (int p = 0; p < vanto::kProgramCount; ++p) {
                if (r == qxsim::unitRecordReply(vanto::demoPrograms(), p,
                                                {unit.runningProgram(), "2.16 M", "A12345"},
                                                QByteArray(1, command) + kCR))
                    program = p;
            }
            got = QStringLiteral("#%1 running %2").arg(program).arg(QString(f[0]));
        }
        QCOMPARE(got, expected[i]);
    }
}

namespace {

struct Stored {
    QList<TransmissionResult> results;
    void attach(UnitEngine& unit) {
        unit.onTransmission = [this](const TransmissionResult& r) { results.append(r); };
    }
};

// Sends DC1 and then the text; returns every reply.
QList<QByteArray> transmit(UnitEngine& unit, const QByteArray& text, qint64 nowMs = 0) {
    QList<QByteArray> replies = unit.receive(QByteArray(1, kDC1), nowMs);
    replies += unit.receive(text, nowMs + 10);
    return replies;
}

} // namespace

void TestUnitEngine::transmissionStored_data() {
    QTest::addColumn<int>("program");
    QTest::addColumn<QByteArray>("modeFlags");
    QTest::addColumn<QByteArray>("offset");
    QTest::addColumn<QByteArray>("conversion");
    QTest::addColumn<QByteArray>("storedOffset");
    QTest::newRow("adaptive offset as sent") << 5 << QByteArray("111110109") << QByteArray("7")
                                             << QByteArray("0.0067") << QByteArray("7");
    // 10 % of 30 in at 0.0067 in per count travels as 448 counts and comes back as 10 %.
    QTest::newRow("linear offset in counts") << 3 << QByteArray("000001100") << QByteArray("10")
                                             << QByteArray("0.0067") << QByteArray("10");
    QTest::newRow("linear without conversion")
        << 6 << QByteArray("000000100") << QByteArray("10") << QByteArray("") << QByteArray("0");
}

void TestUnitEngine::transmissionStored() {
    QFETCH(int, program);
    QFETCH(QByteArray, modeFlags);
    QFETCH(QByteArray, offset);
    QFETCH(QByteArray, conversion);
    QFETCH(QByteArray, storedOffset);

    UnitEngine unit(demoUnit());
    Stored stored;
    stored.attach(unit);
    const vanto::ProgramSet before = unit.programs();
    vanto::ProgramSet edited = before;
    vanto::ProgramRecord& r = edited[program];
    r.set(Field::ModeFlags, modeFlags);
    r.set(Field::OffsetPercent, offset);
    r.set(Field::Conversion, conversion);
    r.set(Field::Base, "11.5");
    r.set(Field::Range, "30");
    r.set(Field::NearRelay, "12.25");
    r.set(Field::Param28, "xy"); // 'x' is the record command for #0: must be taken as text
    r.set(Field::Param10, "99"); // not carried: the unit keeps its own
    edited[0].set(Field::Param21, "4321");

    const QByteArray text =
        vanto::buildTransmissionText(edited, program, {0, false, QByteArray("A12345")});
    // The text arrives in pieces, as from a serial line.
    QList<QByteArray> replies = unit.receive(QByteArray(1, kDC1), 0);
    for (int at = 0; at < text.size(); at += 37)
        replies += unit.receive(text.mid(at, 37), 10 + at);
    QCOMPARE(replies, QList<QByteArray>{QByteArray(1, kDC1)});
    QCOMPARE(stored.results.size(), 1);
    QVERIFY(stored.results[0].stored);
    QCOMPARE(stored.results[0].program, program);
    QVERIFY(!unit.collectingTransmission());

    const vanto::ProgramRecord& got = unit.programs()[program];
    for (const vanto::FieldInfo& info : vanto::kFieldTable) {
        const Field f = info.field;
        if (f == Field::OffsetPercent || f == Field::Param21)
            continue;
        const bool carried = f != Field::Spare02 && f != Field::Param10 && f != Field::Param24 &&
                             f != Field::Param47;
        QByteArray want = carried ? r.trimmed(f) : before[program].trimmed(f);
        if (f == Field::ModeFlags) { // only hold, linear and direction travel
            vanto::ProgramRecord expected = before[program];
            for (int position : {vanto::kModeHold, vanto::kModeLinear, vanto::kModeDirection})
                expected.setModeFlag(position, r.modeFlag(position));
            want = expected.trimmed(f);
        }
        QVERIFY2(got.trimmed(f) == want, info.name);
    }
    QCOMPARE(got.trimmed(Field::OffsetPercent), storedOffset);
    QCOMPARE(unit.programs()[0].trimmed(Field::Param21), QByteArray("4321"));
    // The unit is back to commands.
    QCOMPARE(ask(unit, kSYN, 1000), QByteArray(1, kETB));
}

void TestUnitEngine::transmissionRefused_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("program");
    QTest::addColumn<QString>("reason");
    const QByteArray good =
        vanto::buildTransmissionText(vanto::demoPrograms(), 4, {0, false, QByteArray("A12345")});
    QByteArray changedBase = good;
    const int base = changedBase.indexOf("\r20\r60\r"); // program #4: Base 20, Range 60
    QVERIFY(base > 0);
    changedBase[base + 2] = '1'; // Base 10 without a new checksum
    QTest::newRow("wrong checksum") << changedBase << 4 << "checksum";
    QByteArray lineMissing = good;
    lineMissing.remove(0, lineMissing.indexOf(kCR) + 1);
    QTest::newRow("48 lines") << lineMissing << -1 << "malformed";
    QByteArray badNumber = good;
    badNumber[0] = '9';
    QTest::newRow("program 9") << badNumber << -1 << "malformed";
}

void TestUnitEngine::transmissionRefused() {
    QFETCH(QByteArray, text);
    QFETCH(int, program);
    QFETCH(QString, reason);
    UnitSettings settings = demoUnit();
    settings.programs[4].set(Field::Base, "33");
    UnitEngine unit(settings);
    Stored stored;
    stored.attach(unit);
    const vanto::ProgramSet before = unit.programs();
    QCOMPARE(transmit(unit, text), QList<QByteArray>{QByteArray(1, kDC1)});
    QCOMPARE(stored.results.size(), 1);
    QVERIFY(!stored.results[0].stored);
    QCOMPARE(stored.results[0].program, program);
    QCOMPARE(stored.results[0].reason, reason);
    QVERIFY(unit.programs() == before);
    QCOMPARE(ask(unit, kSYN, 100), QByteArray(1, kETB));
}

void TestUnitEngine::abandonedTransmission() {
    UnitEngine unit(demoUnit());
    Stored stored;
    stored.attach(unit);
    QCOMPARE(ask(unit, kDC1, 0), QByteArray(1, kDC1));
    // A host that gave up after DC1 and reconnects: its SYN soon after is still taken as text,
    // one after the idle time is a command again.
    QVERIFY(unit.receive("1\r", 100).isEmpty());
    QVERIFY(unit.receive(QByteArray(1, kSYN), 100 + kTransmissionIdleMs).isEmpty());
    QCOMPARE(ask(unit, kSYN, 101 + 2 * kTransmissionIdleMs), QByteArray(1, kETB));
    QCOMPARE(stored.results.size(), 1);
    QCOMPARE(stored.results[0].reason, QStringLiteral("incomplete"));

    // A text that never ends is dropped once it is longer than any program could be.
    QCOMPARE(ask(unit, kDC1, 10000), QByteArray(1, kDC1));
    QVERIFY(unit.receive(QByteArray(kMaxTransmissionBytes + 1, '5'), 10001).isEmpty());
    QVERIFY(!unit.collectingTransmission());
    QCOMPARE(ask(unit, kSYN, 10002), QByteArray(1, kETB));
}

void TestUnitEngine::faults_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<double>("probability");
    QTest::newRow("drop all") << "drop" << 1.0;
    QTest::newRow("corrupt") << "corrupt" << 1.0;
    QTest::newRow("noise") << "noise" << 1.0;
}

void TestUnitEngine::faults() {
    QFETCH(QString, fault);
    QFETCH(double, probability);
    FaultSettings settings;
    (fault == "drop"      ? settings.drop
     : fault == "corrupt" ? settings.corrupt
                          : settings.noise) = probability;
    FaultInjector injector(settings, 11);
    // Replies of every shape: one byte; poll replies whose status byte is one bit away from DC1
    // (0x91) or EOT (0x84), which a flipped bit must not produce; a record.
    const QList<QByteArray> originals = {
        QByteArray(1, kDC1), reply({"A12345", "27.35", status(0x11)}),
        reply({"A12345", "27.35", status(kStatusNear)}),
        qxsim::unitRecordReply(vanto::demoPrograms(), 0, {0, "2.16 M", "A12345"}, "x\r")};
    int dropped = 0;
    const int rounds = 400;
    for (int i = 0; i < rounds; ++i) {
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
            QCOMPARE(sent.size(), original.size() + 1);
            int j = 0;
            while (j < original.size() && sent[j] == original[j])
                ++j;
            QVERIFY(!FaultInjector::isFraming(static_cast<unsigned char>(sent[j])));
            QCOMPARE(QByteArray(sent).remove(j, 1), original);
        }
    }
    if (fault == "drop")
        QVERIFY2(std::abs(dropped - rounds * probability) < rounds / 10,
                 qPrintable(QString::number(dropped)));
}

QTEST_GUILESS_MAIN(TestUnitEngine)
#include "test_unitengine.moc"
