#include "dialogrules.h"

#include "platform/prompts.h"
#include "shared/numtext.h"

#include <algorithm>
#include <cmath>

namespace vanto {

namespace {

QByteArray latin1(const QString& text) {
    return text.toLatin1();
}

QString fromLatin1(const QByteArray& text) {
    return QString::fromLatin1(text);
}

QString format(double value, const char* form) {
    return fromLatin1(formatNumber(value, form));
}

double numberIn(const QString& text) {
    return leadingNumber(latin1(text));
}

// The text, blanks around it aside, is a number: a sign, digits and at most one point.
bool isNumberText(const QString& text) {
    const QByteArray t = latin1(text).trimmed();
    int i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        ++i;
    bool digits = false;
    bool point = false;
    for (; i < t.size(); ++i) {
        if (t[i] >= '0' && t[i] <= '9')
            digits = true;
        else if (t[i] == '.' && !point)
            point = true;
        else
            return false;
    }
    return digits;
}

// The text is exactly the whole number `value`.
bool readsAs(const QString& text, int value) {
    const WholeNumberReading r = readWholeNumber(latin1(text));
    return r.ok && r.value == value;
}

// What a closing button makes of one entry.
enum class Outcome { Store, Keep, Correct };

struct Resolved {
    Outcome outcome;
    int value;
};

// A valid entry is stored; an entry the operator left as the dialog showed it keeps the field
// as it is even when it cannot be read (a blank field, a value beyond 16 bits); anything else
// the operator typed is corrected.
Resolved resolve(const QString& text, const QString& opened, Field field) {
    const int value = entryValue(text, field);
    if (entryValid(text, field))
        return {Outcome::Store, value};
    if (text == opened)
        return {Outcome::Keep, value};
    return {Outcome::Correct, value};
}

int powerOfTen(int digits) {
    int p = 1;
    for (int i = 0; i < digits && p <= 100000; ++i)
        p *= 10;
    return p;
}

const QString kScaleTag = QStringLiteral("Scale Value");
const QString kScaleTip = QStringLiteral("SCALE Value, 0.01 to 2.0");
const QString kSensorTag = QStringLiteral("Percent Sensor");
const QString kExternalTag = QStringLiteral("Percent External");
const QString kSumProportionalTip = QStringLiteral("+- SUM Percent, Min 5% - Max 50%.");
const QString kSumLinearTip = QStringLiteral("EXT SUM Percent, Min 5% - Max 90%.");
const QString kExternalTip = QStringLiteral("SENSOR SUM Percent, Min 5% - Max 90%.");

} // namespace

// --- Entry readings -----------------------------------------------------------------------------

int fieldMaximum(Field field) {
    return std::min(powerOfTen(infoOf(field).width) - 1, 32767);
}

int fieldMinimum(Field field) {
    // One character goes to the minus sign.
    return std::max(-(powerOfTen(infoOf(field).width - 1) - 1), -32768);
}

int entryValue(const QString& text, Field field) {
    const int value = roundToInt16(numberIn(text));
    return std::clamp(value, fieldMinimum(field), fieldMaximum(field));
}

bool entryValid(const QString& text, Field field) {
    const WholeNumberReading r = readWholeNumber(latin1(text));
    return r.ok && r.value >= fieldMinimum(field) && r.value <= fieldMaximum(field);
}

void storeWhole(ProgramRecord& record, Field field, int value) {
    const QByteArray stored = record.text(field);
    const WholeNumberReading r = readWholeNumber(stored);
    if (r.ok && r.value == value && leadingNumber(stored) == value)
        return;
    record.set(field, formatNumber(value, "0"));
}

// --- Sum/Scale ----------------------------------------------------------------------------------

void SumScaleRules::open(const ProgramRecord& record, int featureLevel) {
    m_loading = true;
    m_sumLinearEnabled = featureLevel >= 3;
    const int t = record.whole(Field::SumScaleType);
    const double s = record.number(Field::SumScalePercent);
    m_percentEntries = {};
    switch (t) {
    case kScale:
        m_percentEntries[0].text = format(std::min(s / 100, 2.0), "0.0#");
        break;
    case kSumLinear:
        m_percentEntries[1].text = format(100 - s, "0");
        m_percentEntries[0].text = format(s, "0");
        break;
    default: // SUM Proportional; an unknown type shows its percentage as it is
        m_percentEntries[0].text = format(s, "0");
        m_percentEntries[1].visible = false;
        break;
    }
    m_type = t >= 0 && t < kSumScaleTypes ? t : -1;
    const int c = record.whole(Field::SumScaleChannel);
    m_channel = c >= 0 && c < kSumScaleChannels ? c : -1;
    refreshLabels(t);
    m_loading = false;
}

void SumScaleRules::refreshLabels(int Index) {
    PercentBox& main = m_percentEntries[0];
    PercentBox& second = m_percentEntries[1];
    if (Index == kScale || Index == kSumProportional) {
        second.visible = false;
        second.tag.clear();
        second.text.clear();
    }
    switch (Index) {
    case kScale: {
        double v = numberIn(main.text);
        if (v == 0 || v > 2)
            v = 2;
        main.text = format(v, "0.00");
        main.tag = kScaleTag;
        main.toolTip = kScaleTip;
        break;
    }
    case kSumProportional: {
        main.tag = kSensorTag;
        main.toolTip = kSumProportionalTip;
        double v = numberIn(main.text);
        if (v == 0 || v > 90)
            v = 10;
        main.text = format(v, "0");
        break;
    }
    case kSumLinear: {
        second.visible = true;
        main.tag = kSensorTag;
        main.toolTip = kSumLinearTip;
        double v = numberIn(main.text);
        if (v == 0)
            v = 10;
        main.text = format(v, "0");
        second.tag = kExternalTag;
        double w = numberIn(second.text);
        if (w == 0 || w > 90)
            w = 10;
        second.text = format(w, "0");
        second.toolTip = kExternalTip;
        break;
    }
    default:
        break;
    }
}

void SumScaleRules::onTypeClicked(int index) {
    if (m_loading || index < 0 || index >= kSumScaleTypes)
        return;
    if (index == kSumLinear && !m_sumLinearEnabled)
        return;
    m_type = index;
    refreshLabels(index);
}

void SumScaleRules::onChannelClicked(int index) {
    if (m_loading || index < 0 || index >= kSumScaleChannels)
        return;
    m_channel = index;
}

void SumScaleRules::onValueEdited(int box, const QString& text) {
    if (m_loading || box < 0 || box > 1)
        return;
    m_percentEntries[box].text = text;
}

void SumScaleRules::onValueLeft() {
    if (m_loading)
        return;
    const double a = numberIn(m_percentEntries[0].text);
    const double limit = a > 100 ? 100 : a;
    if (a > 100) {
        m_prompts.beep();
        m_percentEntries[0].text = fromLatin1(signedForm(limit));
    }
    if (m_type == kSumLinear)
        m_percentEntries[1].text = fromLatin1(signedForm(100 - limit));
}

bool SumScaleRules::close(ProgramRecord& record) {
    const Field percentField = Field::SumScalePercent;
    const QString& text = m_percentEntries[0].text;
    int percent = 0;
    if (m_type == kScale) {
        // The factor is stored times 100; keep it within what the field can hold.
        const double scaled = numberIn(text) * 100;
        const double bound = 1e6;
        const int rounded =
            std::fabs(scaled) < bound
                ? fromLatin1(formatNumber(scaled, "0")).toInt()
                : (scaled > 0 ? fieldMaximum(percentField) + 1 : fieldMinimum(percentField) - 1);
        percent = std::clamp(rounded, fieldMinimum(percentField), fieldMaximum(percentField));
        if (!isNumberText(text) || percent != rounded) {
            m_prompts.beep();
            m_percentEntries[0].text = format(percent / 100.0, "0.00");
            return false;
        }
    } else if (m_type == kSumProportional || m_type == kSumLinear) {
        percent = entryValue(text, percentField);
        if (!entryValid(text, percentField)) {
            m_prompts.beep();
            m_percentEntries[0].text = format(percent, "0");
            return false;
        }
    }
    if (m_type >= 0) {
        storeWhole(record, percentField, percent);
        storeWhole(record, Field::SumScaleType, m_type);
    }
    if (m_channel >= 0)
        storeWhole(record, Field::SumScaleChannel, m_channel);
    return true;
}

// --- RS232 --------------------------------------------------------------------------------------

void Rs232Rules::open(const ProgramRecord& record) {
    m_delayEntry = format(record.number(Field::Rs232Delay), "0");
    m_openedDelay = m_delayEntry;
    m_openedWithSerial = record.number(Field::Rs232Content) == 1;
    m_serialOptions = {};
    m_serialOptions[m_openedWithSerial ? kSerialAndData : kDataOnly] = true;
    m_serialOptions[record.number(Field::Rs232Baud) == 9600 ? kBaud9600 : kBaud4800] = true;
}

void Rs232Rules::onOptionClicked(int index) {
    if (index < 0 || index >= kRs232Options)
        return;
    const int first = index < kBaud4800 ? kSerialAndData : kBaud4800;
    m_serialOptions[first] = index == first;
    m_serialOptions[first + 1] = index != first;
}

bool Rs232Rules::close(ProgramRecord& record) {
    const Resolved delay = resolve(m_delayEntry, m_openedDelay, Field::Rs232Delay);
    if (delay.outcome == Outcome::Correct) {
        m_prompts.beep();
        m_delayEntry = format(delay.value, "0");
        return false;
    }
    if (delay.outcome == Outcome::Store)
        storeWhole(record, Field::Rs232Delay, delay.value);
    const bool serial = m_serialOptions[kSerialAndData];
    if (serial != m_openedWithSerial)
        record.set(Field::Rs232Content, serial ? kContentSerialAndData : kContentDataOnly);
    storeWhole(record, Field::Rs232Baud, m_serialOptions[kBaud9600] ? 9600 : 4800);
    return true;
}

// --- Clock --------------------------------------------------------------------------------------

namespace {
constexpr Field kClockFields[kClockEntries] = {Field::ClockFrequency, Field::ClockDelay};
} // namespace

void ClockRules::open(const ProgramRecord& record) {
    for (int i = 0; i < kClockEntries; ++i)
        m_entryFields[i] = m_opened[i] = fromLatin1(record.text(kClockFields[i]));
}

void ClockRules::onEdited(int index, const QString& text) {
    if (index >= 0 && index < kClockEntries)
        m_entryFields[index] = text;
}

bool ClockRules::close(ProgramRecord& record) {
    std::array<Resolved, kClockEntries> entries{};
    bool corrected = false;
    for (int i = 0; i < kClockEntries; ++i) {
        entries[i] = resolve(m_entryFields[i], m_opened[i], kClockFields[i]);
        if (entries[i].outcome == Outcome::Correct) {
            m_entryFields[i] = format(entries[i].value, "0");
            corrected = true;
        }
    }
    if (corrected) {
        m_prompts.beep();
        return false;
    }
    for (int i = 0; i < kClockEntries; ++i) {
        if (entries[i].outcome == Outcome::Store)
            storeWhole(record, kClockFields[i], entries[i].value);
    }
    return true;
}

// --- Counter ------------------------------------------------------------------------------------

void CounterRules::open(const ProgramRecord& record) {
    m_delayEntry = m_opened = fromLatin1(record.text(Field::CountDelay));
    const int mode = record.whole(Field::CountMode);
    m_countBoxes = {mode == 1, mode == 2};
}

void CounterRules::onCheckClicked(int index, bool checked) {
    if (index < 0 || index >= kCountBoxes)
        return;
    m_countBoxes[index] = checked;
    m_countBoxes[1 - index] = false;
}

bool CounterRules::close(ProgramRecord& record) {
    const Field field = Field::CountDelay;
    const Resolved delay = resolve(m_delayEntry, m_opened, field);
    if (delay.outcome == Outcome::Correct) {
        m_prompts.beep();
        m_delayEntry = format(delay.value, "0");
        return false;
    }
    if (delay.outcome == Outcome::Store) {
        // The delay is kept as typed; only a text longer than the field goes in as its number,
        // since cutting it would store another number.
        const QByteArray typed = latin1(m_delayEntry);
        if (typed.size() <= infoOf(field).width)
            record.set(field, typed);
        else
            storeWhole(record, field, delay.value);
    }
    if (m_countBoxes[kCounterBox])
        storeWhole(record, Field::CountMode, 1);
    if (m_countBoxes[kGateBox])
        storeWhole(record, Field::CountMode, 2);
    return true;
}

// --- Control relay ------------------------------------------------------------------------------

namespace {
constexpr Field kRelayFields[kRelayEntries] = {Field::RelayOnDistance, Field::RelayOffDistance,
                                               Field::RelayDelay};
} // namespace

void ControlRelayRules::open(const ProgramRecord& record) {
    for (int i = 0; i < kRelayEntries; ++i)
        m_entryFields[i] = format(record.number(kRelayFields[i]), "0");
    m_openedDelay = m_entryFields[kRelayDelay];
}

void ControlRelayRules::onEdited(int index, const QString& text) {
    if (index >= 0 && index < kRelayEntries)
        m_entryFields[index] = text;
}

bool ControlRelayRules::correct(int index, int value) {
    m_prompts.beep();
    m_entryFields[index] = format(value, "0");
    return false;
}

bool ControlRelayRules::ok(ProgramRecord& record) {
    const QString& onText = m_entryFields[kRelayOn];
    const QString& offText = m_entryFields[kRelayOff];

    int on = roundToInt16(numberIn(onText));
    const int span = record.whole(Field::TotalSpan);
    if (on > span)
        on = span;
    if (on > WholeNumber(latin1(offText)))
        on = record.whole(Field::RelayOnDistance);
    const int minimumBase = record.whole(Field::MinimumBase);
    if (on < minimumBase)
        on = minimumBase;
    if (!readsAs(onText, on))
        return correct(kRelayOn, on);

    int off = roundToInt16(numberIn(offText));
    const int nearRelay = record.whole(Field::NearRelay);
    if (off < nearRelay || off > record.number(Field::TotalSpan) ||
        off < record.number(Field::MinimumBase))
        off = nearRelay;
    if (!readsAs(offText, off))
        return correct(kRelayOff, off);

    const Resolved delay = resolve(m_entryFields[kRelayDelay], m_openedDelay, Field::RelayDelay);
    if (delay.outcome == Outcome::Correct)
        return correct(kRelayDelay, delay.value);

    storeWhole(record, Field::RelayOnDistance, on);
    storeWhole(record, Field::RelayOffDistance, off);
    if (delay.outcome == Outcome::Store)
        storeWhole(record, Field::RelayDelay, delay.value);
    return true;
}

} // namespace vanto
