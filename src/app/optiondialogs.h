// The program editor's option dialogs: thin windows over the rules in editor/dialogrules.h.
// Each opens on a ProgramRecord (the editor's workingRecord), fills its controls from the rules
// and stores through them; closing by the frame or escape stores nothing.
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
    QPushButton* addCloseButton(const std::function<bool()>& store);
    bool eventFilter(QObject* watched, QEvent* event) override;

    ProgramRecord& m_record;
    Prompts& m_prompts;
    bool m_filling = false; // the window is writing its own controls
};

// Sum/Scale: how the sensor's output combines with an external analog input.
class SumScaleDialog : public OptionDialog {
    Q_OBJECT
public:
    SumScaleDialog(ProgramRecord& record, int featureLevel, Prompts& prompts,
                   QWidget* parent = nullptr);

    std::array<QRadioButton*, kSumScaleTypes> typeOptions{};
    std::array<QRadioButton*, kSumScaleChannels> channelOptions{};
    std::array<QLineEdit*, 2> percentEntries{};
    std::array<QLabel*, 2> percentLabels{}; // the tag of each box
    // 0: the value boxes, 1: "Mode", 2: "Select A/D Inputs".
    std::array<QGroupBox*, 3> sumScaleGroups{};
    QPushButton* closeButton = nullptr;

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
class Rs232Dialog : public OptionDialog {
    Q_OBJECT
public:
    Rs232Dialog(ProgramRecord& record, Prompts& prompts, QWidget* parent = nullptr);

    QLineEdit* delayEntry = nullptr;
    std::array<QRadioButton*, kRs232Options> serialOptions{};
    QGroupBox* formatGroup = nullptr; // "Data Format"
    QGroupBox* baudGroup = nullptr;   // "Baud Rate"
    QPushButton* closeButton = nullptr;

private:
    void refresh() override;
    Rs232Rules m_rules;
};

// Clock output: frequency range and delay.
class ClockDialog : public OptionDialog {
    Q_OBJECT
public:
    ClockDialog(ProgramRecord& record, Prompts& prompts, QWidget* parent = nullptr);

    std::array<QLineEdit*, kClockEntries> entryFields{};
    QPushButton* closeButton = nullptr;

private:
    void refresh() override;
    ClockRules m_rules;
};

// Count input: counter or gate, and delay.
class CounterDialog : public OptionDialog {
    Q_OBJECT
public:
    CounterDialog(ProgramRecord& record, Prompts& prompts, QWidget* parent = nullptr);

    std::array<QCheckBox*, kCountBoxes> countBoxes{};
    QGroupBox* modeGroup = nullptr; // "Mode"
    QLineEdit* delayEntry = nullptr;
    QPushButton* closeButton = nullptr;

private:
    void refresh() override;
    CounterRules m_rules;
};

// Control relay: ON and OFF distances in inches, and delay. OK may need two presses when it
// corrects an entry; CANCEL stores nothing.
class ControlRelayDialog : public OptionDialog {
    Q_OBJECT
public:
    ControlRelayDialog(ProgramRecord& record, Prompts& prompts, QWidget* parent = nullptr);

    std::array<QLineEdit*, kRelayEntries> entryFields{};
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

private:
    void refresh() override;
    ControlRelayRules m_rules;
};

} // namespace vanto
