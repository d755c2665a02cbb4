#include "displaytexts.h"

#include "program/derived.h"
#include "shared/numtext.h"

namespace vanto {

QString unitSuffix(double unitFactor) {
    return unitFactor == 1.0 ? QStringLiteral(" (Inches)") : QStringLiteral(" (Centimeters)");
}

MainDisplayTexts mainDisplayTextsFor(const ProgramState& state, const MainDisplayModel& m) {
    const ProgramRecord& r = state.programs[state.currentProgram];
    const double v = m.unitFactor;
    MainDisplayTexts t;
    t.unitSuffix = unitSuffix(v);
    t.programNumber = QString::number(state.currentProgram);
    t.nearValue = roundToInt16(r.number(Field::NearRelay) * v);
    t.farValue = roundToInt16(r.number(Field::TotalSpan) * v);

    const double tenths = r.number(Field::Temperature);
    const bool us = v == 1.0;
    const double temperature = us ? tenths * 0.18 + 32 : tenths / 10;
    t.settingsPanels = {
        QString::fromLatin1(formatNumber(m.baseShown, "0")),
        QString::fromLatin1(formatNumber(m.rangeShown, "0")),
        QString::fromLatin1(r.trimmed(Field::AverageCount)),
        QString::fromLatin1(r.trimmed(Field::OverCount)),
        QString::fromLatin1(formatNumber(sampleTimeMs(r), "0.0")),
        QString::fromLatin1(formatNumber(temperature, "0.0")),
        us ? QStringLiteral("U.S.") : QStringLiteral("Metric"),
    };
    t.serial = QString::fromLatin1(state.unitSerial);
    t.version = QString::fromLatin1(state.unitOptions);
    t.switches = {m.linearOutput,
                  m.payOutMode,
                  m.holdSwitch,
                  r.whole(Field::SlaveMode),
                  r.whole(Field::ControlRelayEnable),
                  m.tempCompSwitch};
    t.echoVisible = m.modelName != QLatin1String("QX3100");
    t.echoOn = t.echoVisible && r.number(Field::DoubleEcho) != 0;
    t.clockVisible = m.featureLevel >= 2;
    t.clockHours = static_cast<float>(
        leadingNumber(formatNumber(state.programs[0].number(Field::Param21), "0.0")));
    t.status = QStringLiteral("Model Type: %1  ").arg(m.modelName);
    t.chartCaption = QStringLiteral("Distance") + t.unitSuffix;

    const double base = r.number(Field::Base);
    const double range = r.number(Field::Range);
    const double lowest = r.number(Field::MinimumBase) == 6 ? 5.9 : 12.9;
    t.spanLow = base * v;
    t.spanHigh = (base + range) * v + 0.5 * v;
    t.limitLow = lowest * v;
    t.limitHigh = t.spanHigh;
    return t;
}

MeterCaption meterCaptionFor(int meterMode, int outputMode, double unitFactor, bool fromSelector,
                             const QString& currentLabel) {
    MeterCaption c;
    switch (meterMode) {
    case 1:
        c.label = QStringLiteral("Analog Percent(%)");
        c.tooltip = QStringLiteral("Analog Output in Percent");
        break;
    case 2: {
        static const char* const kRefresh[5] = {
            "ADAPTIVE MODE Percent Output(%)", "LINEAR MODE Percent Output(%)",
            "SUM MODE Percent Output(%)", "SCALED MODE Percent Output(%)",
            "SUM LINEAR MODE Percent Output(%)"};
        static const char* const kSelector[5] = {
            "ADAPTIVE MODE Percent Output(%)", "LINEAR MODE Percent Output(%)",
            "SUM PROPORTIONAL MODE Percent Output(%)", "SCALED MODE Percent Output(%)",
            "SUM LINEAR MODE Percent Output(%)"};
        c.label = outputMode >= 0 && outputMode <= 4
                      ? QLatin1String((fromSelector ? kSelector : kRefresh)[outputMode])
                      : currentLabel;
        c.tooltip = QStringLiteral("Output Value in Percent");
        break;
    }
    default:
        c.label = QStringLiteral("Distance") + unitSuffix(unitFactor);
        c.tooltip = QStringLiteral("DISTANCE value in ") + unitSuffix(unitFactor);
        break;
    }
    return c;
}

MeterSelection selectMeterMode(int position, int previousMode, int sumScaleOn) {
    if (position == 1 && sumScaleOn == 0)
        return {previousMode, true};
    return {position, false};
}

} // namespace vanto
