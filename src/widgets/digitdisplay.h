// A seven-segment numeric readout with a caption above it. While its flash state is on it shows
// inverted (dark digits on an amber face); whoever drives it flips the state to make it blink.
#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <QWidget>

class QPainter;

namespace vanto {

class DigitDisplay : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString label READ label WRITE setLabel)
    Q_PROPERTY(QString text READ text WRITE setText)
    Q_PROPERTY(bool flash READ flash WRITE setFlash NOTIFY flashChanged)
public:
    explicit DigitDisplay(QWidget* parent = nullptr);

    void setLabel(const QString& label);
    QString label() const { return m_label; }

    // Shown as given; characters a seven-segment cell cannot draw show as blanks. A '.' lights
    // the decimal point of the cell before it.
    void setText(const QString& text);
    QString text() const { return m_text; }
    // The number with decimals() places ("-" for a value that is not finite).
    void setValue(double value);
    void setDecimals(int decimals);
    int decimals() const { return m_decimals; }

    // Cells reserved for digits, so that the digit size stays put while the value changes.
    void setDigitCount(int count);
    int digitCount() const { return m_digitCount; }

    void setFlash(bool on);
    bool flash() const { return m_flash; }
    void toggleFlash() { setFlash(!m_flash); }

    void setDigitColor(const QColor& color);
    QColor digitColor() const { return m_digitColor; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The segments a-g (bits 0-6) lit for a character; 0 for characters without a form.
    static int segmentsFor(QChar c);

signals:
    void flashChanged(bool on);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Layout {
        QRectF labelRect;
        QRectF faceRect;
        int count = 0;
        bool hasCells = false;
        qreal cellH = 0, cellW = 0, pitch = 0, thickness = 0, top = 0, right = 0;
        QTransform slant;
        QRectF cell(int i) const;
    };
    // What a cached background depends on besides the flash state (one cache per state).
    struct BackgroundKey {
        QSize size;
        qreal ratio = 0;
        int count = 0;
        QRgb digit = 0;
        QString label;
        QFont font;
        bool operator==(const BackgroundKey& o) const {
            return size == o.size && ratio == o.ratio && count == o.count && digit == o.digit &&
                   label == o.label && font == o.font;
        }
    };
    Layout layoutFor(int count) const;
    QColor litColor() const;
    void paintBackground(QPainter& p, const Layout& l) const;
    const QPixmap& background(const Layout& l);

    QString m_label;
    QString m_text;
    int m_decimals = 0;
    int m_digitCount = 5;
    bool m_flash = false;
    QColor m_digitColor;
    // One cached background per flash state, so that blinking does not redraw them.
    QPixmap m_background[2];
    BackgroundKey m_backgroundKey[2];
};

} // namespace vanto
