// The editing feel shared by every numeric and serial-number entry field (FieldKeyFilter): the
// whole text is selected when the field gains the focus, the text turns bold when the operator
// edits it, key strokes are filtered as they are typed, and Enter moves on to the next field. Every
// other way text gets into a field (Ctrl+V and Shift+Insert, the context menu's Paste, a
// middle-click paste, drag and drop, an input method) goes through the same rules: a valid value
// goes in, anything else is refused whole with the beep.
#pragma once

#include <QObject>

#include <functional>

class QAction;
class QKeyEvent;
class QLineEdit;

namespace vanto {

class FieldKeyFilter : public QObject {
    Q_OBJECT
public:
    enum class Keys {
        WholeNumber, // digits, sign, Backspace: no decimal point
        Decimal,     // as WholeNumber, and the decimal point
        UpperCase,   // any key, letters as capitals (the serial number)
    };

    // The one instance all windows share.
    static FieldKeyFilter& instance();

    // Gives `field` the behaviours. `loading`, when given, tells whether the window is filling
    // its own fields at the moment: then a change does not turn the text bold.
    void attach(QLineEdit* field, Keys keys, const std::function<bool()>& loading = {});

    // The system beep; tests replace it to count the beeps.
    std::function<void()> beep;

    // Inserts text arriving in one piece into `field` by its rules; false (and the beep) when
    // refused.
    bool insertText(QLineEdit* field, const QString& text);

    // The Paste entry of a field's standard context menu.
    static bool isPasteAction(const QAction* action);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FieldKeyFilter();
    bool keyPress(QLineEdit* field, QKeyEvent* event);
    void paste(QLineEdit* field, int clipboardMode);
    void refuse();

    bool m_reposting = false; // an input-method event of our own is being delivered
};

} // namespace vanto
