#include "mainwindow.h"

#include "link/unitlink.h"
#include "monitor/displaytexts.h"
#include "shellwindows.h"
#include "widgets/digitdisplay.h"
#include "widgets/hourcounter.h"
#include "widgets/labelpanel.h"
#include "widgets/lamp.h"
#include "widgets/meterselector.h"
#include "widgets/slideswitch.h"
#include "widgets/stripchart.h"
#include "widgets/switchindicator.h"
#include "widgets/theme.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTime>
#include <QVBoxLayout>

#include <functional>

namespace vanto {

namespace {

// The picture panel: the sensor picture with "(Click for Layout)"; a click opens the layout.
class PicturePanel : public QWidget {
public:
    explicit PicturePanel(std::function<void()> onClick, QWidget* parent = nullptr)
        : QWidget(parent), m_onClick(std::move(onClick)), m_logo(appLogo(56)) {
        setObjectName(QStringLiteral("logoPanel"));
        setCursor(Qt::PointingHandCursor);
        setToolTip(QStringLiteral("Sensor layout"));
        setMinimumSize(110, 90);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRect r = rect().adjusted(1, 1, -1, -1);
        p.setPen(palette().color(QPalette::Mid));
        p.setBrush(palette().color(QPalette::AlternateBase));
        p.drawRoundedRect(r, 6, 6);
        const QPoint top((width() - m_logo.width()) / 2, 8);
        p.drawPixmap(top, m_logo);
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(QRect(0, top.y() + m_logo.height() + 4, width(), 20), Qt::AlignCenter,
                   QStringLiteral("(Click for Layout)"));
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && m_onClick)
            m_onClick();
    }

private:
    std::function<void()> m_onClick;
    QPixmap m_logo;
};

QPushButton* chartButton(const QString& text, const QString& tip) {
    auto* b = new QPushButton(text);
    b->setToolTip(tip);
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

// A row of widgets without margins of its own.
QWidget* row(std::initializer_list<QWidget*> widgets, int spacing = -1) {
    auto* holder = new QWidget;
    auto* layout = new QHBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    if (spacing >= 0)
        layout->setSpacing(spacing);
    for (QWidget* w : widgets)
        layout->addWidget(w);
    return holder;
}

QVBoxLayout* column(std::initializer_list<QWidget*> widgets) {
    auto* layout = new QVBoxLayout;
    for (QWidget* w : widgets)
        layout->addWidget(w);
    return layout;
}

double dotsPerInch(const QWidget* window) {
    return window->screen() ? window->screen()->logicalDotsPerInch() : 96.0;
}

} // namespace

MainWindow::MainWindow(const ProgramState& state, QWidget* parent)
    : QMainWindow(parent), m_state(state) {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("VANTO"));
    setWindowIcon(QIcon(appLogo(64)));
    buildWindow();
    buildMenus();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildWindow() {
    auto* central = new QWidget(this);
    // Every readout legible: the window never shrinks below this, whatever placement is stored.
    central->setMinimumSize(980, 640);
    auto* root = new QVBoxLayout(central);
    root->setContentsMargins(10, 8, 10, 10);
    root->setSpacing(8);
    root->addWidget(buildLinkFailureBar());
    root->addLayout(buildReadouts());
    root->addWidget(buildRunningProgramPanel());
    root->addLayout(buildChartButtonRow());
    root->addWidget(buildChart(), 1);
    setCentralWidget(central);
}

QLabel* MainWindow::buildLinkFailureBar() {
    linkFailureBar = new QLabel;
    linkFailureBar->setObjectName(QStringLiteral("linkFailureBar"));
    linkFailureBar->setWordWrap(true);
    linkFailureBar->setTextFormat(Qt::PlainText);
    linkFailureBar->setStyleSheet(
        QStringLiteral("QLabel { background: #3a2a0c; color: #ffd28a; border: 1px solid #ffb02e; "
                       "border-radius: 4px; padding: 5px 8px; font-weight: bold; }"));
    linkFailureBar->setVisible(false);
    return linkFailureBar;
}

// Program number with the sensor picture, the large meter display with its selector, NEAR and
// FAR, and the unit's panel.
QLayout* MainWindow::buildReadouts() {
    buildDigitDisplays();
    meterSelector = new MeterSelector;
    meterSelector->setObjectName(QStringLiteral("meterSelector"));
    meterSelector->setToolTip(
        QStringLiteral("Meter Selector:DISTANCE - Percent OUTPUT - Pecent ANALOG"));
    meterSelector->setPosition(3);
    connect(meterSelector, &MeterSelector::moved, this, &MainWindow::meterSelectorMoved);
    logoPanel = new PicturePanel([this] { emit logoPanelClicked(); });

    auto* readouts = new QHBoxLayout;
    readouts->setSpacing(8);
    QVBoxLayout* programColumn = column({digitDisplays[0], logoPanel});
    programColumn->addStretch(1);
    readouts->addLayout(programColumn);
    auto* meterColumn = new QVBoxLayout;
    meterColumn->addWidget(digitDisplays[1], 1);
    meterColumn->addWidget(meterSelector);
    readouts->addLayout(meterColumn, 3);
    readouts->addLayout(column({digitDisplays[2], digitDisplays[3]}), 1);
    readouts->addWidget(buildUnitPanel(), 2);
    return readouts;
}

void MainWindow::buildDigitDisplays() {
    const std::array<const char*, 4> labels = {"Program", "DISTANCE", "NEAR", "FAR"};
    const std::array<const char*, 4> tips = {"On-Line Program Number", "DISTANCE  Value in Inches",
                                             "Bottom Stop Value in Inches.",
                                             "FAR Value in Inches."};
    for (int i = 0; i < 4; ++i) {
        digitDisplays[i] = new DigitDisplay;
        digitDisplays[i]->setObjectName(QStringLiteral("digitDisplay_%1").arg(i));
        digitDisplays[i]->setLabel(QLatin1String(labels[i]));
        digitDisplays[i]->setToolTip(QLatin1String(tips[i]));
    }
    digitDisplays[0]->setDigitCount(1);
    digitDisplays[0]->setText(QStringLiteral("0"));
    digitDisplays[0]->setFixedSize(96, 110);
    digitDisplays[1]->setDigitCount(6);
    digitDisplays[1]->setDecimals(1);
    digitDisplays[1]->setValue(0);
    digitDisplays[1]->setMinimumSize(260, 110);
    for (int i : {2, 3}) {
        digitDisplays[i]->setDigitCount(4);
        digitDisplays[i]->setValue(0);
        digitDisplays[i]->setDecimals(0);
    }
}

// The unit: link lamp with the on-line toggle, double echo, serial, version, clock, model.
PanelGroup* MainWindow::buildUnitPanel() {
    linkLamp = new Lamp;
    linkLamp->setObjectName(QStringLiteral("linkLamp"));
    linkLamp->setCaption(QStringLiteral("OnLine"));
    linkLamp->setStateTexts(QStringLiteral("Closed"), QStringLiteral("Open"));
    // The on-line toggle beside the onLine lamp: a switch whose knob stands at "Closed" or
    // "Open", so that what the operator asked for reads at a glance next to what the lamp says.
    auto* online = new SlideSwitch(QStringLiteral("Closed"), QStringLiteral("Open"));
    online->setObjectName(QStringLiteral("onLineSwitch"));
    online->setToolTip(QStringLiteral("Enable/Disable On-Line Unit"));
    online->setAccessibleName(QStringLiteral("On-line toggle"));
    connect(online, &QAbstractButton::clicked, this, [this] { chartButtonClicked(3); });
    chartButtons[3] = online;
    echoLamp = new Lamp;
    echoLamp->setObjectName(QStringLiteral("echoLamp"));
    echoLamp->setCaption(QStringLiteral("Dbl Echo"));
    echoLamp->setToolTip(QStringLiteral("When Green Double Echo Mode is enabled."));
    unitClock = new HourCounter;
    unitClock->setObjectName(QStringLiteral("unitClock"));
    unitClock->setToolTip(QStringLiteral("QX Unit Clock (Not Available on all units)."));
    unitClock->setVisible(false);
    const std::array<const char*, 2> captions = {"Serial No.", "Version No."};
    const std::array<const char*, 2> tips = {"On-Line Units Serial Number",
                                             "On-Line unit Version Number."};
    for (int i = 0; i < 2; ++i) {
        identityPanels[i] = new LabelPanel(QLatin1String(captions[i]));
        identityPanels[i]->setObjectName(QStringLiteral("identityPanel_%1").arg(i));
        identityPanels[i]->setToolTip(QLatin1String(tips[i]));
    }
    statusPanel = new LabelPanel(QStringLiteral("Display Panel"));
    statusPanel->setObjectName(QStringLiteral("statusPanel"));
    statusPanel->setText(QStringLiteral("Model Type:   "));

    auto* unit = new PanelGroup(QStringLiteral("Unit"));
    QWidget* lampAndToggle = row({linkLamp, online}, 6);
    auto* lampRow = static_cast<QHBoxLayout*>(lampAndToggle->layout());
    lampRow->setStretch(0, 1);
    lampRow->setAlignment(online, Qt::AlignVCenter);
    unit->addWidget(lampAndToggle, 0, 0, {}, 1, 2);
    unit->addWidget(identityPanels[0], 1, 0);
    unit->addWidget(identityPanels[1], 1, 1);
    unit->addWidget(echoLamp, 2, 0);
    unit->addWidget(unitClock, 2, 1);
    unit->addWidget(statusPanel, 3, 0, {}, 1, 2);
    return unit;
}

// The running program's settings and the six switch indicators.
PanelGroup* MainWindow::buildRunningProgramPanel() {
    auto* group = new PanelGroup(QStringLiteral("Running program"));
    const std::array<const char*, 7> captions = {
        "Base", "Range", "Average", "Over Count", "S.Time(sec)", "Temperature", "Units"};
    const std::array<const char*, 7> tips = {
        "On-Line Base Setting",
        "On-Line Dynamic Range Setting ",
        "On-Line Average Sample counts",
        "On-Line Over Range Counts (Samples) before FAR is exceeded.",
        "On-Line Sample Time",
        "On-Line Temperature",
        ""};
    for (int i = 0; i < 7; ++i) {
        settingPanels[i] = new LabelPanel(QLatin1String(captions[i]));
        settingPanels[i]->setObjectName(QStringLiteral("settingPanel_%1").arg(i));
        settingPanels[i]->setToolTip(QLatin1String(tips[i]));
        group->addWidget(settingPanels[i], 0, i);
    }
    const std::array<const char*, 6> labels = {"Lin  Adp", "Pay  Tak", "Hold",
                                               "Slv  Mas", "CRly",     "TConp"};
    const std::array<const char*, 6> switchTips = {
        "Linear or Adaptive", "PayOut or TakeUp",     "Hold On/Off",
        "Slave or Master",    "Control Relay On/Off", "Temperature Compensation On/Off"};
    QWidget* switches = row({});
    for (int i = 0; i < 6; ++i) {
        switchIndicators[i] = new SwitchIndicator;
        switchIndicators[i]->setObjectName(QStringLiteral("switchIndicator_%1").arg(i));
        switchIndicators[i]->setLabel(QLatin1String(labels[i]));
        switchIndicators[i]->setToolTip(QLatin1String(switchTips[i]));
        switches->layout()->addWidget(switchIndicators[i]);
    }
    group->addWidget(switches, 1, 0, {}, 1, 7);
    return group;
}

// The chart's buttons on their panel, at the right above the chart.
QLayout* MainWindow::buildChartButtonRow() {
    chartButtons[0] = chartButton(QStringLiteral("Time"), QStringLiteral("Time Stamp X-Axis"));
    chartButtons[1] =
        chartButton(QStringLiteral("Property"), QStringLiteral("Display Chart Properties"));
    chartButtons[2] = chartButton(QStringLiteral("Pause"), QStringLiteral("Pause Strip Chart"));
    for (int i = 0; i < 3; ++i) {
        chartButtons[i]->setObjectName(QStringLiteral("chartButton_%1").arg(i));
        connect(chartButtons[i], &QAbstractButton::clicked, this,
                [this, i] { chartButtonClicked(i); });
    }
    chartButtonPanel = row({chartButtons[0], chartButtons[1], chartButtons[2]});
    chartButtonPanel->setObjectName(QStringLiteral("chartButtonPanel"));
    m_chartButtonRow = new QHBoxLayout;
    m_chartButtonRow->addStretch(1);
    m_chartButtonRow->addWidget(chartButtonPanel);
    return m_chartButtonRow;
}

StripChart* MainWindow::buildChart() {
    chart = new StripChart;
    chart->setObjectName(QStringLiteral("chart"));
    chart->setToolTip(QStringLiteral("Chart Distance over Time"));
    chart->setCaption(QStringLiteral("Distance (Inches)"));
    chart->setMinimumHeight(210); // room for the link failure bar within the least height
    connect(chart, &StripChart::pausedChanged, this, [this](bool paused) {
        chartButtons[2]->setText(paused ? QStringLiteral("Paused") : QStringLiteral("Pause"));
    });
    return chart;
}

void MainWindow::addLogPanel(QWidget* panel) {
    m_chartButtonRow->insertWidget(m_chartButtonRow->indexOf(chartButtonPanel), panel);
}

void MainWindow::buildMenus() {
    QMenuBar* bar = menuBar();
    exitAction = bar->addAction(QStringLiteral("E&xit"));
    exitAction->setObjectName(QStringLiteral("exitAction"));
    connect(exitAction, &QAction::triggered, this, &QWidget::close);
    setupAction = bar->addAction(QStringLiteral("&Setup"));
    setupAction->setObjectName(QStringLiteral("setupAction"));

    QMenu* program = bar->addMenu(QStringLiteral("&Program"));
    program->setObjectName(QStringLiteral("mnuprogram"));
    remoteProgramAction = program->addAction(QStringLiteral("&Remote"));
    remoteProgramAction->setObjectName(QStringLiteral("remoteProgramAction"));
    program->addSeparator()->setObjectName(QStringLiteral("programMenuSeparator"));
    fileProgramAction = program->addAction(QStringLiteral("&Program File"));
    fileProgramAction->setObjectName(QStringLiteral("fileProgramAction"));

    QMenu* helpMenu = bar->addMenu(QStringLiteral("&Help"));
    helpMenu->setObjectName(QStringLiteral("helpMenu"));
    helpContentsAction = helpMenu->addAction(QStringLiteral("&Content"));
    helpContentsAction->setObjectName(QStringLiteral("helpContentsAction"));
    aboutAction = helpMenu->addAction(QStringLiteral("&About"));
    aboutAction->setObjectName(QStringLiteral("aboutAction"));
    helpMenu->addSeparator()->setObjectName(QStringLiteral("helpSeparator"));
    webPageAction = helpMenu->addAction(QStringLiteral("&On-Line Spoolex"));
    webPageAction->setObjectName(QStringLiteral("webPageAction"));
}

void MainWindow::chartButtonClicked(int index) {
    switch (index) {
    case 0:
        chart->timeStamp(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
        break;
    case 1:
        chart->showProperties();
        break;
    case 2:
        chart->setPaused(!chart->isPaused());
        break;
    case 3:
        // The operator takes over: a failure of this attempt is answered by the link itself.
        linkFailureBar->setVisible(false);
        emit onLineSwitched(chartButtons[3]->isChecked());
        break;
    default:
        break;
    }
}

void MainWindow::setOnLineSwitch(bool on) {
    chartButtons[3]->setChecked(on);
}

void MainWindow::showMeterMode(int meterMode, bool fromSelector) {
    m_meterMode = meterMode;
    meterSelector->setPosition(meterMode);
    relabelMeter(fromSelector);
}

void MainWindow::relabelMeter(bool fromSelector) {
    const MeterCaption c =
        meterCaptionFor(m_meterMode, m_outputMode, m_unitFactor, fromSelector, m_meterLabel);
    m_meterLabel = c.label;
    digitDisplays[1]->setLabel(c.label);
    digitDisplays[1]->setToolTip(c.tooltip);
    digitDisplays[1]->setDecimals(c.decimals);
}

void MainWindow::applyPlacement(const Placement& placement) {
    const QRect r = placementToPixels(placement, dotsPerInch(this));
    // Left and Top place the window's frame, Width and Height size its inside: the same things
    // placementToKeep() gives, so the window comes back exactly where it was. A placement off
    // every screen (a screen since removed, an edited file) is brought onto the nearest one.
    QList<QRect> screens;
    for (const QScreen* s : QGuiApplication::screens())
        screens.append(s->availableGeometry());
    const QRect placed =
        fitOntoScreens(QRect(r.topLeft(), r.size().expandedTo(minimumSizeHint())), screens);
    move(placed.topLeft());
    resize(placed.size());
}

std::optional<Placement> MainWindow::placementToKeep() const {
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))
        return std::nullopt;
    return pixelsToPlacement(QRect(frameGeometry().topLeft(), size()), dotsPerInch(this));
}

void MainWindow::setLinkIndicator(bool open) {
    linkLamp->setOn(open);
    showLive(open);
}

void MainWindow::showLive(bool live) {
    if (live)
        linkFailureBar->setVisible(false);
    if (live == m_live)
        return;
    m_live = live;
    // Off-line the readouts keep their last values, dimmed, and stop flashing: nothing on them
    // is current any more.
    const QColor digits = live ? theme::readout() : QColor(0x2c, 0x5a, 0x44);
    for (DigitDisplay* d : digitDisplays) {
        d->setDigitColor(digits);
        if (!live)
            d->setFlash(false);
    }
    chart->setLive(live);
}

void MainWindow::showLinkFailure(const QString& description) {
    // Only while the operator still wants the link: switched off, nothing is being re-connected.
    if (!chartButtons[3]->isChecked())
        return;
    linkFailureBar->setText(
        QStringLiteral("Unit link lost: %1. Re-connecting by itself; the values shown are the "
                       "last ones read.")
            .arg(description));
    linkFailureBar->setVisible(true);
}

void MainWindow::setOnlineControlsEnabled(bool enabled) {
    chartButtonPanel->setEnabled(enabled);
    meterSelector->setEnabled(enabled);
    remoteProgramAction->setEnabled(enabled);
}

void MainWindow::showSerialNumber(const QByteArray& serial) {
    identityPanels[0]->setText(QString::fromLatin1(serial));
}

void MainWindow::showMeterValue(float value) {
    digitDisplays[1]->setValue(value);
}

void MainWindow::addChartPoint(float distance) {
    chart->append(distance);
}

void MainWindow::setNearFlash(bool flashing) {
    digitDisplays[2]->setFlash(flashing);
}

void MainWindow::setFarFlash(bool flashing) {
    digitDisplays[3]->setFlash(flashing);
}

void MainWindow::showTemperature(const QByteArray& text) {
    settingPanels[5]->setText(QString::fromLatin1(text));
}

void MainWindow::refreshMainDisplay(const MainDisplayModel& model) {
    const MainDisplayTexts t = mainDisplayTextsFor(m_state, model);
    m_unitFactor = model.unitFactor;
    m_outputMode = model.outputMode;
    for (int i = 0; i < 7; ++i)
        settingPanels[i]->setText(t.settingsPanels[i]);
    identityPanels[0]->setText(t.serial);
    identityPanels[1]->setText(t.version);
    unitClock->setVisible(t.clockVisible);
    unitClock->setValue(t.clockHours);
    digitDisplays[0]->setText(t.programNumber);
    digitDisplays[2]->setValue(t.nearValue);
    digitDisplays[3]->setValue(t.farValue);
    echoLamp->setVisible(t.echoVisible);
    echoLamp->setOn(t.echoOn);
    for (int i = 0; i < 6; ++i)
        switchIndicators[i]->setValue(t.switches[i]);
    chart->setScale(t.spanLow, t.spanHigh, t.limitLow, t.limitHigh);
    statusPanel->setText(t.status);
    relabelMeter(false);
    chart->setCaption(t.chartCaption);
}

void MainWindow::showUnreadPrograms(const QList<int>& programs) {
    // Shown only while some program is missing, so the window looks as usual otherwise.
    QStatusBar* bar = findChild<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly);
    if (programs.isEmpty()) {
        if (bar)
            bar->clearMessage();
        return;
    }
    statusBar()->showMessage(QStringLiteral("Not read from the unit: program%1 %2")
                                 .arg(programs.size() == 1 ? QString() : QStringLiteral("s"),
                                      programListText(programs)));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    emit closing();
    event->accept();
}

} // namespace vanto
