#include "qtplatform.h"

#include "shared/appshell.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace vanto {

namespace {

QMessageBox::Icon toQt(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// A box without a title of its own carries the application title, as message boxes do.
QString titleOrApp(const QString& title) {
    return title.isEmpty() ? QString::fromLatin1(kAppTitle) : title;
}

} // namespace

void QtPrompts::beep() {
    QApplication::beep();
}

void QtPrompts::message(const QString& text, const QString& title, MessageIcon icon) {
    QMessageBox box(toQt(icon), titleOrApp(title), text, QMessageBox::Ok, m_parent);
    box.exec();
}

bool QtPrompts::askYesNo(const QString& text, const QString& title, MessageIcon icon) {
    QMessageBox box(toQt(icon), titleOrApp(title), text, QMessageBox::Yes | QMessageBox::No,
                    m_parent);
    return box.exec() == QMessageBox::Yes;
}

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
