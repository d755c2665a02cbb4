#include "switchindicator.h"

#include "theme.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRegularExpression>

namespace vanto {

SwitchIndicator::SwitchIndicator(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void SwitchIndicator::setLabel(const QString& label) {
    m_label = label;
    const QStringList words =
        label.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    if (words.size() >= 2) {
        m_zeroText = words.first();
        m_oneText = words.mid(1).join(QLatin1Char(' '));
    } else {
        m_zeroText.clear();
        m_oneText = words.value(0);
    }
    updateGeometry();
    update();
}

void SwitchIndicator::setValue(int value) {
    const int v = value != 0 ? 1 : 0;
    if (v != m_value) {
        m_value = v;
        update();
    }
}

QSize SwitchIndicator::sizeHint() const {
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(m_zeroText) + fm.horizontalAdvance(m_oneText) + 2 * fm.height() +
                40,
            fm.height() + 16};
}

void SwitchIndicator::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = rect();
    theme::drawPanel(p, r);

    const QFontMetricsF fm(font());
    const qreal trackH = std::min(r.height() - 10, fm.height() * 0.95);
    const qreal trackW = trackH * 1.9;
    const qreal zeroW = m_zeroText.isEmpty() ? 0 : fm.horizontalAdvance(m_zeroText) + 8;
    const qreal oneW = fm.horizontalAdvance(m_oneText) + 8;
    // The group (zero label, track, one label) is centred as a whole.
    const qreal groupW = zeroW + trackW + oneW;
    qreal x = r.center().x() - groupW / 2;
    const QRectF zeroRect(x, r.top(), zeroW - 4, r.height());
    x += zeroW;
    const QRectF track(x, r.center().y() - trackH / 2, trackW, trackH);
    x += trackW;
    const QRectF oneRect(x + 4, r.top(), oneW, r.height());

    const bool one = m_value != 0;
    const QColor active = isEnabled() ? theme::readout() : theme::disabled();
    p.setPen(QPen(theme::faceEdge(), 1));
    p.setBrush(one ? active.darker(230) : theme::face());
    p.drawRoundedRect(track, trackH / 2, trackH / 2);

    const qreal k = trackH - 4;
    const QRectF knob(one ? track.right() - 2 - k : track.left() + 2, track.top() + 2, k, k);
    QLinearGradient knobShade(knob.topLeft(), knob.bottomLeft());
    knobShade.setColorAt(0, QColor(0xe8, 0xec, 0xf1));
    knobShade.setColorAt(1, QColor(0x9a, 0xa3, 0xae));
    p.setPen(QPen(theme::faceEdge(), 0.8));
    p.setBrush(knobShade);
    p.drawEllipse(knob);

    p.setFont(font());
    p.setPen(!one ? theme::text() : theme::dimText());
    p.drawText(zeroRect, Qt::AlignRight | Qt::AlignVCenter, m_zeroText);
    p.setPen(one ? (isEnabled() ? theme::readout() : theme::text()) : theme::dimText());
    p.drawText(oneRect, Qt::AlignLeft | Qt::AlignVCenter, m_oneText);
}

} // namespace vanto
