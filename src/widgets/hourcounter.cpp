#include "hourcounter.h"

#include "theme.h"

#include <QLinearGradient>
#include <QPainter>

#include <cmath>

namespace vanto {

HourCounter::HourCounter(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void HourCounter::setValue(double hours) {
    const double v = std::isfinite(hours) ? std::max(0.0, std::round(hours * 10) / 10) : 0.0;
    if (v != m_value) {
        m_value = v;
        update();
    }
}

void HourCounter::setLabel(const QString& label) {
    m_label = label;
    update();
}

void HourCounter::setWholeDigits(int count) {
    m_wholeDigits = qBound(1, count, 9);
    updateGeometry();
    update();
}

QString HourCounter::drumText() const {
    const qint64 tenths = qint64(std::llround(m_value * 10));
    qint64 modulus = 10;
    for (int i = 0; i < m_wholeDigits; ++i) {
        modulus *= 10;
    }
    const qint64 shown = tenths % modulus;
    return QStringLiteral("%1.%2")
        .arg(shown / 10, m_wholeDigits, 10, QLatin1Char('0'))
        .arg(shown % 10);
}

QSize HourCounter::sizeHint() const {
    const QFontMetrics fm(font());
    return {(m_wholeDigits + 1) * (fm.height() + 2) + 20, 2 * fm.height() + 22};
}

void HourCounter::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = rect();
    theme::drawPanel(p, r);

    const qreal pad = 6;
    const QFont capFont = theme::captionFont(font());
    const QFontMetricsF capMetrics(capFont);
    const QRectF labelRect(r.left() + pad, r.top() + pad / 2, r.width() - 2 * pad,
                           capMetrics.height() + 2);
    p.setFont(capFont);
    p.setPen(theme::dimText());
    p.drawText(labelRect, Qt::AlignLeft | Qt::AlignVCenter, m_label);

    const QString text = drumText();
    const QString digits = QString(text).remove(QLatin1Char('.'));
    const int drums = int(digits.size());
    const QRectF band(r.left() + pad, labelRect.bottom() + 2, r.width() - 2 * pad,
                      r.bottom() - pad - labelRect.bottom() - 2);
    theme::drawFace(p, band, QColor(0x16, 0x18, 0x1b), 3);

    const qreal drumW = std::min((band.width() - 4) / drums, band.height() * 0.72);
    const qreal left = band.center().x() - drumW * drums / 2;
    QFont digitFont = font();
    digitFont.setBold(true);
    digitFont.setPixelSize(std::max(8, int(band.height() * 0.62)));
    p.setFont(digitFont);
    for (int i = 0; i < drums; ++i) {
        const bool tenths = i == drums - 1;
        const QRectF drum(left + i * drumW + 1, band.top() + 3, drumW - 2, band.height() - 6);
        const QColor base = tenths ? QColor(0xee, 0xea, 0xe0) : QColor(0x1c, 0x1f, 0x23);
        // Shading makes the drum read as a cylinder.
        QLinearGradient shade(drum.topLeft(), drum.bottomLeft());
        shade.setColorAt(0, base.darker(260));
        shade.setColorAt(0.22, base.darker(tenths ? 110 : 100));
        shade.setColorAt(0.5, tenths ? base : base.lighter(150));
        shade.setColorAt(0.78, base.darker(tenths ? 110 : 100));
        shade.setColorAt(1, base.darker(260));
        p.setPen(Qt::NoPen);
        p.setBrush(shade);
        p.drawRoundedRect(drum, 2, 2);
        p.setPen(tenths ? QColor(0x20, 0x20, 0x20) : QColor(0xf2, 0xf2, 0xf2));
        p.drawText(drum, Qt::AlignCenter, digits.mid(i, 1));
        if (i == drums - 2) {
            // Decimal point between the hours and the tenths.
            p.setPen(Qt::NoPen);
            p.setBrush(theme::alert());
            p.drawEllipse(QPointF(drum.right() + 1, drum.bottom() - 3), 1.8, 1.8);
        }
    }
}

} // namespace vanto
