// The simulator: its command line, and the unit's protocol engine driven directly: what it
// answers to each command byte, the status bits, the reload handshake, record replies and program
// transmissions.
#include "options.h"
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

class TestQxsim : public QObject {
    Q_OBJECT
private slots:
    void commandLines_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("result"); // the option text, or a part of the error
        // The host tells a QX3100 by an option text below version 2; an explicit text is kept.
        QTest::newRow("defaults") << QStringList{} << "2.16 M";
        QTest::newRow("QX3100") << QStringList{"--model", "QX3100"} << "1.16 M";
        QTest::newRow("options kept")
            << QStringList{"--options=2.14", "--model", "QX3100"} << "2.14";
        QTest::newRow("unknown option") << QStringList{"--speed", "2"} << "--speed";
        QTest::newRow("model") << QStringList{"--model", "QX3600"} << "QX3600";
        QTest::newRow("running 8") << QStringList{"--running", "8"} << "--running";
        QTest::newRow("serial too long") << QStringList{"--serial", "A123456"} << "--serial";
        QTest::newRow("control character") << QStringList{"--options", "2.16\rM"} << "--options";
        QTest::newRow("chunk 0") << QStringList{"--chunk", "0"} << "--chunk";
        QTest::newRow("probability above 1") << QStringList{"--drop", "1.5"} << "--drop";
        QTest::newRow("flag with value") << QStringList{"--pace=yes"} << "--pace";
        QTest::newRow("tcp port too big") << QStringList{"--tcp", "65536"} << "--tcp";
        QTest::newRow("tcp and rfc2217")
            << QStringList{"--tcp", "1", "--rfc2217", "2"} << "--rfc2217";
        QTest::newRow("network and link")
            << QStringList{"--rfc2217=0", "--link", "/tmp/u"} << "--link";
    }

    void commandLines() {
        QFETCH(QStringList, args);
        QFETCH(QString, result);
        QString error;
        const auto options = parseOptions(args, &error);
        if (options) {
            QCOMPARE(QString::fromLatin1(*options->options), result);
        } else {
            QVERIFY2(error.contains(result) && !error.contains('\n'), qPrintable(error));
        }
    }

    void handshakeAndStrayBytes() {
        UnitEngine unit(demoUnit());
        // Every SYN gets its own ETB; bytes that are no command get nothing.
        const QList<QByteArray> replies =
            unit.receive(QByteArray("\x00\x16\x41\x0d\x16\xff", 6), 0);
        QCOMPARE(replies, (QList<QByteArray>{"\x17", "\x17"}));
    }

    void pollReplies_data() {
        QTest::addColumn<Model>("model");
        QTest::addColumn<int>("running");
        QTest::addColumn<double>("distance");
        QTest::addColumn<char>("command");
        QTest::addColumn<QByteArray>("expected");
        const auto row = [](const char* name, char command, double distance,
                            const QByteArray& reply, int running = 0, Model model = Model::QX3700) {
            QTest::newRow(name) << model << running << distance << command << reply;
        };
        // Program #0: Base 13, Range 30 (far end 43), NearRelay 15, MinimumBase 13; 20.0 °C.
        // Program #2: Base 6, Range 24 (far end 30), NearRelay 8, MinimumBase 6.
        row("DC4 mid-range", kDC4, 27.35, reply({"A12345", "27.35", status(0)}));
        row("DC3 inside near", kDC3, 14.5, reply({"14.50", status(kStatusNear)}));
        row("DC3 at near relay is not near", kDC3, 15.0, reply({"15.00", status(0)}));
        row("DLE at far end is not far", kDLE, 43.0, reply({"A12345", "43.00", status(0), "255"}));
        row("DLE beyond far", kDLE, 43.01, reply({"A12345", "43.01", status(kStatusFar), "255"}));
        row("CAN analog mid", kCAN, 28.0, reply({"A12345", "28.00", "128", status(0)}));
        row("CAN other program", kCAN, 12.0, reply({"A12345", "12.00", "64", status(0)}), 2);
        row("QX3100 minimum base 13", kDC4, 20.0,
            reply({"A12345", "20.00", status(kStatusHighBase)}), 0, Model::QX3100);
        row("QX3100 near bit with base bit", kDC3, 5.0,
            reply({"5.00", status(kStatusNear | kStatusHighBase)}), 0, Model::QX3100);
        row("STX 20 degrees", kSTX, 0.0, reply({"20.0", "0.0067571"}));
    }

    void pollReplies() {
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

    void recordReplies() {
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

    void reloadAfterRun_data() {
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

    void reloadAfterRun() {
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

    void transmissionStored_data() {
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

    void transmissionStored() {
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
        QCOMPARE(got.trimmed(Field::Param28), QByteArray("xy"));
        QCOMPARE(got.trimmed(Field::Param10), keptParam10);
        QTEST(got.trimmed(Field::OffsetPercent), "storedOffset");
        QCOMPARE(unit.programs()[0].trimmed(Field::Param21), QByteArray("4321"));
        QCOMPARE(ask(unit, kSYN, 1000), QByteArray(1, kETB)); // back to commands
    }

    void transmissionRefused_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("program");
        QTest::addColumn<QString>("reason");
        const QByteArray good = vanto::buildTransmissionText(vanto::demoPrograms(), 4,
                                                             {0, false, QByteArray("A12345")});
        QByteArray changedBase = good;
        // Program #4's Base changed without a new checksum.
        changedBase.replace("\r20\r60\r", "\r10\r60\r");
        QTest::newRow("wrong checksum") << changedBase << 4 << "checksum";
        QTest::newRow("48 lines") << good.mid(good.indexOf(kCR) + 1) << -1 << "malformed";
        QTest::newRow("program 9") << "9" + good.mid(1) << -1 << "malformed";
    }

    void transmissionRefused() {
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

    void abandonedTransmission() {
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
};

QTEST_GUILESS_MAIN(TestQxsim)
#include "test_qxsim.moc"
