// The program editor's option dialogs: thin windows over the rules in editor/dialogrules.h.
// Each opens on a ProgramRecord (the editor's WorkingRecord), fills its controls from the rules
// and stores through them; closing by the frame or Escape stores nothing.
#pragma once

#include "editor/dialogrules.h"

#include <QDialog>

#include <array>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vanto {

class Prompts;

// Base of the five dialogs: the record they edit, the beep, and the focus-loss hook of their
// entry fields.
class OptionDialog : public QDialog {
    Q_OBJECT
public:
    OptionDialog(ProgramRecord& record, Prompts& prompts, QWidget* parent);

protected:
    // Gives the field the shared entry behaviours and reports its focus loss to onLeft().
    void attachEntry(QLineEdit* field, bool decimals);
    virtual void onLeft(QLineEdit*) {}
    // Shows the dialog's rules in its controls.
    virtual void refresh() {}
    // The CLOSE button: `store` stores the entries; the dialog closes when it did, and shows the
    // corrected entries otherwise.
    QPushButton* closeButton(std::function<bool()> store);
    bool eventFilter(QObject* watched, QEvent* event) override;

    ProgramRecord& m_record;
    Prompts& m_prompts;
    bool m_filling = false; // the window is writing its own controls
};

// Sum/Scale: how the sensor's output combines with an external analog input.
class frmSumScl : public OptionDialog {
    Q_OBJECT
public:
    frmSumScl(ProgramRecord& record, int featureLevel, Prompts& prompts, QWidget* parent = nullptr);

    std::array<QRadioButton*, kSumScaleTypes> optSmSc{};
    std::array<QRadioButton*, kSumScaleChannels> optSmch{};
    std::array<QLineEdit*, 2> txtPerc{};
    std::array<QLabel*, 2> lblPerc{}; // the tag of each box
    // 0: the value boxes, 1: "Mode", 2: "Select A/D Inputs".
    std::array<QGroupBox*, 3> vseSmSc{};
    QPushButton* cmdClose = nullptr;

    const SumScaleRules& rules() const { return m_rules; }

protected:
    void onLeft(QLineEdit* field) override;

private:
    void refresh() override;
    SumScaleRules m_rules;
    QButtonGroup* m_types = nullptr;
    QButtonGroup* m_channels = nullptr;
};

// RS232 output: delay, data format and baud rate.
class frmRS232 : public OptionDialog {
    Q_OBJECT
public:
    frmRS232(ProgramRecord& record, Prompts& prompts, QWidget* parent = nullptr);

    QLineEdit* txtSdel = nullptr;
    std::array<QRadioButton*, kRs232Options> optSer{};
    QGroupBox* fraFormat = nullptr; // "Data Format"
    QGroupBox* fraBaud = nullptr;   // "Baud Rate"
    QPushButton* cmdClose = nullptr;

private:
    void refresh() override;
    Rs232Rules m_rules;
};

// Clock output: frequency range and delay.
class frmClock : public OptionDialog {
    Q_OBJECT
public:
    frmClock(ProgramRecord& record, Prompts& prompts, QWidget* parent = nullptr);

    std::array<QLineEdit*, kClockEntries> txtCdel{};
    QPushButton* cmdClose = nullptr;

private:
    void refresh() override;
    ClockRules m_rules;
};

// Count input: counter or gate, and delay.
class frmCount : public OptionDialog {
    Q_OBJECT
public:
    frmCount(ProgramRecord& record, Prompts& prompts, QWidget* parent = nullptr);

    std::array<QCheckBox*, kCountBoxes> chkCnt{};
    QGroupBox* fraMode = nullptr; // "Mode"
    QLineEdit* txtCndel = nullptr;
    QPushButton* cmdClose = nullptr;

private:
    void refresh() override;
    CounterRules m_rules;
};

// Control relay: ON and OFF distances in inches, and delay. OK may need two presses when it
// corrects an entry; CANCEL stores nothing.
class frmCtrRly : public OptionDialog {
    Q_OBJECT
public:
    frmCtrRly(ProgramRecord& record, Prompts& prompts, QWidget* parent = nullptr);

    std::array<QLineEdit*, kRelayEntries> txtCdel{};
    std::array<QPushButton*, 2> cmdClose{}; // 0 "OK", 1 "CANCEL"

private:
    void refresh() override;
    ControlRelayRules m_rules;
};

} // namespace vanto
