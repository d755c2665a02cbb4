#include "mainwindow.h"

#include "editor/fileflows.h"
#include "link/portchoice.h"
#include "logpanel.h"
#include "monitor/displaytexts.h"
#include "platform/qt/qtportsource.h"
#include "program/programfile.h"
#include "programutilitywindow.h"
#include "sensorlayoutwindow.h"
#include "setupdialog.h"
#include "shared/appshell.h"
#include "shared/commandline.h"
#include "webpageprocess.h"
#include "widgets/digitdisplay.h"
#include "widgets/hourcounter.h"
#include "widgets/labelpanel.h"
#include "widgets/lamp.h"
#include "widgets/meterselector.h"
#include "widgets/slideswitch.h"
#include "widgets/stripchart.h"
#include "widgets/switchindicator.h"
#include "widgets/theme.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

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

} // namespace

StartupOptions parseStartupOptions(const QStringList& arguments, const QString& programDir) {
    const VantoCommandLine commandLine = parseVantoCommandLine(arguments);
    StartupOptions o;
    o.programDir = programDir;
    o.serviceFlag = commandLine.serviceFlag;
    o.device = commandLine.device;
    o.connect = commandLine.connect;
    o.settingsFile = commandLine.settingsFile;
    return o;
}

std::unique_ptr<MainWindow> MainWindow::load(const StartupOptions& options, Prompts* prompts) {
    std::unique_ptr<MainWindow> window(new MainWindow(options, prompts));
    // A second instance ends here, before the port, the configuration or the settings are used.
    window->m_instance = std::make_unique<SingleInstanceGuard>(options.lockDir);
    if (!window->m_instance->acquire()) {
        window->m_prompts->message(QStringLiteral("Previous Instance of Application is running"),
                                   QString(), MessageIcon::None);
        return nullptr;
    }

    // Placement, restored from the settings store in twips.
    const auto store = window->settings();
    const Placement placement = readPlacement(*store);
    const double dpi = window->screen() ? window->screen()->logicalDotsPerInch() : 96.0;
    const QRect r = placementToPixels(placement, dpi);
    // Left and Top place the window's frame, Width and Height size its inside: the same things
    // closeEvent() stores, so the window comes back exactly where it was. A placement off every
    // screen (a screen since removed, an edited file) is brought onto the nearest one.
    QList<QRect> screens;
    for (const QScreen* s : QGuiApplication::screens())
        screens.append(s->availableGeometry());
    const QRect placed =
        fitOntoScreens(QRect(r.topLeft(), r.size().expandedTo(window->minimumSizeHint())), screens);
    window->move(placed.topLeft());
    window->resize(placed.size());

    window->m_state.serviceFlag = options.serviceFlag;
    readConfig(window->m_config, configReadDir(options.programDir, window->userConfigDir()));
    UnitLink& link = *window->m_link;
    link.setActivePort(window->m_config.commPort);
    // --device for this run, else the device chosen in setup, else commPort's.
    window->m_chosenDevice = readChosenDevice(*store);
    link.setDeviceOverride(deviceOverrideAtStart(options.device, window->m_chosenDevice));
    // The initial link state: off-line, nothing outstanding, distance on the meter.
    window->setLinkIndicator(false);
    window->setOnlineControlsEnabled(false);
    window->relabelMeter(false);
    return window;
}

MainWindow::MainWindow(const StartupOptions& options, Prompts* prompts)
    : m_options(options), m_qtPrompts(this), m_prompts(prompts ? prompts : &m_qtPrompts),
      m_fileDialogs(this) {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("VANTO"));
    setWindowIcon(QIcon(appLogo(64)));
    m_link = std::make_unique<UnitLink>(m_state, m_port, *this, *m_prompts, m_pump, this);
    m_help.setup(this, options.programDir);
    buildWindow();
    buildMenus();
}

MainWindow::~MainWindow() = default;

std::unique_ptr<QSettings> MainWindow::settings() const {
    if (!m_options.settingsFile.isEmpty())
        return std::make_unique<QSettings>(m_options.settingsFile, QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("VANTO"), QLatin1String(kAppTitle));
}

void MainWindow::buildWindow() {
    auto* central = new QWidget(this);
    // Every readout legible: the window never shrinks below this, whatever placement is stored.
    central->setMinimumSize(980, 640);
    auto* root = new QVBoxLayout(central);
    root->setContentsMargins(10, 8, 10, 10);
    root->setSpacing(8);

    linkFailureBar = new QLabel;
    linkFailureBar->setObjectName(QStringLiteral("linkFailureBar"));
    linkFailureBar->setWordWrap(true);
    linkFailureBar->setTextFormat(Qt::PlainText);
    linkFailureBar->setStyleSheet(
        QStringLiteral("QLabel { background: #3a2a0c; color: #ffd28a; border: 1px solid #ffb02e; "
                       "border-radius: 4px; padding: 5px 8px; font-weight: bold; }"));
    linkFailureBar->setVisible(false);
    root->addWidget(linkFailureBar);

    // Readouts: program number, the large meter display with its selector, NEAR and FAR.
    const std::array<const char*, 4> labels = {"Program", "DISTANCE", "NEAR", "FAR"};
    const std::array<const char*, 4> tips = {"On-Line Program Number", "DISTANCE  Value in Inches",
                                             "Bottom Stop Value in Inches.",
                                             "FAR Value in Inches."};
    for (int i = 0; i < 4; ++i) {
        digitDisplays[i] = new DigitDisplay;
        digitDisplays[i]->setObjectName(QStringLiteral("NumLED_%1").arg(i));
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
    meterSelector = new MeterSelector;
    meterSelector->setObjectName(QStringLiteral("meterSelector"));
    meterSelector->setToolTip(
        QStringLiteral("Meter Selector:DISTANCE - Percent OUTPUT - Pecent ANALOG"));
    meterSelector->setPosition(3);
    connect(meterSelector, &MeterSelector::moved, this, [this](int) { selectMeterMode(); });

    auto* readouts = new QHBoxLayout;
    readouts->setSpacing(8);
    auto* programColumn = new QVBoxLayout;
    programColumn->addWidget(digitDisplays[0]);
    logoPanel = new PicturePanel([this] { logoPanelClicked(); });
    programColumn->addWidget(logoPanel);
    programColumn->addStretch(1);
    readouts->addLayout(programColumn);
    auto* meterColumn = new QVBoxLayout;
    meterColumn->addWidget(digitDisplays[1], 1);
    meterColumn->addWidget(meterSelector);
    readouts->addLayout(meterColumn, 3);
    auto* stops = new QVBoxLayout;
    stops->addWidget(digitDisplays[2]);
    stops->addWidget(digitDisplays[3]);
    readouts->addLayout(stops, 1);

    // The unit: link lamp with the on-line toggle, double echo, serial, version, clock, model.
    linkLamp = new Lamp;
    linkLamp->setObjectName(QStringLiteral("linkLamp"));
    linkLamp->setCaption(QStringLiteral("OnLine"));
    linkLamp->setStateTexts(QStringLiteral("Closed"), QStringLiteral("Open"));
    // The on-line toggle beside the onLine lamp: a switch whose knob stands at "Closed" or
    // "Open", so that what the operator asked for reads at a glance next to what the lamp says.
    auto* online = new SlideSwitch(QStringLiteral("Closed"), QStringLiteral("Open"));
    online->setObjectName(QStringLiteral("Toggle1_3"));
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
    const std::array<const char*, 2> labCaptions = {"Serial No.", "Version No."};
    const std::array<const char*, 2> labTips = {"On-Line Units Serial Number",
                                                "On-Line unit Version Number."};
    for (int i = 0; i < 2; ++i) {
        identityPanels[i] = new LabelPanel(QLatin1String(labCaptions[i]));
        identityPanels[i]->setObjectName(QStringLiteral("identityPanel_%1").arg(i));
        identityPanels[i]->setToolTip(QLatin1String(labTips[i]));
    }
    statusPanel = new LabelPanel(QStringLiteral("Display Panel"));
    statusPanel->setObjectName(QStringLiteral("statusPanel"));
    statusPanel->setText(QStringLiteral("Model Type:   "));

    auto* unit = new PanelGroup(QStringLiteral("Unit"));
    auto* lampAndToggle = new QWidget;
    auto* lampRow = new QHBoxLayout(lampAndToggle);
    lampRow->setContentsMargins(0, 0, 0, 0);
    lampRow->setSpacing(6);
    lampRow->addWidget(linkLamp, 1);
    lampRow->addWidget(online, 0, Qt::AlignVCenter);
    unit->addWidget(lampAndToggle, 0, 0, {}, 1, 2);
    unit->addWidget(identityPanels[0], 1, 0);
    unit->addWidget(identityPanels[1], 1, 1);
    unit->addWidget(echoLamp, 2, 0);
    unit->addWidget(unitClock, 2, 1);
    unit->addWidget(statusPanel, 3, 0, {}, 1, 2);
    readouts->addWidget(unit, 2);
    root->addLayout(readouts);

    // The running program's settings and the six switch indicators.
    auto* settingsGroup = new PanelGroup(QStringLiteral("Running program"));
    const std::array<const char*, 7> panelCaptions = {
        "Base", "Range", "Average", "Over Count", "S.Time(sec)", "Temperature", "Units"};
    const std::array<const char*, 7> panelTips = {
        "On-Line Base Setting",
        "On-Line Dynamic Range Setting ",
        "On-Line Average Sample counts",
        "On-Line Over Range Counts (Samples) before FAR is exceeded.",
        "On-Line Sample Time",
        "On-Line Temperature",
        ""};
    for (int i = 0; i < 7; ++i) {
        settingPanels[i] = new LabelPanel(QLatin1String(panelCaptions[i]));
        settingPanels[i]->setObjectName(QStringLiteral("settingPanel_%1").arg(i));
        settingPanels[i]->setToolTip(QLatin1String(panelTips[i]));
        settingsGroup->addWidget(settingPanels[i], 0, i);
    }
    const std::array<const char*, 6> swLabels = {"Lin  Adp", "Pay  Tak", "Hold",
                                                 "Slv  Mas", "CRly",     "TConp"};
    const std::array<const char*, 6> swTips = {
        "Linear or Adaptive", "PayOut or TakeUp",     "Hold On/Off",
        "Slave or Master",    "Control Relay On/Off", "Temperature Compensation On/Off"};
    auto* switchRow = new QWidget;
    auto* switchLayout = new QHBoxLayout(switchRow);
    switchLayout->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < 6; ++i) {
        switchIndicators[i] = new SwitchIndicator;
        switchIndicators[i]->setObjectName(QStringLiteral("switchIndicator_%1").arg(i));
        switchIndicators[i]->setLabel(QLatin1String(swLabels[i]));
        switchIndicators[i]->setToolTip(QLatin1String(swTips[i]));
        switchLayout->addWidget(switchIndicators[i]);
    }
    settingsGroup->addWidget(switchRow, 1, 0, {}, 1, 7);
    root->addWidget(settingsGroup);

    // The chart buttons on their panel, then the chart.
    chartButtonPanel = new QWidget;
    chartButtonPanel->setObjectName(QStringLiteral("chartButtonPanel"));
    auto* buttons = new QHBoxLayout(chartButtonPanel);
    buttons->setContentsMargins(0, 0, 0, 0);
    chartButtons[0] = chartButton(QStringLiteral("Time"), QStringLiteral("Time Stamp X-Axis"));
    chartButtons[1] =
        chartButton(QStringLiteral("Property"), QStringLiteral("Display Chart Properties"));
    chartButtons[2] = chartButton(QStringLiteral("Pause"), QStringLiteral("Pause Strip Chart"));
    for (int i = 0; i < 3; ++i) {
        chartButtons[i]->setObjectName(QStringLiteral("Toggle1_%1").arg(i));
        connect(chartButtons[i], &QAbstractButton::clicked, this,
                [this, i] { chartButtonClicked(i); });
        buttons->addWidget(chartButtons[i]);
    }
    auto* toggleRow = new QHBoxLayout;
    toggleRow->addStretch(1);
    // The sample log, usable on-line and off, beside the chart's buttons.
    toggleRow->addWidget(new LogPanel(*m_link, m_fileDialogs));
    toggleRow->addWidget(chartButtonPanel);
    root->addLayout(toggleRow);
    chart = new StripChart;
    chart->setObjectName(QStringLiteral("chart"));
    chart->setToolTip(QStringLiteral("Chart Distance over Time"));
    chart->setCaption(QStringLiteral("Distance (Inches)"));
    chart->setMinimumHeight(210); // room for the link failure bar within the least height
    connect(chart, &StripChart::pausedChanged, this, [this](bool paused) {
        chartButtons[2]->setText(paused ? QStringLiteral("Paused") : QStringLiteral("Pause"));
    });
    root->addWidget(chart, 1);
    setCentralWidget(central);
}

void MainWindow::buildMenus() {
    QMenuBar* bar = menuBar();
    exitAction = bar->addAction(QStringLiteral("E&xit"));
    exitAction->setObjectName(QStringLiteral("exitAction"));
    connect(exitAction, &QAction::triggered, this, &QWidget::close);
    setupAction = bar->addAction(QStringLiteral("&Setup"));
    setupAction->setObjectName(QStringLiteral("setupAction"));
    connect(setupAction, &QAction::triggered, this, &MainWindow::openSetup);

    QMenu* program = bar->addMenu(QStringLiteral("&Program"));
    program->setObjectName(QStringLiteral("mnuprogram"));
    remoteProgramAction = program->addAction(QStringLiteral("&Remote"));
    remoteProgramAction->setObjectName(QStringLiteral("remoteProgramAction"));
    connect(remoteProgramAction, &QAction::triggered, this, &MainWindow::openRemoteProgram);
    program->addSeparator()->setObjectName(QStringLiteral("prgSpc"));
    fileProgramAction = program->addAction(QStringLiteral("&Program File"));
    fileProgramAction->setObjectName(QStringLiteral("fileProgramAction"));
    connect(fileProgramAction, &QAction::triggered, this, &MainWindow::openFileProgram);

    QMenu* helpMenu = bar->addMenu(QStringLiteral("&Help"));
    helpMenu->setObjectName(QStringLiteral("helpMenu"));
    helpContentsAction = helpMenu->addAction(QStringLiteral("&Content"));
    helpContentsAction->setObjectName(QStringLiteral("helpContentsAction"));
    connect(helpContentsAction, &QAction::triggered, this, [this] { m_help.showContents(); });
    aboutAction = helpMenu->addAction(QStringLiteral("&About"));
    aboutAction->setObjectName(QStringLiteral("aboutAction"));
    connect(aboutAction, &QAction::triggered, this, &MainWindow::showAbout);
    helpMenu->addSeparator()->setObjectName(QStringLiteral("helpSeparator"));
    webPageAction = helpMenu->addAction(QStringLiteral("&On-Line Spoolex"));
    webPageAction->setObjectName(QStringLiteral("webPageAction"));
    connect(webPageAction, &QAction::triggered, this, &MainWindow::openWebPage);
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
        m_link->switchOnLine(chartButtons[3]->isChecked());
        // A connect that gave up (its message said why) leaves nothing re-connecting: the
        // switch goes back to "Closed" instead of claiming a link that is not there.
        if (chartButtons[3]->isChecked() && !m_link->vars().onLine && !m_link->pollTimerActive())
            chartButtons[3]->setChecked(false);
        break;
    default:
        break;
    }
}

void MainWindow::switchOnLineAtStart() {
    chartButtons[3]->setChecked(true);
    chartButtonClicked(3);
}

void MainWindow::relabelMeter(bool fromSelector) {
    const MeterCaption c = meterCaptionFor(meterMode(), m_link->display().outputMode, m_unitFactor,
                                           fromSelector, m_meterLabel);
    m_meterLabel = c.label;
    digitDisplays[1]->setLabel(c.label);
    digitDisplays[1]->setToolTip(c.tooltip);
    digitDisplays[1]->setDecimals(c.decimals);
}

void MainWindow::selectMeterMode() {
    const MeterSelection s = vanto::selectMeterMode(meterSelector->position(), m_acceptedMeterMode,
                                                    m_link->display().sumScaleOn);
    if (s.refused) {
        meterSelector->setPosition(s.meterMode);
        m_prompts->beep();
    }
    m_link->setMeterMode(s.meterMode);
    m_acceptedMeterMode = s.meterMode;
    relabelMeter(true);
}

QString MainWindow::userConfigDir() const {
    return m_options.userConfigDir.isEmpty() ? defaultUserConfigDir() : m_options.userConfigDir;
}

void MainWindow::openSetup() {
    int activePort = m_link->vars().activePort;
    // Stored where it was read when that is writable, else per user (an installed program).
    const QString configDir =
        configSaveDir(m_options.programDir, userConfigDir(), !runsInstalled(m_options.programDir));
    SetupDialog setup(m_config, activePort, configDir, *m_prompts, m_options.device, this);
    QtPortSource ports;
    QString chosen = m_chosenDevice;
    setup.offerDevices(ports, chosen);
    const bool saved = setup.exec() == QDialog::Accepted;
    m_link->setActivePort(activePort);
    if (saved && chosen != m_chosenDevice) {
        m_chosenDevice = chosen;
        writeChosenDevice(*settings(), chosen);
        m_link->setDeviceOverride(deviceOverrideAtStart(m_options.device, chosen));
    }
}

void MainWindow::openRemoteProgram() {
    if (!onLine())
        return;
    // Programs that were not read would be edited (and sent) blank.
    const QString refusal = m_link->remoteEditRefusal();
    if (!refusal.isEmpty()) {
        m_prompts->message(refusal, QStringLiteral("VANTO"), MessageIcon::Information);
        return;
    }
    m_remoteMode = true;
    openProgramUtility(*this, true);
}

void MainWindow::openFileProgram() {
    if (!openProgramFile(m_state, m_fileDialogs, *m_prompts, m_options.programDir))
        return;
    m_remoteMode = false;
    openProgramUtility(*this, false);
}

void MainWindow::showAbout() {
    AboutDialog about(*m_prompts, this);
    about.exec();
}

void MainWindow::openWebPage() {
    // The web page window is a program of its own (vanto-web), created on first use; this window
    // is disabled while it is open and ends it when it goes away.
    auto* web = findChild<WebPageProcess*>();
    if (!web)
        web = new WebPageProcess(this, *m_prompts, WebPageProcess::defaultProgram(), this);
    web->open(webHomeAddress());
}

void MainWindow::logoPanelClicked() {
    // A fresh window each time, released when it closes.
    SensorLayoutWindow layout(this);
    layout.exec();
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

bool MainWindow::onLine() const {
    return m_link->vars().onLine;
}

void MainWindow::startTransmission() {
    m_link->startTransmission(m_state.transmitProgram);
}

bool MainWindow::transmissionPending() const {
    return m_link->transmissionWaiting();
}

void MainWindow::abandonTransmission() {
    m_link->abandonTransmission();
}

void MainWindow::processEvents() {
    // Runs events for a short while, sleeping when there are none, so the wait does not spin.
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
}

void MainWindow::refreshMainDisplay() {
    m_link->refreshMainDisplay();
}

bool MainWindow::readProgramBack(int program) {
    constexpr int kReadBackTimeoutMs = 10000;
    UnitLink& link = *m_link;
    bool stored = false;
    const QMetaObject::Connection c =
        connect(&link, &UnitLink::recordDecoded, this, [&stored, program](int p, RecordOutcome o) {
            if (p == program && o == RecordOutcome::Stored)
                stored = true;
        });
    QElapsedTimer waited;
    waited.start();
    while (!stored && link.vars().onLine && waited.elapsed() < kReadBackTimeoutMs) {
        // Asked once the link polls again (the transmission's own read-back is over), and again
        // should polling resume without it (a reload answered with the running program).
        if (!link.fetchingRecords() && link.vars().linkRequest != LinkRequest::OneRecord &&
            !link.transmissionUnderWay() && !link.handshaking())
            link.requestProgramRecord(program);
        processEvents();
    }
    disconnect(c);
    return stored;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    m_help.close();
    m_link->switchOnLine(false);
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) {
        const double dpi = screen() ? screen()->logicalDotsPerInch() : 96.0;
        const auto store = settings();
        writePlacement(*store, pixelsToPlacement(QRect(frameGeometry().topLeft(), size()), dpi));
    }
    event->accept();
}

} // namespace vanto
