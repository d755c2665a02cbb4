#include "maindisplay.h"

#include "shared/numtext.h"

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

    m.pollRequest = 3;
    if (m.linearOutput == 0)
        m.pollRequest = 5;
    else if (m.linearOutput == 1)
        m.pollRequest = m.sumScaleOn == 1 ? 6 : 3;
    return m;
}

} // namespace vanto
