// The Program Utility window's presentation model: the workingRecord of the program on the
// selected tab, everything ProgramUtilityWindow shows, and one handler per operator action. The
// window binds its widgets to view() and calls the handlers; after each handler (and before the
// wait of a transmission) the model emits changed() and the window shows view() again.
//
// The window writes its widgets from view() without feeding the updates back as edits (use the
// textEdited and clicked signals, not textChanged or toggled).
#pragma once

#include "editorlink.h"
#include "program/programstate.h"

#include <QObject>
#include <QString>

#include <array>
#include <optional>

namespace vanto {

class FileDialogs;
class Prompts;

// Indexes of the nine numeric fields fieldEdits.
enum FieldEditIndex : int {
    kFieldBase = 0,
    kFieldRange,
    kFieldTotalSpan,
    kFieldNearRelay,
    kFieldOverCount,
    kFieldOffset,
    kFieldSampleInterval,
    kFieldAverage,
    kFieldTemperature,
    kFieldEditCount
};

// Indexes of the check boxes optionChecks.
enum OptionCheckIndex : int {
    kCheckTempOn = 0,
    kCheckHold,
    kCheckHysteresis,
    kCheckControlRelay,
    kCheckDoubleEcho,
    kCheckCounter,
    kCheckRs232,
    kCheckSumScale,
    kCheckClock,
    kOptionCheckCount
};

// Indexes of the option buttons rangeOptions; groups of two, the multiplex group of four.
enum RangeOptionIndex : int {
    kOption6Inch = 0,
    kOption13Inch,
    kOptionPayOut,
    kOptionTakeUp,
    kOptionAdaptive,
    kOptionLinear,
    kOptionUS,
    kOptionMetric,
    kOptionMaster,
    kOptionSlave,
    kOptionMuxOff,
    kOptionMux2,
    kOptionMux3,
    kOptionMux4,
    kRangeOptionCount
};

// Indexes of the labelled panels settingPanels.
enum SettingPanelIndex : int {
    kPanelModel = 0,
    kPanelSettings,
    kPanelHiLo,
    kPanelDirection,
    kPanelOutputMode,
    kPanelClock,
    kPanelUnits,
    kPanelCount,
    kPanelRs232,
    kPanelSumScale,
    kPanelMode,
    kPanelType,
    kPanelMux,
    kPanelControlRelay,
    kSettingPanelCount
};

// Indexes of the read-only value panels valuePanels.
enum ValuePanelIndex : int {
    kValuePwm = 0,
    kValueSampleTime,
    kValueActive,
    kValueConeDia,
    kValueConversion,
    kValuePanelCount
};

constexpr int kSerialLength = 6; // serialEdit holds at most six characters

enum class CheckState { Unchecked, Checked, Greyed };

struct Rgb {
    int r, g, b;
};
constexpr Rgb kActiveGreen{0, 255, 0};           // "Active" YES
constexpr Rgb kActiveLightYellow{255, 255, 192}; // "Active" NO
constexpr Rgb kXmitInactiveColour{0, 128, 255};  // Xmit when the editor opened off-line

struct TextView {
    QString text;
    bool bold = false;
    bool enabled = true;
};

struct CheckView {
    CheckState state = CheckState::Unchecked;
    bool enabled = true;
};

struct PanelView {
    QString label;
    bool enabled = true;
};

// Everything ProgramUtilityWindow shows that depends on the program or the editor state.
struct ProgramEditorView {
    int selectedTab = 0;         // programTabs; the number of the program shown
    bool tabStripEnabled = true; // tabPanel
    std::array<TextView, kFieldEditCount> fieldEdits;
    TextView serialEdit;
    std::array<CheckView, kOptionCheckCount> optionChecks;
    std::array<bool, kRangeOptionCount> rangeOptions{}; // selected
    std::array<PanelView, kSettingPanelCount> settingPanels;
    std::array<QString, kValuePanelCount> valuePanels; // value texts
    bool activeYes = false;                            // "Active": green YES, else light yellow NO
    // commandSwitches 1: 3 = file-mode changes not yet saved to the .prg (in the working copy or
    // already committed by a tab change, Xmit or Make Xmit File), 0 = none.
    int unsavedFile = 0;
    bool transmitPending =
        false;                // commandSwitches 0 on: changes not yet transmitted, or transmitting
    bool xmitActive = true;   // commandSwitches 0 usable; false when the editor opened off-line
    bool closeEnabled = true; // closeButton
    QString modeToolTip;      // the mode caption's whole file path in file mode
};

// How the editor was opened.
struct EditorSetup {
    bool remoteMode = false; // RemoteMode: the unit's programs, else a program file's
    int featureLevel = 0;    // featureLevel of the connected unit
    QString programDir;      // starting directory of the file dialogs
};

// What temperatureTimer takes from the main window.
struct MainTemperature {
    bool compensationOn = false; // the temperature-compensation switch
    double conversionValue = 0;  // conversionValue
    QString temperatureText;     // the value text of the temperature panel
};

class ProgramEditor : public QObject {
    Q_OBJECT
public:
    // Opens the editor on currentProgram.
    ProgramEditor(ProgramState& state, EditorLink& link, EditorWindows& windows, Prompts& prompts,
                  FileDialogs& dialogs, const EditorSetup& setup, QObject* parent = nullptr);

    const ProgramEditorView& view() const { return m_view; }
    ProgramRecord& workingRecord() { return m_working; }
    const ProgramRecord& workingRecord() const { return m_working; }
    bool loadingFlag() const { return m_loading; }
    // The unsaved-file indicator is 3 or the transmit-pending indicator is on.
    bool changesPending() const;
    bool transmitting() const { return m_transmitting; }
    // 1 for U.S. units, 2.54 for metric, as the units option stands.
    double unitFactor() const;

    // Fills every control from the workingRecord, which holds program p.
    void showProgram(int p);
    // Limits a value against the workingRecord (see rangelimits.h) and beeps when it changed.
    float limitToRange(float value, int kind);

    // Operator actions.
    void onFieldEdited(int index, const QString& text); // fieldEdits text typed
    void onFieldFocusLost(int index);                   // fieldEdits
    void onSerialEdited(const QString& text);           // serialEdit text typed
    void onSerialFocusLost();
    void onCheckClicked(int index);   // optionChecks
    void onOptionClicked(int index);  // rangeOptions
    void onSettingsSwitch(int index); // settingSwitches 4..8: marks the change, opens the dialog
    bool onTabChanging(int newTab);   // programTabs; false = refused, the old tab stays
    void onXmit();                    // commandSwitches 0; again while waiting abandons
    void onSaveToFile();              // commandSwitches 1
    void onViewLayout();              // commandSwitches 2
    void onMakeXmitFile();            // commandSwitches 3
    bool onCloseRequest();            // CLOSE or the close box; false = stay open
    // The compare's Transmit: `fileRecord`, the file's program `program`, sent as Xmit sends it,
    // on its own tab; program #0 keeps the clock of `unitRecord`, the unit's own value. In file
    // mode the program set stays the file's. Returns what the unit gave back; nothing when
    // refused (off-line, changes pending, told to the operator) or when the unit gave nothing.
    std::optional<ProgramRecord> transmitFromFile(int program, const ProgramRecord& fileRecord,
                                                  const ProgramRecord& unitRecord);
    void onTemperatureTimer(const MainTemperature& main);

signals:
    void changed();

private:
    void markChange();
    void setFieldText(int index, const QString& text);
    void selectOption(int index);
    bool checkUsable(int index) const;
    bool optionUsable(int index) const;
    void changeTab(int newTab);
    bool askToChangeTab();
    void clickCheck(int index);
    void relimitBase();
    void afterCheckClick();
    void showLength(int index, Field field, const char* format);
    void showSampleInterval();
    void showDerivedValues();
    void showConversion();
    void showCheck(int index);
    void commitWorkingRecord();
    void showFileState();
    void showModeCaption();
    bool workingChangesPending() const;
    bool refuseUntransmittable();
    bool verifyTransmission(const ProgramSet& sent);
    double limitedTo16Bits(double value);

    ProgramState& m_state;
    EditorLink& m_link;
    EditorWindows& m_windows;
    Prompts& m_prompts;
    FileDialogs& m_dialogs;
    EditorSetup m_setup;
    ProgramEditorView m_view;
    ProgramRecord m_working;
    bool m_loading = false;
    bool m_transmitting = false;
    bool m_abandoned = false;
    // What the unit gave back for the check of the last Xmit; none when it gave nothing back or
    // nothing went out.
    std::optional<ProgramRecord> m_readBack;
    bool m_editedDuringWait = false; // a change was marked while a transmission waited
    bool m_serialEdited = false;     // serialEdit typed since it was last shown
    // File mode: the working copy holds edits not yet committed to the ProgramSet, and the
    // ProgramSet holds committed edits not yet saved to the .prg. Only a save ends the second.
    bool m_workingEdited = false;
    bool m_fileUnsaved = false;
    bool m_pendingBeforeSerial = false;
};

} // namespace vanto
