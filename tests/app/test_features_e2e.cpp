// The main window on-line with qxsim: the sample log against the chart's points, exploring the
// chart, and in the Program Utility the unit compared with a file and one program transmitted
// from there. With VANTO_GRAB_DIR set, pictures of the zoomed chart with its hover readout and
// of the compare view are saved there.
#include "../fakes.h"
#include "../simprocess.h"

#include "link/unitlink.h"
#include "logpanel.h"
#include "mainwindow.h"
#include "program/programfile.h"
#include "programtools.h"
#include "programutilitywindow.h"
#include "shared/numtext.h"
#include "vantoapp.h"
#include "widgets/stripchart.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

using namespace vanto;

namespace {

using Sim = vanto::test::SimProcess;

// Runs `then` on the modal window of type T once it is up (polling, up to 20 s).
template <typename T> void whenModal(std::function<void(T*)> then, int tries = 200) {
    QTimer::singleShot(100, [then, tries] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget()))
            then(w);
        else if (tries > 0)
            whenModal<T>(then, tries - 1);
    });
}

void grab(QWidget* w, const QString& name) {
    const QString dir = qEnvironmentVariable("VANTO_GRAB_DIR");
    if (!dir.isEmpty())
        w->grab().save(dir + QLatin1Char('/') + name);
}

} // namespace

class TestFeaturesE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void logRowsAreThePolledSamples();
    void chartExploresTheHistory();
    void compareWithFileAndTransmitOne();
    void fileModeComparesWithTheUnit();
    void cleanupTestCase();

private:
    std::unique_ptr<Sim> m_sim;
    std::unique_ptr<VantoApp> m_app;
    MainWindow* m_main = nullptr;
    test::FakePrompts m_prompts;
    QTemporaryDir m_dir;
    int m_polls = 0;
};

void TestFeaturesE2E::initTestCase() {
    m_sim = std::make_unique<Sim>();
    QVERIFY(!m_sim->device.isEmpty());
    StartupOptions options;
    options.programDir = m_dir.path();
    options.device = m_sim->device;
    options.settingsFile = m_dir.filePath(QStringLiteral("settings.ini"));
    options.lockDir = m_dir.path();
    m_app = VantoApp::start(options, &m_prompts);
    QVERIFY(m_app);
    m_main = &m_app->window();
    m_main->resize(1100, 760);
    m_main->show();
    connect(&m_app->link(), &UnitLink::pollReplyApplied, this, [this] { ++m_polls; });
    m_app->switchOnLineAtStart();
    QTRY_VERIFY_WITH_TIMEOUT(m_polls > 3, 15000);
}

void TestFeaturesE2E::logRowsAreThePolledSamples() {
    auto* panel = m_main->findChild<LogPanel*>();
    QVERIFY(panel);
    const QString path = m_dir.filePath(QStringLiteral("live.csv"));
    const qsizetype before = m_main->chart->series().size();
    QVERIFY(panel->startLog(path));
    QVERIFY(panel->indicator()->text().contains(QStringLiteral("live.csv")));
    QTest::qWait(2500);
    panel->log().stop();
    const qsizetype after = m_main->chart->series().size();
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QList<QByteArray> rows = f.readAll().trimmed().split('\n');
    rows.removeFirst();
    // One row for each point the chart got while logging, with the same distance.
    QCOMPARE(rows.size(), after - before);
    QVERIFY(rows.size() >= 10);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QList<QByteArray> c = rows[i].split(',');
        QCOMPARE(c[2], formatNumber(m_main->chart->series().at(before + i).value, "0.00"));
        QCOMPARE(c[1].toInt(), m_app->programState().currentProgram);
    }
    QVERIFY(panel->indicator()->text().contains(QString::number(rows.size())));
}

void TestFeaturesE2E::chartExploresTheHistory() {
    StripChart* chart = m_main->chart;
    QTest::qWait(6000); // some history to look back at
    chart->setTimeWindow(StripChart::kMinute);
    chart->setPaused(true);
    chart->zoomAt(chart->plotArea().width(), 0.25); // the newest 15 s of the minute
    QCOMPARE(chart->timeWindow(), qint64(15000));
    const QRectF plot = chart->plotArea();
    chart->setHoverPosition(QPointF(plot.left() + plot.width() * 0.7, plot.center().y()));
    QVERIFY2(!chart->hoverText().isEmpty(), "no point under the pointer");
    QVERIFY(!chart->liveButton()->isHidden());
    chart->repaint();
    grab(m_main, QStringLiteral("chart-zoomed-hover.png"));
    chart->liveButton()->click();
    QVERIFY(!chart->isPaused());
}

void TestFeaturesE2E::compareWithFileAndTransmitOne() {
    // A file of the unit's programs with program #5's BASE and RANGE changed.
    const QString dump = m_dir.filePath(QStringLiteral("unit.prg"));
    QCOMPARE(m_sim->command(QStringLiteral("dump ") + dump), QStringLiteral("ok dump ") + dump);
    ProgramSet file;
    QCOMPARE(readProgramFile(dump, &file), QString());
    const qint16 base = file[5].whole(Field::Base) == 20 ? 21 : 20;
    file[5].set(Field::Base, QByteArray::number(base));
    file[5].set(Field::TotalSpan, QByteArray::number(base + file[5].whole(Field::Range)));
    const QString plant = m_dir.filePath(QStringLiteral("PLANT.prg"));
    QCOMPARE(writeProgramFile(plant, file), QString());

    QList<int> before;
    QStringList fieldsBefore;
    QString summaryAfter;
    bool closed = false;
    const QString pdf = m_dir.filePath(QStringLiteral("report.pdf"));
    whenModal<ProgramUtilityWindow>([&](ProgramUtilityWindow* w) {
        // The report of the unit's programs, as a PDF.
        whenModal<QFileDialog>([&](QFileDialog* d) {
            d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(pdf);
            static_cast<QDialog*>(d)->accept();
        });
        w->findChild<QPushButton*>(QStringLiteral("exportPdfButton"))->click();
        auto* compare = w->findChild<QPushButton*>(QStringLiteral("compareButton"));
        QVERIFY(compare);
        QCOMPARE(compare->text(), QStringLiteral("Compare with file…"));
        whenModal<QFileDialog>([&](QFileDialog* d) {
            // Typed into the dialog's name field, as the operator would.
            auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(name);
            name->setText(plant);
            static_cast<QDialog*>(d)->accept();
        });
        whenModal<CompareDialog>([&](CompareDialog* d) {
            before = differingPrograms(d->differences());
            for (const ProgramDifference& diff : d->differences())
                fieldsBefore.append(fieldLabel(diff.field));
            d->resize(760, 420);
            grab(d, QStringLiteral("compare-view.png"));
            d->selectProgram(5);
            d->transmitSelected();
            summaryAfter = d->summary()->text();
            d->reject();
        });
        compare->click();
        w->closeButton->click();
        closed = true;
    });
    QTimer::singleShot(90000, [] {
        while (auto* w = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            w->done(QDialog::Rejected);
    });
    m_app->openRemoteProgram();
    QVERIFY(closed);
    QFile report(pdf);
    QVERIFY(report.open(QIODevice::ReadOnly));
    QVERIFY(report.read(4) == "%PDF");
    if (!qEnvironmentVariableIsEmpty("VANTO_GRAB_DIR"))
        QFile::copy(pdf, qEnvironmentVariable("VANTO_GRAB_DIR") + QStringLiteral("/report.pdf"));
    QCOMPARE(before, QList<int>{5});
    QCOMPARE(fieldsBefore, (QStringList{QStringLiteral("Base"), QStringLiteral("Total Span")}));
    QVERIFY2(summaryAfter.contains(QStringLiteral("hold the same values")),
             qPrintable(summaryAfter));
    // The unit holds the file's program #5.
    QCOMPARE(m_sim->command(QStringLiteral("dump ") + dump), QStringLiteral("ok dump ") + dump);
    ProgramSet unit;
    QCOMPARE(readProgramFile(dump, &unit), QString());
    QCOMPARE(unit[5].whole(Field::Base), base);
    QVERIFY(m_prompts.messages.isEmpty());
}

void TestFeaturesE2E::fileModeComparesWithTheUnit() {
    // A file of the unit's programs with program #2's NEAR relay changed, opened in file mode.
    const QString dump = m_dir.filePath(QStringLiteral("unit2.prg"));
    QCOMPARE(m_sim->command(QStringLiteral("dump ") + dump), QStringLiteral("ok dump ") + dump);
    ProgramSet file;
    QCOMPARE(readProgramFile(dump, &file), QString());
    file[2].set(Field::NearRelay, QByteArray::number(file[2].whole(Field::NearRelay) + 1));
    const QString path = m_dir.filePath(QStringLiteral("FILE2.prg"));
    QCOMPARE(writeProgramFile(path, file), QString());

    QList<int> differing;
    bool fileKept = false;
    whenModal<QFileDialog>([&](QFileDialog* d) {
        d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
        static_cast<QDialog*>(d)->accept();
    });
    whenModal<ProgramUtilityWindow>([&](ProgramUtilityWindow* w) {
        auto* compare = w->findChild<QPushButton*>(QStringLiteral("compareButton"));
        QVERIFY(compare && compare->isEnabled());
        QCOMPARE(compare->text(), QStringLiteral("Compare with unit"));
        whenModal<CompareDialog>([&](CompareDialog* d) {
            differing = differingPrograms(d->differences());
            d->reject();
        });
        compare->click();
        // Reading the unit's programs left the set in memory the file's.
        fileKept = m_app->programState().programs[2] == file[2];
        w->closeButton->click();
    });
    m_app->openFileProgram();
    QCOMPARE(differing, QList<int>{2});
    QVERIFY(fileKept);
}

void TestFeaturesE2E::cleanupTestCase() {
    if (m_app)
        m_app->link().switchOnLine(false);
    m_app.reset();
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestFeaturesE2E t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_features_e2e.moc"
