#include "rangelimits.h"

#include "shared/numtext.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vanto {

QByteArray singleText(float value) {
    if (!std::isfinite(value))
        value = 0.0f;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.7g", double(value));
    QByteArray text(buf);
    if (text.contains('e')) {
        // Beyond seven integer digits: write the digits out rather than an exponent.
        std::snprintf(buf, sizeof buf, "%.0f", double(value));
        text = QByteArray(buf);
    }
    if (text == "-0")
        text = "0";
    return text;
}

float intervalLimitMs(const ProgramRecord& record, float spanInches) {
    const float conversion = float(record.number(Field::Conversion));
    float limit = kMaxSamplePeriodUs / 1000.0f;
    if (conversion > 0.0f)
        limit = (conversion * kMaxSamplePeriodUs - spanInches) / conversion / 1000.0f;
    if (!std::isfinite(limit))
        limit = 0.0f;
    return std::max(limit, 0.0f);
}

namespace {

// Shortens the stored sample interval when it no longer fits beside the span.
void limitInterval(ProgramRecord& record, float spanInches) {
    const float limit = intervalLimitMs(record, spanInches);
    if (record.number(Field::SampleInterval) / 1000.0 > double(limit))
        record.set(Field::SampleInterval, singleText(limit * 1000.0f));
}

} // namespace

RangeResult limitToRange(ProgramRecord& record, float v, int kind) {
    const qint16 minimumBase = roundToInt16(record.number(Field::MinimumBase));
    bool inRange = false;
    const qint16 entered = roundToInt16(v, &inRange);
    if (!inRange)
        v = std::isnan(v) ? 0.0f : std::clamp(v, -32768.0f, 32767.0f);

    if (kind != kCheckRange && kind != kCheckTotalSpan && v < minimumBase)
        v = minimumBase;

    switch (kind) {
    case kCheckBase: {
        const qint16 range = record.whole(Field::Range);
        if (range + v > kMaxSpanInches)
            v = float(kMaxSpanInches - range);
        if (record.whole(Field::NearRelay) < minimumBase)
            record.set(Field::NearRelay, signedForm(minimumBase));
        if (roundToInt16(v) < record.whole(Field::NearRelay))
            record.set(Field::NearRelay, singleText(v));
        // The relay distances are checked against the span as it stands before this edit.
        const qint16 span = record.whole(Field::TotalSpan);
        if (span < record.whole(Field::RelayOnDistance))
            record.set(Field::RelayOnDistance, record.text(Field::Base));
        if (span < record.whole(Field::RelayOffDistance))
            record.set(Field::RelayOffDistance, record.text(Field::TotalSpan));
        limitInterval(record, v + float(record.number(Field::Range)));
        break;
    }
    case kCheckRange: {
        const qint16 base = record.whole(Field::Base);
        if (v < 1.0f)
            v = 1.0f;
        if (base + v > kMaxSpanInches)
            v = float(kMaxSpanInches - base);
        limitInterval(record, v + float(record.number(Field::Base)));
        break;
    }
    case kCheckNearRelay: {
        const qint16 base = record.whole(Field::Base);
        if (v > base)
            v = base;
        break;
    }
    case kCheckTotalSpan: {
        const qint16 range = record.whole(Field::Range);
        if (v > kMaxSpanInches)
            v = kMaxSpanInches;
        if (v - range < minimumBase)
            v = float(range + minimumBase);
        limitInterval(record, v);
        break;
    }
    case kCheckSampleInterval: {
        const float limit = intervalLimitMs(record, float(record.number(Field::TotalSpan)));
        if (v > limit)
            v = limit;
        break;
    }
    default:
        break;
    }

    RangeResult result;
    result.value = v;
    result.beep = !inRange || v != float(entered);
    return result;
}

} // namespace vanto
