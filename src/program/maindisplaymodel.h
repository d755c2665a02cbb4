// The display model of the running program: what the live display shows of the program the unit
// runs, and the values the link and the sample log compute with (meter value, poll request,
// status check).
#pragma once

#include "programstate.h"
#include "protocol.h"

#include <QString>

namespace vanto {

struct MainDisplayModel {
    double unitFactor = 1.0; // 1 for U.S. units, 2.54 for metric
    float baseShown = 0;     // Base times unitFactor
    float rangeShown = 0;    // Range times unitFactor
    float sumScaleShare = 0; // SumScalePercent
    qint16 offsetValue = 0;  // OffsetPercent as a whole number
    double conversionValue = 0;
    int linearOutput = 0; // ModeFlags character 7: 1 linear, 0 adaptive
    int payOutMode = 0;   // ModeFlags character 8: 1 pay-out, 0 take-up
    int holdSwitch = 0;   // ModeFlags character 6 exclusive-or 1
    bool holdOn = false;  // holdSwitch is not 0
    int sumScaleOn = 0;   // SumScaleEnable as a whole number
    int outputMode = 0;   // 0 adaptive, 1 linear, 2 sum proportional, 3 scaled, 4 sum linear
    LinkRequest pollRequest = LinkRequest::PollSerial; // the request ordinary polling sends
    int featureLevel = 0;                              // 0..3, from the option text
    int majorVersion = 0;
    QString modelName;       // "QX3100" or "QX3700"
    int tempCompSwitch = 0;  // TempSensorMode as a whole number, 2 shown as 0
    bool tempCompOn = false; // the temperature-compensation switch stands on
};

// The model for program `state.currentProgram` of the program set and the unit's option text.
// Blank or malformed fields read as 0; nothing here fails.
MainDisplayModel updateMainDisplay(const ProgramState& state);

// featureLevel, major version and model name from the option and version text ("2.16 M").
void readUnitOptions(const QByteArray& options, int* featureLevel, int* majorVersion,
                     QString* modelName);

// The live readings of the last poll reply.
struct LiveValues {
    float liveDistance = 0;
    float liveAnalogPercent = 0;
    bool farFlag = false;
    bool nearFlag = false;
};

// The value of the large display for meterMode 1 (analog %), 2 (percent output) or 3 (distance).
// `lastOutputPercent` keeps the last percent output between calls (it is held while FAR is
// exceeded with hold on).
float computeMeterValue(int meterMode, const LiveValues& live, const MainDisplayModel& display,
                        float* lastOutputPercent);

} // namespace vanto
