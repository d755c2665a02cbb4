#include "derived.h"

#include <cmath>

namespace vanto {

double conversionAtTemperature(float celsius) {
    const double feetPerSecond = 1087.1 * std::sqrt((double(celsius) + 273.2) / 273.2);
    const double inchesPerMicrosecond = feetPerSecond * 1.2e-5;
    const double result = inchesPerMicrosecond / 2.0;
    return std::isfinite(result) ? result : 0.0; // below absolute zero: nothing to show
}

double rangeCounts(const ProgramRecord& record) {
    const double conversion = record.number(Field::Conversion);
    if (conversion == 0.0)
        return 0.0;
    return record.number(Field::Range) / conversion;
}

float pwmFrequency(const ProgramRecord& record) {
    const double counts = rangeCounts(record);
    if (counts == 0.0)
        return 0.0f;
    return static_cast<float>(1.0 / (counts * 1.666e-7));
}

float sampleTimeMs(const ProgramRecord& record) {
    const double conversion = record.number(Field::Conversion);
    const double measurement =
        conversion == 0.0 ? 0.0 : record.number(Field::TotalSpan) / conversion;
    return static_cast<float>((measurement + record.number(Field::SampleInterval)) / 1000.0);
}

double coneDiameter(const ProgramRecord& record) {
    return record.number(Field::TotalSpan) * 0.305 * record.unitFactor();
}

double totalSpanOf(const ProgramRecord& record) {
    return record.number(Field::Base) + record.number(Field::Range);
}

} // namespace vanto
