#include "displaytexts.h"

#include "program/derived.h"
#include "shared/numtext.h"

namespace vanto {

QString UnitSuffix(double unitFactor) {
    return unitFactor == 1.0 ? QStringLiteral(" (Inches)") : QStringLiteral(" (Centimeters)");
}

MainDisplayTexts MainDisplayTextsFor(const ProgramState& state, const MainDisplayModel& m) {
    const ProgramRecord& r = state.programs[state.CurrentProgram];
    const double v = m.UnitFactor;
    MainDisplayTexts t;
    t.unitSuffix = UnitSuffix(v);
    t.programNumber = QString::number(state.CurrentProgram);
    t.nearValue = RoundToInt16(r.number(Field::NearRelay) * v);
    t.farValue = RoundToInt16(r.number(Field::TotalSpan) * v);

    const double tenths = r.number(Field::Temperature);
    const bool us = v == 1.0;
    const double temperature = us ? tenths * 0.18 + 32 : tenths / 10;
    t.settingsPanels = {
        QString::fromLatin1(FormatNumber(m.BaseShown, "0")),
        QString::fromLatin1(FormatNumber(m.RangeShown, "0")),
        QString::fromLatin1(r.trimmed(Field::AverageCount)),
        QString::fromLatin1(r.trimmed(Field::OverCount)),
        QString::fromLatin1(FormatNumber(SampleTimeMs(r), "0.0")),
        QString::fromLatin1(FormatNumber(temperature, "0.0")),
        us ? QStringLiteral("U.S.") : QStringLiteral("Metric"),
    };
    t.serial = QString::fromLatin1(state.UnitSerial);
    t.version = QString::fromLatin1(state.UnitOptions);
    t.switches = {m.LinearOutput,
                  m.PayOutMode,
                  m.HoldSwitch,
                  r.whole(Field::SlaveMode),
                  r.whole(Field::ControlRelayEnable),
                  m.TempCompSwitch};
    t.echoVisible = m.ModelName != QLatin1String("QX3100");
    t.echoOn = t.echoVisible && r.number(Field::DoubleEcho) != 0;
    t.clockVisible = m.FeatureLevel >= 2;
    t.clockHours = LeadingNumber(FormatNumber(state.programs[0].number(Field::Param21), "0.0"));
    t.status = QStringLiteral("Model Type: %1  ").arg(m.ModelName);
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

MeterCaption MeterCaptionFor(int meterMode, int outputMode, double unitFactor, bool fromSelector,
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
        c.label = QStringLiteral("Distance") + UnitSuffix(unitFactor);
        c.tooltip = QStringLiteral("DISTANCE value in ") + UnitSuffix(unitFactor);
        break;
    }
    return c;
}

MeterSelection SelectMeterMode(int position, int previousMode, int sumScaleOn) {
    if (position == 1 && sumScaleOn == 0)
        return {previousMode, true};
    return {position, false};
}

} // namespace vanto
