#include "../tablerows.h"
#include "shared/numtext.h"

#include <QTest>

#include <limits>

using namespace vanto;

const QByteArray kHuge(400, '9');

struct LeadingCase {
    const char *name, *text;
    double value;
};
const LeadingCase kLeading[] = {
    {"empty", "", 0.0},
    {"signed form", " 1", 1.0},
    {"decimal", "  12.5  ", 12.5},
    {"negative", "-3.25", -3.25},
    {"stops at letter", "13abc", 13.0},
    {"second point ends it", "1.2.3", 1.2},
    {"no exponent", "2e3", 2.0},
    {"leading point", ".5", 0.5},
    {"sign alone", "-", 0.0},
    {"blank after sign", "- 5", 0.0},
    {"tab is not a blank", "\t5", 0.0},
    {"huge stays finite", kHuge.constData(), std::numeric_limits<double>::max()},
};

struct WholeCase {
    const char *name, *text;
    int value;
    bool ok;
};
const WholeCase kWhole[] = {
    {"blanks around", "  13   ", 13, true},
    {"half to even up", "3.5", 4, true},
    {"above half", "2.51", 3, true},
    {"top", "32767", 32767, true},
    {"bottom", "-32768", -32768, true},
    {"rounds over the top", "32767.5", 32767, false},
    {"too small", "-99999", -32768, false},
    {"enormous", kHuge.constData(), 32767, false},
    {"empty", "", 0, false},
    {"trailing letters", "12ab", 0, false},
    {"inner blank", "1 2", 0, false},
    {"second point", "1.2.3", 0, false},
};

struct FormatCase {
    const char* name;
    double value;
    const char *format, *text;
};
const FormatCase kFormats[] = {
    {"0 half away up", 2.5, "0", "3"},
    {"0 half away down", -2.5, "0", "-3"},
    {"0 linear offset", 447.76119, "0", "448"},
    {"# zero is empty", 0.0, "#", ""},
    {"# metric base", 13 * 2.54, "#", "33"},
    {"# negative", -7.6, "#", "-8"},
    {"0.0 fahrenheit", 204 * 0.18 + 32, "0.0", "68.7"},
    {"0.0 decimal half", 0.15, "0.0", "0.2"},
    {"0.00 carry", 9.999, "0.00", "10.00"},
    {"0.0# two places", 1.256, "0.0#", "1.26"},
    {"0.00000", 0.0067571, "0.00000", "0.00676"},
    {"0.00000 neg zero", -0.000001, "0.00000", "0.00000"},
    {"large", 123456789.0, "0", "123456789"},
    {"not finite", std::numeric_limits<double>::infinity(), "0", "0"},
    // The signed form of a value the record stores: a blank for the plus sign.
    {"signed zero", 0.0, nullptr, " 0"},
    {"signed fraction", 1.5, nullptr, " 1.5"},
    {"signed below one", 0.5, nullptr, " .5"},
    {"signed negative below one", -0.25, nullptr, "-.25"},
};

class TestNumText : public QObject {
    Q_OBJECT
private slots:
    void leadingNumber_data() { addRows(kLeading); }
    void leadingNumber() {
        QFETCH(int, row);
        QCOMPARE(vanto::leadingNumber(kLeading[row].text), kLeading[row].value);
    }

    void wholeNumber_data() { addRows(kWhole); }
    void wholeNumber() {
        QFETCH(int, row);
        const WholeNumberReading r = readWholeNumber(kWhole[row].text);
        QCOMPARE(int(r.value), kWhole[row].value);
        QCOMPARE(r.ok, kWhole[row].ok);
    }

    void format_data() { addRows(kFormats); }
    void format() {
        QFETCH(int, row);
        const FormatCase& c = kFormats[row];
        QCOMPARE(c.format ? formatNumber(c.value, c.format) : signedForm(c.value),
                 QByteArray(c.text));
    }
};

QTEST_APPLESS_MAIN(TestNumText)
#include "test_numtext.moc"
