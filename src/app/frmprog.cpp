#include "frmprog.h"
#include "programtools.h"

#include "editordialogs.h"

#include "cuiwidget.h"
#include "main351.h"
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
constexpr FieldText kFields[kTxtProgCount] = {
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

constexpr FieldText kChecks[kChkProgCount] = {
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

constexpr FieldText kOptions[kOptRangeCount] = {
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
constexpr const char* kPanelTips[kPrgPnlCount] = {"",
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

constexpr FieldText kValues[kProgValueCount] = {
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
    {kPnlControlRelay, kChkControlRelay, "View/Modify Control Relay Settings."},
    {kPnlCount, kChkCount, "View/Modify Counter Settings."},
    {kPnlRs232, kChkRs232, "View/Modify RS232 Settings."},
    {kPnlSumScale, kChkSumScale, "View/Modify Sum Settings."},
    {kPnlClock, kChkClock, "View/Modify Clock Settings."},
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
        const int colon = m_full.indexOf(QLatin1String(": "));
        const QString head = colon < 0 ? QString() : m_full.left(colon + 2);
        const int room = width() - fontMetrics().horizontalAdvance(head);
        setText(head + fontMetrics().elidedText(m_full.mid(head.size()), Qt::ElideMiddle, room));
    }
    QString m_full;
};

frmProg::frmProg(ProgramState& state, EditorLink& link, Prompts& prompts, FileDialogs& dialogs,
                 const EditorSetup& setup, std::function<MainTemperature()> mainTemperature,
                 QWidget* parent)
    : QDialog(parent), m_mainTemperature(std::move(mainTemperature)),
      m_windows(std::make_unique<EditorDialogs>(prompts, setup.featureLevel, this)) {
    setObjectName(QStringLiteral("frmProg"));
    setWindowTitle(QStringLiteral("Program Utility"));
    setModal(true);
    buildWindow();
    m_editor = std::make_unique<ProgramEditor>(state, link, *m_windows, prompts, dialogs, setup);
    m_windows->setEditor(m_editor.get());
    connectControls();
    render();

    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(1000);
    connect(Timer2, &QTimer::timeout, this, [this] {
        if (m_mainTemperature)
            m_editor->onTimer2(m_mainTemperature());
    });
    Timer2->start();
}

frmProg::~frmProg() {
    // The fields must not report a focus loss to an editor that is going away.
    for (QLineEdit* field : txtProg)
        field->removeEventFilter(this);
    txtSN->removeEventFilter(this);
}

void frmProg::buildWindow() {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(12, 10, 12, 12);
    root->setSpacing(10);

    // Every panel, empty; the editor gives the labels.
    for (int i = 0; i < kPrgPnlCount; ++i) {
        vsePrgPnl[i] = new PanelGroup;
        vsePrgPnl[i]->setObjectName(QStringLiteral("vsePrgPnl_%1").arg(i));
        vsePrgPnl[i]->setToolTip(QLatin1String(kPanelTips[i]));
    }

    // The tab strip, on its own panel.
    vseTabPnl = new QWidget;
    vseTabPnl->setObjectName(QStringLiteral("vseTabPnl"));
    auto* tabLayout = new QHBoxLayout(vseTabPnl);
    tabLayout->setContentsMargins(0, 0, 0, 0);
    vseProgTab = new TabStrip;
    vseProgTab->setObjectName(QStringLiteral("vseProgTab"));
    vseProgTab->setFocusPolicy(Qt::StrongFocus); // a click ends the entry in a field first
    for (int i = 0; i < kProgramCount; ++i)
        vseProgTab->addTab(QStringLiteral("#%1").arg(i));
    tabLayout->addWidget(vseProgTab);
    tabLayout->addStretch(1);
    root->addWidget(vseTabPnl);

    // The program's settings: the entry fields, the loose boxes, the option panels and the
    // panels with an Enable box and a Settings switch.
    PanelGroup* settings = vsePrgPnl[kPnlSettings];
    auto* body = new QWidget;
    auto* bodyLayout = new QHBoxLayout(body);
    bodyLayout->setContentsMargins(0, 0, 0, 0);
    bodyLayout->setSpacing(14);

    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(10);
    fields->setVerticalSpacing(6);
    for (int i = 0; i < kTxtProgCount; ++i) {
        auto* edit = new QLineEdit;
        edit->setObjectName(QStringLiteral("txtProg_%1").arg(i));
        edit->setToolTip(QLatin1String(kFields[i].tip));
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        edit->setFixedWidth(84);
        txtProg[i] = edit;
        fields->addWidget(fieldLabel(QLatin1String(kFields[i].label), edit, edit->toolTip()), i, 0);
        fields->addWidget(edit, i, 1);
    }
    for (int i = 0; i < kChkProgCount; ++i) {
        chkprog[i] = new QCheckBox(QLatin1String(kChecks[i].label));
        chkprog[i]->setObjectName(QStringLiteral("chkprog_%1").arg(i));
        chkprog[i]->setToolTip(QLatin1String(kChecks[i].tip));
    }
    // Temp.On beside the temperature it governs.
    fields->addWidget(chkprog[kChkTempOn], kTxtTemperature, 2);
    fields->setColumnStretch(3, 1);
    auto* fieldColumn = new QVBoxLayout;
    fieldColumn->addLayout(fields);
    fieldColumn->addStretch(1);
    bodyLayout->addLayout(fieldColumn);

    for (int i = 0; i < kOptRangeCount; ++i) {
        optRange[i] = new QRadioButton(QLatin1String(kOptions[i].label));
        optRange[i]->setObjectName(QStringLiteral("optRange_%1").arg(i));
        optRange[i]->setToolTip(QLatin1String(kOptions[i].tip));
        optRange[i]->setAutoExclusive(false); // the editor decides what is selected
    }
    auto* options = new QGridLayout;
    options->setSpacing(8);
    const std::array<std::pair<int, std::vector<int>>, 6> optionPanels = {{
        {kPnlHiLo, {kOpt6Inch, kOpt13Inch}},
        {kPnlDirection, {kOptPayOut, kOptTakeUp}},
        {kPnlOutputMode, {kOptAdaptive, kOptLinear}},
        {kPnlUnits, {kOptUS, kOptMetric}},
        {kPnlType, {kOptMaster, kOptSlave}},
        {kPnlMux, {kOptMuxOff, kOptMux2, kOptMux3, kOptMux4}},
    }};
    for (std::size_t n = 0; n < optionPanels.size(); ++n) {
        const auto& [panel, buttons] = optionPanels[n];
        auto* row = new QWidget;
        auto* rowLayout = new QHBoxLayout(row);
        rowLayout->setContentsMargins(2, 0, 2, 0);
        rowLayout->setSpacing(14);
        for (int b : buttons)
            rowLayout->addWidget(optRange[b]);
        rowLayout->addStretch(1);
        vsePrgPnl[panel]->addWidget(row, 0, 0);
        options->addWidget(vsePrgPnl[panel], int(n) / 2, int(n) % 2);
    }
    auto* optionColumn = new QVBoxLayout;
    optionColumn->setSpacing(12);
    optionColumn->addLayout(options);
    optionColumn->addStretch(1);
    auto* loose = new PanelGroup;
    loose->setObjectName(QStringLiteral("outputBoxes"));
    auto* looseRow = new QWidget;
    auto* looseLayout = new QHBoxLayout(looseRow);
    looseLayout->setContentsMargins(2, 0, 2, 0);
    looseLayout->setSpacing(18);
    for (int i : {kChkHold, kChkHysteresis, kChkDoubleEcho})
        looseLayout->addWidget(chkprog[i]);
    looseLayout->addStretch(1);
    loose->addWidget(looseRow, 0, 0);
    optionColumn->addWidget(loose);
    bodyLayout->addLayout(optionColumn, 1);

    auto* switches = new QVBoxLayout;
    switches->setSpacing(8);
    for (int n = 0; n < 5; ++n) {
        const SettingSwitch& s = kSettings[n];
        const int index = kFirstSetting + n;
        auto* button = new QPushButton(QStringLiteral("Settings"));
        button->setObjectName(QStringLiteral("togSetting_%1").arg(index));
        button->setToolTip(QLatin1String(s.tip));
        button->setAutoDefault(false);
        togSetting[index] = button;
        vsePrgPnl[s.panel]->addWidget(buttonRow({chkprog[s.check], button}), 0, 0);
    }
    // Top to bottom as an operator sets a loop up: relay, counter, RS232, sum/scale, clock.
    for (int panel : {kPnlControlRelay, kPnlCount, kPnlRs232, kPnlSumScale, kPnlClock})
        switches->addWidget(vsePrgPnl[panel]);
    switches->addStretch(1);
    bodyLayout->addLayout(switches);
    settings->addWidget(body, 0, 0);

    // Values computed from the program.
    auto* values = new QWidget;
    auto* valuesLayout = new QHBoxLayout(values);
    valuesLayout->setContentsMargins(0, 4, 0, 0);
    valuesLayout->setSpacing(8);
    for (int i = 0; i < kProgValueCount; ++i) {
        vseProg[i] = new LabelPanel(QLatin1String(kValues[i].label));
        vseProg[i]->setObjectName(QStringLiteral("vseProg_%1").arg(i));
        vseProg[i]->setToolTip(QLatin1String(kValues[i].tip));
        valuesLayout->addWidget(vseProg[i], 1);
    }
    settings->addWidget(values, 1, 0);
    root->addWidget(settings, 1);

    // The unit's model and serial number, the mode with the file commands, Xmit and CLOSE.
    auto* footer = new QHBoxLayout;
    footer->setSpacing(10);
    txtSN = new QLineEdit;
    txtSN->setObjectName(QStringLiteral("txtSN"));
    txtSN->setToolTip(QStringLiteral("Embedded Serial Number of QX Unit."));
    txtSN->setMaxLength(kSerialLength);
    txtSN->setFixedWidth(84);
    auto* serial = new QWidget;
    auto* serialLayout = new QHBoxLayout(serial);
    serialLayout->setContentsMargins(2, 0, 2, 0);
    serialLayout->setSpacing(10);
    serialLayout->addWidget(fieldLabel(QStringLiteral("Serial No."), txtSN, txtSN->toolTip()));
    serialLayout->addWidget(txtSN);
    vsePrgPnl[kPnlModel]->addWidget(serial, 0, 0);
    footer->addWidget(vsePrgPnl[kPnlModel]);

    for (int i = 0; i < 4; ++i) {
        togProg[i] = new CommandSwitch(QLatin1String(kCommands[i].label));
        togProg[i]->setObjectName(QStringLiteral("togProg_%1").arg(i));
        togProg[i]->setToolTip(QLatin1String(kCommands[i].tip));
    }
    // Only Xmit and Save to File have a state to show.
    togProg[kTogViewLayout]->setIndicatorShown(false);
    togProg[kTogMakeXmitFile]->setIndicatorShown(false);
    lblMode = new ElidedLabel;
    lblMode->setObjectName(QStringLiteral("lblMode"));
    QFont modeFont = lblMode->font();
    modeFont.setBold(true);
    modeFont.setPointSizeF(modeFont.pointSizeF() * 1.15);
    lblMode->setFont(modeFont);
    QPalette modePalette = lblMode->palette();
    modePalette.setColor(QPalette::Active, QPalette::WindowText, theme::accent());
    modePalette.setColor(QPalette::Inactive, QPalette::WindowText, theme::accent());
    lblMode->setPalette(modePalette);
    auto* mode = new QWidget;
    auto* modeLayout = new QHBoxLayout(mode);
    modeLayout->setContentsMargins(2, 0, 2, 0);
    modeLayout->setSpacing(10);
    modeLayout->addWidget(lblMode);
    modeLayout->addStretch(1);
    for (int i : {kTogSaveToFile, kTogViewLayout, kTogMakeXmitFile})
        modeLayout->addWidget(togProg[i]);
    vsePrgPnl[kPnlMode]->addWidget(mode, 0, 0);
    footer->addWidget(vsePrgPnl[kPnlMode], 1);

    cmdCancel = new QPushButton(QStringLiteral("CLOSE"));
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setToolTip(QStringLiteral("Close Program dialog box"));
    cmdCancel->setAutoDefault(false);
    cmdCancel->setMinimumHeight(30);
    auto* commands = new QVBoxLayout;
    commands->setSpacing(6);
    commands->addStretch(1);
    togProg[kTogXmit]->setMinimumWidth(110);
    cmdCancel->setMinimumWidth(110);
    commands->addWidget(togProg[kTogXmit]);
    commands->addWidget(cmdCancel);
    footer->addLayout(commands);
    root->addLayout(footer);

    // Enter moves through the fields in the order of the form.
    QWidget* previous = vseProgTab;
    for (QWidget* w :
         {static_cast<QWidget*>(txtProg[0]), static_cast<QWidget*>(txtProg[1]),
          static_cast<QWidget*>(txtProg[2]), static_cast<QWidget*>(txtProg[3]),
          static_cast<QWidget*>(txtProg[4]), static_cast<QWidget*>(txtProg[5]),
          static_cast<QWidget*>(txtProg[6]), static_cast<QWidget*>(txtProg[7]),
          static_cast<QWidget*>(txtProg[8]), static_cast<QWidget*>(chkprog[kChkTempOn])}) {
        setTabOrder(previous, w);
        previous = w;
    }
}

void frmProg::connectControls() {
    ProgramEditor& e = *m_editor;
    connect(&e, &ProgramEditor::changed, this, &frmProg::render);
    const auto loading = [this] { return m_editor->LoadingFlag(); };

    for (int i = 0; i < kTxtProgCount; ++i) {
        const bool decimal = i == kTxtSampleInterval || i == kTxtTemperature;
        CUI::instance().attach(txtProg[i], decimal ? CUI::Keys::Decimal : CUI::Keys::WholeNumber,
                               loading);
        txtProg[i]->installEventFilter(this);
        connect(txtProg[i], &QLineEdit::textEdited, this, [this, i](const QString& text) {
            m_editor->onFieldEdited(i, text);
            render();
        });
    }
    CUI::instance().attach(txtSN, CUI::Keys::UpperCase, loading);
    txtSN->installEventFilter(this);
    connect(txtSN, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_editor->onSerialEdited(text);
        render();
    });

    // After each click the widgets show the editor's decision, also when it refused the click.
    for (int i = 0; i < kChkProgCount; ++i) {
        connect(chkprog[i], &QAbstractButton::clicked, this, [this, i] {
            m_editor->onCheckClicked(i);
            render();
        });
    }
    for (int i = 0; i < kOptRangeCount; ++i) {
        connect(optRange[i], &QAbstractButton::clicked, this, [this, i] {
            m_editor->onOptionClicked(i);
            render();
        });
    }
    for (int i = kFirstSetting; i < int(togSetting.size()); ++i) {
        connect(togSetting[i], &QAbstractButton::clicked, this, [this, i] {
            m_editor->onSettingsSwitch(i);
            render();
        });
    }
    connect(vseProgTab, &TabStrip::tabChanging, this, [this](int, int to, bool* allow) {
        *allow = m_editor->onTabChanging(to);
        render();
    });

    const std::array<void (ProgramEditor::*)(), 4> commands = {
        &ProgramEditor::onXmit, &ProgramEditor::onSaveToFile, &ProgramEditor::onViewLayout,
        &ProgramEditor::onMakeXmitFile};
    for (int i = 0; i < 4; ++i) {
        connect(togProg[i], &QAbstractButton::clicked, this, [this, command = commands[i]] {
            (m_editor.get()->*command)();
            render();
        });
    }
    connect(cmdCancel, &QAbstractButton::clicked, this, &frmProg::reject);
}

void frmProg::reject() {
    if (m_editor->onCloseRequest()) {
        Timer2->stop();
        QDialog::reject();
    }
}

bool frmProg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        // Switching to another window or opening a menu does not end the entry; the field
        // gets the focus back.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == txtSN) {
                m_editor->onSerialFocusLost();
            } else {
                for (int i = 0; i < kTxtProgCount; ++i) {
                    if (watched == txtProg[i])
                        m_editor->onFieldFocusLost(i);
                }
            }
            render();
        }
    }
    return QDialog::eventFilter(watched, event);
}

QString frmProg::panelLabel(int index) const {
    if (index == kPnlMode)
        return lblMode->fullText();
    return vsePrgPnl.at(index)->title();
}

void frmProg::render() {
    const FrmProgView& v = m_editor->view();
    vseTabPnl->setEnabled(v.tabStripEnabled);
    if (vseProgTab->currentIndex() != v.selectedTab)
        vseProgTab->setCurrentIndex(v.selectedTab);

    for (int i = 0; i < kTxtProgCount; ++i)
        showText(txtProg[i], v.txtProg[i]);
    showText(txtSN, v.txtSN);

    for (int i = 0; i < kChkProgCount; ++i) {
        chkprog[i]->setCheckState(toCheckState(v.chkprog[i].state));
        chkprog[i]->setEnabled(v.chkprog[i].enabled);
    }
    for (int i = 0; i < kOptRangeCount; ++i)
        optRange[i]->setChecked(v.optRange[i]);

    for (int i = 0; i < kPrgPnlCount; ++i) {
        if (i == kPnlMode)
            lblMode->setFullText(v.vsePrgPnl[i].label);
        else
            vsePrgPnl[i]->setTitle(v.vsePrgPnl[i].label);
        vsePrgPnl[i]->setEnabled(v.vsePrgPnl[i].enabled);
    }

    lblMode->setToolTip(v.modeToolTip);
    for (int i = 0; i < kProgValueCount; ++i)
        vseProg[i]->setText(v.vseProg[i]);
    vseProg[kValActive]->setValueColors(toColor(v.activeYes ? kActiveGreen : kActiveLightYellow),
                                        Qt::black);

    CommandSwitch* xmit = togProg[kTogXmit];
    xmit->setIndicator(v.transmitPending ? CommandSwitch::Indicator::Lit
                                         : CommandSwitch::Indicator::Off);
    xmit->setEnabled(v.xmitActive);
    xmit->setFaceColor(v.xmitActive ? QColor() : toColor(kXmitInactiveColour));
    togProg[kTogSaveToFile]->setIndicator(v.unsavedFile == 3   ? CommandSwitch::Indicator::Lit
                                          : v.unsavedFile == 2 ? CommandSwitch::Indicator::Marked
                                                               : CommandSwitch::Indicator::Off);
    cmdCancel->setEnabled(v.closeEnabled);
}

void OpenProgramUtility(Main351& main, bool remote) {
    EditorSetup setup;
    setup.remoteMode = remote;
    setup.featureLevel = main.link().display().FeatureLevel;
    setup.programDir = main.options().programDir;
    frmProg window(
        main.programState(), main, main.prompts(), main.fileDialogs(), setup,
        [&main] {
            MainTemperature t;
            t.compensationOn = main.link().vars().TempCompensation;
            t.conversionValue = main.link().vars().ConversionValue;
            t.temperatureText = main.vsePrgPnl[5]->text();
            return t;
        },
        &main);
    AddProgramTools(window, main, remote);
    // Message boxes and file dialogs open over this window while it is up.
    auto* prompts = dynamic_cast<QtPrompts*>(&main.prompts());
    auto* dialogs = dynamic_cast<QtFileDialogs*>(&main.fileDialogs());
    if (prompts)
        prompts->setParent(&window);
    if (dialogs)
        dialogs->setParent(&window);
    window.exec();
    if (prompts)
        prompts->setParent(&main);
    if (dialogs)
        dialogs->setParent(&main);
}

} // namespace vanto
