// Values computed from a program record for display. None of them fails when a divisor reads 0:
// a value that cannot be computed is reported as 0.
#pragma once

#include "programrecord.h"

namespace vanto {

// Inches per count of echo time at a temperature in degrees Celsius.
double conversionAtTemperature(float celsius);

// PWM frequency in kHz: 1 / (Range / Conversion × 1.666e-7); 0 when Range or Conversion reads 0.
float pwmFrequency(const ProgramRecord& record);

// Sample time in milliseconds: (TotalSpan / Conversion + SampleInterval) / 1000; the measurement
// part counts 0 when Conversion reads 0.
float sampleTimeMs(const ProgramRecord& record);

// Diameter of the sound cone at the far end of the total span, in display units.
double coneDiameter(const ProgramRecord& record);

// Base + Range (leading-number readings), inches.
double totalSpanOf(const ProgramRecord& record);

// Range / Conversion, the number of counts the range spans; 0 when Conversion reads 0.
double rangeCounts(const ProgramRecord& record);

} // namespace vanto
