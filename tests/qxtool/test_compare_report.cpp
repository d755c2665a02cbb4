// The unit/file comparison as every reader reads a field, the values it shows, and the program
// report (as text, and from `qxtool report` as HTML and PDF).
#include "program/demoprograms.h"
#include "program/programcompare.h"
#include "program/programfile.h"
#include "program/programreport.h"
#include "report/reportdocument.h"

#include "../simrig.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace vanto;
using Run = vanto::test::ProcessRun;
using vanto::test::runQxtool;

class TestCompareReport : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void equalAsRead_data();
    void equalAsRead();
    void unitAgainstFileLeavesOut();
    void shownText_data();
    void shownText();
    void reportText();
    void qxtoolReport_data();
    void qxtoolReport();

private:
    QTemporaryDir m_dir;
};

void TestCompareReport::equalAsRead_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QByteArray>("a");
    QTest::addColumn<QByteArray>("b");
    QTest::addColumn<bool>("equal");
    // A unit sends "0" where a file keeps " 0": the same value as every reader reads it.
    QTest::newRow("file and unit form")
        << int(Field::Units) << QByteArray(" 0") << QByteArray("0") << true;
    QTest::newRow("another value")
        << int(Field::Units) << QByteArray(" 0") << QByteArray(" 1") << false;
    QTest::newRow("blank and zero")
        << int(Field::Param21) << QByteArray() << QByteArray("0") << false;
    // ModeFlags is read by position: a leading blank moves every flag.
    QTest::newRow("mode flags shifted")
        << int(Field::ModeFlags) << QByteArray(" 00000100") << QByteArray("00000100") << false;
}

void TestCompareReport::equalAsRead() {
    QFETCH(int, field);
    QFETCH(QByteArray, a);
    QFETCH(QByteArray, b);
    ProgramSet left;
    ProgramSet right;
    left[1].set(Field(field), a);
    right[1].set(Field(field), b);
    QTEST(fieldTextsEqual(Field(field), left[1].text(Field(field)), right[1].text(Field(field))),
          "equal");
    QTEST(comparePrograms(left, right).isEmpty(), "equal");
}

void TestCompareReport::unitAgainstFileLeavesOut() {
    // The unit never holds the file-only fields; field 21 is a unit value (its clock, kept in
    // program #0) that the unit leaves blank in the other programs.
    const ProgramSet file = demoPrograms();
    ProgramSet unit = file;
    unit[1].set(Field::Spare02, "9");
    unit[1].set(Field::Param24, "9");
    unit[1].set(Field::Param47, "9");
    unit[0].set(Field::Param21, "1234.5");
    unit[4].set(Field::Param21, "");
    unit[6].set(Field::NearRelay, "40");
    unit[3].set(Field::AverageCount, "7");
    CompareOptions options;
    options.unitAgainstFile = true;
    const QList<ProgramDifference> diffs = comparePrograms(unit, file, options);
    QCOMPARE(diffs.size(), 2);
    QCOMPARE(diffs[0].program, 3);
    QCOMPARE(diffs[1].program, 6);
    QCOMPARE(diffs[1].field, Field::NearRelay);
    QCOMPARE(differingPrograms(diffs), (QList<int>{3, 6}));
    QCOMPARE(comparePrograms(unit, file).size(),
             7 - (file[4].trimmed(Field::Param21).isEmpty() ? 1 : 0));
    QCOMPARE(comparePrograms(unit, file, options, 6).size(), 1);
}

void TestCompareReport::shownText_data() {
    QTest::addColumn<QByteArray>("units");
    QTest::addColumn<int>("field");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("base, U.S.") << QByteArray(" 0") << int(Field::Base) << QByteArray("13")
                                << "13 in";
    QTest::newRow("base, metric") << QByteArray(" 1") << int(Field::Base) << QByteArray("13")
                                  << "33 cm";
    QTest::newRow("temperature, metric") << QByteArray(" 1") << int(Field::Temperature)
                                         << QByteArray("250") << QString::fromUtf8("25.0 °C");
    QTest::newRow("sample interval")
        << QByteArray(" 0") << int(Field::SampleInterval) << QByteArray("400") << "0.4 ms";
}

void TestCompareReport::shownText() {
    QFETCH(QByteArray, units);
    QFETCH(int, field);
    QFETCH(QByteArray, stored);
    ProgramRecord r;
    r.set(Field::Units, units);
    r.set(Field(field), stored);
    QTEST(fieldShownText(r, Field(field)), "shown");
}

void TestCompareReport::reportText() {
    ProgramSet programs = demoPrograms();
    programs[3].set(Field::Units, " 1");
    programs[3].set(Field::Base, "13");
    ReportHeading h;
    h.fileName = QStringLiteral("PLANT<1>.prg");
    h.model = QStringLiteral("QX3700");
    h.serial = QStringLiteral("A12345");
    h.version = QStringLiteral("2.16 M");
    h.date = QDateTime(QDate(2026, 12, 7), QTime(9, 30));
    h.activeProgram = 2;
    const QString text = reportPlainText(programReportHtml(programs, h));
    for (const QString& expected :
         {QStringLiteral("PLANT<1>.prg"), QStringLiteral("QX3700"), QStringLiteral("A12345"),
          QStringLiteral("2.16 M"), QStringLiteral("2026-12-07 09:30"),
          QStringLiteral("#2 (its column is green)"), QStringLiteral("Near Relay"),
          QStringLiteral("33 cm")})
        QVERIFY2(text.contains(expected), qPrintable(expected));
    // Every program's column and every field's row.
    for (int p = 0; p < kProgramCount; ++p)
        QVERIFY(text.contains(QStringLiteral("#%1").arg(p)));
    for (const FieldInfo& f : kFieldTable)
        QVERIFY2(text.contains(fieldLabel(f.field)), f.name);
    // Unknown unit data is said so, not left blank.
    QVERIFY(reportPlainText(programReportHtml(programs, {})).contains("not known"));
}

void TestCompareReport::qxtoolReport_data() {
    QTest::addColumn<QString>("out");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("starts");
    QTest::newRow("html") << "r.html" << 0 << QByteArray("<!DOCTYPE html>");
    QTest::newRow("pdf") << "r.pdf" << 0 << QByteArray("%PDF");
    QTest::newRow("no such directory") << "none/r.pdf" << 2 << QByteArray();
}

void TestCompareReport::qxtoolReport() {
    QFETCH(QString, out);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, starts);
    const QString prg = m_dir.filePath("demo.prg");
    QCOMPARE(writeProgramFile(prg, demoPrograms()), QString());
    const QString path = m_dir.filePath(out);
    QFile::remove(path);
    const Run r = runQxtool({QStringLiteral("report"), prg, QStringLiteral("-o"), path});
    QCOMPARE(r.exitCode, exitCode);
    QFile f(path);
    if (exitCode != 0) {
        QVERIFY(!f.exists());
        QVERIFY2(r.err.contains(out.toUtf8()), r.err.constData());
        return;
    }
    QVERIFY2(r.err.isEmpty(), r.err.constData());
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QVERIFY(bytes.startsWith(starts));
    if (out.endsWith(".html"))
        QVERIFY(bytes.contains("demo.prg"));
}

QTEST_MAIN(TestCompareReport)
#include "test_compare_report.moc"
