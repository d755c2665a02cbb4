#include "../fakes.h"

#include "editor/fileflows.h"
#include "program/demoprograms.h"
#include "program/programfile.h"
#include "program/transmission.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace vanto;
using vanto::test::FakeFileDialogs;
using vanto::test::FakePrompts;
using vanto::test::readAll;
using vanto::test::writeAll;

class TestFileFlows : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tmp->isValid());
        m_state = ProgramState();
        m_state.programs = demoPrograms();
        m_state.programs[2].set(Field::Spare02, "sp02"); // a field the unit never sees
        m_dialogs = FakeFileDialogs();
        m_prompts = FakePrompts();
    }

    // Over a longer file: the new image exactly, every field of the set, even those the unit
    // never sees.
    void saveWritesTheWholeSet() {
        writeAll(path("Prog00.prg"), QByteArray(3000, 'z'));
        m_dialogs.answer = path("Prog00.prg");
        QCOMPARE(saveProgramFile(m_state, m_dialogs, m_prompts, m_tmp->path()), m_dialogs.answer);
        QCOMPARE(m_dialogs.saveRequests.value(0).directory, m_tmp->path());
        QVERIFY(m_dialogs.saveRequests.value(0).confirmOverwrite);
        QCOMPARE(readAll(path("Prog00.prg")), m_state.programs.bytes());
        QCOMPARE(m_state.programFileName, QStringLiteral("Prog00.prg"));
        QCOMPARE(m_prompts.beeps, 0);
    }

    // A name without the extension is refused with a beep, before anything is written.
    void refusesNames_data() {
        QTest::addColumn<bool>("transmit");
        QTest::addColumn<QString>("name");
        QTest::newRow("no extension") << false << "prog";
        QTest::newRow("other extension") << false << "prog.prg.bak";
        QTest::newRow("transmit file") << false << "prog.xmt";
        QTest::newRow("transmit file, other extension") << true << "Prog00.XMT.txt";
    }
    void refusesNames() {
        QFETCH(bool, transmit);
        QFETCH(QString, name);
        m_dialogs.answer = m_tmp->filePath(name);
        QVERIFY(transmit ? !makeTransmitFile(m_state, m_dialogs, m_prompts, m_tmp->path())
                         : !saveProgramFile(m_state, m_dialogs, m_prompts, m_tmp->path()));
        QCOMPARE(m_prompts.beeps, 1);
        QVERIFY(!QFile::exists(*m_dialogs.answer));
        QVERIFY(m_prompts.messages.isEmpty());
        QVERIFY(!m_state.transmitFileMode);
    }

    void saveFailureIsReportedAndKeepsTheOldFile() {
        m_dialogs.answer = path("missing/dir/Prog00.prg");
        QVERIFY(!saveProgramFile(m_state, m_dialogs, m_prompts, m_tmp->path()));
        QCOMPARE(m_prompts.messages.size(), 1);
        QVERIFY(m_prompts.messages[0].text.contains(QStringLiteral("Prog00.prg")));
    }

    void openRefusesWrongSize_data() {
        QTest::addColumn<int>("size");
        QTest::newRow("empty") << 0;
        QTest::newRow("one short") << 2223;
        QTest::newRow("one long") << 2225;
    }
    void openRefusesWrongSize() {
        QFETCH(int, size);
        writeAll(path("odd.prg"), QByteArray(size, '7'));
        m_dialogs.answer = path("odd.prg");
        const ProgramSet before = m_state.programs;
        QVERIFY(!openProgramFile(m_state, m_dialogs, m_prompts, m_tmp->path()));
        QCOMPARE(m_prompts.beeps, 1);
        QCOMPARE(m_state.programs, before);
        // qxtool reads files the same way, and says why it refuses one.
        ProgramSet read;
        QCOMPARE(readProgramFile(path("odd.prg"), &read),
                 QStringLiteral("a program file has 2224 bytes, this one has %1%2")
                     .arg(size)
                     .arg(size > 2224 ? QStringLiteral(" or more") : QString()));
        QCOMPARE(read, ProgramSet());
    }

    void openMissingFileChangesNothing() {
        const ProgramSet before = m_state.programs;
        m_dialogs.answer = path("ABSENT.PRG");
        QVERIFY(!openProgramFile(m_state, m_dialogs, m_prompts, m_tmp->path()));
        QVERIFY(!QFile::exists(path("ABSENT.PRG")));
        QCOMPARE(m_state.programs, before);
        QCOMPARE(m_prompts.messages.size(), 1); // the missing file named
        QVERIFY(m_prompts.messages[0].text.contains(QStringLiteral("ABSENT.PRG")));
        QCOMPARE(m_prompts.beeps, 0);
    }

    void cancelIsSilent() {
        m_dialogs.answer.reset();
        const ProgramSet before = m_state.programs;
        QVERIFY(!saveProgramFile(m_state, m_dialogs, m_prompts, m_tmp->path()));
        QVERIFY(!openProgramFile(m_state, m_dialogs, m_prompts, m_tmp->path()));
        QVERIFY(!makeTransmitFile(m_state, m_dialogs, m_prompts, m_tmp->path()));
        QCOMPARE(m_state.programs, before);
        QCOMPARE(m_prompts.beeps, 0);
        QVERIFY(m_prompts.messages.isEmpty());
        QVERIFY(QDir(m_tmp->path()).entryList(QDir::Files).isEmpty());
    }

    // The transmit file of program #2, written out by hand: file mode carries "0" for the service
    // value and "X" for the serial number. Sum: 48 CRs 624 + "2" 50 + "0" 48 + "13" 100 + "1" 49 +
    // "0" 48 + "0" 48 + "0" 48 + "X" 88 = 1103.
    void transmitFile() {
        m_state.programs = ProgramSet();
        m_state.programs[2].set(Field::Units, " 0");
        m_state.programs[2].set(Field::Base, "13");
        m_state.programs[2].set(Field::ModeFlags, "000001000");
        m_state.serviceFlag = 99;
        m_state.unitSerial = "A12345";
        m_state.transmitProgram = 2;
        m_state.programFileName = QStringLiteral("UNIT7.prg");
        m_dialogs.answer = path("Prog02.xmt");
        QCOMPARE(makeTransmitFile(m_state, m_dialogs, m_prompts, m_tmp->path()), m_dialogs.answer);
        QCOMPARE(m_dialogs.saveRequests.value(0).proposedName, QStringLiteral("Prog00.xmt"));
        const QByteArray expected = QByteArray("2\r0\r\r\r\r\r13\r") + QByteArray(15, '\r') +
                                    "1\r0\r0\r" + QByteArray(21, '\r') + "0\rX\r1103\r\x04";
        QCOMPARE(readAll(*m_dialogs.answer), expected);
        QVERIFY(!m_state.transmitFileMode);
        QCOMPARE(m_state.programFileName, QStringLiteral("UNIT7.prg"));
    }

    // One rule for names in VANTO and qxtool: the extension in any letter case.
    void extensionInAnyCase_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("prg");
        QTest::addColumn<bool>("xmt");
        QTest::newRow("capitals") << "UNIT7.PRG" << true << false;
        QTest::newRow("mixed") << "x.Xmt" << false << true;
        QTest::newRow("directory named like one") << "d.prg/x" << false << false;
        QTest::newRow("no dot") << "aprg" << false << false;
        QTest::newRow("only the extension") << ".prg" << true << false;
    }
    void extensionInAnyCase() {
        QFETCH(QString, name);
        QTEST(hasExtension(name, "prg"), "prg");
        QTEST(hasExtension(name, "xmt"), "xmt");
        // Open and save take a capital name as any other.
        if (!name.contains(QLatin1Char('/')) && hasExtension(name, "prg")) {
            m_dialogs.answer = m_tmp->filePath(name);
            const ProgramSet saved = m_state.programs;
            QVERIFY(saveProgramFile(m_state, m_dialogs, m_prompts, m_tmp->path()));
            m_state.programs.clear();
            QVERIFY(openProgramFile(m_state, m_dialogs, m_prompts, m_tmp->path()));
            QCOMPARE(m_state.programs, saved);
            QCOMPARE(m_state.programFileName, name);
            QCOMPARE(m_prompts.beeps, 0);
        }
    }

    void transmitFileRefusesWhatCannotBeCarried() {
        m_state.transmitProgram = 3;
        m_state.programs[3].set(Field::AverageCount, "4\r9");
        m_dialogs.answer = path("Prog03.xmt");
        QVERIFY(!makeTransmitFile(m_state, m_dialogs, m_prompts, m_tmp->path()));
        QCOMPARE(m_prompts.messages.size(), 1);
        QVERIFY2(m_prompts.messages[0].text.contains(
                     QStringLiteral("program #3, field AverageCount holds a carriage return")),
                 qPrintable(m_prompts.messages[0].text));
        QVERIFY(m_dialogs.saveRequests.isEmpty()); // refused before a name was asked for
        QVERIFY(!QFile::exists(*m_dialogs.answer));
        QVERIFY(!m_state.transmitFileMode);
    }

    void transmitFileFailureLeavesFileModeOff() {
        m_dialogs.answer = path("nowhere/Prog00.xmt");
        QVERIFY(!makeTransmitFile(m_state, m_dialogs, m_prompts, m_tmp->path()));
        QVERIFY(!m_state.transmitFileMode);
        QCOMPARE(m_prompts.messages.size(), 1);
        // A later transmission to the unit is built in the port's form again.
        buildTransmissionText(m_state);
        QCOMPARE(m_state.transmitText.split('\r')[47], m_state.unitSerial.trimmed());
    }

private:
    std::unique_ptr<QTemporaryDir> m_tmp; // a fresh directory for each test
    ProgramState m_state;
    FakeFileDialogs m_dialogs;
    FakePrompts m_prompts;
    QString path(const char* name) const { return m_tmp->filePath(QLatin1String(name)); }
};

QTEST_APPLESS_MAIN(TestFileFlows)
#include "test_fileflows.moc"
