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
        m_oneText = words.first();
        m_zeroText = words.mid(1).join(QLatin1Char(' '));
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
    // Two names: the value-1 name left of the track, the value-0 name right of it, the knob at
    // the name of the value shown. One name: it stands right of the track, the knob at it for 1.
    const bool twoNames = !m_zeroText.isEmpty();
    const QString leftText = twoNames ? m_oneText : QString();
    const QString rightText = twoNames ? m_zeroText : m_oneText;
    const bool one = m_value != 0;
    const bool knobLeft = twoNames ? one : !one;
    const qreal leftW = leftText.isEmpty() ? 0 : fm.horizontalAdvance(leftText) + 8;
    const qreal rightW = fm.horizontalAdvance(rightText) + 8;
    // The group (left name, track, right name) is centred as a whole.
    const qreal groupW = leftW + trackW + rightW;
    qreal x = r.center().x() - groupW / 2;
    const QRectF leftRect(x, r.top(), leftW - 4, r.height());
    x += leftW;
    const QRectF track(x, r.center().y() - trackH / 2, trackW, trackH);
    x += trackW;
    const QRectF rightRect(x + 4, r.top(), rightW, r.height());

    const QColor active = isEnabled() ? theme::readout() : theme::disabled();
    const bool lit = !litText().isEmpty();
    p.setPen(QPen(theme::faceEdge(), 1));
    p.setBrush(lit ? active.darker(230) : theme::face());
    p.drawRoundedRect(track, trackH / 2, trackH / 2);

    const qreal k = trackH - 4;
    const QRectF knob(knobLeft ? track.left() + 2 : track.right() - 2 - k, track.top() + 2, k, k);
    QLinearGradient knobShade(knob.topLeft(), knob.bottomLeft());
    knobShade.setColorAt(0, QColor(0xe8, 0xec, 0xf1));
    knobShade.setColorAt(1, QColor(0x9a, 0xa3, 0xae));
    p.setPen(QPen(theme::faceEdge(), 0.8));
    p.setBrush(knobShade);
    p.drawEllipse(knob);

    // The name of the value shown is lit; the other one is dim.
    const QColor litColor = isEnabled() ? theme::readout() : theme::text();
    p.setFont(font());
    p.setPen(knobLeft ? litColor : theme::dimText());
    p.drawText(leftRect, Qt::AlignRight | Qt::AlignVCenter, leftText);
    p.setPen(!knobLeft && lit ? litColor : theme::dimText());
    p.drawText(rightRect, Qt::AlignLeft | Qt::AlignVCenter, rightText);
}

} // namespace vanto
