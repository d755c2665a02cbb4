// The main window: the live display of the connected unit and its menus. It renders what the
// unit link and the display model decide (it is the link's view) and hands the operator's
// actions to the application (VantoApp), which owns the link, the port and the configuration.
#pragma once

#include "link/linkview.h"
#include "shared/appshell.h"

#include <QMainWindow>

#include <array>
#include <optional>

class QAbstractButton;
class QAction;
class QHBoxLayout;
class QLabel;
class QLayout;

namespace vanto {

class DigitDisplay;
class HourCounter;
class Lamp;
class LabelPanel;
class MeterSelector;
class PanelGroup;
class StripChart;
class SwitchIndicator;
struct ProgramState;

class MainWindow : public QMainWindow, public LinkView {
    Q_OBJECT
public:
    // `state` is the program set the displays describe (read only).
    explicit MainWindow(const ProgramState& state, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The controls.
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

    // A click on chart button `index` (3: the on-line toggle, which is reported by
    // onLineSwitched()).
    void chartButtonClicked(int index);
    void setOnLineSwitch(bool on);
    // The meter shows mode `meterMode` (1 analog, 2 output, 3 distance): the selector stands
    // there and the display's caption says it.
    void showMeterMode(int meterMode, bool fromSelector);
    // The sample log's panel, placed before the chart buttons.
    void addLogPanel(QWidget* panel);

    // The placement stored in the settings, brought onto a screen; and the placement to store
    // at closing (none while minimised or maximised).
    void applyPlacement(const Placement& placement);
    std::optional<Placement> placementToKeep() const;

    // Whether the readouts show live values; off-line they keep the last values, dimmed, and the
    // chart's badge says so.
    bool readoutsLive() const { return m_live; }

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

signals:
    // The operator switched the on-line toggle.
    void onLineSwitched(bool on);
    void meterSelectorMoved(int position);
    void logoPanelClicked();
    // The window is closing (Exit or the close box).
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    QLabel* buildLinkFailureBar();
    QLayout* buildReadouts();
    void buildDigitDisplays();
    PanelGroup* buildUnitPanel();
    PanelGroup* buildRunningProgramPanel();
    QLayout* buildChartButtonRow();
    StripChart* buildChart();
    void buildMenus();
    void relabelMeter(bool fromSelector);
    void showLive(bool live);

    const ProgramState& m_state;
    QHBoxLayout* m_chartButtonRow = nullptr;
    int m_meterMode = 3;
    int m_outputMode = 0;
    double m_unitFactor = 1.0;
    QString m_meterLabel;
    bool m_live = true;
};

} // namespace vanto
