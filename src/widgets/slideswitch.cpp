#include "slideswitch.h"

#include "theme.h"

#include <QLinearGradient>
#include <QPainter>

namespace vanto {

SlideSwitch::SlideSwitch(const QString& offText, const QString& onText, QWidget* parent)
    : QAbstractButton(parent), m_offText(offText), m_onText(onText) {
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize SlideSwitch::sizeHint() const {
    QFont bold = font();
    bold.setBold(true);
    const QFontMetrics fm(bold);
    const int trackW = fm.height() * 2 + 8;
    return {fm.horizontalAdvance(m_offText) + fm.horizontalAdvance(m_onText) + trackW + 36,
            fm.height() + 18};
}

void SlideSwitch::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = rect();
    theme::drawPanel(p, r);
    if (hasFocus()) {
        p.setPen(QPen(theme::accent(), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r.adjusted(1.5, 1.5, -1.5, -1.5), 5, 5);
    }

    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    const QFontMetricsF fm(bold);
    const qreal trackH = fm.height() + 2;
    const qreal trackW = fm.height() * 2 + 8;
    const qreal offW = fm.horizontalAdvance(m_offText);
    const qreal onW = fm.horizontalAdvance(m_onText);
    qreal x = r.center().x() - (offW + trackW + onW + 16) / 2;
    const QRectF offRect(x, r.top(), offW, r.height());
    x += offW + 8;
    const QRectF track(x, r.center().y() - trackH / 2, trackW, trackH);
    x += trackW + 8;
    const QRectF onRect(x, r.top(), onW, r.height());

    const bool on = isChecked();
    const bool enabled = isEnabled();
    const QColor lit = enabled ? theme::readout() : theme::disabled();
    p.setPen(QPen(on ? lit : theme::panelEdge(), 1));
    p.setBrush(on ? lit.darker(260) : theme::face());
    p.drawRoundedRect(track, trackH / 2, trackH / 2);

    const qreal k = trackH - 4;
    const QRectF knob(on ? track.right() - 2 - k : track.left() + 2, track.top() + 2, k, k);
    QLinearGradient shade(knob.topLeft(), knob.bottomLeft());
    shade.setColorAt(0, isDown() ? QColor(0xb8, 0xc0, 0xc9) : QColor(0xe8, 0xec, 0xf1));
    shade.setColorAt(1, QColor(0x8a, 0x93, 0x9e));
    p.setPen(QPen(theme::faceEdge(), 0.8));
    p.setBrush(shade);
    p.drawEllipse(knob);

    p.setPen(!on ? (enabled ? theme::text() : theme::disabled()) : theme::disabled());
    p.drawText(offRect, Qt::AlignRight | Qt::AlignVCenter, m_offText);
    p.setPen(on ? lit : theme::disabled());
    p.drawText(onRect, Qt::AlignLeft | Qt::AlignVCenter, m_onText);
}

} // namespace vanto
