#include "numtext.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace vanto {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the number (sign, digits, one point) starting at text[pos]; 0 when there is none.
int numberLength(const QByteArray& text, int pos, bool* hasDigits) {
    int i = pos;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    bool point = false;
    bool digits = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (isDigit(c)) {
            digits = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    *hasDigits = digits;
    return digits ? i - pos : 0;
}

double parseNumber(const QByteArray& text, int pos, int length) {
    // strtod on a copy that holds exactly the number: no locale, no exponent, no hex.
    const QByteArray number = text.mid(pos, length);
    const double value = std::strtod(number.constData(), nullptr);
    if (std::isfinite(value))
        return value;
    // Too many digits for a double: the largest finite value of the same sign.
    return std::copysign(std::numeric_limits<double>::max(), value);
}

// Decimal digits of |value| rounded half away from zero to `decimals` places, taken from the
// value's shortest round-trip text with 15 significant digits.
struct Decimal {
    bool negative = false;
    QByteArray whole;    // digits before the point, at least "0"
    QByteArray fraction; // exactly `decimals` digits
};

Decimal roundDecimal(double value, int decimals) {
    Decimal d;
    if (!std::isfinite(value))
        value = 0.0;
    // 15 significant digits: the decimal form a person would write for this value.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
    // buf = "D.DDDDDDDDDDDDDDe[+-]XX"
    QByteArray mantissa;
    mantissa.append(buf[0]);
    mantissa.append(buf + 2, 14);
    const int exponent = std::atoi(std::strchr(buf, 'e') + 1);
    // Digits as a fixed-point string: place the point after exponent + 1 digits.
    QByteArray digits = mantissa;
    int pointAt = exponent + 1;
    if (pointAt <= 0) {
        digits.prepend(QByteArray(1 - pointAt, '0'));
        pointAt = 1;
    } else if (pointAt > digits.size()) {
        digits.append(QByteArray(pointAt - digits.size(), '0'));
    }
    QByteArray whole = digits.left(pointAt);
    QByteArray frac = digits.mid(pointAt);
    if (frac.size() < decimals + 1)
        frac.append(QByteArray(decimals + 1 - frac.size(), '0'));
    const bool roundUp = frac[decimals] >= '5';
    QByteArray all = whole + frac.left(decimals);
    if (roundUp) {
        qsizetype k = all.size() - 1;
        while (k >= 0 && all[k] == '9') {
            all[k] = '0';
            --k;
        }
        if (k < 0)
            all.prepend('1');
        else
            all[k] = char(all[k] + 1);
    }
    d.whole = all.left(all.size() - decimals);
    d.fraction = all.right(decimals);
    while (d.whole.size() > 1 && d.whole[0] == '0')
        d.whole.remove(0, 1);
    if (d.whole.isEmpty())
        d.whole = "0";
    const bool zero = d.whole == "0" && d.fraction.count('0') == d.fraction.size();
    d.negative = value < 0 && !zero;
    return d;
}

} // namespace

double leadingNumber(const QByteArray& text) {
    int pos = 0;
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    bool digits = false;
    const int length = numberLength(text, pos, &digits);
    return length > 0 ? parseNumber(text, pos, length) : 0.0;
}

qint16 roundToInt16(double value, bool* inRange) {
    bool ok = std::isfinite(value);
    double r = ok ? std::nearbyint(value) : 0.0; // default rounding mode: halves to even
    if (r < -32768.0) {
        r = -32768.0;
        ok = false;
    } else if (r > 32767.0) {
        r = 32767.0;
        ok = false;
    }
    if (inRange)
        *inRange = ok;
    return static_cast<qint16>(r);
}

WholeNumberReading readWholeNumber(const QByteArray& text) {
    const QByteArray t = text.trimmed();
    bool digits = false;
    const int length = numberLength(t, 0, &digits);
    if (length == 0 || length != t.size())
        return {};
    WholeNumberReading r;
    r.value = roundToInt16(parseNumber(t, 0, length), &r.ok);
    return r;
}

qint16 WholeNumber(const QByteArray& text) {
    return readWholeNumber(text).value;
}

QByteArray formatNumber(double value, const char* format) {
    const QByteArray f(format ? format : "0");
    int decimals = 0;
    int optional = 0;
    if (f == "0.0")
        decimals = 1;
    else if (f == "0.00")
        decimals = 2;
    else if (f == "0.0#")
        decimals = 2, optional = 1;
    else if (f == "0.00000")
        decimals = 5;
    const Decimal d = roundDecimal(value, decimals);
    QByteArray frac = d.fraction;
    for (int i = 0; i < optional && frac.endsWith('0'); ++i)
        frac.chop(1);
    QByteArray out = d.negative ? "-" : "";
    if (f == "#") {
        if (d.whole == "0")
            return QByteArray();
        return out + d.whole;
    }
    out += d.whole;
    if (!frac.isEmpty())
        out += "." + frac;
    return out;
}

QByteArray signedForm(double value) {
    if (!std::isfinite(value))
        value = 0.0;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", std::fabs(value));
    QByteArray digits(buf);
    if (digits.contains('e')) {
        // Very large or small magnitudes: keep the digits readable rather than exact.
        std::snprintf(buf, sizeof buf, "%.15f", std::fabs(value));
        digits = QByteArray(buf);
        if (digits.contains('.')) {
            while (digits.endsWith('0'))
                digits.chop(1);
            if (digits.endsWith('.'))
                digits.chop(1);
        }
    }
    if (digits.startsWith("0.")) // a fraction is written without its leading zero
        digits.remove(0, 1);
    const bool negative = value < 0 && digits != "0";
    return (negative ? "-" : " ") + digits;
}

} // namespace vanto
