#include "fileflows.h"

#include "platform/filedialogs.h"
#include "platform/prompts.h"
#include "program/programfile.h"
#include "shared/atomicfile.h"

#include <QDir>
#include <QFileInfo>

namespace vanto {

namespace {

const QString kFileErrorTitle = QStringLiteral("FILE ERROR");

FileDialogRequest programFileRequest(const QString& programDir) {
    FileDialogRequest r;
    r.filterLabel = QStringLiteral("(*.prg)");
    r.pattern = QStringLiteral("*.prg");
    r.directory = programDir;
    r.proposedName = QStringLiteral("Prog00.prg");
    return r;
}

void reportFailure(Prompts& prompts, const QString& what, const QString& path,
                   const QString& reason) {
    prompts.message(
        QStringLiteral("Could not %1 %2: %3.").arg(what, QDir::toNativeSeparators(path), reason),
        kFileErrorTitle, MessageIcon::Critical);
}

} // namespace

const QString kXmitErrorTitle = QStringLiteral("XMIT ERROR");

std::optional<QString> saveProgramFile(ProgramState& state, FileDialogs& dialogs, Prompts& prompts,
                                       const QString& programDir) {
    FileDialogRequest request = programFileRequest(programDir);
    request.confirmOverwrite = true;
    const std::optional<QString> path = dialogs.getSaveFileName(request);
    if (!path)
        return std::nullopt;
    if (!hasExtension(*path, "prg")) {
        prompts.beep();
        return std::nullopt;
    }
    const QString error = writeProgramFile(*path, state.programs);
    if (!error.isEmpty()) {
        reportFailure(prompts, QStringLiteral("save"), *path, error);
        return std::nullopt;
    }
    state.programFileName = QFileInfo(*path).fileName();
    state.programFilePath = QFileInfo(*path).absoluteFilePath();
    return path;
}

bool openProgramFile(ProgramState& state, FileDialogs& dialogs, Prompts& prompts,
                     const QString& programDir) {
    FileDialogRequest request = programFileRequest(programDir);
    request.defaultSuffix = QStringLiteral("prg");
    request.mustExist = true;
    const std::optional<QString> path = dialogs.getOpenFileName(request);
    if (!path)
        return false;
    if (!hasExtension(*path, "prg")) {
        prompts.beep();
        return false;
    }
    const QFileInfo info(*path);
    if (info.exists() && info.isFile() && info.size() != ProgramSet::kFileSize) {
        prompts.beep(); // not a program file: nothing changes
        return false;
    }
    ProgramSet programs;
    const QString error = readProgramFile(*path, &programs);
    if (!error.isEmpty()) {
        reportFailure(prompts, QStringLiteral("open"), *path, error);
        return false;
    }
    state.programs = programs;
    state.programFileName = info.fileName();
    state.programFilePath = info.absoluteFilePath();
    return true;
}

std::optional<QString> makeTransmitFile(ProgramState& state, FileDialogs& dialogs, Prompts& prompts,
                                        const QString& programDir) {
    state.transmitFileMode = true;
    const std::optional<TransmissionRefusal> refusal =
        checkTransmission(state.programs, state.transmitProgram, transmitContextOf(state));
    state.transmitFileMode = false;
    if (refusal) {
        prompts.message(QStringLiteral("No transmit file was written: %1.").arg(refusal->message()),
                        kXmitErrorTitle, MessageIcon::Critical);
        return std::nullopt;
    }
    FileDialogRequest request;
    request.filterLabel = QStringLiteral("(*.xmt)");
    request.pattern = QStringLiteral("*.xmt");
    request.directory = programDir;
    request.proposedName = QStringLiteral("Prog00.xmt");
    request.confirmOverwrite = true;
    // The dialog's program-file name (ProgramFileName) is not touched, so the editor's
    // "FILE MODE: " title keeps naming the program file.
    const std::optional<QString> path = dialogs.getSaveFileName(request);
    if (!path)
        return std::nullopt;
    if (!hasExtension(*path, "xmt")) {
        prompts.beep();
        return std::nullopt;
    }
    state.transmitFileMode = true;
    buildTransmissionText(state);
    state.transmitFileMode = false;
    const QString error = writeFileAtomically(*path, state.transmitText);
    if (!error.isEmpty()) {
        reportFailure(prompts, QStringLiteral("write"), *path, error);
        return std::nullopt;
    }
    return path;
}

} // namespace vanto
