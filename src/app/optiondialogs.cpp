#include "optiondialogs.h"

#include "fieldkeyfilter.h"
#include "platform/prompts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vanto {

namespace {

const QString kClose = QStringLiteral("CLOSE");
const QString kIntervalTip = QStringLiteral("Interval  between  sampling.");

// Selects button `id` of an exclusive group, or none when id is -1.
void selectIn(QButtonGroup* group, int id) {
    if (id >= 0 && group->button(id)) {
        group->button(id)->setChecked(true);
        return;
    }
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons())
        b->setChecked(false);
    group->setExclusive(true);
}

// A labelled entry row; the tooltip goes on the label and the field.
QLineEdit* addEntry(QFormLayout* form, const QString& objectName, const QString& label,
                    const QString& tip) {
    auto* field = new QLineEdit;
    field->setObjectName(objectName);
    field->setToolTip(tip);
    auto* lbl = new QLabel(label);
    lbl->setToolTip(tip);
    lbl->setBuddy(field);
    form->addRow(lbl, field);
    return field;
}

QPushButton* button(const QString& text, const QString& objectName) {
    auto* b = new QPushButton(text);
    b->setObjectName(objectName);
    return b;
}

// A row of buttons at the right.
QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton* b : buttons)
        row->addWidget(b);
    return row;
}

} // namespace

// --- OptionDialog -------------------------------------------------------------------------------

OptionDialog::OptionDialog(ProgramRecord& record, Prompts& prompts, QWidget* parent)
    : QDialog(parent), m_record(record), m_prompts(prompts) {
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

void OptionDialog::attachEntry(QLineEdit* field, bool decimals) {
    FieldKeyFilter::instance().attach(
        field, decimals ? FieldKeyFilter::Keys::Decimal : FieldKeyFilter::Keys::WholeNumber,
        [this] { return m_filling; });
    field->installEventFilter(this);
}

QPushButton* OptionDialog::addCloseButton(const std::function<bool()>& store) {
    QPushButton* close = button(kClose, QStringLiteral("closeButton"));
    connect(close, &QPushButton::clicked, this, [this, store] {
        if (store())
            accept();
        else
            refresh(); // an entry was corrected: shown with the beep, stored on the next press
    });
    return close;
}

bool OptionDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        // Leaving the field for another control, not the window losing the focus.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (auto* field = qobject_cast<QLineEdit*>(watched))
                onLeft(field);
        }
    }
    return QDialog::eventFilter(watched, event);
}

// --- SumScaleDialog ------------------------------------------------------------------------------

SumScaleDialog::SumScaleDialog(ProgramRecord& record, int featureLevel, Prompts& prompts,
                               QWidget* parent)
    : OptionDialog(record, prompts, parent), m_rules(prompts) {
    setObjectName(QStringLiteral("SumScaleDialog"));
    setWindowTitle(QStringLiteral("Sum/Scale Dialog"));

    sumScaleGroups[0] = new QGroupBox;
    sumScaleGroups[1] = new QGroupBox(QStringLiteral("Mode"));
    sumScaleGroups[2] = new QGroupBox(QStringLiteral("Select A/D Inputs"));
    for (int i = 0; i < 3; ++i)
        sumScaleGroups[i]->setObjectName(QStringLiteral("sumScaleGroups%1").arg(i));

    auto* values = new QFormLayout(sumScaleGroups[0]);
    for (int i = 0; i < 2; ++i) {
        percentEntries[i] = new QLineEdit;
        percentEntries[i]->setObjectName(QStringLiteral("percentEntries%1").arg(i));
        percentLabels[i] = new QLabel;
        percentLabels[i]->setBuddy(percentEntries[i]);
        values->addRow(percentLabels[i], percentEntries[i]);
        attachEntry(percentEntries[i], true);
        connect(percentEntries[i], &QLineEdit::textEdited, this,
                [this, i](const QString& text) { m_rules.onValueEdited(i, text); });
    }

    static const char* const kTypes[kSumScaleTypes] = {"SCALE", "SUM Proportional", "SUM Linear"};
    m_types = new QButtonGroup(this);
    auto* mode = new QVBoxLayout(sumScaleGroups[1]);
    for (int i = 0; i < kSumScaleTypes; ++i) {
        typeOptions[i] = new QRadioButton(QString::fromLatin1(kTypes[i]));
        typeOptions[i]->setObjectName(QStringLiteral("typeOptions%1").arg(i));
        m_types->addButton(typeOptions[i], i);
        mode->addWidget(typeOptions[i]);
        connect(typeOptions[i], &QRadioButton::clicked, this, [this, i] {
            m_rules.onTypeClicked(i);
            refresh();
        });
    }

    m_channels = new QButtonGroup(this);
    auto* inputs = new QVBoxLayout(sumScaleGroups[2]);
    for (int i = 0; i < kSumScaleChannels; ++i) {
        channelOptions[i] = new QRadioButton(QStringLiteral("Channel %1").arg(i));
        channelOptions[i]->setObjectName(QStringLiteral("channelOptions%1").arg(i));
        m_channels->addButton(channelOptions[i], i);
        inputs->addWidget(channelOptions[i]);
        connect(channelOptions[i], &QRadioButton::clicked, this, [this, i] {
            m_rules.onChannelClicked(i);
            refresh();
        });
    }

    closeButton = addCloseButton([this] { return m_rules.close(m_record); });

    auto* options = new QHBoxLayout;
    options->addWidget(sumScaleGroups[1]);
    options->addWidget(sumScaleGroups[2]);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(options);
    layout->addWidget(sumScaleGroups[0]);
    layout->addLayout(buttonRow({closeButton}));

    m_rules.open(m_record, featureLevel);
    refresh();
}

void SumScaleDialog::onLeft(QLineEdit*) {
    if (m_filling)
        return;
    m_rules.onValueLeft();
    refresh();
}

void SumScaleDialog::refresh() {
    m_filling = true;
    typeOptions[kSumLinear]->setEnabled(m_rules.sumLinearEnabled());
    selectIn(m_types, m_rules.selectedType());
    selectIn(m_channels, m_rules.selectedChannel());
    for (int i = 0; i < 2; ++i) {
        const PercentBox& box = m_rules.percentEntries()[i];
        if (percentEntries[i]->text() != box.text)
            percentEntries[i]->setText(box.text);
        percentEntries[i]->setToolTip(box.toolTip);
        percentEntries[i]->setVisible(box.visible);
        percentLabels[i]->setText(box.tag);
        percentLabels[i]->setToolTip(box.toolTip);
        percentLabels[i]->setVisible(box.visible);
    }
    sumScaleGroups[0]->update();
    m_filling = false;
}

// --- Rs232Dialog ---------------------------------------------------------------------------------

Rs232Dialog::Rs232Dialog(ProgramRecord& record, Prompts& prompts, QWidget* parent)
    : OptionDialog(record, prompts, parent), m_rules(prompts) {
    setObjectName(QStringLiteral("Rs232Dialog"));
    setWindowTitle(QStringLiteral("RS232 Settings"));

    auto* form = new QFormLayout;
    delayEntry = addEntry(form, QStringLiteral("delayEntry"), QStringLiteral("Delay (Sample)"),
                          QStringLiteral("Interval, in samples, between transmissions."));
    attachEntry(delayEntry, false);
    connect(delayEntry, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_rules.onDelayEdited(text); });

    formatGroup = new QGroupBox(QStringLiteral("Data Format"));
    formatGroup->setObjectName(QStringLiteral("formatGroup"));
    formatGroup->setToolTip(
        QStringLiteral("Each Transmission includes Serial Number and Data or just Data."));
    baudGroup = new QGroupBox(QStringLiteral("Baud Rate"));
    baudGroup->setObjectName(QStringLiteral("baudGroup"));
    baudGroup->setToolTip(QStringLiteral("RS232 Baud Rate."));
    static const char* const kCaptions[kRs232Options] = {"S/N && Data", "Data Only", "4800",
                                                         "9600"};
    auto* formatLayout = new QVBoxLayout(formatGroup);
    auto* baudLayout = new QVBoxLayout(baudGroup);
    for (int i = 0; i < kRs232Options; ++i) {
        serialOptions[i] = new QRadioButton(QString::fromLatin1(kCaptions[i]));
        serialOptions[i]->setObjectName(QStringLiteral("serialOptions%1").arg(i));
        (i < kBaud4800 ? formatLayout : baudLayout)->addWidget(serialOptions[i]);
        connect(serialOptions[i], &QRadioButton::clicked, this, [this, i] {
            m_rules.onOptionClicked(i);
            refresh();
        });
    }

    closeButton = addCloseButton([this] { return m_rules.close(m_record); });

    auto* groups = new QHBoxLayout;
    groups->addWidget(formatGroup);
    groups->addWidget(baudGroup);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(groups);
    layout->addLayout(buttonRow({closeButton}));

    m_rules.open(m_record);
    refresh();
}

void Rs232Dialog::refresh() {
    m_filling = true;
    if (delayEntry->text() != m_rules.delayEntry())
        delayEntry->setText(m_rules.delayEntry());
    // Each pair sits in its own panel, so the buttons of a pair exclude each other.
    for (int i = 0; i < kRs232Options; ++i)
        serialOptions[i]->setChecked(m_rules.serialOptions()[i]);
    m_filling = false;
}

// --- ClockDialog ---------------------------------------------------------------------------------

ClockDialog::ClockDialog(ProgramRecord& record, Prompts& prompts, QWidget* parent)
    : OptionDialog(record, prompts, parent), m_rules(prompts) {
    setObjectName(QStringLiteral("ClockDialog"));
    setWindowTitle(QStringLiteral("Clock Settings"));

    auto* form = new QFormLayout;
    entryFields[kClockFrequency] =
        addEntry(form, QStringLiteral("entryField0"), QStringLiteral("Frequency"),
                 QStringLiteral("Maximum Frequency Range"));
    entryFields[kClockDelay] = addEntry(form, QStringLiteral("entryField1"),
                                        QStringLiteral("Delay (Samples)"), kIntervalTip);
    for (int i = 0; i < kClockEntries; ++i) {
        attachEntry(entryFields[i], false);
        connect(entryFields[i], &QLineEdit::textEdited, this,
                [this, i](const QString& text) { m_rules.onEdited(i, text); });
    }

    closeButton = addCloseButton([this] { return m_rules.close(m_record); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttonRow({closeButton}));

    m_rules.open(m_record);
    refresh();
}

void ClockDialog::refresh() {
    m_filling = true;
    for (int i = 0; i < kClockEntries; ++i) {
        if (entryFields[i]->text() != m_rules.entryFields()[i])
            entryFields[i]->setText(m_rules.entryFields()[i]);
    }
    m_filling = false;
}

// --- CounterDialog -------------------------------------------------------------------------------

CounterDialog::CounterDialog(ProgramRecord& record, Prompts& prompts, QWidget* parent)
    : OptionDialog(record, prompts, parent), m_rules(prompts) {
    setObjectName(QStringLiteral("CounterDialog"));
    setWindowTitle(QStringLiteral("Counter Settings"));

    modeGroup = new QGroupBox(QStringLiteral("Mode"));
    modeGroup->setObjectName(QStringLiteral("modeGroup"));
    auto* modeLayout = new QVBoxLayout(modeGroup);
    static const char* const kCaptions[kCountBoxes] = {"Counter", "Gate"};
    for (int i = 0; i < kCountBoxes; ++i) {
        countBoxes[i] = new QCheckBox(QString::fromLatin1(kCaptions[i]));
        countBoxes[i]->setObjectName(QStringLiteral("countBoxes%1").arg(i));
        modeLayout->addWidget(countBoxes[i]);
        connect(countBoxes[i], &QCheckBox::clicked, this, [this, i](bool checked) {
            m_rules.onCheckClicked(i, checked);
            refresh();
        });
    }

    auto* form = new QFormLayout;
    delayEntry = addEntry(form, QStringLiteral("delayEntry"), QStringLiteral("Delay (Samples)"),
                          kIntervalTip);
    attachEntry(delayEntry, false);
    connect(delayEntry, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_rules.onDelayEdited(text); });

    closeButton = addCloseButton([this] { return m_rules.close(m_record); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(modeGroup);
    layout->addLayout(form);
    layout->addLayout(buttonRow({closeButton}));

    m_rules.open(m_record);
    refresh();
}

void CounterDialog::refresh() {
    m_filling = true;
    if (delayEntry->text() != m_rules.delayEntry())
        delayEntry->setText(m_rules.delayEntry());
    for (int i = 0; i < kCountBoxes; ++i)
        countBoxes[i]->setChecked(m_rules.countBoxes()[i]);
    m_filling = false;
}

// --- ControlRelayDialog --------------------------------------------------------------------------

ControlRelayDialog::ControlRelayDialog(ProgramRecord& record, Prompts& prompts, QWidget* parent)
    : OptionDialog(record, prompts, parent), m_rules(prompts) {
    setObjectName(QStringLiteral("ControlRelayDialog"));
    setWindowTitle(QStringLiteral("Control Relay"));

    auto* form = new QFormLayout;
    entryFields[kRelayOn] =
        addEntry(form, QStringLiteral("entryField0"), QStringLiteral("ON (NEAR)"),
                 QStringLiteral("Crtol Relay ON distance (Near sensor <OFF Distance)"));
    entryFields[kRelayOff] =
        addEntry(form, QStringLiteral("entryField1"), QStringLiteral("OFF (FAR)"),
                 QStringLiteral("OFF Distance (FAR from sensor > ON)"));
    entryFields[kRelayDelay] =
        addEntry(form, QStringLiteral("entryField2"), QStringLiteral("Delay(Sample)"),
                 QStringLiteral("Interval  sampling before Rely changes state."));
    for (int i = 0; i < kRelayEntries; ++i) {
        attachEntry(entryFields[i], false);
        connect(entryFields[i], &QLineEdit::textEdited, this,
                [this, i](const QString& text) { m_rules.onEdited(i, text); });
    }

    okButton = button(QStringLiteral("OK"), QStringLiteral("okButton"));
    cancelButton = button(QStringLiteral("CANCEL"), QStringLiteral("cancelButton"));
    connect(okButton, &QPushButton::clicked, this, [this] {
        if (m_rules.ok(m_record))
            accept();
        else
            refresh();
    });
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttonRow({okButton, cancelButton}));

    m_rules.open(m_record);
    refresh();
}

void ControlRelayDialog::refresh() {
    m_filling = true;
    for (int i = 0; i < kRelayEntries; ++i) {
        if (entryFields[i]->text() != m_rules.entryFields()[i])
            entryFields[i]->setText(m_rules.entryFields()[i]);
    }
    m_filling = false;
}

} // namespace vanto
