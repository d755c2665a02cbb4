#include "programcompare.h"

#include "shared/numtext.h"

#include <algorithm>

namespace vanto {

namespace {

QByteArray cutPadding(QByteArray text) {
    while (text.endsWith(' '))
        text.chop(1);
    return text;
}

bool isLength(Field f) {
    switch (f) {
    case Field::Base:
    case Field::Range:
    case Field::NearRelay:
    case Field::TotalSpan:
    case Field::RelayOnDistance:
    case Field::RelayOffDistance:
        return true;
    default:
        return false;
    }
}

QString onOff(const ProgramRecord& r, Field f) {
    return r.whole(f) == 1   ? QStringLiteral("on")
           : r.whole(f) == 0 ? QStringLiteral("off")
                             : QString::fromLatin1(r.trimmed(f));
}

} // namespace

bool fieldTextsEqual(Field field, const QByteArray& a, const QByteArray& b) {
    if (field == Field::ModeFlags)
        return cutPadding(a) == cutPadding(b);
    return a.trimmed() == b.trimmed();
}

bool fieldCompared(int program, Field field, const CompareOptions& options) {
    if (!options.unitAgainstFile)
        return true;
    Q_UNUSED(program)
    return field != Field::Spare02 && field != Field::Param24 && field != Field::Param47 &&
           field != Field::Param21;
}

QList<ProgramDifference> comparePrograms(const ProgramSet& left, const ProgramSet& right,
                                         const CompareOptions& options, int onlyProgram) {
    QList<ProgramDifference> out;
    for (int p = 0; p < kProgramCount; ++p) {
        if (onlyProgram >= 0 && p != onlyProgram)
            continue;
        for (const FieldInfo& f : kFieldTable) {
            if (!fieldCompared(p, f.field, options))
                continue;
            const QByteArray a = left[p].text(f.field);
            const QByteArray b = right[p].text(f.field);
            if (fieldTextsEqual(f.field, a, b))
                continue;
            out.append({p, f.field, cutPadding(a), cutPadding(b), fieldShownText(left[p], f.field),
                        fieldShownText(right[p], f.field)});
        }
    }
    return out;
}

QList<int> differingPrograms(const QList<ProgramDifference>& differences) {
    QList<int> programs;
    for (const ProgramDifference& d : differences)
        if (!programs.contains(d.program))
            programs.append(d.program);
    std::sort(programs.begin(), programs.end());
    return programs;
}

QString fieldShownText(const ProgramRecord& r, Field f) {
    const bool metric = r.unitFactor() != 1.0;
    const QString lengthUnit = metric ? QStringLiteral(" cm") : QStringLiteral(" in");
    const auto number = [&](double v, const char* format) {
        return QString::fromLatin1(formatNumber(v, format));
    };
    if (r.trimmed(f).isEmpty())
        return QString();
    if (isLength(f))
        return number(r.number(f) * r.unitFactor(), "0") + lengthUnit;
    switch (f) {
    case Field::Units:
        return metric ? QStringLiteral("Metric") : QStringLiteral("U.S.");
    case Field::Conversion:
        return number(r.number(f) * r.unitFactor(), "0.00000") + lengthUnit;
    case Field::Temperature:
        return metric ? number(r.number(f) / 10, "0.0") + QStringLiteral(" \u00b0C")
                      : number(r.number(f) * 0.18 + 32, "0.0") + QStringLiteral(" \u00b0F");
    case Field::SampleInterval:
        return number(r.number(f) / 1000, "0.0") + QStringLiteral(" ms");
    case Field::OffsetPercent:
    case Field::SumScalePercent:
        return QString::fromLatin1(r.trimmed(f)) + QStringLiteral(" %");
    case Field::MinimumBase:
        return number(r.number(f), "0") + QStringLiteral(" in");
    case Field::ControlRelayEnable:
    case Field::Rs232Enable:
    case Field::DoubleEcho:
    case Field::ClockEnable:
    case Field::SumScaleEnable:
        return onOff(r, f);
    case Field::SlaveMode:
        return r.whole(f) == 0   ? QStringLiteral("master")
               : r.whole(f) == 1 ? QStringLiteral("slave")
                                 : QString::fromLatin1(r.trimmed(f));
    case Field::ModeFlags:
        return QStringLiteral("%1 (%2, %3, hold %4)")
            .arg(QString::fromLatin1(r.trimmed(f)),
                 r.linearMode() ? QStringLiteral("linear") : QStringLiteral("adaptive"),
                 r.payOut() ? QStringLiteral("pay-out") : QStringLiteral("take-up"),
                 r.holdOn() ? QStringLiteral("on") : QStringLiteral("off"));
    default:
        return QString::fromLatin1(r.trimmed(f));
    }
}

QString fieldLabel(Field field) {
    switch (field) {
    case Field::OffsetPercent:
        return QStringLiteral("Offset %");
    case Field::NearRelay:
        return QStringLiteral("Near Relay");
    case Field::TotalSpan:
        return QStringLiteral("Total Span");
    case Field::SampleInterval:
        return QStringLiteral("Sample Interval");
    case Field::OverCount:
        return QStringLiteral("Over Count");
    case Field::AverageCount:
        return QStringLiteral("Average Count");
    default:
        break;
    }
    // The table's name with a blank before each inner capital: "RelayOnDistance" becomes
    // "Relay On Distance"; "Rs232Baud" stays readable as "Rs232 Baud".
    const QString name = QString::fromLatin1(infoOf(field).name);
    QString label;
    for (int i = 0; i < name.size(); ++i) {
        if (i > 0 && name[i].isUpper() && !name[i - 1].isUpper())
            label += QLatin1Char(' ');
        label += name[i];
    }
    return label;
}

} // namespace vanto
