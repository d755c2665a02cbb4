#include "fieldkeyfilter.h"

#include "editor/keyfilters.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>

namespace vanto {

namespace {
const char kKeysProperty[] = "keyFilterKeys";
} // namespace

FieldKeyFilter& FieldKeyFilter::instance() {
    // Lives until the program ends, like the windows using it.
    static FieldKeyFilter* shared = new FieldKeyFilter;
    return *shared;
}

FieldKeyFilter::FieldKeyFilter() : beep([] { QApplication::beep(); }) {}

void FieldKeyFilter::attach(QLineEdit* field, Keys keys, const std::function<bool()>& loading) {
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

void FieldKeyFilter::refuse() {
    if (beep)
        beep();
}

namespace {

FieldKeyFilter::Keys keysOf(const QLineEdit* field) {
    return static_cast<FieldKeyFilter::Keys>(field->property(kKeysProperty).toInt());
}

std::optional<QString> filtered(const QLineEdit* field, const QString& text) {
    const FieldKeyFilter::Keys keys = keysOf(field);
    return keyfilters::filterInsertion(text, keys != FieldKeyFilter::Keys::UpperCase,
                                       keys == FieldKeyFilter::Keys::WholeNumber);
}

} // namespace

bool FieldKeyFilter::isPasteAction(const QAction* action) {
    // Named so from Qt 6.5 on; before, known by the field's own (translated) caption.
    return action->objectName() == QLatin1String("edit-paste") ||
           action->text().startsWith(QLineEdit::tr("&Paste"));
}

bool FieldKeyFilter::insertText(QLineEdit* field, const QString& text) {
    const std::optional<QString> accepted = filtered(field, text);
    if (!accepted) {
        refuse();
        return false;
    }
    field->insert(*accepted); // replaces a selection; reports the edit by textEdited
    return true;
}

void FieldKeyFilter::paste(QLineEdit* field, int clipboardMode) {
    if (field->isReadOnly())
        return;
    insertText(field,
               QGuiApplication::clipboard()->text(static_cast<QClipboard::Mode>(clipboardMode)));
}

bool FieldKeyFilter::keyPress(QLineEdit* field, QKeyEvent* keyEvent) {
    if (keyEvent->matches(QKeySequence::Paste)) {
        paste(field, QClipboard::Clipboard);
        return true;
    }
    int code = 0;
    if (keyEvent->key() == Qt::Key_Return || keyEvent->key() == Qt::Key_Enter) {
        // Ctrl+Enter is a line feed, plain Enter a carriage return.
        code = (keyEvent->modifiers() & Qt::ControlModifier) ? keyfilters::kLineFeed
                                                             : keyfilters::kCarriageReturn;
    } else if (keyEvent->key() == Qt::Key_Backspace) {
        code = keyfilters::kBackspace;
    } else if (keyEvent->text().isEmpty() || keyEvent->text().at(0).unicode() < 32 ||
               (keyEvent->modifiers() & (Qt::ControlModifier | Qt::MetaModifier) &&
                !(keyEvent->modifiers() & Qt::AltModifier))) {
        return false; // navigation, Delete, shortcuts: no typed characters (the field inserts
                      // nothing for them either)
    } else if (keyEvent->text().size() > 1) {
        insertText(field, keyEvent->text()); // several characters from one stroke
        return true;
    } else {
        code = keyEvent->text().at(0).unicode();
    }
    const Keys keys = keysOf(field);
    KeyDecision d = keys == Keys::UpperCase
                        ? keyfilters::onKeyAlphaUC(code)
                        : keyfilters::onKeyNumOnly(code, keys == Keys::WholeNumber);
    if (keys == Keys::UpperCase && d.key != 0 && d.key != keyfilters::kBackspace &&
        !keyfilters::serialCanHold(d.key)) {
        d = KeyDecision{0, true, false}; // a character the serial number cannot keep
    }
    if (d.beep)
        refuse();
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
    return true;
}

bool FieldKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (!field)
        return false;
    switch (event->type()) {
    case QEvent::FocusIn: {
        // Select after the focus change is complete, so a mouse click does not undo it.
        QPointer<QLineEdit> guard(field);
        QTimer::singleShot(0, field, [guard] {
            if (guard)
                guard->selectAll();
        });
        return false;
    }
    case QEvent::KeyPress:
        return keyPress(field, static_cast<QKeyEvent*>(event));
    case QEvent::MouseButtonRelease: {
        // On X11 a middle click pastes the selection.
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::MiddleButton ||
            !QGuiApplication::clipboard()->supportsSelection() ||
            !field->rect().contains(mouse->position().toPoint()))
            return false;
        field->setCursorPosition(field->cursorPositionAt(mouse->position().toPoint()));
        paste(field, QClipboard::Selection);
        return true;
    }
    case QEvent::ContextMenu: {
        // The field's own menu, with its Paste going through the rules.
        auto* request = static_cast<QContextMenuEvent*>(event);
        QMenu* menu = field->createStandardContextMenu();
        for (QAction* action : menu->actions()) {
            if (!isPasteAction(action))
                continue;
            disconnect(action, &QAction::triggered, field, nullptr);
            connect(action, &QAction::triggered, field,
                    [this, field] { paste(field, QClipboard::Clipboard); });
        }
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(request->globalPos());
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        // Text moved inside the field passed the rules when it came in.
        if (drop->source() == field || field->isReadOnly() || !drop->mimeData()->hasText())
            return false;
        const std::optional<QString> accepted = filtered(field, drop->mimeData()->text());
        if (!accepted) {
            refuse();
            drop->ignore();
            return true;
        }
        field->deselect();
        field->setCursorPosition(field->cursorPositionAt(drop->position().toPoint()));
        field->insert(*accepted);
        drop->acceptProposedAction();
        field->setFocus(Qt::MouseFocusReason);
        return true;
    }
    case QEvent::InputMethod: {
        auto* input = static_cast<QInputMethodEvent*>(event);
        if (m_reposting || input->commitString().isEmpty())
            return false; // composing goes on in the field; only committed text is judged
        const std::optional<QString> accepted = filtered(field, input->commitString());
        if (accepted && *accepted == input->commitString())
            return false;
        if (!accepted)
            refuse();
        QInputMethodEvent replacement(input->preeditString(), input->attributes());
        if (accepted)
            replacement.setCommitString(*accepted, input->replacementStart(),
                                        input->replacementLength());
        m_reposting = true;
        QCoreApplication::sendEvent(field, &replacement);
        m_reposting = false;
        return true;
    }
    default:
        return false;
    }
}

} // namespace vanto
