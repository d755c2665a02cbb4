// The entry-field behaviours on real line edits, offscreen.
#include "fieldkeyfilter.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QVBoxLayout>

#include <functional>
#include <map>

using namespace vanto;

class TestFieldKeyFilter : public QObject {
    Q_OBJECT
private slots:
    void init();
    void typingAndEnter();
    void everyWayInFollowsTheRules_data();
    void everyWayInFollowsTheRules();

private:
    std::unique_ptr<QWidget> m_window;
    QLineEdit* m_whole = nullptr;
    QLineEdit* m_decimal = nullptr;
    QLineEdit* m_serial = nullptr;
    int m_beeps = 0;
};

void TestFieldKeyFilter::init() {
    m_window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(m_window.get());
    m_whole = new QLineEdit;
    m_decimal = new QLineEdit;
    m_serial = new QLineEdit;
    for (QLineEdit* e : {m_whole, m_decimal, m_serial})
        layout->addWidget(e);
    FieldKeyFilter& filter = FieldKeyFilter::instance();
    filter.attach(m_whole, FieldKeyFilter::Keys::WholeNumber);
    filter.attach(m_decimal, FieldKeyFilter::Keys::Decimal);
    filter.attach(m_serial, FieldKeyFilter::Keys::UpperCase);
    m_beeps = 0;
    filter.beep = [this] { ++m_beeps; };
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

// The rules themselves are the key filters' table; here only that keys reach them.
void TestFieldKeyFilter::typingAndEnter() {
    m_serial->setFocus();
    QTest::keyClicks(m_serial, QStringLiteral("ab1"));
    QCOMPARE(m_serial->text(), QStringLiteral("AB1"));
    m_whole->setFocus();
    QTest::keyClicks(m_whole, QStringLiteral("1a2"));
    QCOMPARE(m_whole->text(), QStringLiteral("12"));
    QCOMPARE(m_beeps, 1);
    QVERIFY(m_whole->font().bold());
    m_decimal->setText(QStringLiteral("13"));
    QTest::keyClick(m_whole, Qt::Key_Return); // moves on, the entry kept
    QCOMPARE(m_whole->text(), QStringLiteral("12"));
    QTRY_VERIFY(m_decimal->hasFocus());
    QTRY_COMPARE(m_decimal->selectedText(), QStringLiteral("13")); // the focus selects
    // Ctrl+Enter is a line feed: beeped and discarded, the focus stays.
    QTest::keyClick(m_decimal, Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(m_beeps, 2);
    QVERIFY(m_decimal->hasFocus());
    QVERIFY(!m_decimal->font().bold());
    QTest::keyClicks(m_decimal, QStringLiteral("2")); // the first key replaces
    QCOMPARE(m_decimal->text(), QStringLiteral("2"));
}

namespace {

// The ways text gets into a field other than typing it key by key.
const std::map<QString, std::function<void(QLineEdit*, const QString&)>>& waysIn() {
    static const std::map<QString, std::function<void(QLineEdit*, const QString&)>> ways = {
        {QStringLiteral("Ctrl+V"),
         [](QLineEdit* e, const QString& text) {
             QGuiApplication::clipboard()->setText(text);
             QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
         }},
        {QStringLiteral("context menu Paste"),
         [](QLineEdit* e, const QString& text) {
             QGuiApplication::clipboard()->setText(text);
             QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(5, 5),
                                       e->mapToGlobal(QPoint(5, 5)));
             QCoreApplication::sendEvent(e, &request);
             auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
             QVERIFY(menu);
             QAction* paste = nullptr;
             for (QAction* a : menu->actions())
                 paste = FieldKeyFilter::isPasteAction(a) ? a : paste;
             QVERIFY(paste);
             paste->trigger();
             menu->close();
         }},
        {QStringLiteral("drop"),
         [](QLineEdit* e, const QString& text) {
             QMimeData data;
             data.setText(text);
             // Dragged in and dropped behind the text already there.
             const QPoint at(e->width() - 2, e->height() / 2);
             QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QCoreApplication::sendEvent(e, &enter);
             QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QCoreApplication::sendEvent(e, &move);
             QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QCoreApplication::sendEvent(e, &drop);
         }},
        {QStringLiteral("input method"),
         [](QLineEdit* e, const QString& text) {
             QInputMethodEvent commit;
             commit.setCommitString(text);
             QCoreApplication::sendEvent(e, &commit);
         }},
        {QStringLiteral("one key, several characters"),
         [](QLineEdit* e, const QString& text) {
             QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
             QCoreApplication::sendEvent(e, &press);
         }},
    };
    return ways;
}

} // namespace

void TestFieldKeyFilter::everyWayInFollowsTheRules_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result"); // the field's text afterwards; it held "7"
    QTest::newRow("number with its line end") << 0 << "49\n"
                                              << "749";
    QTest::newRow("line end inside") << 0 << "4\r9"
                                     << "7";
    QTest::newRow("serial in capitals") << 2 << "ab"
                                        << "7AB";
    QTest::newRow("serial with DC1") << 2 << "a\x11"
                                     << "7";
}

void TestFieldKeyFilter::everyWayInFollowsTheRules() {
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, result);
    QLineEdit* edit = QList<QLineEdit*>{m_whole, m_decimal, m_serial}[field];
    const bool refused = result == QLatin1String("7");
    for (const auto& [way, put] : waysIn()) {
        edit->setText(QStringLiteral("7"));
        edit->setFont(QFont());
        edit->setFocus();
        edit->end(false);
        m_beeps = 0;
        put(edit, text);
        QVERIFY2(edit->text() == result, qPrintable(way + QStringLiteral(": ") + edit->text()));
        QVERIFY2(m_beeps == (refused ? 1 : 0), qPrintable(way));
        QVERIFY2(edit->font().bold() == !refused, qPrintable(way)); // an edit, when it went in
    }
}

QTEST_MAIN(TestFieldKeyFilter)
#include "test_fieldkeyfilter.moc"
