#include "keyfilters.h"

#include "program/transmission.h"

namespace vanto::keyfilters {

namespace {

KeyDecision moveOn() {
    KeyDecision d;
    d.nextField = true;
    return d;
}

KeyDecision pass(int key) {
    KeyDecision d;
    d.key = key;
    return d;
}

} // namespace

KeyDecision onKeyNumOnly(int key, bool noDecimal) {
    if (key == kCarriageReturn)
        return moveOn();
    const bool digit = key >= '0' && key <= '9';
    if (digit || key == kBackspace || key == '+' || key == '-' || (key == '.' && !noDecimal))
        return pass(key);
    KeyDecision refused;
    refused.beep = true;
    return refused;
}

KeyDecision onKeyAlphaUC(int key, bool focusOnTextBox) {
    if (!focusOnTextBox)
        return {};
    if (key == kCarriageReturn)
        return moveOn();
    if (key >= 'a' && key <= 'z')
        return pass(key - 'a' + 'A');
    // Latin-1 small letters à..þ except the division sign have their capital 0x20 below.
    if (key >= 0xE0 && key <= 0xFE && key != 0xF7)
        return pass(key - 0x20);
    return pass(key);
}

bool serialCanHold(int key) {
    return key >= 0 && key <= 0xFF && transmittableByte(static_cast<unsigned char>(key));
}

std::optional<QString> filterInsertion(const QString& text, bool numeric, bool noDecimal) {
    const QString kept = text.trimmed();
    if (kept.isEmpty())
        return std::nullopt;
    QString out;
    out.reserve(kept.size());
    for (QChar c : kept) {
        const int code = c.unicode();
        if (numeric) {
            const KeyDecision d = onKeyNumOnly(code, noDecimal);
            if (d.key != code || code == kBackspace)
                return std::nullopt;
            out += c;
        } else {
            if (!serialCanHold(code))
                return std::nullopt;
            out += QChar(onKeyAlphaUC(code).key);
        }
    }
    return out;
}

} // namespace vanto::keyfilters
