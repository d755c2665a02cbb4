// The program report as a printable document: the HTML page laid out by QTextDocument on A4
// pages, written as PDF (QPdfWriter, no display needed beyond Qt's offscreen platform).
#pragma once

#include <QByteArray>
#include <QString>

class QPagedPaintDevice;
class QTextDocument;

namespace vanto {

// Lays the report out for `device` and paints every page onto it.
void printReport(const QString& html, QPagedPaintDevice* device);

// The report as the bytes of a PDF file; empty with `error` set when it could not be made.
QByteArray reportPdf(const QString& html, const QString& title, QString* error = nullptr);

// The document's text, as a reader of the printed page sees it (for checks).
QString reportPlainText(const QString& html);

} // namespace vanto
