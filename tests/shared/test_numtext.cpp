#include "shared/numtext.h"

#include <QTest>

#include <limits>

using namespace vanto;

class TestNumText : public QObject {
    Q_OBJECT
private slots:
    void leadingNumberCases_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("empty") << QByteArray() << 0.0;
        QTest::newRow("blanks") << QByteArray("     ") << 0.0;
        QTest::newRow("signed form") << QByteArray(" 1") << 1.0;
        QTest::newRow("padded") << QByteArray("1   ") << 1.0;
        QTest::newRow("decimal") << QByteArray("  12.5  ") << 12.5;
        QTest::newRow("negative") << QByteArray("-3.25") << -3.25;
        QTest::newRow("plus") << QByteArray("+7") << 7.0;
        QTest::newRow("stops at letter") << QByteArray("13abc") << 13.0;
        QTest::newRow("second point ends it") << QByteArray("1.2.3") << 1.2;
        QTest::newRow("no exponent") << QByteArray("2e3") << 2.0;
        QTest::newRow("no hex") << QByteArray("0x10") << 0.0;
        QTest::newRow("leading point") << QByteArray(".5") << 0.5;
        QTest::newRow("not a number") << QByteArray("abc") << 0.0;
        QTest::newRow("sign alone") << QByteArray("-") << 0.0;
        QTest::newRow("blank after sign") << QByteArray("- 5") << 0.0;
        QTest::newRow("tab is not a blank") << QByteArray("\t5") << 0.0;
        QTest::newRow("comma is no separator") << QByteArray("1,5") << 1.0;
        QTest::newRow("huge stays finite")
            << QByteArray(400, '9') << std::numeric_limits<double>::max();
    }

    void leadingNumberCases() {
        QFETCH(QByteArray, text);
        QFETCH(double, value);
        QCOMPARE(leadingNumber(text), value);
    }

    void wholeNumber_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("ok");
        QTest::newRow("plain") << QByteArray("204") << 204 << true;
        QTest::newRow("blanks around") << QByteArray("  13   ") << 13 << true;
        QTest::newRow("half to even down") << QByteArray("2.5") << 2 << true;
        QTest::newRow("half to even up") << QByteArray("3.5") << 4 << true;
        QTest::newRow("negative half") << QByteArray("-2.5") << -2 << true;
        QTest::newRow("above half") << QByteArray("2.51") << 3 << true;
        QTest::newRow("top") << QByteArray("32767") << 32767 << true;
        QTest::newRow("bottom") << QByteArray("-32768") << -32768 << true;
        QTest::newRow("rounds over the top") << QByteArray("32767.5") << 32767 << false;
        QTest::newRow("too large") << QByteArray("40000") << 32767 << false;
        QTest::newRow("too small") << QByteArray("-99999") << -32768 << false;
        QTest::newRow("enormous") << QByteArray(400, '9') << 32767 << false;
        QTest::newRow("empty") << QByteArray() << 0 << false;
        QTest::newRow("trailing letters") << QByteArray("12ab") << 0 << false;
        QTest::newRow("inner blank") << QByteArray("1 2") << 0 << false;
        QTest::newRow("second point") << QByteArray("1.2.3") << 0 << false;
    }

    void wholeNumber() {
        QFETCH(QByteArray, text);
        QFETCH(int, value);
        QFETCH(bool, ok);
        const WholeNumberReading r = readWholeNumber(text);
        QCOMPARE(int(r.value), value);
        QCOMPARE(r.ok, ok);
    }

    void format_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("0 half away up") << 2.5 << QByteArray("0") << QByteArray("3");
        QTest::newRow("0 half away down") << -2.5 << QByteArray("0") << QByteArray("-3");
        QTest::newRow("0 small negative") << -0.4 << QByteArray("0") << QByteArray("0");
        QTest::newRow("0 linear offset") << 447.76119 << QByteArray("0") << QByteArray("448");
        QTest::newRow("# zero is empty") << 0.0 << QByteArray("#") << QByteArray();
        QTest::newRow("# rounds to zero") << 0.4 << QByteArray("#") << QByteArray();
        QTest::newRow("# metric base") << 13 * 2.54 << QByteArray("#") << QByteArray("33");
        QTest::newRow("# metric range") << 30 * 2.54 << QByteArray("#") << QByteArray("76");
        QTest::newRow("# negative") << -7.6 << QByteArray("#") << QByteArray("-8");
        QTest::newRow("0.0 fahrenheit")
            << 204 * 0.18 + 32 << QByteArray("0.0") << QByteArray("68.7");
        QTest::newRow("0.0 decimal half") << 0.15 << QByteArray("0.0") << QByteArray("0.2");
        QTest::newRow("0.0 whole") << 20.0 << QByteArray("0.0") << QByteArray("20.0");
        QTest::newRow("0.00 cone")
            << 40 * 0.305 * 2.54 << QByteArray("0.00") << QByteArray("30.99");
        QTest::newRow("0.00 carry") << 9.999 << QByteArray("0.00") << QByteArray("10.00");
        QTest::newRow("0.0# one place") << 1.5 << QByteArray("0.0#") << QByteArray("1.5");
        QTest::newRow("0.0# two places") << 1.256 << QByteArray("0.0#") << QByteArray("1.26");
        QTest::newRow("0.0# whole") << 2.0 << QByteArray("0.0#") << QByteArray("2.0");
        QTest::newRow("0.00000") << 0.0067571 << QByteArray("0.00000") << QByteArray("0.00676");
        QTest::newRow("0.00000 neg zero")
            << -0.000001 << QByteArray("0.00000") << QByteArray("0.00000");
        QTest::newRow("large") << 123456789.0 << QByteArray("0") << QByteArray("123456789");
        QTest::newRow("not finite")
            << std::numeric_limits<double>::infinity() << QByteArray("0") << QByteArray("0");
    }

    void format() {
        QFETCH(double, value);
        QFETCH(QByteArray, format);
        QFETCH(QByteArray, text);
        QCOMPARE(formatNumber(value, format.constData()), text);
    }

    void signedFormCases_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("zero") << 0.0 << QByteArray(" 0");
        QTest::newRow("one") << 1.0 << QByteArray(" 1");
        QTest::newRow("hundred") << 100.0 << QByteArray(" 100");
        QTest::newRow("negative") << -2.0 << QByteArray("-2");
        QTest::newRow("fraction") << 1.5 << QByteArray(" 1.5");
        QTest::newRow("below one") << 0.5 << QByteArray(" .5");
        QTest::newRow("negative below one") << -0.25 << QByteArray("-.25");
    }

    void signedFormCases() {
        QFETCH(double, value);
        QFETCH(QByteArray, text);
        QCOMPARE(signedForm(value), text);
    }
};

QTEST_APPLESS_MAIN(TestNumText)
#include "test_numtext.moc"
