// What the program editor needs from the unit link and from the windows around it.
#pragma once

namespace vanto {

// The link's side of a single-program transmission. The link layer implements it; tests fake it.
class EditorLink {
public:
    virtual ~EditorLink() = default;
    virtual bool onLine() const = 0;
    // Sets linkRequest to 7 and sends DC1; the link transmits program transmitProgram when the
    // unit answers, reads it back and ends request 7.
    virtual void startTransmission() = 0;
    // linkRequest is still 7.
    virtual bool transmissionPending() const = 0;
    // Ends request 7 without waiting for the unit, restores polling and the controls.
    virtual void abandonTransmission() = 0;
    // After a transmission: reads program `program` from the unit into the ProgramSet once the
    // link is polling again, processing events while it waits. True when the unit's record of
    // it was stored; false when the unit did not give it (silent, off-line, time-out). A link
    // that cannot read back can never confirm a transmission.
    virtual bool readProgramBack(int /*program*/) { return false; }
    // Runs the pending window, timer and serial-port events once while the editor waits. It
    // should block briefly for new events rather than return at once, so the wait does not spin.
    virtual void processEvents() = 0;
    // updateMainDisplay of the main window.
    virtual void refreshMainDisplay() = 0;
};

// The settings dialogs, in the order of their switches settingSwitches 4 to 8.
enum class SettingsDialog {
    ControlRelay = 4, // ControlRelayDialog
    Counter = 5,      // CounterDialog
    Rs232 = 6,        // Rs232Dialog
    SumScale = 7,     // SumScaleDialog
    Clock = 8,        // ClockDialog
};

// The modal windows the editor opens. Each call returns when the window has closed.
class EditorWindows {
public:
    virtual ~EditorWindows() = default;
    // Opens the dialog on the editor's workingRecord, which it may change.
    virtual void openSettingsDialog(SettingsDialog dialog) = 0;
    // The sensor layout picture (SensorLayoutWindow).
    virtual void showSensorLayout() = 0;
};

} // namespace vanto
