#include "lamp.h"

#include "theme.h"

#include <QPainter>
#include <QRadialGradient>

namespace vanto {

Lamp::Lamp(QWidget* parent)
    : QWidget(parent), m_onColor(QColor(0x3d, 0xe8, 0x6a)), m_offColor(QColor(0x2a, 0x33, 0x2d)) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void Lamp::setOn(bool on) {
    if (m_on != on) {
        m_on = on;
        update();
    }
}

void Lamp::setCaption(const QString& caption) {
    m_caption = caption;
    updateGeometry();
    update();
}

void Lamp::setStateTexts(const QString& offText, const QString& onText) {
    m_offText = offText;
    m_onText = onText;
    updateGeometry();
    update();
}

void Lamp::setOnColor(const QColor& color) {
    m_onColor = color;
    update();
}

void Lamp::setOffColor(const QColor& color) {
    m_offColor = color;
    update();
}

QSize Lamp::sizeHint() const {
    const QFontMetrics fm(font());
    const int textWidth =
        std::max({fm.horizontalAdvance(m_caption), fm.horizontalAdvance(m_offText),
                  fm.horizontalAdvance(m_onText)});
    return {textWidth + 2 * fm.height() + 24, 2 * fm.height() + 14};
}

void Lamp::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = rect();
    theme::drawPanel(p, r);

    const qreal pad = 6;
    const qreal d = std::min(r.height() - 2 * pad, 26.0);
    const QRectF bulb(r.left() + pad + 2, r.center().y() - d / 2, d, d);
    const QColor base = isEnabled() ? (m_on ? m_onColor : m_offColor) : theme::disabled();

    if (m_on && isEnabled()) {
        // Glow around a lit bulb.
        QRadialGradient glow(bulb.center(), d);
        QColor halo = base;
        halo.setAlphaF(0.45f);
        glow.setColorAt(0.45, halo);
        halo.setAlphaF(0);
        glow.setColorAt(1, halo);
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(bulb.center(), d * 0.95, d * 0.95);
    }
    QRadialGradient body(bulb.center() - QPointF(d * 0.18, d * 0.2), d * 0.7);
    body.setColorAt(0, m_on ? base.lighter(170) : base.lighter(125));
    body.setColorAt(0.6, base);
    body.setColorAt(1, base.darker(m_on ? 140 : 120));
    p.setPen(QPen(theme::faceEdge(), 1.2));
    p.setBrush(body);
    p.drawEllipse(bulb);
    // Specular highlight.
    QRadialGradient shine(bulb.center() - QPointF(d * 0.15, d * 0.22), d * 0.28);
    shine.setColorAt(0, QColor(255, 255, 255, m_on ? 170 : 70));
    shine.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    p.drawEllipse(bulb);

    const QRectF textRect(bulb.right() + 8, r.top() + pad / 2, r.right() - bulb.right() - 8 - pad,
                          r.height() - pad);
    const QString state = stateText();
    p.setFont(font());
    p.setPen(isEnabled() ? theme::text() : theme::disabled());
    if (state.isEmpty()) {
        p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, m_caption);
        return;
    }
    const QRectF top(textRect.left(), textRect.top(), textRect.width(), textRect.height() / 2);
    const QRectF bottom(textRect.left(), top.bottom(), textRect.width(), textRect.height() / 2);
    p.drawText(top, Qt::AlignLeft | Qt::AlignBottom, m_caption);
    p.setFont(theme::captionFont(font()));
    p.setPen(m_on && isEnabled() ? m_onColor : theme::dimText());
    p.drawText(bottom, Qt::AlignLeft | Qt::AlignTop, state);
}

} // namespace vanto
