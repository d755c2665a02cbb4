// What the main window shows of the running program, as texts and values ready for the widgets,
// and the meter selector's rules. Computed from the display model; the window only renders it.
#pragma once

#include "program/maindisplaymodel.h"

#include <QString>

#include <array>

namespace vanto {

struct MainDisplayTexts {
    QString programNumber;                 // digitDisplays 0, "0" to "7"
    qint16 nearValue = 0;                  // digitDisplays 2: NearRelay in display units
    qint16 farValue = 0;                   // digitDisplays 3: TotalSpan in display units
    std::array<QString, 7> settingsPanels; // settingPanels 0..6: base, range, average, over count,
                                           // sample time, temperature, units
    QString serial;                        // identityPanels 0
    QString version;                       // identityPanels 1
    std::array<int, 6> switches{};         // switchIndicators 0..5
    bool echoVisible = false;              // echoLamp: not on a QX3100
    bool echoOn = false;
    bool clockVisible = false; // unitClock: from feature level 2
    float clockHours = 0;
    QString status;       // statusPanel
    QString unitSuffix;   // " (Inches)" or " (Centimeters)"
    QString chartCaption; // "Distance" + suffix
    // The chart's vertical span and the outer limits the operator may drag it within.
    double spanLow = 0, spanHigh = 0, limitLow = 0, limitHigh = 0;
};

MainDisplayTexts mainDisplayTextsFor(const ProgramState& state, const MainDisplayModel& model);

// " (Inches)" when the factor is exactly 1, " (Centimeters)" otherwise.
QString unitSuffix(double unitFactor);

// The large display's label and tooltip for a meter mode. `fromSelector`: the percent-output
// captions of the meter selector rather than those of the display refresh (they differ for sum
// proportional). An output mode outside 0..4 leaves the label as `currentLabel`.
struct MeterCaption {
    QString label;
    QString tooltip;
    int decimals = 1; // digits after the point the large display shows
};
MeterCaption meterCaptionFor(int meterMode, int outputMode, double unitFactor, bool fromSelector,
                             const QString& currentLabel);

// The meter selector moved to `position` (1 analog, 2 output, 3 distance). The analog meter is
// offered only while the running program has Sum/Scale on: otherwise the selector goes back to
// the mode accepted before, with the beep.
struct MeterSelection {
    int meterMode; // the mode now in force (and the selector's position)
    bool refused;  // the selector must be put back, with the beep
};
MeterSelection selectMeterMode(int position, int previousMode, int sumScaleOn);

} // namespace vanto
