#include "optiondialogs.h"

#include "cuiwidget.h"
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
    CUI::instance().attach(field, decimals ? CUI::Keys::Decimal : CUI::Keys::WholeNumber,
                           [this] { return m_filling; });
    field->installEventFilter(this);
}

QPushButton* OptionDialog::closeButton(std::function<bool()> store) {
    QPushButton* close = button(kClose, QStringLiteral("cmdClose"));
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

// --- frmSumScl ----------------------------------------------------------------------------------

frmSumScl::frmSumScl(ProgramRecord& record, int featureLevel, Prompts& prompts, QWidget* parent)
    : OptionDialog(record, prompts, parent), m_rules(prompts) {
    setObjectName(QStringLiteral("frmSumScl"));
    setWindowTitle(QStringLiteral("Sum/Scale Dialog"));

    vseSmSc[0] = new QGroupBox;
    vseSmSc[1] = new QGroupBox(QStringLiteral("Mode"));
    vseSmSc[2] = new QGroupBox(QStringLiteral("Select A/D Inputs"));
    for (int i = 0; i < 3; ++i)
        vseSmSc[i]->setObjectName(QStringLiteral("vseSmSc%1").arg(i));

    auto* values = new QFormLayout(vseSmSc[0]);
    for (int i = 0; i < 2; ++i) {
        txtPerc[i] = new QLineEdit;
        txtPerc[i]->setObjectName(QStringLiteral("txtPerc%1").arg(i));
        lblPerc[i] = new QLabel;
        lblPerc[i]->setBuddy(txtPerc[i]);
        values->addRow(lblPerc[i], txtPerc[i]);
        attachEntry(txtPerc[i], true);
        connect(txtPerc[i], &QLineEdit::textEdited, this,
                [this, i](const QString& text) { m_rules.onValueEdited(i, text); });
    }

    static const char* const kTypes[kSumScaleTypes] = {"SCALE", "SUM Proportional", "SUM Linear"};
    m_types = new QButtonGroup(this);
    auto* mode = new QVBoxLayout(vseSmSc[1]);
    for (int i = 0; i < kSumScaleTypes; ++i) {
        optSmSc[i] = new QRadioButton(QString::fromLatin1(kTypes[i]));
        optSmSc[i]->setObjectName(QStringLiteral("optSmSc%1").arg(i));
        m_types->addButton(optSmSc[i], i);
        mode->addWidget(optSmSc[i]);
        connect(optSmSc[i], &QRadioButton::clicked, this, [this, i] {
            m_rules.onTypeClicked(i);
            refresh();
        });
    }

    m_channels = new QButtonGroup(this);
    auto* inputs = new QVBoxLayout(vseSmSc[2]);
    for (int i = 0; i < kSumScaleChannels; ++i) {
        optSmch[i] = new QRadioButton(QStringLiteral("Channel %1").arg(i));
        optSmch[i]->setObjectName(QStringLiteral("optSmch%1").arg(i));
        m_channels->addButton(optSmch[i], i);
        inputs->addWidget(optSmch[i]);
        connect(optSmch[i], &QRadioButton::clicked, this, [this, i] {
            m_rules.onChannelClicked(i);
            refresh();
        });
    }

    cmdClose = closeButton([this] { return m_rules.close(m_record); });

    auto* options = new QHBoxLayout;
    options->addWidget(vseSmSc[1]);
    options->addWidget(vseSmSc[2]);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(options);
    layout->addWidget(vseSmSc[0]);
    layout->addLayout(buttonRow({cmdClose}));

    m_rules.open(m_record, featureLevel);
    refresh();
}

void frmSumScl::onLeft(QLineEdit*) {
    if (m_filling)
        return;
    m_rules.onValueLeft();
    refresh();
}

void frmSumScl::refresh() {
    m_filling = true;
    optSmSc[kSumLinear]->setEnabled(m_rules.sumLinearEnabled());
    selectIn(m_types, m_rules.selectedType());
    selectIn(m_channels, m_rules.selectedChannel());
    for (int i = 0; i < 2; ++i) {
        const PercentBox& box = m_rules.txtPerc()[i];
        if (txtPerc[i]->text() != box.text)
            txtPerc[i]->setText(box.text);
        txtPerc[i]->setToolTip(box.toolTip);
        txtPerc[i]->setVisible(box.visible);
        lblPerc[i]->setText(box.tag);
        lblPerc[i]->setToolTip(box.toolTip);
        lblPerc[i]->setVisible(box.visible);
    }
    vseSmSc[0]->update();
    m_filling = false;
}

// --- frmRS232 -----------------------------------------------------------------------------------

frmRS232::frmRS232(ProgramRecord& record, Prompts& prompts, QWidget* parent)
    : OptionDialog(record, prompts, parent), m_rules(prompts) {
    setObjectName(QStringLiteral("frmRS232"));
    setWindowTitle(QStringLiteral("RS232 Settings"));

    auto* form = new QFormLayout;
    txtSdel = addEntry(form, QStringLiteral("txtSdel"), QStringLiteral("Delay (Sample)"),
                       QStringLiteral("Interval, in samples, between transmissions."));
    attachEntry(txtSdel, false);
    connect(txtSdel, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_rules.onDelayEdited(text); });

    fraFormat = new QGroupBox(QStringLiteral("Data Format"));
    fraFormat->setObjectName(QStringLiteral("fraFormat"));
    fraFormat->setToolTip(
        QStringLiteral("Each Transmission includes Serial Number and Data or just Data."));
    fraBaud = new QGroupBox(QStringLiteral("Baud Rate"));
    fraBaud->setObjectName(QStringLiteral("fraBaud"));
    fraBaud->setToolTip(QStringLiteral("RS232 Baud Rate."));
    static const char* const kCaptions[kRs232Options] = {"S/N && Data", "Data Only", "4800",
                                                         "9600"};
    auto* formatLayout = new QVBoxLayout(fraFormat);
    auto* baudLayout = new QVBoxLayout(fraBaud);
    for (int i = 0; i < kRs232Options; ++i) {
        optSer[i] = new QRadioButton(QString::fromLatin1(kCaptions[i]));
        optSer[i]->setObjectName(QStringLiteral("optSer%1").arg(i));
        (i < kBaud4800 ? formatLayout : baudLayout)->addWidget(optSer[i]);
        connect(optSer[i], &QRadioButton::clicked, this, [this, i] {
            m_rules.onOptionClicked(i);
            refresh();
        });
    }

    cmdClose = closeButton([this] { return m_rules.close(m_record); });

    auto* groups = new QHBoxLayout;
    groups->addWidget(fraFormat);
    groups->addWidget(fraBaud);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(groups);
    layout->addLayout(buttonRow({cmdClose}));

    m_rules.open(m_record);
    refresh();
}

void frmRS232::refresh() {
    m_filling = true;
    if (txtSdel->text() != m_rules.txtSdel())
        txtSdel->setText(m_rules.txtSdel());
    // Each pair sits in its own panel, so the buttons of a pair exclude each other.
    for (int i = 0; i < kRs232Options; ++i)
        optSer[i]->setChecked(m_rules.optSer()[i]);
    m_filling = false;
}

// --- frmClock -----------------------------------------------------------------------------------

frmClock::frmClock(ProgramRecord& record, Prompts& prompts, QWidget* parent)
    : OptionDialog(record, prompts, parent), m_rules(prompts) {
    setObjectName(QStringLiteral("frmClock"));
    setWindowTitle(QStringLiteral("Clock Settings"));

    auto* form = new QFormLayout;
    txtCdel[kClockFrequency] =
        addEntry(form, QStringLiteral("txtCdel0"), QStringLiteral("Frequency"),
                 QStringLiteral("Maximum Frequency Range"));
    txtCdel[kClockDelay] =
        addEntry(form, QStringLiteral("txtCdel1"), QStringLiteral("Delay (Samples)"), kIntervalTip);
    for (int i = 0; i < kClockEntries; ++i) {
        attachEntry(txtCdel[i], false);
        connect(txtCdel[i], &QLineEdit::textEdited, this,
                [this, i](const QString& text) { m_rules.onEdited(i, text); });
    }

    cmdClose = closeButton([this] { return m_rules.close(m_record); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttonRow({cmdClose}));

    m_rules.open(m_record);
    refresh();
}

void frmClock::refresh() {
    m_filling = true;
    for (int i = 0; i < kClockEntries; ++i) {
        if (txtCdel[i]->text() != m_rules.txtCdel()[i])
            txtCdel[i]->setText(m_rules.txtCdel()[i]);
    }
    m_filling = false;
}

// --- frmCount -----------------------------------------------------------------------------------

frmCount::frmCount(ProgramRecord& record, Prompts& prompts, QWidget* parent)
    : OptionDialog(record, prompts, parent), m_rules(prompts) {
    setObjectName(QStringLiteral("frmCount"));
    setWindowTitle(QStringLiteral("Counter Settings"));

    fraMode = new QGroupBox(QStringLiteral("Mode"));
    fraMode->setObjectName(QStringLiteral("fraMode"));
    auto* modeLayout = new QVBoxLayout(fraMode);
    static const char* const kCaptions[kCountBoxes] = {"Counter", "Gate"};
    for (int i = 0; i < kCountBoxes; ++i) {
        chkCnt[i] = new QCheckBox(QString::fromLatin1(kCaptions[i]));
        chkCnt[i]->setObjectName(QStringLiteral("chkCnt%1").arg(i));
        modeLayout->addWidget(chkCnt[i]);
        connect(chkCnt[i], &QCheckBox::clicked, this, [this, i](bool checked) {
            m_rules.onCheckClicked(i, checked);
            refresh();
        });
    }

    auto* form = new QFormLayout;
    txtCndel =
        addEntry(form, QStringLiteral("txtCndel"), QStringLiteral("Delay (Samples)"), kIntervalTip);
    attachEntry(txtCndel, false);
    connect(txtCndel, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_rules.onDelayEdited(text); });

    cmdClose = closeButton([this] { return m_rules.close(m_record); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraMode);
    layout->addLayout(form);
    layout->addLayout(buttonRow({cmdClose}));

    m_rules.open(m_record);
    refresh();
}

void frmCount::refresh() {
    m_filling = true;
    if (txtCndel->text() != m_rules.txtCndel())
        txtCndel->setText(m_rules.txtCndel());
    for (int i = 0; i < kCountBoxes; ++i)
        chkCnt[i]->setChecked(m_rules.chkCnt()[i]);
    m_filling = false;
}

// --- frmCtrRly ----------------------------------------------------------------------------------

frmCtrRly::frmCtrRly(ProgramRecord& record, Prompts& prompts, QWidget* parent)
    : OptionDialog(record, prompts, parent), m_rules(prompts) {
    setObjectName(QStringLiteral("frmCtrRly"));
    setWindowTitle(QStringLiteral("Control Relay"));

    auto* form = new QFormLayout;
    txtCdel[kRelayOn] =
        addEntry(form, QStringLiteral("txtCdel0"), QStringLiteral("ON (NEAR)"),
                 QStringLiteral("Crtol Relay ON distance (Near sensor <OFF Distance)"));
    txtCdel[kRelayOff] = addEntry(form, QStringLiteral("txtCdel1"), QStringLiteral("OFF (FAR)"),
                                  QStringLiteral("OFF Distance (FAR from sensor > ON)"));
    txtCdel[kRelayDelay] =
        addEntry(form, QStringLiteral("txtCdel2"), QStringLiteral("Delay(Sample)"),
                 QStringLiteral("Interval  sampling before Rely changes state."));
    for (int i = 0; i < kRelayEntries; ++i) {
        attachEntry(txtCdel[i], false);
        connect(txtCdel[i], &QLineEdit::textEdited, this,
                [this, i](const QString& text) { m_rules.onEdited(i, text); });
    }

    cmdClose[0] = button(QStringLiteral("OK"), QStringLiteral("cmdClose0"));
    cmdClose[1] = button(QStringLiteral("CANCEL"), QStringLiteral("cmdClose1"));
    connect(cmdClose[0], &QPushButton::clicked, this, [this] {
        if (m_rules.ok(m_record))
            accept();
        else
            refresh();
    });
    connect(cmdClose[1], &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttonRow({cmdClose[0], cmdClose[1]}));

    m_rules.open(m_record);
    refresh();
}

void frmCtrRly::refresh() {
    m_filling = true;
    for (int i = 0; i < kRelayEntries; ++i) {
        if (txtCdel[i]->text() != m_rules.txtCdel()[i])
            txtCdel[i]->setText(m_rules.txtCdel()[i]);
    }
    m_filling = false;
}

} // namespace vanto
