#include "qtprompts.h"

#include "shared/appshell.h"

#include <QApplication>
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

} // namespace vanto
