#include "maindisplay.h"

#include "shared/numtext.h"

namespace vanto {

namespace {

// The number a single ModeFlags character reads as (a blank or a letter reads 0).
int digitAt(const ProgramRecord& record, int position) {
    return static_cast<int>(LeadingNumber(QByteArray(1, record.modeFlag(position))));
}

// The whole number formed by `count` characters from `from` (0-based); non-digits read 0.
int wholeNumberAt(const QByteArray& text, int from, int count) {
    return static_cast<int>(WholeNumber(text.mid(from, count)));
}

} // namespace

void ReadUnitOptions(const QByteArray& options, int* featureLevel, int* majorVersion,
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

MainDisplayModel UpdateMainDisplay(const ProgramState& state) {
    const ProgramRecord& r = state.programs[state.CurrentProgram];
    MainDisplayModel m;
    m.UnitFactor = r.unitFactor();
    m.BaseShown = static_cast<float>(r.number(Field::Base) * m.UnitFactor);
    m.RangeShown = static_cast<float>(r.number(Field::Range) * m.UnitFactor);
    m.SumScaleShare = static_cast<float>(r.number(Field::SumScalePercent));
    m.OffsetValue = r.whole(Field::OffsetPercent);
    m.ConversionValue = r.number(Field::Conversion);
    ReadUnitOptions(state.UnitOptions, &m.FeatureLevel, &m.MajorVersion, &m.ModelName);

    m.LinearOutput = digitAt(r, kModeLinear);
    m.PayOutMode = digitAt(r, kModeDirection);
    m.HoldSwitch = digitAt(r, kModeHold) ^ 1;
    m.HoldOn = m.HoldSwitch != 0;

    const int tempMode = r.whole(Field::TempSensorMode);
    m.TempCompSwitch = tempMode == 2 ? 0 : tempMode;
    m.TempCompOn = m.TempCompSwitch != 0;

    m.SumScaleOn = r.whole(Field::SumScaleEnable);
    m.OutputMode = m.LinearOutput;
    if (m.SumScaleOn != 0) {
        switch (r.whole(Field::SumScaleType)) {
        case 0:
            m.OutputMode = 3;
            break;
        case 1:
            m.OutputMode = 2;
            break;
        case 2:
            m.OutputMode = 4;
            break;
        default:
            break;
        }
    }

    m.PollRequest = 3;
    if (m.LinearOutput == 0)
        m.PollRequest = 5;
    else if (m.LinearOutput == 1)
        m.PollRequest = m.SumScaleOn == 1 ? 6 : 3;
    return m;
}

} // namespace vanto
