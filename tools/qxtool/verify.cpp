#include "verify.h"

namespace qxtool {

using namespace vanto;

namespace {

QString lineName(const TransmissionLine& line) {
    if (line.kind == TransmissionLine::ModeChar)
        return QStringLiteral("ModeFlags[%1]").arg(line.position);
    return QString::fromLatin1(InfoOf(line.field).name);
}

bool carriesField(const TransmissionLine& line) {
    switch (line.kind) {
    case TransmissionLine::FieldText:
    case TransmissionLine::Program0Field:
    case TransmissionLine::Offset:
    case TransmissionLine::ModeChar:
        return true;
    default:
        return false;
    }
}

QList<QByteArray> textLines(const QByteArray& text) {
    return text.split(kCR).mid(0, kTransmissionLines);
}

} // namespace

QList<FieldDifference> TransmittedDifferences(const ProgramSet& sent, const ProgramSet& readBack,
                                              int program, const TransmitContext& context) {
    const QList<QByteArray> a = textLines(BuildTransmissionText(sent, program, context));
    const QList<QByteArray> b = textLines(BuildTransmissionText(readBack, program, context));
    QList<FieldDifference> out;
    for (int i = 0; i < kTransmissionLines; ++i) {
        const TransmissionLine& line = kTransmissionLayout[i];
        if (carriesField(line) && a.value(i) != b.value(i))
            out.append({lineName(line), a.value(i), b.value(i)});
    }
    return out;
}

} // namespace qxtool
