// Key-stroke decisions shared by every numeric and serial-number entry field (FieldKeyFilter). The
// window calls these from its key-press handlers and acts on the decision: insert `key` (0 =
// discard the stroke), sound the beep, move the focus to the next field. Selecting the text on
// focus and turning it bold on change are done by the widgets; the editor model tracks the bold
// marks.
#pragma once

#include <QString>

#include <optional>

namespace vanto {

struct KeyDecision {
    int key = 0;            // the character code to insert; 0 discards the key stroke
    bool beep = false;      // sound the system alert beep
    bool nextField = false; // move the focus on, as a Tab key stroke would

    bool operator==(const KeyDecision& o) const {
        return key == o.key && beep == o.beep && nextField == o.nextField;
    }
};

namespace keyfilters {

constexpr int kBackspace = 8;
constexpr int kLineFeed = 10;
constexpr int kCarriageReturn = 13;

// Numeric fields: digits, Backspace, '+', '-' and, unless noDecimal, '.' go through unchanged;
// Enter moves to the next field; anything else (line feed included) is discarded with a beep.
// Only single strokes are judged: repeated signs or points are the field validation's business.
KeyDecision onKeyNumOnly(int key, bool noDecimal);

// The serial-number field: letters a to z (and the Latin-1 small letters that have a capital in
// Latin-1) become capitals, Enter moves on, every other code goes through unchanged without a
// beep. A key that arrives while the focus is not on a text box is discarded.
KeyDecision onKeyAlphaUC(int key, bool focusOnTextBox = true);

// True when the serial-number field can keep the character `key`: a character of the single-byte
// code page that a program transmission can carry (the serial number travels in it). A key
// stroke of any other character is discarded with the beep.
bool serialCanHold(int key);

// Text that arrives in one piece (pasted, dropped, or committed by an input method) follows the
// same rules as typed keys. Blanks and line ends around it are dropped, since a copied value
// often carries them. In a numeric field every character left must be one its key rule lets
// through unchanged; in the serial-number field every character must be one it can hold, and
// letters become capitals. Anything else refuses the whole text: nullopt, nothing is inserted
// and the caller sounds the beep. Otherwise the text to insert.
std::optional<QString> filterInsertion(const QString& text, bool numeric, bool noDecimal);

} // namespace keyfilters
} // namespace vanto
