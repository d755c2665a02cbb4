// The application: the unit link with its serial port, vanto.cfg, the settings store, the
// single-instance guard and the windows opened from the main window. main() creates it once the
// splash has had its time; the main window renders and hands the operator's actions over here.
#pragma once

#include "editor/editorlink.h"
#include "link/commconfig.h"
#include "link/unitlink.h"
#include "platform/qt/deviceport.h"
#include "platform/qt/qteventpump.h"
#include "platform/qt/qtfiledialogs.h"
#include "platform/qt/qtprompts.h"
#include "program/programstate.h"
#include "shellwindows.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QSettings;

namespace vanto {

class MainWindow;
class SingleInstanceGuard;
class WebPageProcess;

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

class VantoApp : public QObject, public EditorLink {
    Q_OBJECT
public:
    // Builds the application and its main window, hidden and placed: the single-instance check,
    // then the settings; vanto.cfg and the port wait for begin(). The program does this while
    // the splash shows, so that the window is ready when it ends.
    static std::unique_ptr<VantoApp> build(const StartupOptions& options,
                                           Prompts* prompts = nullptr);
    // The start-up steps: vanto.cfg and the device. False when another instance is running
    // (after telling the operator so).
    bool begin();
    // build() and begin() at once; null when another instance is running.
    static std::unique_ptr<VantoApp> start(const StartupOptions& options,
                                           Prompts* prompts = nullptr);
    ~VantoApp() override;

    MainWindow& window() { return *m_window; }
    UnitLink& link() { return *m_link; }
    ProgramState& programState() { return m_state; }
    CommConfig& config() { return m_config; }
    HelpViewer& help() { return m_help; }
    Prompts& prompts() { return *m_prompts; }
    FileDialogs& fileDialogs() { return m_fileDialogs; }
    const StartupOptions& options() const { return m_options; }
    // The per-user folder for vanto.cfg: the option's, else the user's config folder.
    QString userConfigDir() const;
    int meterMode() const;
    bool remoteMode() const { return m_remoteMode; }

    // What the operator's actions on the main window do.
    void switchOnLine(bool on);
    // --connect: the on-line toggle switched on as if by the operator.
    void switchOnLineAtStart();
    // The meter selector moved to `position`: accepted, or put back with a beep.
    void selectMeterMode(int position);
    void openSetup();
    void openRemoteProgram();
    void openFileProgram();
    void showAbout();
    void openWebPage();
    void showSensorLayout();

    // EditorLink
    bool onLine() const override;
    void startTransmission() override;
    bool transmissionPending() const override;
    void abandonTransmission() override;
    void processEvents() override;
    void refreshMainDisplay() override;
    bool readProgramBack(int program) override;

private:
    VantoApp(const StartupOptions& options, Prompts* prompts);
    void readStartupState();
    // The Program Utility over the main window, on the unit's programs (remote) or on the
    // program file just read.
    void openProgramUtility(bool remote);
    void connectWindow();
    // The main window is closing: the help and the link close, its placement is kept.
    void shutDown();
    std::unique_ptr<QSettings> settings() const;

    StartupOptions m_options;
    ProgramState m_state;
    CommConfig m_config;
    QtPrompts m_qtPrompts;
    Prompts* m_prompts;
    QtFileDialogs m_fileDialogs;
    QtEventPump m_pump;
    DevicePort m_port;
    QString m_chosenDevice; // the device chosen in Setup, kept in the settings store
    std::unique_ptr<SingleInstanceGuard> m_instance;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<UnitLink> m_link;
    HelpViewer m_help;
    QPointer<WebPageProcess> m_webPage; // started on first use
    bool m_remoteMode = false;
    int m_acceptedMeterMode = 3; // the meter mode accepted last (distance before the first)
};

} // namespace vanto
