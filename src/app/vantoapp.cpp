#include "vantoapp.h"

#include "editor/fileflows.h"
#include "link/portchoice.h"
#include "link/unitlink.h"
#include "logpanel.h"
#include "mainwindow.h"
#include "monitor/displaytexts.h"
#include "platform/qt/qtportsource.h"
#include "program/programfile.h"
#include "programtools.h"
#include "programutilitywindow.h"
#include "sensorlayoutwindow.h"
#include "setupdialog.h"
#include "shared/appshell.h"
#include "shared/commandline.h"
#include "webpageprocess.h"
#include "widgets/labelpanel.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSettings>
#include <QTimer>

namespace vanto {

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

std::unique_ptr<VantoApp> VantoApp::build(const StartupOptions& options, Prompts* prompts) {
    // The single-instance check first: a second instance reads no settings or configuration and
    // opens no port; its begin() tells the operator.
    auto instance = std::make_unique<SingleInstanceGuard>(options.lockDir);
    const bool first = instance->acquire();
    std::unique_ptr<VantoApp> app(new VantoApp(options, prompts));
    if (!first)
        return app;
    app->m_instance = std::move(instance);
    // The settings, read once: the device chosen in Setup, and the window where the operator
    // left it, styled and with its native window made, so that the first show has only to map
    // and paint it. The placement goes first: a native window made without it is put where the
    // window manager likes.
    const auto store = app->settings();
    app->m_chosenDevice = readChosenDevice(*store);
    app->m_window->applyPlacement(readPlacement(*store));
    app->m_window->ensurePolished();
    app->m_window->winId();
    return app;
}

bool VantoApp::begin() {
    if (!m_instance) {
        // Its own main window never shows: the box stands alone.
        QtPrompts boxes;
        (m_prompts == &m_qtPrompts ? boxes : *m_prompts)
            .message(QStringLiteral("Previous Instance of Application is running"), QString(),
                     MessageIcon::None);
        return false;
    }
    readStartupState();
    return true;
}

std::unique_ptr<VantoApp> VantoApp::start(const StartupOptions& options, Prompts* prompts) {
    auto app = build(options, prompts);
    return app->begin() ? std::move(app) : nullptr;
}

VantoApp::VantoApp(const StartupOptions& options, Prompts* prompts)
    : m_options(options), m_prompts(prompts ? prompts : &m_qtPrompts),
      m_window(std::make_unique<MainWindow>(m_state)) {
    // Boxes and file dialogs open over the main window.
    m_qtPrompts.setParent(m_window.get());
    m_fileDialogs.setParent(m_window.get());
    m_link = std::make_unique<UnitLink>(m_state, m_port, *m_window, *m_prompts, m_pump, this);
    m_help.setup(m_window.get(), options.programDir);
    // The sample log, usable on-line and off, beside the chart's buttons.
    m_window->addLogPanel(new LogPanel(*m_link, m_fileDialogs));
    connectWindow();
}

VantoApp::~VantoApp() = default;

void VantoApp::readStartupState() {
    m_state.serviceFlag = m_options.serviceFlag;
    readConfig(m_config, configReadDir(m_options.programDir, userConfigDir()));
    UnitLink& link = *m_link;
    link.setActivePort(m_config.commPort);
    // --device for this run, else the device chosen in Setup, else commPort's.
    link.setDeviceOverride(deviceOverrideAtStart(m_options.device, m_chosenDevice));
    // The initial link state: off-line, nothing outstanding, distance on the meter.
    m_window->setLinkIndicator(false);
    m_window->setOnlineControlsEnabled(false);
    m_window->showMeterMode(link.vars().meterMode, false);
}

void VantoApp::connectWindow() {
    MainWindow& w = *m_window;
    connect(&w, &MainWindow::onLineSwitched, this, &VantoApp::switchOnLine);
    connect(&w, &MainWindow::meterSelectorMoved, this, &VantoApp::selectMeterMode);
    connect(&w, &MainWindow::logoPanelClicked, this, &VantoApp::showSensorLayout);
    connect(&w, &MainWindow::closing, this, &VantoApp::shutDown);
    connect(w.setupAction, &QAction::triggered, this, &VantoApp::openSetup);
    connect(w.remoteProgramAction, &QAction::triggered, this, &VantoApp::openRemoteProgram);
    connect(w.fileProgramAction, &QAction::triggered, this, &VantoApp::openFileProgram);
    connect(w.helpContentsAction, &QAction::triggered, this, [this] { m_help.showContents(); });
    connect(w.aboutAction, &QAction::triggered, this, &VantoApp::showAbout);
    connect(w.webPageAction, &QAction::triggered, this, &VantoApp::openWebPage);
}

std::unique_ptr<QSettings> VantoApp::settings() const {
    if (!m_options.settingsFile.isEmpty())
        return std::make_unique<QSettings>(m_options.settingsFile, QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("VANTO"), QLatin1String(kAppTitle));
}

QString VantoApp::userConfigDir() const {
    return m_options.userConfigDir.isEmpty() ? defaultUserConfigDir() : m_options.userConfigDir;
}

int VantoApp::meterMode() const {
    return m_link->vars().meterMode;
}

void VantoApp::switchOnLine(bool on) {
    m_link->switchOnLine(on);
    // A connect that gave up (its message said why) leaves nothing re-connecting: the switch
    // goes back to "Closed" instead of claiming a link that is not there.
    if (on && !m_link->vars().onLine && !m_link->pollTimerActive())
        m_window->setOnLineSwitch(false);
}

void VantoApp::switchOnLineAtStart() {
    m_window->setOnLineSwitch(true);
    m_window->chartButtonClicked(3);
}

void VantoApp::selectMeterMode(int position) {
    const MeterSelection s =
        vanto::selectMeterMode(position, m_acceptedMeterMode, m_link->display().sumScaleOn);
    if (s.refused)
        m_prompts->beep();
    m_link->setMeterMode(s.meterMode);
    m_acceptedMeterMode = s.meterMode;
    m_window->showMeterMode(s.meterMode, true);
}

void VantoApp::openSetup() {
    int activePort = m_link->vars().activePort;
    // Stored where it was read when that is writable, else per user (an installed program).
    const QString configDir =
        configSaveDir(m_options.programDir, userConfigDir(), !runsInstalled(m_options.programDir));
    SetupDialog setup(m_config, activePort, configDir, *m_prompts, m_options.device,
                      m_window.get());
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

void VantoApp::openRemoteProgram() {
    if (!onLine())
        return;
    // Programs that were not read would be edited (and sent) blank.
    const QString refusal = m_link->remoteEditRefusal();
    if (!refusal.isEmpty()) {
        m_prompts->message(refusal, QStringLiteral("VANTO"), MessageIcon::Information);
        return;
    }
    m_remoteMode = true;
    openProgramUtility(true);
}

void VantoApp::openFileProgram() {
    if (!openProgramFile(m_state, m_fileDialogs, *m_prompts, m_options.programDir))
        return;
    m_remoteMode = false;
    openProgramUtility(false);
}

void VantoApp::openProgramUtility(bool remote) {
    EditorSetup setup;
    setup.remoteMode = remote;
    setup.featureLevel = m_link->display().featureLevel;
    setup.programDir = m_options.programDir;
    ProgramUtilityWindow window(
        m_state, *this, *m_prompts, m_fileDialogs, setup,
        [this] {
            MainTemperature t;
            t.compensationOn = m_link->vars().tempCompensation;
            t.conversionValue = m_link->vars().conversionValue;
            t.temperatureText = m_window->settingPanels[5]->text();
            return t;
        },
        m_window.get());
    addProgramTools(window, *this, remote);
    // Message boxes and file dialogs open over this window while it is up.
    m_qtPrompts.setParent(&window);
    m_fileDialogs.setParent(&window);
    window.exec();
    m_qtPrompts.setParent(m_window.get());
    m_fileDialogs.setParent(m_window.get());
}

void VantoApp::showAbout() {
    AboutDialog about(*m_prompts, m_window.get());
    about.exec();
}

void VantoApp::openWebPage() {
    // The web page window is a program of its own (vanto-web), started on first use; the main
    // window is disabled while it is open and ends it when it goes away.
    if (!m_webPage)
        m_webPage = new WebPageProcess(m_window.get(), *m_prompts, WebPageProcess::defaultProgram(),
                                       m_window.get());
    m_webPage->open(webHomeAddress());
}

void VantoApp::showSensorLayout() {
    // A fresh window each time, released when it closes.
    SensorLayoutWindow layout(m_window.get());
    layout.exec();
}

void VantoApp::shutDown() {
    m_help.close();
    m_link->switchOnLine(false);
    if (const std::optional<Placement> placement = m_window->placementToKeep())
        writePlacement(*settings(), *placement);
}

bool VantoApp::onLine() const {
    return m_link->vars().onLine;
}

void VantoApp::startTransmission() {
    m_link->startTransmission(m_state.transmitProgram);
}

bool VantoApp::transmissionPending() const {
    return m_link->transmissionWaiting();
}

void VantoApp::abandonTransmission() {
    m_link->abandonTransmission();
}

void VantoApp::processEvents() {
    // Runs events for a short while, sleeping when there are none, so the wait does not spin.
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
}

void VantoApp::refreshMainDisplay() {
    m_link->refreshMainDisplay();
}

bool VantoApp::readProgramBack(int program) {
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

} // namespace vanto
