#include "programreport.h"

#include "derived.h"
#include "programcompare.h"
#include "shared/numtext.h"

namespace vanto {

namespace {

QString orUnknown(const QString& text) {
    return text.trimmed().isEmpty() ? QStringLiteral("not known") : text.toHtmlEscaped();
}

QString number(double value, const char* format) {
    return QString::fromLatin1(formatNumber(value, format));
}

} // namespace

QString programReportHtml(const ProgramSet& programs, const ReportHeading& h) {
    QString html;
    html += QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
                           "<title>VANTO program report</title>\n"
                           "<style>body{font-family:sans-serif;font-size:8pt}"
                           "h1{font-size:13pt;margin-bottom:2pt}"
                           "table.programs{border-collapse:collapse}"
                           "table.programs td,table.programs th{border:1px solid #999;"
                           "padding:1px 4px}"
                           "th{background:#e4e8ee;text-align:left}"
                           "td.v{text-align:right}th.active{background:#c8f0c8}</style>"
                           "</head><body>\n");
    html += QStringLiteral("<h1>VANTO program report</h1>\n<table class=\"heading\">\n");
    const auto row = [&](const QString& label, const QString& value) {
        html += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>\n").arg(label, value);
    };
    row(QStringLiteral("File"),
        h.fileName.isEmpty() ? QStringLiteral("the unit's programs") : h.fileName.toHtmlEscaped());
    row(QStringLiteral("Model"), orUnknown(h.model));
    row(QStringLiteral("Serial No."), orUnknown(h.serial));
    row(QStringLiteral("Version No."), orUnknown(h.version));
    if (h.activeProgram >= 0)
        row(QStringLiteral("Running"),
            QStringLiteral("#%1 (its column is green)").arg(h.activeProgram));
    row(QStringLiteral("Date"),
        h.date.isValid() ? h.date.toString(QStringLiteral("yyyy-MM-dd HH:mm")) : QString());
    html += QStringLiteral("</table>\n<p></p>\n<table class=\"programs\" width=\"100%\" "
                           "cellspacing=\"0\">\n<tr><th width=\"16%\">Field</th>");
    for (int p = 0; p < kProgramCount; ++p) {
        html += p == h.activeProgram ? QStringLiteral("<th class=\"active\">#%1</th>").arg(p)
                                     : QStringLiteral("<th>#%1</th>").arg(p);
    }
    html += QStringLiteral("</tr>\n");
    const auto valueRow = [&](const QString& label, auto valueOf) {
        html += QStringLiteral("<tr><td>%1</td>").arg(label.toHtmlEscaped());
        for (int p = 0; p < kProgramCount; ++p)
            html +=
                QStringLiteral("<td class=\"v\">%1</td>").arg(valueOf(programs[p]).toHtmlEscaped());
        html += QStringLiteral("</tr>\n");
    };
    for (const FieldInfo& f : kFieldTable) {
        if (f.field != Field::ModeFlags) {
            valueRow(fieldLabel(f.field),
                     [&](const ProgramRecord& r) { return fieldShownText(r, f.field); });
            continue;
        }
        // The flags as stored, then what the three that mean something say.
        valueRow(fieldLabel(f.field), [](const ProgramRecord& r) {
            return QString::fromLatin1(r.trimmed(Field::ModeFlags));
        });
        valueRow(QStringLiteral("Output"), [](const ProgramRecord& r) {
            return r.linearMode() ? QStringLiteral("linear") : QStringLiteral("adaptive");
        });
        valueRow(QStringLiteral("Direction"), [](const ProgramRecord& r) {
            return r.payOut() ? QStringLiteral("pay-out") : QStringLiteral("take-up");
        });
        valueRow(QStringLiteral("Hold"), [](const ProgramRecord& r) {
            return r.holdOn() ? QStringLiteral("on") : QStringLiteral("off");
        });
    }
    valueRow(QStringLiteral("PWM KHz"),
             [](const ProgramRecord& r) { return number(pwmFrequency(r), "0.0"); });
    valueRow(QStringLiteral("Sample Time (ms)"),
             [](const ProgramRecord& r) { return number(sampleTimeMs(r), "0.0"); });
    valueRow(QStringLiteral("Cone Dia."), [](const ProgramRecord& r) {
        return number(coneDiameter(r), "0.00") +
               (r.unitFactor() == 1.0 ? QStringLiteral(" in") : QStringLiteral(" cm"));
    });
    html += QStringLiteral("</table>\n</body></html>\n");
    return html;
}

} // namespace vanto
