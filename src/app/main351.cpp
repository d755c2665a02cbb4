#include "main351.h"

#include "frmprog.h"
#include "frmsens.h"
#include "frmsetup.h"
#include "link/portchoice.h"
#include "logpanel.h"
#include "monitor/displaytexts.h"
#include "platform/qt/qtportsource.h"
#include "program/programfile.h"
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
        : QWidget(parent), m_onClick(std::move(onClick)), m_logo(AppLogo(56)) {
        setObjectName(QStringLiteral("vsePicPnl"));
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

StartupOptions ParseStartupOptions(const QStringList& arguments, const QString& programDir) {
    const VantoCommandLine commandLine = ParseVantoCommandLine(arguments);
    StartupOptions o;
    o.programDir = programDir;
    o.serviceFlag = commandLine.serviceFlag;
    o.device = commandLine.device;
    o.connect = commandLine.connect;
    o.settingsFile = commandLine.settingsFile;
    return o;
}

std::unique_ptr<Main351> Main351::Load(const StartupOptions& options, Prompts* prompts) {
    std::unique_ptr<Main351> window(new Main351(options, prompts));
    // A second instance ends here, before the port, the configuration or the settings are used.
    window->m_instance = std::make_unique<SingleInstanceGuard>(options.lockDir);
    if (!window->m_instance->acquire()) {
        window->m_prompts->message(QStringLiteral("Previous Instance of Application is running"),
                                   QString(), MessageIcon::None);
        return nullptr;
    }

    // Placement, restored from the settings store in twips.
    const auto store = window->settings();
    const Placement placement = ReadPlacement(*store);
    const double dpi = window->screen() ? window->screen()->logicalDotsPerInch() : 96.0;
    const QRect r = PlacementToPixels(placement, dpi);
    // Left and Top place the window's frame, Width and Height size its inside: the same things
    // closeEvent() stores, so the window comes back exactly where it was. A placement off every
    // screen (a screen since removed, an edited file) is brought onto the nearest one.
    QList<QRect> screens;
    for (const QScreen* s : QGuiApplication::screens())
        screens.append(s->availableGeometry());
    const QRect placed =
        FitOntoScreens(QRect(r.topLeft(), r.size().expandedTo(window->minimumSizeHint())), screens);
    window->move(placed.topLeft());
    window->resize(placed.size());

    window->m_state.ServiceFlag = options.serviceFlag;
    ReadConfig(window->m_config, ConfigReadDir(options.programDir, window->userConfigDir()));
    UnitLink& link = *window->m_link;
    link.vars().ActivePort = window->m_config.CommPort;
    // --device for this run, else the device chosen in Setup, else CommPort's.
    window->m_chosenDevice = ReadChosenDevice(*store);
    link.vars().DeviceOverride = DeviceOverrideAtStart(options.device, window->m_chosenDevice);
    // The initial link state: off-line, nothing outstanding, distance on the meter.
    link.disableTimer1();
    window->setLinkIndicator(false);
    window->setOnlineControlsEnabled(false);
    window->relabelMeter(false);
    return window;
}

Main351::Main351(const StartupOptions& options, Prompts* prompts)
    : m_options(options), m_qtPrompts(this), m_prompts(prompts ? prompts : &m_qtPrompts),
      m_fileDialogs(this) {
    setObjectName(QStringLiteral("Main351"));
    setWindowTitle(QStringLiteral("VANTO"));
    setWindowIcon(QIcon(AppLogo(64)));
    m_link = std::make_unique<UnitLink>(m_state, m_port, *this, *m_prompts, m_pump, this);
    m_help.Setup(this, options.programDir);
    buildWindow();
    buildMenus();
}

Main351::~Main351() = default;

std::unique_ptr<QSettings> Main351::settings() const {
    if (!m_options.settingsFile.isEmpty())
        return std::make_unique<QSettings>(m_options.settingsFile, QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("VANTO"), QLatin1String(kAppTitle));
}

void Main351::buildWindow() {
    auto* central = new QWidget(this);
    // Every readout legible: the window never shrinks below this, whatever placement is stored.
    central->setMinimumSize(980, 640);
    auto* root = new QVBoxLayout(central);
    root->setContentsMargins(10, 8, 10, 10);
    root->setSpacing(8);

    lblLinkStatus = new QLabel;
    lblLinkStatus->setObjectName(QStringLiteral("lblLinkStatus"));
    lblLinkStatus->setWordWrap(true);
    lblLinkStatus->setTextFormat(Qt::PlainText);
    lblLinkStatus->setStyleSheet(
        QStringLiteral("QLabel { background: #3a2a0c; color: #ffd28a; border: 1px solid #ffb02e; "
                       "border-radius: 4px; padding: 5px 8px; font-weight: bold; }"));
    lblLinkStatus->setVisible(false);
    root->addWidget(lblLinkStatus);

    // Readouts: program number, the large meter display with its selector, NEAR and FAR.
    const std::array<const char*, 4> labels = {"Program", "DISTANCE", "NEAR", "FAR"};
    const std::array<const char*, 4> tips = {"On-Line Program Number", "DISTANCE  Value in Inches",
                                             "Bottom Stop Value in Inches.",
                                             "FAR Value in Inches."};
    for (int i = 0; i < 4; ++i) {
        NumLED[i] = new DigitDisplay;
        NumLED[i]->setObjectName(QStringLiteral("NumLED_%1").arg(i));
        NumLED[i]->setLabel(QLatin1String(labels[i]));
        NumLED[i]->setToolTip(QLatin1String(tips[i]));
    }
    NumLED[0]->setDigitCount(1);
    NumLED[0]->setText(QStringLiteral("0"));
    NumLED[0]->setFixedSize(96, 110);
    NumLED[1]->setDigitCount(6);
    NumLED[1]->setDecimals(1);
    NumLED[1]->setValue(0);
    NumLED[1]->setMinimumSize(260, 110);
    for (int i : {2, 3}) {
        NumLED[i]->setDigitCount(4);
        NumLED[i]->setValue(0);
        NumLED[i]->setDecimals(0);
    }
    lgSlid = new MeterSelector;
    lgSlid->setObjectName(QStringLiteral("lgSlid"));
    lgSlid->setToolTip(QStringLiteral("Meter Selector:DISTANCE - Percent OUTPUT - Pecent ANALOG"));
    lgSlid->setPosition(3);
    connect(lgSlid, &MeterSelector::moved, this, [this](int) { SelectMeterMode(); });

    auto* readouts = new QHBoxLayout;
    readouts->setSpacing(8);
    auto* programColumn = new QVBoxLayout;
    programColumn->addWidget(NumLED[0]);
    vsePicPnl = new PicturePanel([this] { vsePicPnl_Click(); });
    programColumn->addWidget(vsePicPnl);
    programColumn->addStretch(1);
    readouts->addLayout(programColumn);
    auto* meterColumn = new QVBoxLayout;
    meterColumn->addWidget(NumLED[1], 1);
    meterColumn->addWidget(lgSlid);
    readouts->addLayout(meterColumn, 3);
    auto* stops = new QVBoxLayout;
    stops->addWidget(NumLED[2]);
    stops->addWidget(NumLED[3]);
    readouts->addLayout(stops, 1);

    // The unit: link lamp with the on-line toggle, double echo, serial, version, clock, model.
    ledComm = new Lamp;
    ledComm->setObjectName(QStringLiteral("ledComm"));
    ledComm->setCaption(QStringLiteral("OnLine"));
    ledComm->setStateTexts(QStringLiteral("Closed"), QStringLiteral("Open"));
    // The on-line toggle beside the OnLine lamp: a switch whose knob stands at "Closed" or
    // "Open", so that what the operator asked for reads at a glance next to what the lamp says.
    auto* online = new SlideSwitch(QStringLiteral("Closed"), QStringLiteral("Open"));
    online->setObjectName(QStringLiteral("Toggle1_3"));
    online->setToolTip(QStringLiteral("Enable/Disable On-Line Unit"));
    online->setAccessibleName(QStringLiteral("On-line toggle"));
    connect(online, &QAbstractButton::clicked, this, [this] { Toggle1_Click(3); });
    Toggle1[3] = online;
    ledEcho = new Lamp;
    ledEcho->setObjectName(QStringLiteral("ledEcho"));
    ledEcho->setCaption(QStringLiteral("Dbl Echo"));
    ledEcho->setToolTip(QStringLiteral("When Green Double Echo Mode is enabled."));
    OdoClk = new HourCounter;
    OdoClk->setObjectName(QStringLiteral("OdoClk"));
    OdoClk->setToolTip(QStringLiteral("QX Unit Clock (Not Available on all units)."));
    OdoClk->setVisible(false);
    const std::array<const char*, 2> labCaptions = {"Serial No.", "Version No."};
    const std::array<const char*, 2> labTips = {"On-Line Units Serial Number",
                                                "On-Line unit Version Number."};
    for (int i = 0; i < 2; ++i) {
        vseLab[i] = new LabelPanel(QLatin1String(labCaptions[i]));
        vseLab[i]->setObjectName(QStringLiteral("vseLab_%1").arg(i));
        vseLab[i]->setToolTip(QLatin1String(labTips[i]));
    }
    vseStatus = new LabelPanel(QStringLiteral("Display Panel"));
    vseStatus->setObjectName(QStringLiteral("vseStatus"));
    vseStatus->setText(QStringLiteral("Model Type:   "));

    auto* unit = new PanelGroup(QStringLiteral("Unit"));
    auto* lampAndToggle = new QWidget;
    auto* lampRow = new QHBoxLayout(lampAndToggle);
    lampRow->setContentsMargins(0, 0, 0, 0);
    lampRow->setSpacing(6);
    lampRow->addWidget(ledComm, 1);
    lampRow->addWidget(online, 0, Qt::AlignVCenter);
    unit->addWidget(lampAndToggle, 0, 0, {}, 1, 2);
    unit->addWidget(vseLab[0], 1, 0);
    unit->addWidget(vseLab[1], 1, 1);
    unit->addWidget(ledEcho, 2, 0);
    unit->addWidget(OdoClk, 2, 1);
    unit->addWidget(vseStatus, 3, 0, {}, 1, 2);
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
        vsePrgPnl[i] = new LabelPanel(QLatin1String(panelCaptions[i]));
        vsePrgPnl[i]->setObjectName(QStringLiteral("vsePrgPnl_%1").arg(i));
        vsePrgPnl[i]->setToolTip(QLatin1String(panelTips[i]));
        settingsGroup->addWidget(vsePrgPnl[i], 0, i);
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
        togSw[i] = new SwitchIndicator;
        togSw[i]->setObjectName(QStringLiteral("togSw_%1").arg(i));
        togSw[i]->setLabel(QLatin1String(swLabels[i]));
        togSw[i]->setToolTip(QLatin1String(swTips[i]));
        switchLayout->addWidget(togSw[i]);
    }
    settingsGroup->addWidget(switchRow, 1, 0, {}, 1, 7);
    root->addWidget(settingsGroup);

    // The chart buttons on their panel, then the chart.
    vseTogPnl = new QWidget;
    vseTogPnl->setObjectName(QStringLiteral("vseTogPnl"));
    auto* buttons = new QHBoxLayout(vseTogPnl);
    buttons->setContentsMargins(0, 0, 0, 0);
    Toggle1[0] = chartButton(QStringLiteral("Time"), QStringLiteral("Time Stamp X-Axis"));
    Toggle1[1] =
        chartButton(QStringLiteral("Property"), QStringLiteral("Display Chart Properties"));
    Toggle1[2] = chartButton(QStringLiteral("Pause"), QStringLiteral("Pause Strip Chart"));
    for (int i = 0; i < 3; ++i) {
        Toggle1[i]->setObjectName(QStringLiteral("Toggle1_%1").arg(i));
        connect(Toggle1[i], &QAbstractButton::clicked, this, [this, i] { Toggle1_Click(i); });
        buttons->addWidget(Toggle1[i]);
    }
    auto* toggleRow = new QHBoxLayout;
    toggleRow->addStretch(1);
    // The sample log, usable on-line and off, beside the chart's buttons.
    toggleRow->addWidget(new LogPanel(*m_link, m_fileDialogs));
    toggleRow->addWidget(vseTogPnl);
    root->addLayout(toggleRow);
    Strip1 = new StripChart;
    Strip1->setObjectName(QStringLiteral("Strip1"));
    Strip1->setToolTip(QStringLiteral("Chart Distance over Time"));
    Strip1->setCaption(QStringLiteral("Distance (Inches)"));
    Strip1->setMinimumHeight(210); // room for the link failure bar within the least height
    connect(Strip1, &StripChart::pausedChanged, this, [this](bool paused) {
        Toggle1[2]->setText(paused ? QStringLiteral("Paused") : QStringLiteral("Pause"));
    });
    root->addWidget(Strip1, 1);
    setCentralWidget(central);
}

void Main351::buildMenus() {
    QMenuBar* bar = menuBar();
    mnuFileExt = bar->addAction(QStringLiteral("E&xit"));
    mnuFileExt->setObjectName(QStringLiteral("mnuFileExt"));
    connect(mnuFileExt, &QAction::triggered, this, &QWidget::close);
    mnuSetup = bar->addAction(QStringLiteral("&Setup"));
    mnuSetup->setObjectName(QStringLiteral("mnuSetup"));
    connect(mnuSetup, &QAction::triggered, this, &Main351::mnuSetup_Click);

    QMenu* program = bar->addMenu(QStringLiteral("&Program"));
    program->setObjectName(QStringLiteral("mnuprogram"));
    mnuProgramRm = program->addAction(QStringLiteral("&Remote"));
    mnuProgramRm->setObjectName(QStringLiteral("mnuProgramRm"));
    connect(mnuProgramRm, &QAction::triggered, this, &Main351::mnuProgramRm_Click);
    program->addSeparator()->setObjectName(QStringLiteral("prgSpc"));
    mnuprogramFl = program->addAction(QStringLiteral("&Program File"));
    mnuprogramFl->setObjectName(QStringLiteral("mnuprogramFl"));
    connect(mnuprogramFl, &QAction::triggered, this, &Main351::mnuprogramFl_Click);

    QMenu* helpMenu = bar->addMenu(QStringLiteral("&Help"));
    helpMenu->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpCont = helpMenu->addAction(QStringLiteral("&Content"));
    mnuHelpCont->setObjectName(QStringLiteral("mnuHelpCont"));
    connect(mnuHelpCont, &QAction::triggered, this, [this] { m_help.ShowContents(); });
    mnuHelpAbt = helpMenu->addAction(QStringLiteral("&About"));
    mnuHelpAbt->setObjectName(QStringLiteral("mnuHelpAbt"));
    connect(mnuHelpAbt, &QAction::triggered, this, &Main351::mnuHelpAbt_Click);
    helpMenu->addSeparator()->setObjectName(QStringLiteral("mnuHelpSpc"));
    mnuHelpWeb = helpMenu->addAction(QStringLiteral("&On-Line Spoolex"));
    mnuHelpWeb->setObjectName(QStringLiteral("mnuHelpWeb"));
    connect(mnuHelpWeb, &QAction::triggered, this, &Main351::mnuHelpWeb_Click);
}

void Main351::Toggle1_Click(int index) {
    switch (index) {
    case 0:
        Strip1->timeStamp(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
        break;
    case 1:
        Strip1->showProperties();
        break;
    case 2:
        Strip1->setPaused(!Strip1->isPaused());
        break;
    case 3:
        // The operator takes over: a failure of this attempt is answered by the link itself.
        lblLinkStatus->setVisible(false);
        m_link->SwitchOnLine(Toggle1[3]->isChecked());
        // A connect that gave up (its message said why) leaves nothing re-connecting: the
        // switch goes back to "Closed" instead of claiming a link that is not there.
        if (Toggle1[3]->isChecked() && !m_link->vars().OnLine && !m_link->timer1Active())
            Toggle1[3]->setChecked(false);
        break;
    default:
        break;
    }
}

void Main351::SwitchOnLineAtStart() {
    Toggle1[3]->setChecked(true);
    Toggle1_Click(3);
}

void Main351::relabelMeter(bool fromSelector) {
    const MeterCaption c = MeterCaptionFor(meterMode(), m_link->display().OutputMode, m_unitFactor,
                                           fromSelector, m_meterLabel);
    m_meterLabel = c.label;
    NumLED[1]->setLabel(c.label);
    NumLED[1]->setToolTip(c.tooltip);
    NumLED[1]->setDecimals(c.decimals);
}

void Main351::SelectMeterMode() {
    const MeterSelection s = vanto::SelectMeterMode(lgSlid->position(), m_acceptedMeterMode,
                                                    m_link->display().SumScaleOn);
    if (s.refused) {
        lgSlid->setPosition(s.meterMode);
        m_prompts->beep();
    }
    m_link->SetMeterMode(s.meterMode);
    m_acceptedMeterMode = s.meterMode;
    relabelMeter(true);
}

QString Main351::userConfigDir() const {
    return m_options.userConfigDir.isEmpty() ? UserConfigDir() : m_options.userConfigDir;
}

void Main351::mnuSetup_Click() {
    int activePort = m_link->vars().ActivePort;
    // Stored where it was read when that is writable, else per user (an installed program).
    const QString configDir =
        ConfigSaveDir(m_options.programDir, userConfigDir(), !RunsInstalled(m_options.programDir));
    frmSetup setup(m_config, activePort, configDir, *m_prompts, m_options.device, this);
    QtPortSource ports;
    QString chosen = m_chosenDevice;
    setup.offerDevices(ports, chosen);
    const bool saved = setup.exec() == QDialog::Accepted;
    m_link->vars().ActivePort = activePort;
    if (saved && chosen != m_chosenDevice) {
        m_chosenDevice = chosen;
        WriteChosenDevice(*settings(), chosen);
        m_link->vars().DeviceOverride = DeviceOverrideAtStart(m_options.device, chosen);
    }
}

void Main351::mnuProgramRm_Click() {
    if (!OnLine())
        return;
    // Programs that were not read would be edited (and sent) blank.
    const QString refusal = m_link->RemoteEditRefusal();
    if (!refusal.isEmpty()) {
        m_prompts->message(refusal, QStringLiteral("VANTO"), MessageIcon::Information);
        return;
    }
    m_remoteMode = true;
    OpenProgramUtility(*this, true);
}

void Main351::mnuprogramFl_Click() {
    if (!OpenProgramFile(m_state, m_fileDialogs, *m_prompts, m_options.programDir))
        return;
    m_remoteMode = false;
    OpenProgramUtility(*this, false);
}

void Main351::mnuHelpAbt_Click() {
    frmAbout about(*m_prompts, this);
    about.exec();
}

void Main351::mnuHelpWeb_Click() {
    // The web page window is a program of its own (vanto-web), created on first use; this window
    // is disabled while it is open and ends it when it goes away.
    auto* web = findChild<WebPageProcess*>();
    if (!web)
        web = new WebPageProcess(this, *m_prompts, WebPageProcess::defaultProgram(), this);
    web->open(WebHomeAddress());
}

void Main351::vsePicPnl_Click() {
    // A fresh window each time, released when it closes.
    frmSens layout(this);
    layout.exec();
}

void Main351::setLinkIndicator(bool open) {
    ledComm->setOn(open);
    showLive(open);
}

void Main351::showLive(bool live) {
    if (live)
        lblLinkStatus->setVisible(false);
    if (live == m_live)
        return;
    m_live = live;
    // Off-line the readouts keep their last values, dimmed, and stop flashing: nothing on them
    // is current any more.
    const QColor digits = live ? theme::readout() : QColor(0x2c, 0x5a, 0x44);
    for (DigitDisplay* d : NumLED) {
        d->setDigitColor(digits);
        if (!live)
            d->setFlash(false);
    }
    Strip1->setLive(live);
}

void Main351::showLinkFailure(const QString& description) {
    // Only while the operator still wants the link: switched off, nothing is being re-connected.
    if (!Toggle1[3]->isChecked())
        return;
    lblLinkStatus->setText(
        QStringLiteral("Unit link lost: %1. Re-connecting by itself; the values shown are the "
                       "last ones read.")
            .arg(description));
    lblLinkStatus->setVisible(true);
}

void Main351::setOnlineControlsEnabled(bool enabled) {
    vseTogPnl->setEnabled(enabled);
    lgSlid->setEnabled(enabled);
    mnuProgramRm->setEnabled(enabled);
}

void Main351::showSerialNumber(const QByteArray& serial) {
    vseLab[0]->setText(QString::fromLatin1(serial));
}

void Main351::showMeterValue(float value) {
    NumLED[1]->setValue(value);
}

void Main351::addChartPoint(float distance) {
    Strip1->append(distance);
}

void Main351::setNearFlash(bool flashing) {
    NumLED[2]->setFlash(flashing);
}

void Main351::setFarFlash(bool flashing) {
    NumLED[3]->setFlash(flashing);
}

void Main351::showTemperature(const QByteArray& text) {
    vsePrgPnl[5]->setText(QString::fromLatin1(text));
}

void Main351::refreshMainDisplay(const MainDisplayModel& model) {
    const MainDisplayTexts t = MainDisplayTextsFor(m_state, model);
    m_unitFactor = model.UnitFactor;
    for (int i = 0; i < 7; ++i)
        vsePrgPnl[i]->setText(t.settingsPanels[i]);
    vseLab[0]->setText(t.serial);
    vseLab[1]->setText(t.version);
    OdoClk->setVisible(t.clockVisible);
    OdoClk->setValue(t.clockHours);
    NumLED[0]->setText(t.programNumber);
    NumLED[2]->setValue(t.nearValue);
    NumLED[3]->setValue(t.farValue);
    ledEcho->setVisible(t.echoVisible);
    ledEcho->setOn(t.echoOn);
    for (int i = 0; i < 6; ++i)
        togSw[i]->setValue(t.switches[i]);
    Strip1->setScale(t.spanLow, t.spanHigh, t.limitLow, t.limitHigh);
    vseStatus->setText(t.status);
    relabelMeter(false);
    Strip1->setCaption(t.chartCaption);
}

void Main351::showUnreadPrograms(const QList<int>& programs) {
    // Shown only while some program is missing, so the window looks as usual otherwise.
    QStatusBar* bar = findChild<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly);
    if (programs.isEmpty()) {
        if (bar)
            bar->clearMessage();
        return;
    }
    statusBar()->showMessage(QStringLiteral("Not read from the unit: program%1 %2")
                                 .arg(programs.size() == 1 ? QString() : QStringLiteral("s"),
                                      ProgramListText(programs)));
}

bool Main351::OnLine() const {
    return m_link->vars().OnLine;
}

void Main351::StartTransmission() {
    m_link->StartTransmission(m_state.TransmitProgram);
}

bool Main351::TransmissionPending() const {
    return m_link->TransmissionWaiting();
}

void Main351::AbandonTransmission() {
    m_link->AbandonTransmission();
}

void Main351::ProcessEvents() {
    // Runs events for a short while, sleeping when there are none, so the wait does not spin.
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
}

void Main351::RefreshMainDisplay() {
    m_link->RefreshMainDisplay();
}

bool Main351::ReadProgramBack(int program) {
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
    while (!stored && link.vars().OnLine && waited.elapsed() < kReadBackTimeoutMs) {
        // Asked once the link polls again (the transmission's own read-back is over), and again
        // should polling resume without it (a reload answered with the running program).
        if (!link.fetchingRecords() && link.vars().LinkRequest != 8 &&
            link.timer1Interval() == UnitLink::kPollInterval && !link.handshaking())
            link.RequestProgramRecord(program);
        ProcessEvents();
    }
    disconnect(c);
    return stored;
}

void Main351::closeEvent(QCloseEvent* event) {
    m_help.Close();
    m_link->CloseUnitLink();
    m_link->disableTimer1();
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) {
        const double dpi = screen() ? screen()->logicalDotsPerInch() : 96.0;
        const auto store = settings();
        WritePlacement(*store, PixelsToPlacement(QRect(frameGeometry().topLeft(), size()), dpi));
    }
    event->accept();
}

} // namespace vanto
