// The entry-field behaviours on real line edits, offscreen.
#include "cuiwidget.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

using namespace vanto;

class TestCuiWidget : public QObject {
    Q_OBJECT
private slots:
    void init();
    void typing_data();
    void typing();
    void focusSelectsAndFirstKeyReplaces();
    void enterMovesOnAndBoldStays();
    void loadingDoesNotTurnBold();

private:
    std::unique_ptr<QWidget> m_window;
    QLineEdit* m_whole = nullptr;
    QLineEdit* m_decimal = nullptr;
    QLineEdit* m_serial = nullptr;
    int m_beeps = 0;
    bool m_loading = false;
};

void TestCuiWidget::init() {
    m_window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(m_window.get());
    m_whole = new QLineEdit;
    m_decimal = new QLineEdit;
    m_serial = new QLineEdit;
    for (QLineEdit* e : {m_whole, m_decimal, m_serial})
        layout->addWidget(e);
    CUI& cui = CUI::instance();
    cui.attach(m_whole, CUI::Keys::WholeNumber, [this] { return m_loading; });
    cui.attach(m_decimal, CUI::Keys::Decimal);
    cui.attach(m_serial, CUI::Keys::UpperCase);
    m_beeps = 0;
    m_loading = false;
    cui.beep = [this] { ++m_beeps; };
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestCuiWidget::typing_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("beeps");
    QTest::newRow("letter refused") << 0 << "1a"
                                    << "1" << 1;
    QTest::newRow("no decimal point") << 0 << "3.5"
                                      << "35" << 1;
    QTest::newRow("signs anywhere") << 0 << "-1+-"
                                    << "-1+-" << 0;
    QTest::newRow("decimal allowed twice") << 1 << "3.5."
                                           << "3.5." << 0;
    QTest::newRow("serial in capitals") << 2 << "ab1"
                                        << "AB1" << 0;
    QTest::newRow("serial takes anything") << 2 << "a-b"
                                           << "A-B" << 0;
}

void TestCuiWidget::typing() {
    QFETCH(int, field);
    QFETCH(QString, keys);
    QFETCH(QString, text);
    QFETCH(int, beeps);
    QLineEdit* edit = QList<QLineEdit*>{m_whole, m_decimal, m_serial}[field];
    edit->setFocus();
    QTest::keyClicks(edit, keys);
    QCOMPARE(edit->text(), text);
    QCOMPARE(m_beeps, beeps);
    QVERIFY(edit->font().bold());
}

void TestCuiWidget::focusSelectsAndFirstKeyReplaces() {
    m_decimal->setText(QStringLiteral("13"));
    m_whole->setFocus();
    QTest::keyClick(m_whole, Qt::Key_Tab);
    QTRY_COMPARE(m_decimal->selectedText(), QStringLiteral("13"));
    QTest::keyClicks(m_decimal, QStringLiteral("2"));
    QCOMPARE(m_decimal->text(), QStringLiteral("2"));
}

void TestCuiWidget::enterMovesOnAndBoldStays() {
    m_whole->setFocus();
    QTest::keyClicks(m_whole, QStringLiteral("12"));
    QTest::keyClick(m_whole, Qt::Key_Return);
    QCOMPARE(m_whole->text(), QStringLiteral("12"));
    QTRY_VERIFY(m_decimal->hasFocus());
    QVERIFY(m_whole->font().bold());
    // Ctrl+Enter is a line feed: beeped and discarded, the focus stays.
    QTest::keyClick(m_decimal, Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(m_beeps, 1);
    QVERIFY(m_decimal->hasFocus());
    QVERIFY(!m_decimal->font().bold());
}

void TestCuiWidget::loadingDoesNotTurnBold() {
    m_loading = true;
    m_whole->setFocus();
    QTest::keyClicks(m_whole, QStringLiteral("5"));
    QVERIFY(!m_whole->font().bold());
    m_whole->setText(QStringLiteral("7")); // the window's own filling never turns bold
    m_loading = false;
    QVERIFY(!m_whole->font().bold());
}

QTEST_MAIN(TestCuiWidget)
#include "test_cui.moc"
