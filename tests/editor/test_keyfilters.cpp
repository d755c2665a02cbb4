#include "editor/keyfilters.h"

#include <QTest>

using namespace vanto;

Q_DECLARE_METATYPE(vanto::KeyDecision)

namespace {

KeyDecision insert(int key) {
    KeyDecision d;
    d.key = key;
    return d;
}

KeyDecision refuse() {
    KeyDecision d;
    d.beep = true;
    return d;
}

KeyDecision next() {
    KeyDecision d;
    d.nextField = true;
    return d;
}

} // namespace

class TestKeyFilters : public QObject {
    Q_OBJECT
private slots:
    void numOnly_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("noDecimal");
        QTest::addColumn<KeyDecision>("decision");
        QTest::newRow("0") << int('0') << true << insert('0');
        QTest::newRow("9") << int('9') << true << insert('9');
        QTest::newRow("backspace") << 8 << true << insert(8);
        QTest::newRow("plus") << int('+') << true << insert('+');
        QTest::newRow("minus") << int('-') << true << insert('-');
        QTest::newRow("point where allowed") << int('.') << false << insert('.');
        QTest::newRow("point where not allowed") << int('.') << true << refuse();
        QTest::newRow("enter moves on") << 13 << true << next();
        QTest::newRow("enter moves on, decimal field") << 13 << false << next();
        QTest::newRow("line feed beeps") << 10 << false << refuse();
        QTest::newRow("letter") << int('a') << false << refuse();
        QTest::newRow("comma") << int(',') << false << refuse();
        QTest::newRow("slash, below the digits") << int('/') << false << refuse();
        QTest::newRow("colon, above the digits") << int(':') << false << refuse();
        QTest::newRow("space") << int(' ') << false << refuse();
        QTest::newRow("tab") << 9 << false << refuse();
    }

    void numOnly() {
        QFETCH(int, key);
        QFETCH(bool, noDecimal);
        QFETCH(KeyDecision, decision);
        QCOMPARE(keyfilters::onKeyNumOnly(key, noDecimal), decision);
    }

    // Whole key sequences, as a field would receive them: what is left and how often it beeps.
    void typingIntoAField_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("noDecimal");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("beeps");
        QTest::newRow("1a") << "1a" << true << "1" << 1;
        QTest::newRow("3.5 without point") << "3.5" << true << "35" << 1;
        QTest::newRow("3.5 with point") << "3.5" << false << "3.5" << 0;
        QTest::newRow("second point accepted") << "3.5." << false << "3.5." << 0;
        QTest::newRow("signs anywhere") << "-1+-" << true << "-1+-" << 0;
    }

    void typingIntoAField() {
        QFETCH(QString, keys);
        QFETCH(bool, noDecimal);
        QString text;
        int beeps = 0;
        for (QChar c : keys) {
            const KeyDecision d = keyfilters::onKeyNumOnly(c.unicode(), noDecimal);
            beeps += d.beep ? 1 : 0;
            if (d.key != 0)
                text += QChar(d.key);
        }
        QTEST(text, "text");
        QTEST(beeps, "beeps");
    }

    void alphaUpperCase_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<KeyDecision>("decision");
        QTest::newRow("a") << int('a') << insert('A');
        QTest::newRow("z") << int('z') << insert('Z');
        QTest::newRow("capital stays") << int('Q') << insert('Q');
        QTest::newRow("digit") << int('1') << insert('1');
        QTest::newRow("backspace") << 8 << insert(8);
        QTest::newRow("punctuation, no beep") << int('-') << insert('-');
        QTest::newRow("backquote is no letter") << int('`') << insert('`');
        QTest::newRow("brace is no letter") << int('{') << insert('{');
        QTest::newRow("Latin-1 small e acute") << 0xE9 << insert(0xC9);
        QTest::newRow("division sign") << 0xF7 << insert(0xF7);
        QTest::newRow("enter moves on") << 13 << next();
        QTest::newRow("line feed passes") << 10 << insert(10);
    }

    void alphaUpperCase() {
        QFETCH(int, key);
        QFETCH(KeyDecision, decision);
        QCOMPARE(keyfilters::onKeyAlphaUC(key), decision);
    }

    void alphaWithoutTextBox() {
        QCOMPARE(keyfilters::onKeyAlphaUC('a', false), KeyDecision());
        QCOMPARE(keyfilters::onKeyAlphaUC(13, false), KeyDecision());
    }

    // Pasted, dropped or input-method text: a valid value goes in whole, anything else not at all.
    void insertedText_data() {
        QTest::addColumn<int>("kind"); // 0 whole number, 1 decimal, 2 serial number
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("inserted"); // "-" = refused
        QTest::newRow("number") << 0 << "49"
                                << "49";
        QTest::newRow("copied with its line end") << 0 << " 49\r\n"
                                                  << "49";
        QTest::newRow("CR inside") << 0 << "4\r9"
                                   << "-";
        QTest::newRow("LF inside") << 0 << "4\n9"
                                   << "-";
        QTest::newRow("letters") << 0 << "12ab"
                                 << "-";
        QTest::newRow("point in a whole number") << 0 << "1.5"
                                                 << "-";
        QTest::newRow("point in a decimal field") << 1 << "-1.5"
                                                  << "-1.5";
        QTest::newRow("blank inside") << 1 << "1 5"
                                      << "-";
        QTest::newRow("nothing but blanks") << 1 << " \t"
                                            << "-";
        QTest::newRow("backspace") << 1 << "1\b"
                                   << "-";
        QTest::newRow("full-width digit") << 0 << QString(QChar(0xFF11)) << "-";
        QTest::newRow("serial in capitals") << 2 << "ab-1\u00e9"
                                            << "AB-1\u00c9";
        QTest::newRow("serial with CR") << 2 << "A1\r2"
                                        << "-";
        QTest::newRow("serial with EOT") << 2 << "A\x04"
                                         << "-";
        QTest::newRow("serial with DEL") << 2 << "A\x7f"
                                         << "-";
        QTest::newRow("serial beyond Latin-1") << 2 << "A\u20ac"
                                               << "-";
    }

    void insertedText() {
        QFETCH(int, kind);
        QFETCH(QString, text);
        QFETCH(QString, inserted);
        const std::optional<QString> got = keyfilters::filterInsertion(text, kind != 2, kind == 0);
        QCOMPARE(got.value_or(QStringLiteral("-")), inserted);
    }
};

QTEST_GUILESS_MAIN(TestKeyFilters)
#include "test_keyfilters.moc"
