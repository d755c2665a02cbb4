// Range limiting of the editor's length and interval entries against the other fields of the
// same program (limitToRange). Values are in storage units: inches, or milliseconds for the
// interval.
#pragma once

#include "program/programrecord.h"

#include <QByteArray>

namespace vanto {

// The check kinds limitToRange knows; any other kind only applies the minimum base.
enum RangeCheck : int {
    kCheckBase = 0,
    kCheckRange = 1,
    kCheckNearRelay = 2,
    kCheckTotalSpan = 4,
    kCheckSampleInterval = 5,
};

constexpr int kMaxSpanInches = 360;
// The longest sample period the unit allows: measurement time for the span plus the interval.
constexpr float kMaxSamplePeriodUs = 65353.0f;

struct RangeResult {
    float value = 0.0f; // the limited value
    bool beep = false;  // the value differs from the entry rounded to a whole number
};

// Limits `value` for the check kind against `record`, and writes into `record` what the check
// adjusts on the way (NearRelay and the control relay distances for a base, SampleInterval when
// the span leaves too little time for it). Entries outside the 16-bit range are first limited to
// it, and always beep. A Conversion that does not read positive counts the measurement as taking
// no time, and the interval limit never drops below 0.
RangeResult limitToRange(ProgramRecord& record, float value, int kind);

// The longest sample interval, in milliseconds, that leaves room for measuring `spanInches`.
float intervalLimitMs(const ProgramRecord& record, float spanInches);

// The decimal text of a single-precision value: up to seven significant digits, no leading
// blank, no exponent ("12.99213", "58935.07", "-3").
QByteArray singleText(float value);

} // namespace vanto
