#include "maindisplaymodel.h"

#include "shared/numtext.h"

#include <cmath>

namespace vanto {

namespace {

// The number a single ModeFlags character reads as (a blank or a letter reads 0).
int digitAt(const ProgramRecord& record, int position) {
    return static_cast<int>(leadingNumber(QByteArray(1, record.modeFlag(position))));
}

// The whole number formed by `count` characters from `from` (0-based); non-digits read 0.
int wholeNumberAt(const QByteArray& text, int from, int count) {
    return static_cast<int>(WholeNumber(text.mid(from, count)));
}

} // namespace

void readUnitOptions(const QByteArray& options, int* featureLevel, int* majorVersion,
                     QString* modelName) {
    int level = 0;
    if (options.contains('N'))
        level = 1;
    if (options.contains('L'))
        level = 2;
    if (options.contains('M'))
        level = 3;
    const int major = wholeNumberAt(options, 0, 1);
    if (major >= 2) {
        level = 1;
        const int minor = wholeNumberAt(options, 2, 2);
        if (major > 2 || minor >= 15)
            ++level;
        if (major > 2 || minor >= 16)
            ++level;
    }
    *featureLevel = level;
    *majorVersion = major;
    *modelName = major >= 2 ? QStringLiteral("QX3700") : QStringLiteral("QX3100");
}

MainDisplayModel updateMainDisplay(const ProgramState& state) {
    const ProgramRecord& r = state.programs[state.currentProgram];
    MainDisplayModel m;
    m.unitFactor = r.unitFactor();
    m.baseShown = static_cast<float>(r.number(Field::Base) * m.unitFactor);
    m.rangeShown = static_cast<float>(r.number(Field::Range) * m.unitFactor);
    m.sumScaleShare = static_cast<float>(r.number(Field::SumScalePercent));
    m.offsetValue = r.whole(Field::OffsetPercent);
    m.conversionValue = r.number(Field::Conversion);
    readUnitOptions(state.unitOptions, &m.featureLevel, &m.majorVersion, &m.modelName);

    m.linearOutput = digitAt(r, kModeLinear);
    m.payOutMode = digitAt(r, kModeDirection);
    m.holdSwitch = digitAt(r, kModeHold) ^ 1;
    m.holdOn = m.holdSwitch != 0;

    const int tempMode = r.whole(Field::TempSensorMode);
    m.tempCompSwitch = tempMode == 2 ? 0 : tempMode;
    m.tempCompOn = m.tempCompSwitch != 0;

    m.sumScaleOn = r.whole(Field::SumScaleEnable);
    m.outputMode = m.linearOutput;
    if (m.sumScaleOn != 0) {
        switch (r.whole(Field::SumScaleType)) {
        case 0:
            m.outputMode = 3;
            break;
        case 1:
            m.outputMode = 2;
            break;
        case 2:
            m.outputMode = 4;
            break;
        default:
            break;
        }
    }

    m.pollRequest = LinkRequest::PollDistance;
    if (m.linearOutput == 0)
        m.pollRequest = LinkRequest::PollAdaptive;
    else if (m.linearOutput == 1 && m.sumScaleOn == 1)
        m.pollRequest = LinkRequest::PollAnalog;
    return m;
}

float computeMeterValue(int meterMode, const LiveValues& live, const MainDisplayModel& d,
                        float* lastOutputPercent) {
    switch (meterMode) {
    case 1:
        return live.liveAnalogPercent;
    case 3:
        return live.liveDistance;
    case 2:
        break;
    default:
        return 0;
    }
    if (d.holdOn && live.farFlag)
        return *lastOutputPercent;
    if (live.farFlag && (d.outputMode == 0 || d.outputMode == 1))
        return 0;
    const double distance = live.liveDistance;
    const double base = d.baseShown;
    const double analog = live.liveAnalogPercent;
    const double x = (distance - base) / double(d.rangeShown);
    double v = 0;
    switch (d.outputMode) {
    case 1:
        v = x * 100 - d.offsetValue;
        if (d.payOutMode == 1)
            v = 100 - v;
        break;
    case 2:
    case 4: {
        const double p = d.sumScaleShare / 100.0;
        const double t = distance >= base ? x * 2 * p : 0;
        const double dev = t - p;
        v = d.payOutMode == 1 ? analog - dev * analog : analog + dev * analog;
        break;
    }
    case 3: {
        const double p = d.sumScaleShare / 100.0;
        if (d.payOutMode == 1) {
            const double y = distance > base ? x : 0;
            v = (p - p * y) * analog;
        } else {
            v = p * x * analog;
        }
        break;
    }
    default:
        v = 0;
        break;
    }
    // A zero range gives no defined fraction at the base itself (0 / 0): show 0 rather than
    // carrying a non-number into the display and the held value.
    if (std::isnan(v) || v < 0) {
        *lastOutputPercent = 0;
        return 0;
    }
    if (v > 100)
        v = 100;
    *lastOutputPercent = static_cast<float>(v);
    return *lastOutputPercent;
}

} // namespace vanto
