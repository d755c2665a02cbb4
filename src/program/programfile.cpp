#include "programfile.h"

#include "shared/atomicfile.h"
#include "transmission.h"

#include <QFileInfo>

namespace vanto {

bool hasExtension(const QString& path, const char* ext) {
    return QFileInfo(path).fileName().endsWith(QLatin1Char('.') + QLatin1String(ext),
                                               Qt::CaseInsensitive);
}

QString readProgramFile(const QString& path, ProgramSet* programs) {
    QByteArray bytes;
    const QString error = readFileHead(path, ProgramSet::kFileSize + 1, &bytes);
    if (!error.isEmpty())
        return error;
    if (bytes.size() != ProgramSet::kFileSize) {
        return QStringLiteral("a program file has %1 bytes, this one has %2%3")
            .arg(ProgramSet::kFileSize)
            .arg(bytes.size())
            .arg(bytes.size() > ProgramSet::kFileSize ? QStringLiteral(" or more") : QString());
    }
    *programs = *ProgramSet::fromBytes(bytes);
    return QString();
}

QString writeProgramFile(const QString& path, const ProgramSet& programs) {
    return writeFileAtomically(path, programs.bytes());
}

TransmitContext transmitContextOf(const ProgramState& state) {
    TransmitContext context;
    context.serviceFlag = state.serviceFlag;
    context.fileMode = state.transmitFileMode;
    context.unitSerial = state.unitSerial;
    return context;
}

std::optional<TransmissionRefusal> buildTransmissionText(ProgramState& state) {
    const TransmitContext context = transmitContextOf(state);
    state.transmitText = buildTransmissionText(state.programs, state.transmitProgram, context);
    return checkTransmission(state.programs, state.transmitProgram, context);
}

} // namespace vanto
