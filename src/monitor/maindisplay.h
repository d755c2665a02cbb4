// The main window's display model: what the live display shows of the program the unit runs, and
// the monitor values the link computes with (meter value, poll command, status check).
#pragma once

#include "program/programstate.h"

#include <QString>

namespace vanto {

struct MainDisplayModel {
    double UnitFactor = 1.0; // 1 for U.S. units, 2.54 for metric
    float BaseShown = 0;     // Base times UnitFactor
    float RangeShown = 0;    // Range times UnitFactor
    float SumScaleShare = 0; // SumScalePercent
    qint16 OffsetValue = 0;  // OffsetPercent as a whole number
    double ConversionValue = 0;
    int LinearOutput = 0; // ModeFlags character 7: 1 linear, 0 adaptive
    int PayOutMode = 0;   // ModeFlags character 8: 1 pay-out, 0 take-up
    int HoldSwitch = 0;   // ModeFlags character 6 exclusive-or 1
    bool HoldOn = false;  // HoldSwitch is not 0
    int SumScaleOn = 0;   // SumScaleEnable as a whole number
    int OutputMode = 0;   // 0 adaptive, 1 linear, 2 sum proportional, 3 scaled, 4 sum linear
    int PollRequest = 2;  // the request ordinary polling sends
    int FeatureLevel = 0; // 0..3, from the option text
    int MajorVersion = 0;
    QString ModelName;       // "QX3100" or "QX3700"
    int TempCompSwitch = 0;  // TempSensorMode as a whole number, 2 shown as 0
    bool TempCompOn = false; // the temperature-compensation switch stands on
};

// The model for program `state.CurrentProgram` of the program set and the unit's option text.
// Blank or malformed fields read as 0; nothing here fails.
MainDisplayModel UpdateMainDisplay(const ProgramState& state);

// FeatureLevel, major version and model name from the option and version text ("2.16 M").
void ReadUnitOptions(const QByteArray& options, int* featureLevel, int* majorVersion,
                     QString* modelName);

} // namespace vanto
