// Preview of the display widgets with made-up values, laid out roughly as on the main window.
//
//   widgets_preview [--screenshot PATH] [--window MINUTES] [--points N] [--paused] [--dialog]
//
// --screenshot renders the window after a short delay, saves it as PNG and exits; with --dialog
// it renders the chart's properties dialog instead. --paused starts with the chart paused. The
// chart is filled with N points at five a second ending now (default a full day, 432,000 points).

#include "widgets/digitdisplay.h"
#include "widgets/hourcounter.h"
#include "widgets/labelpanel.h"
#include "widgets/lamp.h"
#include "widgets/meterselector.h"
#include "widgets/palette.h"
#include "widgets/stripchart.h"
#include "widgets/stripchartdialog.h"
#include "widgets/switchindicator.h"
#include "widgets/tabstrip.h"
#include "widgets/theme.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTextStream>
#include <QTimer>
#include <QVBoxLayout>

#include <array>
#include <cmath>

using namespace vanto;

namespace {

// A target that sweeps through its range with a slower drift, noise and now and then a jump.
double fakeDistance(qint64 t, QRandomGenerator& random) {
    const double s = double(t) / 1000.0;
    double v = 28 + 9 * std::sin(2 * M_PI * s / 420) + 3 * std::sin(2 * M_PI * s / 53) +
               2 * std::sin(2 * M_PI * s / 7200) + (random.generateDouble() - 0.5) * 0.8;
    if (random.bounded(4000) == 0) {
        v += (random.generateDouble() - 0.3) * 14;
    }
    return v;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("widgets_preview"));
    applyInstrumentPalette(app);

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption shotOption(QStringLiteral("screenshot"),
                                        QStringLiteral("Save the window as PNG and exit."),
                                        QStringLiteral("path"));
    const QCommandLineOption windowOption(QStringLiteral("window"),
                                          QStringLiteral("Chart time window in minutes."),
                                          QStringLiteral("minutes"), QStringLiteral("10"));
    const QCommandLineOption pointsOption(QStringLiteral("points"),
                                          QStringLiteral("Points of history in the chart."),
                                          QStringLiteral("n"), QStringLiteral("432000"));
    const QCommandLineOption pausedOption(QStringLiteral("paused"),
                                          QStringLiteral("Start with the chart paused."));
    const QCommandLineOption dialogOption(QStringLiteral("dialog"),
                                          QStringLiteral("Screenshot the properties dialog."));
    parser.addOptions({shotOption, windowOption, pointsOption, pausedOption, dialogOption});
    parser.process(app);

    QWidget window;
    window.setWindowTitle(QStringLiteral("VANTO display widgets"));
    auto* root = new QVBoxLayout(&window);
    root->setContentsMargins(10, 10, 10, 10);
    root->setSpacing(8);

    // Readouts: program, the large meter display with its selector, NEAR and FAR.
    std::array<DigitDisplay*, 4> digitDisplays{};
    const std::array<QString, 4> lampLabels = {QStringLiteral("Program"),
                                               QStringLiteral("Distance (Inches)"),
                                               QStringLiteral("NEAR"), QStringLiteral("FAR")};
    for (int i = 0; i < 4; ++i) {
        digitDisplays[size_t(i)] = new DigitDisplay;
        digitDisplays[size_t(i)]->setLabel(lampLabels[size_t(i)]);
    }
    digitDisplays[0]->setDigitCount(1);
    digitDisplays[0]->setText(QStringLiteral("3"));
    digitDisplays[0]->setToolTip(QStringLiteral("On-Line Program Number"));
    digitDisplays[1]->setDigitCount(6);
    digitDisplays[1]->setDecimals(1);
    digitDisplays[1]->setValue(27.4);
    digitDisplays[1]->setMinimumSize(240, 110);
    digitDisplays[2]->setDigitCount(3);
    digitDisplays[2]->setValue(14);
    digitDisplays[2]->setFlash(true);
    digitDisplays[3]->setDigitCount(3);
    digitDisplays[3]->setValue(43);

    auto* selector = new MeterSelector;
    selector->setToolTip(
        QStringLiteral("Meter Selector:DISTANCE - Percent OUTPUT - Pecent ANALOG"));

    auto* readouts = new QHBoxLayout;
    readouts->setSpacing(8);
    auto* programColumn = new QVBoxLayout;
    programColumn->setSpacing(6);
    digitDisplays[0]->setFixedSize(96, 110);
    programColumn->addWidget(digitDisplays[0]);
    programColumn->addStretch(1);
    readouts->addLayout(programColumn);
    auto* meterColumn = new QVBoxLayout;
    meterColumn->setSpacing(6);
    meterColumn->addWidget(digitDisplays[1], 1);
    meterColumn->addWidget(selector);
    readouts->addLayout(meterColumn, 3);
    auto* stops = new QVBoxLayout;
    stops->setSpacing(6);
    stops->addWidget(digitDisplays[2]);
    stops->addWidget(digitDisplays[3]);
    readouts->addLayout(stops, 1);

    // Link and unit: lamps, clock, serial and version, the model.
    auto* linkLamp = new Lamp;
    linkLamp->setCaption(QStringLiteral("OnLine"));
    linkLamp->setStateTexts(QStringLiteral("Closed"), QStringLiteral("Open"));
    linkLamp->setOn(true);
    auto* echoLamp = new Lamp;
    echoLamp->setCaption(QStringLiteral("Dbl Echo"));
    echoLamp->setToolTip(QStringLiteral("When Green Double Echo Mode is enabled."));
    echoLamp->setOn(false);
    auto* unitClock = new HourCounter;
    unitClock->setValue(18342.6);
    auto* serial = new LabelPanel(QStringLiteral("Serial No."));
    serial->setText(QStringLiteral("A12345"));
    auto* version = new LabelPanel(QStringLiteral("Version No."));
    version->setText(QStringLiteral("2.16 M"));
    auto* status = new LabelPanel(QStringLiteral("Display Panel"));
    status->setText(QStringLiteral("Model Type: QX3700  "));

    auto* unit = new PanelGroup(QStringLiteral("Unit"));
    unit->addWidget(linkLamp, 0, 0);
    unit->addWidget(echoLamp, 0, 1);
    unit->addWidget(serial, 1, 0);
    unit->addWidget(version, 1, 1);
    unit->addWidget(unitClock, 2, 0, {}, 1, 2);
    unit->addWidget(status, 3, 0, {}, 1, 2);
    readouts->addWidget(unit, 2);

    // Settings of the running program and the six switch indicators.
    auto* settings = new PanelGroup(QStringLiteral("Running program"));
    const std::array<std::pair<const char*, const char*>, 7> panels = {{{"Base", "13"},
                                                                        {"Range", "30"},
                                                                        {"Average", "4"},
                                                                        {"Over Count", "8"},
                                                                        {"S.Time(sec)", "0.1"},
                                                                        {"Temperature", "71.6"},
                                                                        {"Units", "U.S."}}};
    for (int i = 0; i < int(panels.size()); ++i) {
        auto* panel = new LabelPanel(QString::fromLatin1(panels[size_t(i)].first));
        panel->setText(QString::fromLatin1(panels[size_t(i)].second));
        settings->addWidget(panel, 0, i);
    }
    const std::array<std::pair<const char*, int>, 6> switches = {{{"Lin  Adp", 1},
                                                                  {"Pay  Tak", 0},
                                                                  {"Hold", 1},
                                                                  {"Slv  Mas", 1},
                                                                  {"CRly", 0},
                                                                  {"TConp", 1}}};
    auto* switchRow = new QWidget;
    auto* switchLayout = new QHBoxLayout(switchRow);
    switchLayout->setContentsMargins(0, 0, 0, 0);
    switchLayout->setSpacing(6);
    for (const auto& [label, value] : switches) {
        auto* sw = new SwitchIndicator;
        sw->setLabel(QString::fromLatin1(label));
        sw->setValue(value);
        switchLayout->addWidget(sw);
    }
    settings->addWidget(switchRow, 1, 0, {}, 1, int(panels.size()));

    // The editor's program tabs.
    auto* tabs = new TabStrip;
    for (int i = 0; i < 8; ++i) {
        tabs->addTab(QStringLiteral("#%1").arg(i));
    }
    tabs->setCurrentIndex(3);

    // The chart, with the three chart buttons.
    auto* chart = new StripChart;
    chart->setToolTip(QStringLiteral("Chart Distance over Time"));
    chart->setCaption(QStringLiteral("Distance (Inches)"));
    chart->setScale(13, 43.5, 12.9, 43.5);
    chart->setTimeWindow(qint64(parser.value(windowOption).toDouble() * StripChart::kMinute));

    QRandomGenerator random(351);
    const qint64 points = parser.value(pointsOption).toLongLong();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    QElapsedTimer fill;
    fill.start();
    for (qint64 i = points; i > 0; --i) {
        const qint64 t = now - i * 200;
        chart->appendAt(t, fakeDistance(t, random));
    }
    QTextStream(stdout) << "chart filled with " << chart->series().size() << " points in "
                        << fill.elapsed() << " ms\n";
    // Two earlier presses of "Time".
    for (qint64 back : {chart->timeWindow() * 2 / 3, chart->timeWindow() / 4}) {
        chart->setClock([stamp = now - back] { return stamp; });
        chart->timeStamp();
    }
    chart->setClock([now, start = QDateTime::currentMSecsSinceEpoch()] {
        return now + (QDateTime::currentMSecsSinceEpoch() - start);
    });

    auto* chartButtons = new QHBoxLayout;
    auto* timeButton = new QPushButton(QStringLiteral("Time"));
    timeButton->setToolTip(QStringLiteral("Time Stamp X-Axis"));
    auto* propertyButton = new QPushButton(QStringLiteral("Property"));
    propertyButton->setToolTip(QStringLiteral("Display Chart Properties"));
    auto* pauseButton = new QPushButton(QStringLiteral("Pause"));
    pauseButton->setToolTip(QStringLiteral("Pause Strip Chart"));
    pauseButton->setCheckable(true);
    QObject::connect(timeButton, &QPushButton::clicked, chart, [chart] { chart->timeStamp(); });
    QObject::connect(propertyButton, &QPushButton::clicked, chart, &StripChart::showProperties);
    QObject::connect(pauseButton, &QPushButton::toggled, chart, [chart, pauseButton](bool on) {
        chart->setPaused(on);
        pauseButton->setText(on ? QStringLiteral("Paused") : QStringLiteral("Pause"));
    });
    chartButtons->addWidget(tabs);
    chartButtons->addStretch(1);
    for (QPushButton* b : {timeButton, propertyButton, pauseButton}) {
        chartButtons->addWidget(b);
    }

    root->addLayout(readouts);
    root->addWidget(settings);
    root->addLayout(chartButtons);
    root->addWidget(chart, 1);
    window.resize(1180, 820);

    // Live values: a point five times a second, NEAR blinking once a second.
    QTimer tick;
    int ticks = 0;
    QObject::connect(&tick, &QTimer::timeout, &window, [&] {
        const qint64 t = chart->now();
        const double v = fakeDistance(t, random);
        chart->append(v);
        digitDisplays[1]->setValue(v);
        if (++ticks % 5 == 0) {
            digitDisplays[2]->toggleFlash();
        }
    });
    tick.start(200);

    QObject::connect(selector, &MeterSelector::moved, digitDisplays[1],
                     [&digitDisplays](int position) {
                         static const std::array<QString, 3> labels = {
                             QStringLiteral("Analog Percent(%)"),
                             QStringLiteral("LINEAR MODE Percent Output(%)"),
                             QStringLiteral("Distance (Inches)")};
                         digitDisplays[1]->setLabel(labels[size_t(position - 1)]);
                     });

    if (parser.isSet(pausedOption)) {
        pauseButton->setChecked(true);
    }
    window.show();
    StripChartDialog dialog(chart, &window);
    QWidget* shown = &window;
    if (parser.isSet(dialogOption)) {
        dialog.show();
        shown = &dialog;
    }
    if (parser.isSet(shotOption)) {
        const QString path = parser.value(shotOption);
        QTimer::singleShot(600, &window, [shown, path] {
            const bool ok = shown->grab().save(path, "PNG");
            QTextStream(ok ? stdout : stderr) << (ok ? "saved " : "cannot save ") << path << "\n";
            QApplication::exit(ok ? 0 : 1);
        });
    }
    return app.exec();
}
