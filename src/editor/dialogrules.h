// load and store rules of the program editor's option dialogs: Sum/Scale, RS232, clock, counter
// and control relay. Each dialog is a small state object: open() fills the texts and selections
// from the workingRecord, one handler per operator action changes them, and close() (or ok())
// converts them back and writes the record, all fields or none. The windows (src/app) show the
// state after every handler and feed typed text back through the *Edited handlers.
//
// Conventions shared by the dialogs:
// - An entry is stored as its whole number. A closing button that meets an entry which is not a
//   whole number (empty, only signs), lies outside the 16-bit range, or does not fit its record
//   field, beeps, shows the nearest number the field can hold in that entry and leaves the
//   dialog open with nothing stored; a second press stores the shown value. An entry the
//   operator did not touch is not refused for that: if it cannot be read it keeps the stored
//   text (the control relay's distance checks still apply to untouched distances).
// - A field whose stored text already is the whole number to be stored keeps its text (" 1",
//   "12    "), so opening and closing a dialog without a change leaves the record as it was.
#pragma once

#include "program/programrecord.h"

#include <QString>

#include <array>

namespace vanto {

class Prompts;

// --- Entry readings shared by the dialogs -------------------------------------------------------

// The smallest and largest whole numbers `field` can hold as text, within the 16-bit range.
int fieldMinimum(Field field);
int fieldMaximum(Field field);

// The number an entry stands for: the whole-number value of its leading-number reading, limited
// to the 16-bit range and to what `field` can hold.
int entryValue(const QString& text, Field field);

// The entry is exactly a whole number (blanks around it allowed) that `field` can hold.
bool entryValid(const QString& text, Field field);

// Writes the whole number `value` into `field` unless the stored text already is that number.
void storeWhole(ProgramRecord& record, Field field, int value);

// --- Sum/Scale dialog (SumScaleDialog) -----------------------------------------------------------

enum SumScaleType : int { kScale = 0, kSumProportional = 1, kSumLinear = 2, kSumScaleTypes = 3 };
constexpr int kSumScaleChannels = 4;

struct PercentBox {
    QString text;
    QString tag; // the label the panel shows beside the box
    QString toolTip;
    bool visible = true;
};

class SumScaleRules {
public:
    explicit SumScaleRules(Prompts& prompts) : m_prompts(prompts) {}

    // Fills the dialog from the record. SUM Linear can be chosen only at featureLevel 3; a record
    // that already holds it still opens with it selected. A type outside 0 to 2 or a channel
    // outside 0 to 3 selects no option of its group, and CLOSE keeps that field (and, for the
    // type, the percentage that belongs to it) until the operator picks one.
    void open(const ProgramRecord& record, int featureLevel);

    // Relabels and re-limits the value boxes for the combination `Index` (0, 1 or 2); any other
    // index changes nothing.
    void refreshLabels(int Index);

    void onTypeClicked(int index);    // typeOptions
    void onChannelClicked(int index); // channelOptions
    void onValueEdited(int box, const QString& text);
    // Leaving either value box: a main value above 100 becomes 100 with a beep; with SUM Linear
    // the second box shows 100 minus the main value.
    void onValueLeft();
    // CLOSE: stores type, percentage and channel and returns true. A main value whose stored form
    // would not fit the four-character field, or that is not a number, is corrected with a beep
    // instead; then nothing is stored and false is returned.
    bool close(ProgramRecord& record);

    bool loading() const { return m_loading; }
    int selectedType() const { return m_type; }       // -1: none
    int selectedChannel() const { return m_channel; } // -1: none
    bool sumLinearEnabled() const { return m_sumLinearEnabled; }
    const std::array<PercentBox, 2>& percentEntries() const { return m_percentEntries; }

private:
    Prompts& m_prompts;
    bool m_loading = false;
    bool m_sumLinearEnabled = true;
    int m_type = -1;
    int m_channel = -1;
    std::array<PercentBox, 2> m_percentEntries;
};

// --- RS232 dialog (Rs232Dialog) ------------------------------------------------------------------

// serialOptions: two independent pairs, data format and baud rate.
enum Rs232Option : int { kSerialAndData = 0, kDataOnly, kBaud4800, kBaud9600, kRs232Options };

// Rs232Content codes: "1" = serial number and data, "0" = data only. A stored value other than
// 1 opens as "Data Only"; CLOSE writes the code only when the operator changed the data format,
// so any stored value survives opening and closing.
constexpr char kContentSerialAndData[] = "1";
constexpr char kContentDataOnly[] = "0";

class Rs232Rules {
public:
    explicit Rs232Rules(Prompts& prompts) : m_prompts(prompts) {}
    void open(const ProgramRecord& record);
    void onOptionClicked(int index);
    void onDelayEdited(const QString& text) { m_delayEntry = text; }
    bool close(ProgramRecord& record); // false: an entry was corrected, nothing stored

    const QString& delayEntry() const { return m_delayEntry; }
    const std::array<bool, kRs232Options>& serialOptions() const { return m_serialOptions; }

private:
    Prompts& m_prompts;
    QString m_delayEntry;
    QString m_openedDelay;
    std::array<bool, kRs232Options> m_serialOptions{};
    bool m_openedWithSerial = false;
};

// --- Clock dialog (ClockDialog) ------------------------------------------------------------------

enum ClockEntry : int { kClockFrequency = 0, kClockDelay, kClockEntries };

class ClockRules {
public:
    explicit ClockRules(Prompts& prompts) : m_prompts(prompts) {}
    // The boxes show the stored texts exactly, trailing blanks included.
    void open(const ProgramRecord& record);
    void onEdited(int index, const QString& text);
    bool close(ProgramRecord& record); // false: an entry was corrected, nothing stored

    const std::array<QString, kClockEntries>& entryFields() const { return m_entryFields; }

private:
    Prompts& m_prompts;
    std::array<QString, kClockEntries> m_entryFields;
    std::array<QString, kClockEntries> m_opened;
};

// --- Counter dialog (CounterDialog) --------------------------------------------------------------

enum CountBox : int { kCounterBox = 0, kGateBox, kCountBoxes };

class CounterRules {
public:
    explicit CounterRules(Prompts& prompts) : m_prompts(prompts) {}
    void open(const ProgramRecord& record);
    // A click on either box unchecks the other: at most one is checked.
    void onCheckClicked(int index, bool checked);
    void onDelayEdited(const QString& text) { m_delayEntry = text; }
    // Stores the delay as typed (a text longer than the field is written as its number) and
    // CountMode 1 or 2 for the checked box; with neither checked CountMode keeps its value.
    bool close(ProgramRecord& record); // false: the delay was corrected, nothing stored

    const QString& delayEntry() const { return m_delayEntry; }
    const std::array<bool, kCountBoxes>& countBoxes() const { return m_countBoxes; }

private:
    Prompts& m_prompts;
    QString m_delayEntry;
    QString m_opened;
    std::array<bool, kCountBoxes> m_countBoxes{};
};

// --- Control relay dialog (ControlRelayDialog) ---------------------------------------------------

enum RelayEntry : int { kRelayOn = 0, kRelayOff, kRelayDelay, kRelayEntries };

// The relay distances are inches whatever the editor's units.
class ControlRelayRules {
public:
    explicit ControlRelayRules(Prompts& prompts) : m_prompts(prompts) {}
    void open(const ProgramRecord& record);
    void onEdited(int index, const QString& text);
    // OK: checks ON against the span, the OFF entry and the minimum base, then OFF against the
    // near relay, the span and the minimum base. The first entry that needs a correction is
    // shown corrected with a beep and false is returned: nothing is stored, the dialog stays.
    // Otherwise all three are stored and true is returned. CANCEL simply stores nothing.
    bool ok(ProgramRecord& record);

    const std::array<QString, kRelayEntries>& entryFields() const { return m_entryFields; }

private:
    bool correct(int index, int value);
    Prompts& m_prompts;
    std::array<QString, kRelayEntries> m_entryFields;
    QString m_openedDelay;
};

} // namespace vanto
