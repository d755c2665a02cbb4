// The Program Utility window: one program of the set per tab, its fields, options and derived
// values, the command switches and the mode caption. A thin window over ProgramEditor: every
// widget is written from the editor's view() and every operator action goes to one of its
// handlers.
#pragma once

#include "editor/editorlink.h"
#include "editor/programeditor.h"

#include <QDialog>

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace vanto {

class CommandSwitch;
class EditorDialogs;
class ElidedLabel;
class FileDialogs;
class LabelPanel;
class PanelGroup;
class Prompts;
class TabStrip;

// Indexes of the command switches commandSwitches.
enum TogProgIndex : int {
    kSwitchXmit = 0,
    kSwitchSaveToFile,
    kSwitchViewLayout,
    kSwitchMakeXmitFile
};

class ProgramUtilityWindow : public QDialog {
    Q_OBJECT
public:
    // `mainTemperature` gives temperatureTimer the main window's temperature state; empty = none.
    ProgramUtilityWindow(ProgramState& state, EditorLink& link, Prompts& prompts,
                         FileDialogs& dialogs, const EditorSetup& setup,
                         std::function<MainTemperature()> mainTemperature = {},
                         QWidget* parent = nullptr);
    ~ProgramUtilityWindow() override;

    ProgramEditor& editor() { return *m_editor; }
    // The option dialogs and the sensor layout window the editor opens.
    EditorDialogs& dialogs() { return *m_windows; }

    // The text a panel shows: its title, for the mode panel the whole mode caption.
    QString panelLabel(int index) const;

    // The window's controls (the tests drive them).
    QWidget* tabPanel = nullptr;
    TabStrip* programTabs = nullptr; // tabs "#0" to "#7"
    std::array<QLineEdit*, kFieldEditCount> fieldEdits{};
    QLineEdit* serialEdit = nullptr;
    std::array<QCheckBox*, kOptionCheckCount> optionChecks{};
    std::array<QRadioButton*, kRangeOptionCount> rangeOptions{};
    std::array<PanelGroup*, kSettingPanelCount> settingPanels{};
    // The mode caption inside settingPanels 10: a long file name is shortened in the middle to the
    // room there is (the whole path is its tooltip), so it never widens the window.
    ElidedLabel* modeLabel = nullptr;
    std::array<LabelPanel*, kValuePanelCount> valuePanels{};
    std::array<CommandSwitch*, 4> commandSwitches{};
    std::array<QPushButton*, 9> settingSwitches{}; // the Settings switches have indexes 4 to 8
    QPushButton* closeButton = nullptr;
    QTimer* temperatureTimer = nullptr;

protected:
    // CLOSE, escape and the close box all come here.
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void buildPanels();
    QWidget* buildTabStrip();
    QWidget* buildSettings();
    void buildCheckBoxes();
    QLayout* buildEntryFields();
    QLayout* buildOptionPanels();
    QLayout* buildSettingSwitches();
    QWidget* buildValuePanels();
    QLayout* buildFooter();
    void buildCommandSwitches();
    QWidget* buildModeRow();
    QLayout* buildXmitAndClose();
    void setFieldTabOrder();
    void connectControls();
    void render();

    std::function<MainTemperature()> m_mainTemperature;
    std::unique_ptr<EditorDialogs> m_windows;
    std::unique_ptr<ProgramEditor> m_editor;
};

} // namespace vanto
