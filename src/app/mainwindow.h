// The main window: the live display of the connected unit, its menus, and the home of the unit
// link. It renders what the link and the display model decide; the behaviour is in the core.
#pragma once

#include "editor/editorlink.h"
#include "fieldkeyfilter.h"
#include "link/commconfig.h"
#include "link/linkview.h"
#include "link/unitlink.h"
#include "platform/qt/deviceport.h"
#include "platform/qt/qteventpump.h"
#include "platform/qt/qtfiledialogs.h"
#include "platform/qt/qtprompts.h"
#include "program/programstate.h"
#include "shellwindows.h"

#include <QMainWindow>

#include <array>
#include <memory>

class QAbstractButton;
class QAction;
class QLabel;
class QSettings;

namespace vanto {

class DigitDisplay;
class HourCounter;
class Lamp;
class LabelPanel;
class MeterSelector;
class StripChart;
class SwitchIndicator;
class SingleInstanceGuard;

// What the command line asks for.
struct StartupOptions {
    QString programDir;   // where vanto.cfg and the help file are
    QString device;       // --device PATH: open this device instead of the configured port
    bool connect = false; // --connect: switch the on-line toggle on at start
    int serviceFlag = 0;  // 99 with "/QV"
    QString settingsFile; // --settings FILE: an INI file instead of the user's settings store
    QString lockDir;      // where the single-instance lock lives ("" = the user's runtime dir)
    // The per-user folder for vanto.cfg ("" = the user's config folder).
    QString userConfigDir;
};

// The start-up options from the program's arguments (see parseVantoCommandLine; main() has
// already refused a bad command line and answered --help and --version).
StartupOptions parseStartupOptions(const QStringList& arguments, const QString& programDir);

class MainWindow : public QMainWindow, public LinkView, public EditorLink {
    Q_OBJECT
public:
    // Builds the main window and runs the start-up steps. Returns null when another instance is
    // running (after telling the operator so).
    static std::unique_ptr<MainWindow> load(const StartupOptions& options,
                                            Prompts* prompts = nullptr);
    ~MainWindow() override;

    // The window's controls (the tests drive them).
    std::array<DigitDisplay*, 4> digitDisplays{}; // 0 program, 1 meter, 2 NEAR, 3 FAR
    MeterSelector* meterSelector = nullptr;
    StripChart* chart = nullptr;
    std::array<SwitchIndicator*, 6> switchIndicators{};
    Lamp* linkLamp = nullptr;
    Lamp* echoLamp = nullptr;
    HourCounter* unitClock = nullptr;
    std::array<LabelPanel*, 2> identityPanels{}; // 0 serial number, 1 version
    std::array<LabelPanel*, 7> settingPanels{};  // the running program's settings
    LabelPanel* statusPanel = nullptr;
    QWidget* chartButtonPanel = nullptr;            // the chart buttons
    std::array<QAbstractButton*, 4> chartButtons{}; // 0 Time, 1 Property, 2 Pause, 3 on-line
    QWidget* logoPanel = nullptr;
    // Under the menu: a link that failed while on-line, shown while it re-connects by itself.
    QLabel* linkFailureBar = nullptr;
    QAction* exitAction = nullptr;
    QAction* setupAction = nullptr;
    QAction* remoteProgramAction = nullptr;
    QAction* fileProgramAction = nullptr;
    QAction* helpContentsAction = nullptr;
    QAction* aboutAction = nullptr;
    QAction* webPageAction = nullptr;

    UnitLink& link() { return *m_link; }
    ProgramState& programState() { return m_state; }
    CommConfig& config() { return m_config; }
    HelpViewer& help() { return m_help; }
    int meterMode() const { return m_link->vars().meterMode; }
    bool remoteMode() const { return m_remoteMode; }

    // Operator actions.
    void chartButtonClicked(int index);
    // --connect: the on-line toggle switched on as if by the operator.
    void switchOnLineAtStart();
    void selectMeterMode();
    void openSetup();
    void openRemoteProgram();
    void openFileProgram();
    void showAbout();
    void openWebPage();
    void logoPanelClicked();

    // LinkView
    void setLinkIndicator(bool open) override;
    void setOnlineControlsEnabled(bool enabled) override;
    void showSerialNumber(const QByteArray& serial) override;
    void showMeterValue(float value) override;
    void addChartPoint(float distance) override;
    void setNearFlash(bool flashing) override;
    void setFarFlash(bool flashing) override;
    void showTemperature(const QByteArray& text) override;
    void refreshMainDisplay(const MainDisplayModel& model) override;
    void showLinkFailure(const QString& description) override;
    void showUnreadPrograms(const QList<int>& programs) override;

    // Whether the readouts show live values; off-line they keep the last values, dimmed, and the
    // chart's badge says so.
    bool readoutsLive() const { return m_live; }

    // EditorLink
    bool onLine() const override;
    void startTransmission() override;
    bool transmissionPending() const override;
    void abandonTransmission() override;
    void processEvents() override;
    void refreshMainDisplay() override;
    bool readProgramBack(int program) override;

    Prompts& prompts() { return *m_prompts; }
    FileDialogs& fileDialogs() { return m_fileDialogs; }
    const StartupOptions& options() const { return m_options; }
    // The per-user folder for vanto.cfg: the option's, else the user's config folder.
    QString userConfigDir() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    MainWindow(const StartupOptions& options, Prompts* prompts);
    void buildWindow();
    void buildMenus();
    void relabelMeter(bool fromSelector);
    void showLive(bool live);
    std::unique_ptr<QSettings> settings() const;

    StartupOptions m_options;
    ProgramState m_state;
    CommConfig m_config;
    QtPrompts m_qtPrompts;
    Prompts* m_prompts;
    QtFileDialogs m_fileDialogs;
    QtEventPump m_pump;
    DevicePort m_port;
    QString m_chosenDevice; // the device chosen in setup, kept in the settings store
    std::unique_ptr<UnitLink> m_link;
    std::unique_ptr<SingleInstanceGuard> m_instance;
    HelpViewer m_help;
    bool m_remoteMode = false;
    int m_acceptedMeterMode = 3; // the meter mode accepted last (distance before the first)
    double m_unitFactor = 1.0;
    QString m_meterLabel;
    bool m_live = true;
};

} // namespace vanto
