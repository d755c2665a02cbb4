// Reading numbers out of field texts and writing numbers as the unit and the files expect them.
//
// Field texts are single-byte text (one byte per character, Latin-1 here), so everything works
// on QByteArray. Readers never fail: text that is not a number reads as 0.
#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace vanto {

// Leading-number reading: skips leading blanks, then reads an optional sign, digits and at most
// one decimal point up to the first other character. Empty or non-numeric text reads as 0.
double leadingNumber(const QByteArray& text);

// Result of the 16-bit whole-number reading.
struct WholeNumberReading {
    qint16 value = 0; // the number, rounded halves to even, limited to -32768..32767
    bool ok = false;  // false when the text is not a number or lies outside the 16-bit range
};

// Whole-number reading: the text (blanks around it allowed) as a 16-bit signed integer with
// halves rounded to the even neighbour. Text that is not a number gives {0, false}; a number
// outside the 16-bit range gives the nearest limit and ok == false.
WholeNumberReading readWholeNumber(const QByteArray& text);

// The whole-number reading where only the value matters: non-numbers read 0, out-of-range
// numbers read as the nearest 16-bit limit.
qint16 WholeNumber(const QByteArray& text);

// Rounds to the even neighbour on exact halves and limits to the 16-bit range.
qint16 roundToInt16(double value, bool* inRange = nullptr);

// The number formats the system writes: "0" (whole number, halves away from zero), "#" (whole
// number, empty for zero), "0.0", "0.00", "0.0#" and "0.00000". Rounding is decimal, halves away
// from zero, on the shortest decimal form of the value (so 0.15 with "0.0" gives "0.2").
// Any other format string is treated as "0".
QByteArray formatNumber(double value, const char* format);

// The signed-number form of a number written without a format: one leading blank before a
// non-negative number, a minus sign before a negative one (" 0", " 13", "-2", " 1.5", " .5").
QByteArray signedForm(double value);

} // namespace vanto
