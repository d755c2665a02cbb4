// The entry fields' key rules: typed keys one at a time, and pasted or dropped text whole.
#include "../tablerows.h"
#include "editor/keyfilters.h"

#include <QTest>

using namespace vanto;

constexpr int kBeep = -1; // refused with a beep
constexpr int kNext = -2; // the focus moves on
constexpr int kNone = 0;  // discarded silently

// Fields: 'w' whole number, 'd' decimal number, 's' serial number, 'x' serial without a box.
struct KeyCase {
    const char* name;
    char field;
    int key, decision; // the key inserted, or kBeep, kNext, kNone
};
const KeyCase kKeys[] = {
    {"0", 'w', '0', '0'},
    {"backspace", 'w', 8, 8},
    {"plus", 'w', '+', '+'},
    {"point where allowed", 'd', '.', '.'},
    {"point where not allowed", 'w', '.', kBeep},
    {"enter moves on", 'w', 13, kNext},
    {"line feed beeps", 'd', 10, kBeep},
    {"letter", 'd', 'a', kBeep},
    {"colon, above the digits", 'd', ':', kBeep},
    {"space", 'd', ' ', kBeep},
    {"serial: a", 's', 'a', 'A'},
    {"serial: backquote is no letter", 's', '`', '`'},
    {"serial: Latin-1 small e acute", 's', 0xE9, 0xC9},
    {"serial: division sign", 's', 0xF7, 0xF7},
    {"serial: enter moves on", 's', 13, kNext},
    {"serial: line feed passes", 's', 10, 10},
    {"no serial box: letter", 'x', 'a', kNone},
    {"no serial box: enter", 'x', 13, kNone},
};

// Pasted, dropped or input-method text: a valid value goes in whole, anything else not at all.
struct InsertCase {
    const char* name;
    char field;
    const char16_t* text;
    const char16_t* inserted; // nullptr: refused
};
const InsertCase kInserts[] = {
    {"number", 'w', u"49", u"49"},
    {"copied with its line end", 'w', u" 49\r\n", u"49"},
    {"CR inside", 'w', u"4\r9", nullptr},
    {"letters", 'w', u"12ab", nullptr},
    {"point in a whole number", 'w', u"1.5", nullptr},
    {"point in a decimal field", 'd', u"-1.5", u"-1.5"},
    {"blank inside", 'd', u"1 5", nullptr},
    {"nothing but blanks", 'd', u" \t", nullptr},
    {"backspace", 'd', u"1\b", nullptr},
    {"full-width digit", 'w', u"\uFF11", nullptr},
    {"serial in capitals", 's', u"ab-1\u00e9", u"AB-1\u00c9"},
    {"serial with CR", 's', u"A1\r2", nullptr},
    {"serial with EOT", 's', u"A\x04", nullptr},
    {"serial with DEL", 's', u"A\x7f", nullptr},
    {"serial beyond Latin-1", 's', u"A\u20ac", nullptr},
};

class TestKeyFilters : public QObject {
    Q_OBJECT
private slots:
    void typedKey_data() { addRows(kKeys); }
    void typedKey() {
        QFETCH(int, row);
        const KeyCase& c = kKeys[row];
        KeyDecision expected;
        expected.key = c.decision > 0 ? c.decision : 0;
        expected.beep = c.decision == kBeep;
        expected.nextField = c.decision == kNext;
        const KeyDecision got = c.field == 's'   ? keyfilters::onKeyAlphaUC(c.key)
                                : c.field == 'x' ? keyfilters::onKeyAlphaUC(c.key, false)
                                                 : keyfilters::onKeyNumOnly(c.key, c.field == 'w');
        QVERIFY(got == expected);
    }

    void insertedText_data() { addRows(kInserts); }
    void insertedText() {
        QFETCH(int, row);
        const InsertCase& c = kInserts[row];
        const std::optional<QString> got =
            keyfilters::filterInsertion(QString::fromUtf16(c.text), c.field != 's', c.field == 'w');
        QCOMPARE(got, c.inserted ? std::optional(QString::fromUtf16(c.inserted)) : std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestKeyFilters)
#include "test_keyfilters.moc"
