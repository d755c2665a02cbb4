#include "qtfiledialogs.h"

#include <QFileDialog>

namespace vanto {

std::optional<QString> QtFileDialogs::getSaveFileName(const FileDialogRequest& request) {
    return run(request, true);
}

std::optional<QString> QtFileDialogs::getOpenFileName(const FileDialogRequest& request) {
    return run(request, false);
}

std::optional<QString> QtFileDialogs::run(const FileDialogRequest& request, bool save) {
    QFileDialog dialog(m_parent);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // The names are accepted in any letter case, so the list shows them in any case too: the
    // pattern's letters match either case ("*.[pP][rR][gG]"), and the label alone is shown.
    QString pattern;
    for (QChar c : request.pattern)
        pattern += c.isLetter() ? QStringLiteral("[%1%2]").arg(c.toLower(), c.toUpper()) : c;
    dialog.setNameFilter(QStringLiteral("%1 (%2)").arg(request.filterLabel, pattern));
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setDirectory(request.directory);
    dialog.selectFile(request.proposedName);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

} // namespace vanto
