#include "reportdocument.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

namespace vanto {

void printReport(const QString& html, QPagedPaintDevice* device) {
    QTextDocument document;
    document.setHtml(html);
    document.print(device);
}

QByteArray reportPdf(const QString& html, const QString& title, QString* error) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("VANTO"));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter));
        writer.setResolution(300);
        printReport(html, &writer);
    }
    const QByteArray pdf = buffer.data();
    if (!pdf.startsWith("%PDF") && error)
        *error = QStringLiteral("the PDF could not be made");
    return pdf.startsWith("%PDF") ? pdf : QByteArray();
}

QString reportPlainText(const QString& html) {
    QTextDocument document;
    document.setHtml(html);
    return document.toPlainText();
}

} // namespace vanto
