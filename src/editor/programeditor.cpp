#include "programeditor.h"

#include "fileflows.h"
#include "platform/prompts.h"
#include "program/derived.h"
#include "program/programfile.h"
#include "program/transmission.h"
#include "rangelimits.h"
#include "shared/numtext.h"

#include <QDir>

namespace vanto {

namespace {

const QString kModificationsTitle = QStringLiteral("Modifications Made");
const QString kMoveQuestion =
    QStringLiteral("Changes have been made. Do you still want to Move to the new Program?");
const QString kExitQuestion = QStringLiteral("Changes have been made. Do you still want to Exit?");
const QString kBlankSerialText = QStringLiteral("Serial Number cannot be BLANK");
const QString kBlankSerialTitle = QStringLiteral("S\\N ERROR");

// The temperatures the unit can measure; an entry beyond is limited with the beep.
constexpr double kLowestCelsius = -40.0;
constexpr double kHighestCelsius = 85.0;
constexpr double kLowestFahrenheit = -40.0;
constexpr double kHighestFahrenheit = 185.0;

// At most this many differing values are listed in a failed transmission's message.
constexpr int kDifferencesListed = 6;

// The option groups: first index and size.
struct OptionGroup {
    int first;
    int count;
};
constexpr OptionGroup kOptionGroups[] = {{kOption6Inch, 2},    {kOptionPayOut, 2},
                                         {kOptionAdaptive, 2}, {kOptionUS, 2},
                                         {kOptionMaster, 2},   {kOptionMuxOff, 4}};

OptionGroup groupOf(int option) {
    for (const OptionGroup& g : kOptionGroups) {
        if (option >= g.first && option < g.first + g.count)
            return g;
    }
    return {option, 1};
}

// The panel that holds each option button.
int panelOfOption(int option) {
    switch (groupOf(option).first) {
    case kOption6Inch:
        return kPanelHiLo;
    case kOptionPayOut:
        return kPanelDirection;
    case kOptionAdaptive:
        return kPanelOutputMode;
    case kOptionUS:
        return kPanelUnits;
    case kOptionMaster:
        return kPanelType;
    default:
        return kPanelMux;
    }
}

// The panel that holds an Enable box with its Settings switch, or -1 for the loose boxes.
int panelOfCheck(int check) {
    switch (check) {
    case kCheckControlRelay:
        return kPanelControlRelay;
    case kCheckCounter:
        return kPanelCount;
    case kCheckRs232:
        return kPanelRs232;
    case kCheckSumScale:
        return kPanelSumScale;
    case kCheckClock:
        return kPanelClock;
    default:
        return -1;
    }
}

// The Enable box beside the Settings switch settingSwitches `index` (4..8).
int checkOfSetting(int index) {
    switch (index) {
    case 4:
        return kCheckControlRelay;
    case 5:
        return kCheckCounter;
    case 6:
        return kCheckRs232;
    case 7:
        return kCheckSumScale;
    default:
        return kCheckClock;
    }
}

CheckState stateOf(int value) {
    if (value == 0)
        return CheckState::Unchecked;
    if (value == 1)
        return CheckState::Checked;
    return CheckState::Greyed; // 2, and the 3 a click makes of it
}

int digitValue(char c) {
    return c >= '0' && c <= '9' ? c - '0' : 0;
}

QString latin1(const QByteArray& text) {
    return QString::fromLatin1(text);
}

// The record field each Enable box stores (the hold box stores a ModeFlags position).
Field fieldOfCheck(int check) {
    switch (check) {
    case kCheckTempOn:
        return Field::TempSensorMode;
    case kCheckHysteresis:
        return Field::HysteresisOff;
    case kCheckControlRelay:
        return Field::ControlRelayEnable;
    case kCheckDoubleEcho:
        return Field::DoubleEcho;
    case kCheckCounter:
        return Field::CountMode;
    case kCheckRs232:
        return Field::Rs232Enable;
    case kCheckSumScale:
        return Field::SumScaleEnable;
    case kCheckClock:
        return Field::ClockEnable;
    default:
        return Field::ModeFlags;
    }
}

} // namespace

ProgramEditor::ProgramEditor(ProgramState& state, EditorLink& link, EditorWindows& windows,
                             Prompts& prompts, FileDialogs& dialogs, const EditorSetup& setup,
                             QObject* parent)
    : QObject(parent), m_state(state), m_link(link), m_windows(windows), m_prompts(prompts),
      m_dialogs(dialogs), m_setup(setup) {
    static const char* const kLabels[kSettingPanelCount] = {"",
                                                            "Program Settings",
                                                            "Hi/Lo Range",
                                                            "Pay/Takeup",
                                                            "Adaptive/Linear",
                                                            "Clock",
                                                            "Units",
                                                            "Count/Gate",
                                                            "RS232",
                                                            "Sum/Scale",
                                                            "",
                                                            "Type",
                                                            "Multiplex Sensors",
                                                            "Cntl Relay"};
    for (int i = 0; i < kSettingPanelCount; ++i)
        m_view.settingPanels[i].label = QLatin1String(kLabels[i]);

    m_loading = true;
    m_working = m_state.programs[m_state.currentProgram];
    m_view.xmitActive = m_link.onLine();
    showModeCaption();
    m_view.settingPanels[kPanelSumScale].enabled = !m_setup.remoteMode || m_setup.featureLevel >= 1;
    const bool qx3100 = m_state.modelName == QLatin1String("QX3100");
    m_view.settingPanels[kPanelHiLo].enabled = !qx3100;
    m_view.optionChecks[kCheckDoubleEcho].enabled = !qx3100;
    showProgram(0);
    if (m_state.currentProgram != m_view.selectedTab)
        changeTab(m_state.currentProgram); // nothing is pending yet, so no question
    m_loading = false;
}

bool ProgramEditor::changesPending() const {
    return m_view.unsavedFile == 3 || m_view.transmitPending;
}

// Changes that moving to another program would drop: edits of the working copy not yet
// committed, or not yet transmitted. Committed but unsaved file-mode edits stay in the
// ProgramSet, so they do not stop a tab change; they keep the closing question.
bool ProgramEditor::workingChangesPending() const {
    return (!m_setup.remoteMode && m_workingEdited) || m_view.transmitPending;
}

void ProgramEditor::showModeCaption() {
    if (m_setup.remoteMode) {
        m_view.settingPanels[kPanelMode].label = QStringLiteral("REMOTE MODE");
        m_view.modeToolTip.clear();
        return;
    }
    m_view.settingPanels[kPanelMode].label =
        QStringLiteral("FILE MODE: ") + m_state.programFileName.toUpper();
    m_view.modeToolTip = QDir::toNativeSeparators(
        m_state.programFilePath.isEmpty() ? m_state.programFileName : m_state.programFilePath);
}

void ProgramEditor::showFileState() {
    if (!m_setup.remoteMode)
        m_view.unsavedFile = (m_workingEdited || m_fileUnsaved) ? 3 : 0;
}

// An entry outside the 16-bit range is limited to it, with the beep.
double ProgramEditor::limitedTo16Bits(double value) {
    const double limited = qBound(-32768.0, value, 32767.0);
    if (limited != value)
        m_prompts.beep();
    return limited;
}

double ProgramEditor::unitFactor() const {
    return m_view.rangeOptions[kOptionUS] ? 1.0 : 2.54;
}

void ProgramEditor::markChange() {
    if (m_loading)
        return;
    if (!m_setup.remoteMode) {
        m_workingEdited = true;
        m_view.unsavedFile = 3;
    } else if (m_link.onLine())
        m_view.transmitPending = true;
    else
        return; // off-line in remote mode nothing is marked
    if (m_transmitting)
        m_editedDuringWait = true;
}

// Writes a field's shown text. A text the model changes while loadingFlag is lowered counts as
// an edit of that field, as typing would: it turns bold and marks the change.
void ProgramEditor::setFieldText(int index, const QString& text) {
    TextView& field = m_view.fieldEdits[index];
    if (field.text == text)
        return;
    field.text = text;
    if (!m_loading) {
        field.bold = true;
        markChange();
    }
}

void ProgramEditor::selectOption(int index) {
    const OptionGroup g = groupOf(index);
    for (int i = g.first; i < g.first + g.count; ++i)
        m_view.rangeOptions[i] = i == index;
}

bool ProgramEditor::checkUsable(int index) const {
    const int panel = panelOfCheck(index);
    return m_view.optionChecks[index].enabled && (panel < 0 || m_view.settingPanels[panel].enabled);
}

bool ProgramEditor::optionUsable(int index) const {
    return m_view.settingPanels[panelOfOption(index)].enabled;
}

// Shows a stored length in display units.
void ProgramEditor::showLength(int index, Field field, const char* format) {
    setFieldText(index, latin1(formatNumber(m_working.number(field) * unitFactor(), format)));
}

void ProgramEditor::showSampleInterval() {
    setFieldText(kFieldSampleInterval,
                 latin1(formatNumber(m_working.number(Field::SampleInterval) / 1000.0, "0.0")));
}

void ProgramEditor::showDerivedValues() {
    m_view.valuePanels[kValuePwm] = latin1(formatNumber(pwmFrequency(m_working), "0.0"));
    m_view.valuePanels[kValueSampleTime] = latin1(formatNumber(sampleTimeMs(m_working), "0.0"));
    m_view.valuePanels[kValueConeDia] =
        latin1(formatNumber(m_working.number(Field::TotalSpan) * 0.305 * unitFactor(), "0.00"));
}

void ProgramEditor::showConversion() {
    const qint16 mode = m_working.whole(Field::TempSensorMode);
    double conversion;
    if (mode != 2 && mode != 0) // the unit measures the temperature: its conversion stands
        conversion = m_working.number(Field::Conversion);
    else
        conversion = conversionAtTemperature(float(m_working.number(Field::Temperature) / 10.0));
    m_view.valuePanels[kValueConversion] =
        latin1(formatNumber(conversion * unitFactor(), "0.00000"));
}

void ProgramEditor::showCheck(int index) {
    int value;
    if (index == kCheckHold)
        value = digitValue(m_working.modeFlag(kModeHold)) ^ 1;
    else if (index == kCheckHysteresis)
        value = m_working.whole(Field::HysteresisOff) ^ 1;
    else
        value = m_working.whole(fieldOfCheck(index));
    m_view.optionChecks[index].state = stateOf(value);
}

void ProgramEditor::showProgram(int p) {
    m_view.serialEdit.text = latin1(m_state.unitSerial).toUpper();
    m_view.serialEdit.enabled = p == 7 && m_state.serviceFlag == 99;
    m_view.serialEdit.bold = false;
    m_serialEdited = false;

    const double factor = m_working.unitFactor();
    for (TextView& field : m_view.fieldEdits)
        field.bold = false;
    m_view.settingPanels[kPanelModel].label = QStringLiteral("Model#: ") + m_state.modelName;
    // The units option first, so that every length below is shown in the record's units.
    selectOption(factor == 1.0 ? kOptionUS : kOptionMetric);
    showDerivedValues();
    m_view.activeYes = p == m_state.currentProgram;
    m_view.valuePanels[kValueActive] =
        m_view.activeYes ? QStringLiteral("YES") : QStringLiteral("NO");

    showLength(kFieldBase, Field::Base, "#");
    showLength(kFieldRange, Field::Range, "#");
    setFieldText(kFieldTotalSpan, latin1(formatNumber(totalSpanOf(m_working) * factor, "#")));
    showLength(kFieldNearRelay, Field::NearRelay, "#");
    setFieldText(kFieldOverCount, latin1(m_working.trimmed(Field::OverCount)));
    if (m_working.linearMode()) {
        setFieldText(kFieldOffset,
                     latin1(formatNumber(m_working.whole(Field::OffsetPercent), "0")));
    } else {
        setFieldText(kFieldOffset, latin1(m_working.trimmed(Field::OffsetPercent)));
    }
    showSampleInterval();
    setFieldText(kFieldAverage, latin1(m_working.trimmed(Field::AverageCount)));
    const double tenths = m_working.number(Field::Temperature);
    const double shownTemperature = factor == 1.0 ? tenths * 0.18 + 32.0 : tenths / 10.0;
    setFieldText(kFieldTemperature, latin1(formatNumber(shownTemperature, "0.0")));

    const qint16 tempMode = m_working.whole(Field::TempSensorMode);
    if (tempMode == 2) {
        m_view.optionChecks[kCheckTempOn].enabled = false; // its check mark stays as it was
        m_view.fieldEdits[kFieldTemperature].enabled = true;
    } else {
        showCheck(kCheckTempOn);
        m_view.optionChecks[kCheckTempOn].enabled = true;
        m_view.fieldEdits[kFieldTemperature].enabled = tempMode == 0;
    }
    showConversion();

    for (int check : {kCheckHold, kCheckHysteresis, kCheckControlRelay, kCheckDoubleEcho})
        showCheck(check);

    const qint16 mux = m_working.whole(Field::MuxSensors);
    for (int i = 0; i < 4; ++i)
        m_view.rangeOptions[kOptionMuxOff + i] = mux == i + 1;

    const qint16 slave = m_working.whole(Field::SlaveMode);
    m_view.settingPanels[kPanelRs232].enabled = slave == 0;
    m_view.settingPanels[kPanelType].enabled = m_working.whole(Field::Rs232Enable) != 1;
    // A SlaveMode other than 0 or 1 selects neither Master nor Slave.
    m_view.rangeOptions[kOptionMaster] = slave == 0;
    m_view.rangeOptions[kOptionSlave] = slave == 1;

    selectOption(m_working.whole(Field::MinimumBase) == 6 ? kOption6Inch : kOption13Inch);
    selectOption(m_working.payOut() ? kOptionPayOut : kOptionTakeUp);
    selectOption(m_working.linearMode() ? kOptionLinear : kOptionAdaptive);

    showCheck(kCheckRs232);
    showCheck(kCheckSumScale);
    if (m_view.optionChecks[kCheckSumScale].state == CheckState::Checked) {
        m_view.optionChecks[kCheckHysteresis].state = CheckState::Unchecked;
        m_view.optionChecks[kCheckHysteresis].enabled = false;
    } else {
        m_view.optionChecks[kCheckHysteresis].enabled = true;
    }
    showCheck(kCheckClock);
    showCheck(kCheckCounter);

    // Program #0 runs without hold, direction, output mode or multiplex choices.
    const bool notZero = p != 0;
    m_view.optionChecks[kCheckHold].enabled = notZero;
    m_view.settingPanels[kPanelDirection].enabled = notZero;
    m_view.settingPanels[kPanelOutputMode].enabled = notZero;
    m_view.settingPanels[kPanelMux].enabled = notZero;
}

float ProgramEditor::limitToRange(float value, int kind) {
    const RangeResult r = vanto::limitToRange(m_working, value, kind);
    if (r.beep)
        m_prompts.beep();
    return r.value;
}

void ProgramEditor::onFieldEdited(int index, const QString& text) {
    if (m_loading || index < 0 || index >= kFieldEditCount || !m_view.fieldEdits[index].enabled)
        return;
    m_view.fieldEdits[index].text = text;
    m_view.fieldEdits[index].bold = true;
    markChange();
    emit changed();
}

void ProgramEditor::onFieldFocusLost(int index) {
    if (m_loading || index < 0 || index >= kFieldEditCount || !m_view.fieldEdits[index].enabled)
        return;
    const QByteArray text = m_view.fieldEdits[index].text.toLatin1();
    const double entered = leadingNumber(text);
    const double factor = unitFactor();
    auto storeTotalSpan = [this] {
        const int span = m_working.whole(Field::Range) + m_working.whole(Field::Base);
        m_working.set(Field::TotalSpan, QByteArray::number(span));
    };
    switch (index) {
    case kFieldBase: {
        const float r = limitToRange(float(entered / factor), kCheckBase);
        m_working.set(Field::Base, formatNumber(r, "0"));
        storeTotalSpan();
        showLength(kFieldBase, Field::Base, "0");
        showLength(kFieldTotalSpan, Field::TotalSpan, "0");
        showLength(kFieldNearRelay, Field::NearRelay, "0");
        break;
    }
    case kFieldRange: {
        const float r = limitToRange(float(entered / factor), kCheckRange);
        m_working.set(Field::Range, formatNumber(r, "0"));
        storeTotalSpan();
        showLength(kFieldRange, Field::Range, "0");
        showLength(kFieldTotalSpan, Field::TotalSpan, "0");
        break;
    }
    case kFieldTotalSpan: {
        const float r = limitToRange(float(entered / factor), kCheckTotalSpan);
        m_working.set(Field::TotalSpan, formatNumber(r, "0"));
        const double base = m_working.number(Field::TotalSpan) - m_working.whole(Field::Range);
        m_working.set(Field::Base, QByteArray::number(base, 'g', 15));
        if (m_working.whole(Field::Base) < m_working.whole(Field::NearRelay))
            m_working.set(Field::NearRelay, m_working.text(Field::Base));
        showLength(kFieldBase, Field::Base, "0");
        showLength(kFieldTotalSpan, Field::TotalSpan, "0");
        showLength(kFieldNearRelay, Field::NearRelay, "0");
        break;
    }
    case kFieldNearRelay: {
        const float r = limitToRange(float(entered / factor), kCheckNearRelay);
        m_working.set(Field::NearRelay, formatNumber(r, "0"));
        showLength(kFieldNearRelay, Field::NearRelay, "0");
        break;
    }
    case kFieldOverCount: {
        const double count = limitedTo16Bits(entered);
        m_working.set(Field::OverCount, formatNumber(count, "0"));
        // The field shows the count kept, as the length fields do, not the text typed.
        setFieldText(kFieldOverCount, latin1(m_working.trimmed(Field::OverCount)));
        break;
    }
    case kFieldOffset:
        m_working.set(Field::OffsetPercent, text);
        break;
    case kFieldSampleInterval: {
        const float r = limitToRange(float(entered), kCheckSampleInterval);
        m_working.set(Field::SampleInterval, formatNumber(double(r) * 1000.0, "0"));
        setFieldText(kFieldSampleInterval, latin1(formatNumber(r, "0.0")));
        break;
    }
    case kFieldAverage:
        m_working.set(Field::AverageCount, text);
        break;
    case kFieldTemperature: {
        // Limited to what the unit can measure: below it the conversion would take the square
        // root of a negative number, and far beyond it the stored tenths leave 16 bits.
        const bool fahrenheit = factor == 1.0;
        const double kept = qBound(fahrenheit ? kLowestFahrenheit : kLowestCelsius, entered,
                                   fahrenheit ? kHighestFahrenheit : kHighestCelsius);
        const double celsius = fahrenheit ? (kept - 32.0) / 1.8 : kept;
        m_working.set(Field::Temperature, formatNumber(celsius * 10.0, "0"));
        if (kept != entered) {
            m_prompts.beep();
            setFieldText(kFieldTemperature, latin1(formatNumber(kept, "0.0")));
        }
        if (m_working.number(Field::TempSensorMode) != 1.0) {
            const double conversion =
                conversionAtTemperature(float(m_working.number(Field::Temperature) / 10.0));
            m_view.valuePanels[kValueConversion] =
                latin1(formatNumber(factor * conversion, "0.00000"));
        }
        break;
    }
    default:
        break;
    }
    if (index == kFieldBase || index == kFieldRange || index == kFieldTotalSpan) {
        // The span may have shortened the interval; the values computed from both move too.
        showSampleInterval();
        showDerivedValues();
    } else if (index == kFieldSampleInterval) {
        showDerivedValues();
    }
    emit changed();
}

void ProgramEditor::onSerialEdited(const QString& text) {
    if (m_loading || !m_view.serialEdit.enabled)
        return;
    if (!m_serialEdited) {
        m_serialEdited = true;
        m_pendingBeforeSerial = m_view.transmitPending;
    }
    m_view.serialEdit.text = text.left(kSerialLength);
    m_view.serialEdit.bold = true;
    markChange();
    emit changed();
}

void ProgramEditor::onSerialFocusLost() {
    if (m_loading || !m_view.serialEdit.enabled)
        return;
    if (!m_view.serialEdit.text.isEmpty()) {
        m_state.unitSerial = m_view.serialEdit.text.left(kSerialLength).toLatin1();
        m_serialEdited = false;
        emit changed();
        return;
    }
    m_prompts.message(kBlankSerialText, kBlankSerialTitle, MessageIcon::Question);
    m_view.serialEdit.text = latin1(m_state.unitSerial).toUpper();
    // Restoring the number is no edit; other changes stay marked.
    if (m_link.onLine() && m_serialEdited)
        m_view.transmitPending = m_pendingBeforeSerial;
    m_serialEdited = false;
    emit changed();
}

// Flips the stored value of a box: the whole number exclusive-or 1, so 2 and 3 swap as 0 and 1.
void ProgramEditor::clickCheck(int index) {
    markChange();
    switch (index) {
    case kCheckTempOn: {
        const int value = m_view.optionChecks[kCheckTempOn].state == CheckState::Checked ? 0 : 1;
        m_working.set(Field::TempSensorMode, signedForm(value));
        m_view.fieldEdits[kFieldTemperature].enabled =
            m_working.number(Field::TempSensorMode) != 1.0;
        break;
    }
    case kCheckHold: {
        const int flipped = digitValue(m_working.modeFlag(kModeHold)) ^ 1;
        m_working.setModeFlag(kModeHold, char('0' + flipped));
        break;
    }
    default: {
        const Field field = fieldOfCheck(index);
        m_working.set(field, signedForm(m_working.whole(field) ^ 1));
        break;
    }
    }
    showCheck(index);
    if (index == kCheckSumScale) {
        CheckView& hysteresis = m_view.optionChecks[kCheckHysteresis];
        if (m_working.whole(Field::SumScaleEnable) == 1) {
            if (hysteresis.state != CheckState::Unchecked)
                clickCheck(kCheckHysteresis); // clearing the box counts as a click on it
            hysteresis.state = CheckState::Unchecked;
            hysteresis.enabled = false;
        } else {
            hysteresis.enabled = true;
        }
    }
    afterCheckClick();
}

void ProgramEditor::afterCheckClick() {
    m_view.settingPanels[kPanelRs232].enabled = m_view.rangeOptions[kOptionMaster];
    m_view.settingPanels[kPanelType].enabled =
        m_view.optionChecks[kCheckRs232].state != CheckState::Checked;
}

void ProgramEditor::onCheckClicked(int index) {
    if (m_loading || index < 0 || index >= kOptionCheckCount || !checkUsable(index))
        return;
    clickCheck(index);
    emit changed();
}

// Limits Base again after the minimum base changed, and shows the lengths it may have moved.
void ProgramEditor::relimitBase() {
    const float r = limitToRange(float(m_working.number(Field::Base)), kCheckBase);
    m_working.set(Field::Base, formatNumber(r, "0"));
    // Keep TotalSpan = Base + Range, as every other edit of Base does.
    const int span = m_working.whole(Field::Base) + m_working.whole(Field::Range);
    m_working.set(Field::TotalSpan, QByteArray::number(span));
    m_loading = true;
    showLength(kFieldBase, Field::Base, "#");
    setFieldText(kFieldTotalSpan, latin1(formatNumber(span * unitFactor(), "#")));
    showLength(kFieldNearRelay, Field::NearRelay, "#");
    showSampleInterval();
    showDerivedValues();
    m_loading = false;
}

void ProgramEditor::onOptionClicked(int index) {
    if (m_loading || index < 0 || index >= kRangeOptionCount || !optionUsable(index))
        return;
    selectOption(index);
    switch (index) {
    case kOption6Inch:
    case kOption13Inch:
        m_working.set(Field::MinimumBase, index == kOption6Inch ? "6" : "13");
        relimitBase();
        break;
    case kOptionPayOut:
    case kOptionTakeUp:
        m_working.setModeFlag(kModeDirection, index == kOptionPayOut ? '1' : '0');
        break;
    case kOptionAdaptive:
    case kOptionLinear:
        m_working.setModeFlag(kModeLinear, index == kOptionLinear ? '1' : '0');
        break;
    case kOptionUS:
    case kOptionMetric:
        m_working.set(Field::Units, index == kOptionUS ? " 0" : " 1");
        // Shown with loadingFlag lowered: every field whose text changes counts as edited.
        showProgram(m_view.selectedTab);
        break;
    case kOptionMaster:
    case kOptionSlave:
        m_working.set(Field::SlaveMode, index == kOptionMaster ? "0" : "1");
        m_view.settingPanels[kPanelRs232].enabled = index == kOptionMaster;
        break;
    default: // the multiplex choice is shown, not stored
        break;
    }
    markChange();
    emit changed();
}

void ProgramEditor::onSettingsSwitch(int index) {
    if (m_loading || index < 4 || index > 8)
        return;
    const int check = checkOfSetting(index);
    if (!m_view.settingPanels[panelOfCheck(check)].enabled)
        return;
    markChange();
    emit changed();
    m_windows.openSettingsDialog(static_cast<SettingsDialog>(index));
    showCheck(check); // the counter dialog may have chosen the gate
    emit changed();
}

bool ProgramEditor::askToChangeTab() {
    if (!workingChangesPending())
        return true;
    if (!m_prompts.askYesNo(kMoveQuestion, kModificationsTitle, MessageIcon::Question))
        return false;
    commitWorkingRecord();
    return true;
}

void ProgramEditor::changeTab(int newTab) {
    m_loading = true;
    m_view.selectedTab = newTab;
    m_working = m_state.programs[newTab];
    showProgram(newTab);
    m_view.settingPanels[kPanelSettings].label =
        QStringLiteral("#") + latin1(signedForm(newTab)) + QStringLiteral(" Program Settings");
    m_loading = false;
    m_view.transmitPending = false;
    m_workingEdited = false;
    showFileState(); // committed file-mode edits stay unsaved until the .prg is saved
}

bool ProgramEditor::onTabChanging(int newTab) {
    if (m_loading || newTab < 0 || newTab >= kProgramCount || !m_view.tabStripEnabled)
        return false;
    if (newTab == m_view.selectedTab)
        return true;
    m_loading = true;
    const bool go = askToChangeTab();
    m_loading = false;
    if (go)
        changeTab(newTab);
    emit changed();
    return go;
}

void ProgramEditor::commitWorkingRecord() {
    m_state.programs[m_view.selectedTab] = m_working;
    if (!m_setup.remoteMode && m_workingEdited)
        m_fileUnsaved = true;
}

// Refuses, with a message naming program and field, a shown program whose transmission would
// carry a byte the format cannot carry. True when refused: nothing is committed or sent.
bool ProgramEditor::refuseUntransmittable() {
    ProgramSet programs = m_state.programs;
    programs[m_view.selectedTab] = m_working;
    TransmitContext context;
    context.serviceFlag = m_state.serviceFlag;
    context.unitSerial = m_state.unitSerial;
    const std::optional<TransmissionRefusal> refusal =
        checkTransmission(programs, m_view.selectedTab, context);
    if (!refusal)
        return false;
    m_prompts.message(QStringLiteral("Program #%1 was not transmitted: %2. Correct it and "
                                     "transmit again.")
                          .arg(m_view.selectedTab)
                          .arg(refusal->message()),
                      kXmitErrorTitle, MessageIcon::Critical);
    return true;
}

// Reads the transmitted program back and compares every value the transmission carried. A unit
// that rejected the text, stored something else or did not answer is a failure the operator is
// told of. True when the unit holds what was sent.
bool ProgramEditor::verifyTransmission(const ProgramSet& sent) {
    const int program = m_state.transmitProgram;
    QString failure;
    if (!m_link.readProgramBack(program)) {
        failure = QStringLiteral("Program #%1 was sent, but the unit did not give it back for "
                                 "the check: it may not hold it. Transmit it again.")
                      .arg(program);
    } else {
        m_readBack = m_state.programs[program];
        const QList<CarriedDifference> differences =
            carriedDifferences(sent, m_state.programs, program);
        if (!differences.isEmpty()) {
            QStringList listed;
            for (const CarriedDifference& d : differences.mid(0, kDifferencesListed)) {
                listed << QStringLiteral("%1 sent \"%2\", unit holds \"%3\"")
                              .arg(d.name, QString::fromLatin1(d.sent),
                                   QString::fromLatin1(d.readBack));
            }
            if (differences.size() > kDifferencesListed)
                listed << QStringLiteral("%1 more").arg(differences.size() - kDifferencesListed);
            failure = QStringLiteral("The unit did not store program #%1 as sent (%2). Transmit "
                                     "it again.")
                          .arg(program)
                          .arg(listed.join(QStringLiteral("; ")));
        }
    }
    // In file mode the ProgramSet is the file's: the unit's records read for the check do not
    // replace what the operator edited.
    if (!m_setup.remoteMode)
        m_state.programs = sent;
    if (failure.isEmpty())
        return true;
    m_prompts.message(failure, kXmitErrorTitle, MessageIcon::Critical);
    return false;
}

void ProgramEditor::onXmit() {
    if (m_loading)
        return;
    if (m_transmitting) {
        // Operated again while the unit has not answered: give the transmission up.
        m_abandoned = true;
        m_link.abandonTransmission();
        emit changed();
        return;
    }
    m_readBack.reset();
    if (!m_link.onLine()) {
        emit changed(); // nothing was sent, so whatever is pending stays pending
        return;
    }
    if (refuseUntransmittable()) {
        emit changed();
        return;
    }
    m_transmitting = true;
    m_abandoned = false;
    const bool editedBefore = m_workingEdited;
    m_view.settingPanels[kPanelMode].enabled = false;
    m_view.tabStripEnabled = false;
    commitWorkingRecord();
    for (TextView& field : m_view.fieldEdits)
        field.bold = false;
    m_state.transmitProgram = m_view.selectedTab;
    m_view.closeEnabled = false;
    const ProgramSet sent = m_state.programs;
    m_link.startTransmission();
    m_view.transmitPending = true;
    m_editedDuringWait = false;
    emit changed();
    while (m_link.transmissionPending())
        m_link.processEvents();

    // Success only once the unit is seen to hold what was sent. Edits made during the wait were
    // not transmitted, and neither was an abandoned program.
    const bool stored = !m_abandoned && verifyTransmission(sent);
    m_view.transmitPending = !stored || (m_editedDuringWait && m_setup.remoteMode);
    // A transmission saves nothing: file-mode edits stay unsaved until the .prg is saved, and
    // a failed one keeps them asking before a tab change drops the working copy.
    m_workingEdited = !m_setup.remoteMode && (m_editedDuringWait || (editedBefore && !stored));
    showFileState();
    m_view.closeEnabled = true;
    if (m_state.currentProgram == m_state.transmitProgram)
        m_link.refreshMainDisplay();
    m_view.settingPanels[kPanelMode].enabled = true;
    m_view.tabStripEnabled = true;
    m_transmitting = false;
    emit changed();
}

std::optional<ProgramRecord> ProgramEditor::transmitFromFile(int program,
                                                             const ProgramRecord& fileRecord,
                                                             const ProgramRecord& unitRecord) {
    const QString title = QStringLiteral("Compare");
    if (!m_link.onLine()) {
        m_prompts.message(tr("The unit is off-line."), title, MessageIcon::Information);
        return std::nullopt;
    }
    if (changesPending()) {
        m_prompts.message(tr("Program #%1 has changes that are not transmitted or saved. "
                             "Transmit, save or drop them before transmitting from the file.")
                              .arg(m_view.selectedTab),
                          title, MessageIcon::Information);
        return std::nullopt;
    }
    const ProgramSet kept = m_state.programs;
    ProgramRecord record = fileRecord;
    if (program == 0)
        record.set(Field::Param21, unitRecord.text(Field::Param21));
    m_state.programs[program] = record;
    // Shown afresh on its own tab, then transmitted as Xmit does it.
    if (m_view.selectedTab == program)
        onTabChanging((program + 1) % kProgramCount);
    onTabChanging(program);
    onXmit();
    if (!m_setup.remoteMode)
        m_state.programs = kept;
    return m_readBack;
}

void ProgramEditor::onSaveToFile() {
    if (m_loading)
        return;
    commitWorkingRecord();
    const std::optional<QString> path =
        saveProgramFile(m_state, m_dialogs, m_prompts, m_setup.programDir);
    if (path) { // cancelled or failed: the changes are still unsaved
        showModeCaption();
        m_workingEdited = false;
        m_fileUnsaved = false;
        m_view.unsavedFile = 0;
    }
    emit changed();
}

void ProgramEditor::onViewLayout() {
    if (m_loading)
        return;
    // The picture changes nothing, so whatever is pending stays pending.
    m_windows.showSensorLayout();
    emit changed();
}

void ProgramEditor::onMakeXmitFile() {
    if (m_loading)
        return;
    commitWorkingRecord();
    m_state.transmitProgram = m_view.selectedTab;
    if (makeTransmitFile(m_state, m_dialogs, m_prompts, m_setup.programDir)) {
        // The program is in the transmit file; the .prg still lacks it, so a file-mode edit
        // stays unsaved (committed above) until Save to File.
        m_view.transmitPending = false;
        m_workingEdited = false;
        showFileState();
    }
    emit changed();
}

bool ProgramEditor::onCloseRequest() {
    // Closing under a waiting transmission would pull the editor from under the wait; Xmit
    // again abandons it first.
    if (m_transmitting)
        return false;
    if (!changesPending())
        return true;
    return m_prompts.askYesNo(kExitQuestion, kModificationsTitle, MessageIcon::Question);
}

void ProgramEditor::onTemperatureTimer(const MainTemperature& main) {
    if (m_loading || !m_setup.remoteMode || !main.compensationOn ||
        m_view.selectedTab != m_state.currentProgram ||
        m_view.optionChecks[kCheckTempOn].state != CheckState::Checked) {
        return;
    }
    m_loading = true;
    m_view.valuePanels[kValueConversion] = latin1(formatNumber(main.conversionValue, "0.00000"));
    setFieldText(kFieldTemperature, main.temperatureText);
    m_loading = false;
    emit changed();
}

} // namespace vanto
