#include "cuiwidget.h"

#include "editor/cui.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

namespace vanto {

namespace {
const char kKeysProperty[] = "cuiKeys";
} // namespace

CUI& CUI::instance() {
    static CUI* shared = new CUI; // lives until the program ends, like the windows using it
    return *shared;
}

CUI::CUI() : beep([] { QApplication::beep(); }) {}

void CUI::attach(QLineEdit* field, Keys keys, std::function<bool()> loading) {
    field->setProperty(kKeysProperty, static_cast<int>(keys));
    field->installEventFilter(this);
    // Bold on change: textEdited comes from the operator only, never from setText.
    connect(field, &QLineEdit::textEdited, field, [field, loading](const QString&) {
        if (loading && loading())
            return;
        QFont font = field->font();
        if (!font.bold()) {
            font.setBold(true);
            field->setFont(font);
        }
    });
}

bool CUI::eventFilter(QObject* watched, QEvent* event) {
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (!field)
        return false;
    if (event->type() == QEvent::FocusIn) {
        // Select after the focus change is complete, so a mouse click does not undo it.
        QPointer<QLineEdit> guard(field);
        QTimer::singleShot(0, field, [guard] {
            if (guard)
                guard->selectAll();
        });
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* keyEvent = static_cast<QKeyEvent*>(event);
    int code = 0;
    if (keyEvent->key() == Qt::Key_Return || keyEvent->key() == Qt::Key_Enter) {
        // Ctrl+Enter is a line feed, plain Enter a carriage return.
        code =
            (keyEvent->modifiers() & Qt::ControlModifier) ? cui::kLineFeed : cui::kCarriageReturn;
    } else if (keyEvent->key() == Qt::Key_Backspace) {
        code = cui::kBackspace;
    } else if (keyEvent->text().size() == 1 && keyEvent->text().at(0).unicode() >= 32) {
        code = keyEvent->text().at(0).unicode();
    } else {
        return false; // navigation, Delete, shortcuts: not typed characters
    }
    const Keys keys = static_cast<Keys>(field->property(kKeysProperty).toInt());
    const KeyDecision d = keys == Keys::UpperCase
                              ? cui::onKeyAlphaUC(code)
                              : cui::onKeyNumOnly(code, keys == Keys::WholeNumber);
    if (d.beep && beep)
        beep();
    if (d.nextField) {
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier); // one Tab key stroke
        QCoreApplication::sendEvent(field, &tab);
        return true;
    }
    if (d.key == 0)
        return true;
    if (d.key == code)
        return false;                     // let the field insert the key itself
    field->insert(QString(QChar(d.key))); // the key replaced, e.g. by its capital
    emit field->textEdited(field->text());
    return true;
}

} // namespace vanto
