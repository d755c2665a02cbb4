// qxtool report: the program report of a .prg file as HTML or PDF, without a display.
#include "commands.h"

#include "program/programreport.h"
#include "report/reportdocument.h"
#include "shared/atomicfile.h"

#include <QFileInfo>

namespace qxtool {

using namespace vanto;

bool reportNeedsGui(const QStringList& arguments) {
    // Wherever the command stands among the options; a file named "report" costs only the
    // offscreen platform.
    return arguments.contains(QLatin1String("report"));
}

int cmdReport(const Args& args) {
    expectArguments(args, 1, {QStringLiteral("-o")});
    const QString& path = args.positional[0];
    const ProgramSet programs = loadPrg(path);
    ReportHeading heading;
    heading.fileName = QFileInfo(path).fileName();
    heading.date = QDateTime::currentDateTime();
    const QString html = programReportHtml(programs, heading);
    const std::optional<QString> out = args.option(QStringLiteral("-o"));
    if (!out) {
        writeOutput(html.toUtf8());
        return kExitOk;
    }
    const QString suffix = QFileInfo(*out).suffix().toLower();
    if (suffix == QLatin1String("html") || suffix == QLatin1String("htm")) {
        saveFile(*out, html.toUtf8());
    } else if (suffix == QLatin1String("pdf")) {
        QString error;
        const QByteArray pdf = reportPdf(
            html, QStringLiteral("VANTO program report: %1").arg(heading.fileName), &error);
        if (pdf.isEmpty())
            throw Failure{kExitBadInput, QStringLiteral("%1: cannot write: %2").arg(*out, error)};
        saveFile(*out, pdf);
    } else {
        throw Failure{kExitBadInput,
                      QStringLiteral("%1: the file name must end in .pdf or .html").arg(*out)};
    }
    return kExitOk;
}

} // namespace qxtool
