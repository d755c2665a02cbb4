// The editing feel shared by every numeric and serial-number entry field (CUI): the whole text
// is selected when the field gains the focus, the text turns bold when the operator edits it, key
// strokes are filtered as they are typed, and Enter moves on to the next field.
#pragma once

#include <QObject>

#include <functional>

class QLineEdit;

namespace vanto {

class CUI : public QObject {
    Q_OBJECT
public:
    enum class Keys {
        WholeNumber, // digits, sign, Backspace: no decimal point
        Decimal,     // as WholeNumber, and the decimal point
        UpperCase,   // any key, letters as capitals (the serial number)
    };

    // The one instance all windows share.
    static CUI& instance();

    // Gives `field` the behaviours. `loading`, when given, tells whether the window is filling
    // its own fields at the moment: then a change does not turn the text bold.
    void attach(QLineEdit* field, Keys keys, std::function<bool()> loading = {});

    // The system beep; tests replace it to count the beeps.
    std::function<void()> beep;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CUI();
};

} // namespace vanto
