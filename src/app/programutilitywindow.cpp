#include "programutilitywindow.h"
#include "programtools.h"

#include "editordialogs.h"

#include "fieldkeyfilter.h"
#include "widgets/commandswitch.h"
#include "widgets/labelpanel.h"
#include "widgets/tabstrip.h"
#include "widgets/theme.h"

#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace vanto {

namespace {

struct FieldText {
    const char* label;
    const char* tip;
};
constexpr FieldText kFields[kFieldEditCount] = {
    {"BASE", "BASE: Distance From Sensor to start of Range."},
    {"RANGE", "RANGE: Dynamic range from Base to maximum distance."},
    {"Total Span", "Total measurment Area Base + Range."},
    {"Near Relay", "Near Realy Trigger On - Distance."},
    {"Over Count", "Number of Sample counts out of Range before Output is clamped."},
    {"Offset %", "Percent of Range no Change."},
    {"Sample Intv",
     "Sensor Sample time in milsec.(Can't exceed 65 milsec Measurement + Interval )"},
    {"Average Cnt", "Averages in samples counts."},
    {"Temperature", "Ambient Temp of sensor, affects Conversion Resolution."},
};

constexpr FieldText kChecks[kOptionCheckCount] = {
    {"Temp.On", ""},
    {"Hold ON", "Last Output value held when Taget out of range."},
    {"Hysterisis", "Checked = 0.5\" Hysteriasis to TOP & BOTTOM of Total Span"},
    {"Enable", "Enable Control Relay."},
    {"Double Echo", ""},
    {"Enable", "Enable Counter."},
    {"Enable", "Enable RS232 Mode, Slave mode Disabled"},
    {"Enable", "Enable SUM/Scale mode."},
    {"Enable", "Enable Clock Mode"},
};

constexpr FieldText kOptions[kRangeOptionCount] = {
    {"6 Inch", ""},
    {"13 Inch", ""},
    {"PayOut", ""},
    {"TakeUp", ""},
    {"Adaptive", ""},
    {"Linear", ""},
    {"U.S.", ""},
    {"Metric", ""},
    {"Master", "Master (default)"},
    {"Slave", "Slave - Triggered from another QX Unit."},
    {"Off", "Mux OFF"},
    {"2", "Multiplex 2 Sensors"},
    {"3", "Multiplex 3 Sensors"},
    {"4", "Multiplex 4 Sensors."},
};

// Tooltips of the panels; the labels come from the editor.
constexpr const char* kPanelTips[kSettingPanelCount] = {"",
                                                        "",
                                                        "",
                                                        "",
                                                        "",
                                                        "Clock Enable & Settings",
                                                        "",
                                                        "Count Input Enable & Settings",
                                                        "RS232 Enable & Settings",
                                                        "Sum/Scale Enable & Settings.",
                                                        "",
                                                        "Unit Control MASTER or SLAVE",
                                                        "SENSORs to Multiplex",
                                                        ""};

constexpr FieldText kValues[kValuePanelCount] = {
    {"PWM KHz", "Ultra Sound Frequency"},
    {"Sample Time", "Sample Time in Milli-Secounds"},
    {"Active", "Program presently operating."},
    {"Cone Dia.", "Diameter of Maximum Range + Base"},
    {"Conversion", "Conversion: Resolution in Inches (or cm)"},
};

constexpr FieldText kCommands[4] = {
    {"Xmit", "Transmit Single Program to QX Unit."},
    {"Save to File", "Save All Programs to File"},
    {"View Layout", "View Layout Diagram."},
    {"Make Xmit File", "Make a Single Xmit program File."},
};

// The Settings switches 4 to 8: the panel each sits in, and its tooltip.
struct SettingSwitch {
    int panel;
    int check;
    const char* tip;
};
constexpr SettingSwitch kSettings[] = {
    {kPanelControlRelay, kCheckControlRelay, "View/Modify Control Relay Settings."},
    {kPanelCount, kCheckCounter, "View/Modify Counter Settings."},
    {kPanelRs232, kCheckRs232, "View/Modify RS232 Settings."},
    {kPanelSumScale, kCheckSumScale, "View/Modify Sum Settings."},
    {kPanelClock, kCheckClock, "View/Modify Clock Settings."},
};
constexpr int kFirstSetting = 4;

QColor toColor(Rgb rgb) {
    return QColor(rgb.r, rgb.g, rgb.b);
}

Qt::CheckState toCheckState(CheckState state) {
    switch (state) {
    case CheckState::Checked:
        return Qt::Checked;
    case CheckState::Greyed:
        return Qt::PartiallyChecked;
    case CheckState::Unchecked:
        break;
    }
    return Qt::Unchecked;
}

void showText(QLineEdit* edit, const TextView& view) {
    if (edit->text() != view.text)
        edit->setText(view.text); // setText is no edit: textEdited stays quiet
    QFont font = edit->font();
    if (font.bold() != view.bold) {
        font.setBold(view.bold);
        edit->setFont(font);
    }
    edit->setEnabled(view.enabled);
}

QLabel* fieldLabel(const QString& text, QWidget* buddy, const QString& tip) {
    auto* label = new QLabel(text);
    label->setBuddy(buddy);
    label->setToolTip(tip);
    return label;
}

// A row of buttons inside a panel.
QWidget* buttonRow(std::initializer_list<QWidget*> buttons) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    for (QWidget* b : buttons)
        layout->addWidget(b);
    layout->addStretch(1);
    return row;
}

// A row of widgets with the given margins and spacing (-1: the style's), ending in a stretch
// unless `stretch` is false.
QWidget* hbox(const QList<QWidget*>& widgets, const QMargins& margins, int spacing,
              bool stretch = true) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(margins);
    if (spacing >= 0)
        layout->setSpacing(spacing);
    for (QWidget* w : widgets)
        layout->addWidget(w);
    if (stretch)
        layout->addStretch(1);
    return row;
}

} // namespace

// A caption that shows as much of its text as fits, cut in the middle with an ellipsis. Its size
// does not follow the text, so the layout around it never grows for a long one.
class ElidedLabel : public QLabel {
public:
    ElidedLabel() {
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        setMinimumWidth(
            fontMetrics().horizontalAdvance(QStringLiteral("FILE MODE: PROGRAMS_LINE_00.PRG")));
    }
    void setFullText(const QString& text) {
        if (text == m_full)
            return;
        m_full = text;
        showElided();
    }
    const QString& fullText() const { return m_full; }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        showElided();
    }
    void changeEvent(QEvent* event) override {
        QLabel::changeEvent(event);
        if (event->type() == QEvent::FontChange)
            showElided();
    }

private:
    // The words before ": " ("FILE MODE: ") stay whole; the name after them is cut in its
    // middle, so its start and its extension stay readable.
    void showElided() {
        const qsizetype colon = m_full.indexOf(QLatin1String(": "));
        const QString head = colon < 0 ? QString() : m_full.left(colon + 2);
        const int room = width() - fontMetrics().horizontalAdvance(head);
        setText(head + fontMetrics().elidedText(m_full.mid(head.size()), Qt::ElideMiddle, room));
    }
    QString m_full;
};

ProgramUtilityWindow::ProgramUtilityWindow(ProgramState& state, EditorLink& link, Prompts& prompts,
                                           FileDialogs& dialogs, const EditorSetup& setup,
                                           std::function<MainTemperature()> mainTemperature,
                                           QWidget* parent)
    : QDialog(parent), m_mainTemperature(std::move(mainTemperature)),
      m_windows(std::make_unique<EditorDialogs>(prompts, setup.featureLevel, this)) {
    setObjectName(QStringLiteral("ProgramUtilityWindow"));
    setWindowTitle(QStringLiteral("Program Utility"));
    setModal(true);
    buildWindow();
    m_editor = std::make_unique<ProgramEditor>(state, link, *m_windows, prompts, dialogs, setup);
    m_windows->setEditor(m_editor.get());
    connectControls();
    render();

    temperatureTimer = new QTimer(this);
    temperatureTimer->setObjectName(QStringLiteral("temperatureTimer"));
    temperatureTimer->setInterval(1000);
    connect(temperatureTimer, &QTimer::timeout, this, [this] {
        if (m_mainTemperature)
            m_editor->onTemperatureTimer(m_mainTemperature());
    });
    temperatureTimer->start();
}

ProgramUtilityWindow::~ProgramUtilityWindow() {
    // The fields must not report a focus loss to an editor that is going away.
    for (QLineEdit* field : fieldEdits)
        field->removeEventFilter(this);
    serialEdit->removeEventFilter(this);
}

void ProgramUtilityWindow::buildWindow() {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(12, 10, 12, 12);
    root->setSpacing(10);
    buildPanels();
    root->addWidget(buildTabStrip());
    // The program's settings above the values computed from them.
    PanelGroup* settings = settingPanels[kPanelSettings];
    settings->addWidget(buildSettings(), 0, 0);
    settings->addWidget(buildValuePanels(), 1, 0);
    root->addWidget(settings, 1);
    root->addLayout(buildFooter());
    setFieldTabOrder();
}

// Every panel, empty; the editor gives the labels.
void ProgramUtilityWindow::buildPanels() {
    for (int i = 0; i < kSettingPanelCount; ++i) {
        settingPanels[i] = new PanelGroup;
        settingPanels[i]->setObjectName(QStringLiteral("settingPanel_%1").arg(i));
        settingPanels[i]->setToolTip(QLatin1String(kPanelTips[i]));
    }
}

// The tab strip, on its own panel.
QWidget* ProgramUtilityWindow::buildTabStrip() {
    programTabs = new TabStrip;
    programTabs->setObjectName(QStringLiteral("programTabs"));
    programTabs->setFocusPolicy(Qt::StrongFocus); // a click ends the entry in a field first
    for (int i = 0; i < kProgramCount; ++i)
        programTabs->addTab(QStringLiteral("#%1").arg(i));
    tabPanel = hbox({programTabs}, QMargins(), -1);
    tabPanel->setObjectName(QStringLiteral("tabPanel"));
    return tabPanel;
}

// The entry fields, the option panels with the loose boxes, and the panels with an Enable box
// and a Settings switch, side by side.
QWidget* ProgramUtilityWindow::buildSettings() {
    buildCheckBoxes();
    auto* body = new QWidget;
    auto* bodyLayout = new QHBoxLayout(body);
    bodyLayout->setContentsMargins(0, 0, 0, 0);
    bodyLayout->setSpacing(14);
    bodyLayout->addLayout(buildEntryFields());
    bodyLayout->addLayout(buildOptionPanels(), 1);
    bodyLayout->addLayout(buildSettingSwitches());
    return body;
}

void ProgramUtilityWindow::buildCheckBoxes() {
    for (int i = 0; i < kOptionCheckCount; ++i) {
        optionChecks[i] = new QCheckBox(QLatin1String(kChecks[i].label));
        optionChecks[i]->setObjectName(QStringLiteral("chkprog_%1").arg(i));
        optionChecks[i]->setToolTip(QLatin1String(kChecks[i].tip));
    }
}

QLayout* ProgramUtilityWindow::buildEntryFields() {
    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(10);
    fields->setVerticalSpacing(6);
    for (int i = 0; i < kFieldEditCount; ++i) {
        auto* edit = new QLineEdit;
        edit->setObjectName(QStringLiteral("fieldEdit_%1").arg(i));
        edit->setToolTip(QLatin1String(kFields[i].tip));
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        edit->setFixedWidth(84);
        fieldEdits[i] = edit;
        fields->addWidget(fieldLabel(QLatin1String(kFields[i].label), edit, edit->toolTip()), i, 0);
        fields->addWidget(edit, i, 1);
    }
    // Temp.On beside the temperature it governs.
    fields->addWidget(optionChecks[kCheckTempOn], kFieldTemperature, 2);
    fields->setColumnStretch(3, 1);
    auto* column = new QVBoxLayout;
    column->addLayout(fields);
    column->addStretch(1);
    return column;
}

// The option panels two by two, the loose boxes under them.
QLayout* ProgramUtilityWindow::buildOptionPanels() {
    for (int i = 0; i < kRangeOptionCount; ++i) {
        rangeOptions[i] = new QRadioButton(QLatin1String(kOptions[i].label));
        rangeOptions[i]->setObjectName(QStringLiteral("rangeOption_%1").arg(i));
        rangeOptions[i]->setToolTip(QLatin1String(kOptions[i].tip));
        rangeOptions[i]->setAutoExclusive(false); // the editor decides what is selected
    }
    auto* options = new QGridLayout;
    options->setSpacing(8);
    const std::array<std::pair<int, std::vector<int>>, 6> optionPanels = {{
        {kPanelHiLo, {kOption6Inch, kOption13Inch}},
        {kPanelDirection, {kOptionPayOut, kOptionTakeUp}},
        {kPanelOutputMode, {kOptionAdaptive, kOptionLinear}},
        {kPanelUnits, {kOptionUS, kOptionMetric}},
        {kPanelType, {kOptionMaster, kOptionSlave}},
        {kPanelMux, {kOptionMuxOff, kOptionMux2, kOptionMux3, kOptionMux4}},
    }};
    for (std::size_t n = 0; n < optionPanels.size(); ++n) {
        const auto& [panel, buttons] = optionPanels[n];
        QList<QWidget*> row;
        for (int b : buttons)
            row.append(rangeOptions[b]);
        settingPanels[panel]->addWidget(hbox(row, QMargins(2, 0, 2, 0), 14), 0, 0);
        options->addWidget(settingPanels[panel], int(n) / 2, int(n) % 2);
    }
    auto* column = new QVBoxLayout;
    column->setSpacing(12);
    column->addLayout(options);
    column->addStretch(1);
    auto* loose = new PanelGroup;
    loose->setObjectName(QStringLiteral("outputBoxes"));
    loose->addWidget(hbox({optionChecks[kCheckHold], optionChecks[kCheckHysteresis],
                           optionChecks[kCheckDoubleEcho]},
                          QMargins(2, 0, 2, 0), 18),
                     0, 0);
    column->addWidget(loose);
    return column;
}

// Top to bottom as an operator sets a loop up: relay, counter, RS232, sum/scale, clock; each
// with its Enable box and Settings switch.
QLayout* ProgramUtilityWindow::buildSettingSwitches() {
    for (int n = 0; n < 5; ++n) {
        const SettingSwitch& s = kSettings[n];
        const int index = kFirstSetting + n;
        auto* button = new QPushButton(QStringLiteral("Settings"));
        button->setObjectName(QStringLiteral("settingSwitch_%1").arg(index));
        button->setToolTip(QLatin1String(s.tip));
        button->setAutoDefault(false);
        settingSwitches[index] = button;
        settingPanels[s.panel]->addWidget(buttonRow({optionChecks[s.check], button}), 0, 0);
    }
    auto* switches = new QVBoxLayout;
    switches->setSpacing(8);
    for (int panel : {kPanelControlRelay, kPanelCount, kPanelRs232, kPanelSumScale, kPanelClock})
        switches->addWidget(settingPanels[panel]);
    switches->addStretch(1);
    return switches;
}

// Values computed from the program.
QWidget* ProgramUtilityWindow::buildValuePanels() {
    auto* values = new QWidget;
    auto* layout = new QHBoxLayout(values);
    layout->setContentsMargins(0, 4, 0, 0);
    layout->setSpacing(8);
    for (int i = 0; i < kValuePanelCount; ++i) {
        valuePanels[i] = new LabelPanel(QLatin1String(kValues[i].label));
        valuePanels[i]->setObjectName(QStringLiteral("valuePanel_%1").arg(i));
        valuePanels[i]->setToolTip(QLatin1String(kValues[i].tip));
        layout->addWidget(valuePanels[i], 1);
    }
    return values;
}

// The unit's model and serial number, the mode with the file commands, Xmit and CLOSE.
QLayout* ProgramUtilityWindow::buildFooter() {
    serialEdit = new QLineEdit;
    serialEdit->setObjectName(QStringLiteral("serialEdit"));
    serialEdit->setToolTip(QStringLiteral("Embedded Serial Number of QX Unit."));
    serialEdit->setMaxLength(kSerialLength);
    serialEdit->setFixedWidth(84);
    QLabel* serialLabel =
        fieldLabel(QStringLiteral("Serial No."), serialEdit, serialEdit->toolTip());
    settingPanels[kPanelModel]->addWidget(
        hbox({serialLabel, serialEdit}, QMargins(2, 0, 2, 0), 10, false), 0, 0);
    buildCommandSwitches();
    settingPanels[kPanelMode]->addWidget(buildModeRow(), 0, 0);

    auto* footer = new QHBoxLayout;
    footer->setSpacing(10);
    footer->addWidget(settingPanels[kPanelModel]);
    footer->addWidget(settingPanels[kPanelMode], 1);
    footer->addLayout(buildXmitAndClose());
    return footer;
}

void ProgramUtilityWindow::buildCommandSwitches() {
    for (int i = 0; i < 4; ++i) {
        commandSwitches[i] = new CommandSwitch(QLatin1String(kCommands[i].label));
        commandSwitches[i]->setObjectName(QStringLiteral("commandSwitch_%1").arg(i));
        commandSwitches[i]->setToolTip(QLatin1String(kCommands[i].tip));
    }
    // Only Xmit and Save to File have a state to show.
    commandSwitches[kSwitchViewLayout]->setIndicatorShown(false);
    commandSwitches[kSwitchMakeXmitFile]->setIndicatorShown(false);
}

// The mode caption in the accent colour, then the file commands.
QWidget* ProgramUtilityWindow::buildModeRow() {
    modeLabel = new ElidedLabel;
    modeLabel->setObjectName(QStringLiteral("modeLabel"));
    QFont modeFont = modeLabel->font();
    modeFont.setBold(true);
    modeFont.setPointSizeF(modeFont.pointSizeF() * 1.15);
    modeLabel->setFont(modeFont);
    QPalette modePalette = modeLabel->palette();
    modePalette.setColor(QPalette::Active, QPalette::WindowText, theme::accent());
    modePalette.setColor(QPalette::Inactive, QPalette::WindowText, theme::accent());
    modeLabel->setPalette(modePalette);
    QWidget* mode = hbox({modeLabel}, QMargins(2, 0, 2, 0), 10);
    for (int i : {kSwitchSaveToFile, kSwitchViewLayout, kSwitchMakeXmitFile})
        mode->layout()->addWidget(commandSwitches[i]);
    return mode;
}

QLayout* ProgramUtilityWindow::buildXmitAndClose() {
    closeButton = new QPushButton(QStringLiteral("CLOSE"));
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closeButton->setToolTip(QStringLiteral("Close Program dialog box"));
    closeButton->setAutoDefault(false);
    closeButton->setMinimumHeight(30);
    commandSwitches[kSwitchXmit]->setMinimumWidth(110);
    closeButton->setMinimumWidth(110);
    auto* commands = new QVBoxLayout;
    commands->setSpacing(6);
    commands->addStretch(1);
    commands->addWidget(commandSwitches[kSwitchXmit]);
    commands->addWidget(closeButton);
    return commands;
}

// Enter moves through the fields in the order of the form.
void ProgramUtilityWindow::setFieldTabOrder() {
    QWidget* previous = programTabs;
    for (QLineEdit* field : fieldEdits) {
        setTabOrder(previous, field);
        previous = field;
    }
    setTabOrder(previous, optionChecks[kCheckTempOn]);
}

void ProgramUtilityWindow::connectControls() {
    ProgramEditor& e = *m_editor;
    connect(&e, &ProgramEditor::changed, this, &ProgramUtilityWindow::render);
    const auto loading = [this] { return m_editor->loadingFlag(); };

    for (int i = 0; i < kFieldEditCount; ++i) {
        const bool decimal = i == kFieldSampleInterval || i == kFieldTemperature;
        FieldKeyFilter::instance().attach(
            fieldEdits[i],
            decimal ? FieldKeyFilter::Keys::Decimal : FieldKeyFilter::Keys::WholeNumber, loading);
        fieldEdits[i]->installEventFilter(this);
        connect(fieldEdits[i], &QLineEdit::textEdited, this, [this, i](const QString& text) {
            m_editor->onFieldEdited(i, text);
            render();
        });
    }
    FieldKeyFilter::instance().attach(serialEdit, FieldKeyFilter::Keys::UpperCase, loading);
    serialEdit->installEventFilter(this);
    connect(serialEdit, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_editor->onSerialEdited(text);
        render();
    });

    // After each click the widgets show the editor's decision, also when it refused the click.
    for (int i = 0; i < kOptionCheckCount; ++i) {
        connect(optionChecks[i], &QAbstractButton::clicked, this, [this, i] {
            m_editor->onCheckClicked(i);
            render();
        });
    }
    for (int i = 0; i < kRangeOptionCount; ++i) {
        connect(rangeOptions[i], &QAbstractButton::clicked, this, [this, i] {
            m_editor->onOptionClicked(i);
            render();
        });
    }
    for (int i = kFirstSetting; i < int(settingSwitches.size()); ++i) {
        connect(settingSwitches[i], &QAbstractButton::clicked, this, [this, i] {
            m_editor->onSettingsSwitch(i);
            render();
        });
    }
    connect(programTabs, &TabStrip::tabChanging, this, [this](int, int to, bool* allow) {
        *allow = m_editor->onTabChanging(to);
        render();
    });

    const std::array<void (ProgramEditor::*)(), 4> commands = {
        &ProgramEditor::onXmit, &ProgramEditor::onSaveToFile, &ProgramEditor::onViewLayout,
        &ProgramEditor::onMakeXmitFile};
    for (int i = 0; i < 4; ++i) {
        connect(commandSwitches[i], &QAbstractButton::clicked, this, [this, command = commands[i]] {
            (m_editor.get()->*command)();
            render();
        });
    }
    connect(closeButton, &QAbstractButton::clicked, this, &ProgramUtilityWindow::reject);
}

void ProgramUtilityWindow::reject() {
    if (m_editor->onCloseRequest()) {
        temperatureTimer->stop();
        QDialog::reject();
    }
}

bool ProgramUtilityWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        // Switching to another window or opening a menu does not end the entry; the field
        // gets the focus back.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == serialEdit) {
                m_editor->onSerialFocusLost();
            } else {
                for (int i = 0; i < kFieldEditCount; ++i) {
                    if (watched == fieldEdits[i])
                        m_editor->onFieldFocusLost(i);
                }
            }
            render();
        }
    }
    return QDialog::eventFilter(watched, event);
}

QString ProgramUtilityWindow::panelLabel(int index) const {
    if (index == kPanelMode)
        return modeLabel->fullText();
    return settingPanels.at(index)->title();
}

void ProgramUtilityWindow::render() {
    const ProgramEditorView& v = m_editor->view();
    tabPanel->setEnabled(v.tabStripEnabled);
    if (programTabs->currentIndex() != v.selectedTab)
        programTabs->setCurrentIndex(v.selectedTab);

    for (int i = 0; i < kFieldEditCount; ++i)
        showText(fieldEdits[i], v.fieldEdits[i]);
    showText(serialEdit, v.serialEdit);

    for (int i = 0; i < kOptionCheckCount; ++i) {
        optionChecks[i]->setCheckState(toCheckState(v.optionChecks[i].state));
        optionChecks[i]->setEnabled(v.optionChecks[i].enabled);
    }
    for (int i = 0; i < kRangeOptionCount; ++i)
        rangeOptions[i]->setChecked(v.rangeOptions[i]);

    for (int i = 0; i < kSettingPanelCount; ++i) {
        if (i == kPanelMode)
            modeLabel->setFullText(v.settingPanels[i].label);
        else
            settingPanels[i]->setTitle(v.settingPanels[i].label);
        settingPanels[i]->setEnabled(v.settingPanels[i].enabled);
    }

    modeLabel->setToolTip(v.modeToolTip);
    for (int i = 0; i < kValuePanelCount; ++i)
        valuePanels[i]->setText(v.valuePanels[i]);
    valuePanels[kValueActive]->setValueColors(
        toColor(v.activeYes ? kActiveGreen : kActiveLightYellow), Qt::black);

    CommandSwitch* xmit = commandSwitches[kSwitchXmit];
    xmit->setIndicator(v.transmitPending ? CommandSwitch::Indicator::Lit
                                         : CommandSwitch::Indicator::Off);
    xmit->setEnabled(v.xmitActive);
    xmit->setFaceColor(v.xmitActive ? QColor() : toColor(kXmitInactiveColour));
    commandSwitches[kSwitchSaveToFile]->setIndicator(
        v.unsavedFile == 3   ? CommandSwitch::Indicator::Lit
        : v.unsavedFile == 2 ? CommandSwitch::Indicator::Marked
                             : CommandSwitch::Indicator::Off);
    closeButton->setEnabled(v.closeEnabled);
}

} // namespace vanto
