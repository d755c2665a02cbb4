#include "meterselector.h"

#include "theme.h"

#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

namespace vanto {

MeterSelector::MeterSelector(QWidget* parent)
    : QWidget(parent),
      m_labels({QStringLiteral("ANALOG"), QStringLiteral("OUTPUT"), QStringLiteral("DISTANCE")}) {
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void MeterSelector::setPosition(int position) {
    position = qBound(kAnalog, position, kDistance);
    if (position == m_position) {
        return;
    }
    m_position = position;
    update();
    emit positionChanged(position);
}

void MeterSelector::moveByOperator(int position) {
    position = qBound(kAnalog, position, kDistance);
    if (position == m_position) {
        update();
        return;
    }
    setPosition(position);
    emit moved(position);
}

QSize MeterSelector::sizeHint() const {
    const QFontMetrics fm(font());
    int widest = 0;
    for (const QString& label : m_labels) {
        widest = std::max(widest, fm.horizontalAdvance(label));
    }
    return {3 * (widest + 16) + 16, 2 * fm.height() + 34};
}

QSize MeterSelector::minimumSizeHint() const {
    const QFontMetrics fm(font());
    return {3 * fm.horizontalAdvance(QStringLiteral("DISTANCE")) / 2 + 24, 2 * fm.height() + 28};
}

QRectF MeterSelector::trackRect() const {
    const QFontMetricsF fm(font());
    const qreal side = width() / 6.0; // the outer detents sit under the centres of the labels
    return {side, 10, width() - 2 * side, std::max<qreal>(18, height() - fm.height() - 24)};
}

qreal MeterSelector::detentX(int position) const {
    const QRectF t = trackRect();
    return t.left() + t.width() * (position - 1) / 2.0;
}

int MeterSelector::nearestPosition(qreal x) const {
    int best = kAnalog;
    for (int pos = kAnalog; pos <= kDistance; ++pos) {
        if (std::abs(detentX(pos) - x) < std::abs(detentX(best) - x)) {
            best = pos;
        }
    }
    return best;
}

QRectF MeterSelector::knobRect(qreal centreX) const {
    const QRectF t = trackRect();
    const qreal h = t.height();
    const qreal w = std::max<qreal>(14, h * 0.8);
    return {centreX - w / 2, t.top(), w, h};
}

void MeterSelector::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = rect();
    theme::drawPanel(p, r);

    const bool enabled = isEnabled();
    const QRectF t = trackRect();
    // Slot the knob runs in, with a detent mark at each position.
    const QRectF slot(t.left() - 4, t.center().y() - 3, t.width() + 8, 6);
    p.setPen(QPen(theme::faceEdge(), 1));
    p.setBrush(theme::face());
    p.drawRoundedRect(slot, 3, 3);
    for (int pos = kAnalog; pos <= kDistance; ++pos) {
        const qreal x = detentX(pos);
        p.setPen(QPen(pos == m_position && enabled ? theme::readout() : theme::panelEdge(), 2));
        p.drawLine(QPointF(x, t.top() - 4), QPointF(x, t.top() - 1));
        p.drawLine(QPointF(x, t.bottom() + 1), QPointF(x, t.bottom() + 4));
    }

    const qreal knobX = m_dragging ? m_dragX : detentX(m_position);
    const QRectF knob = knobRect(knobX);
    QLinearGradient shade(knob.topLeft(), knob.topRight());
    const QColor base = enabled ? QColor(0xcf, 0xd6, 0xdf) : theme::disabled();
    shade.setColorAt(0, base.darker(125));
    shade.setColorAt(0.45, base.lighter(110));
    shade.setColorAt(1, base.darker(140));
    p.setPen(QPen(theme::faceEdge(), 1));
    p.setBrush(shade);
    p.drawRoundedRect(knob, 3, 3);
    // Grip lines, and the pointer line in the knob's middle.
    p.setPen(QPen(QColor(0, 0, 0, 70), 1));
    for (qreal dx : {-knob.width() / 4, knob.width() / 4}) {
        p.drawLine(QPointF(knob.center().x() + dx, knob.top() + 4),
                   QPointF(knob.center().x() + dx, knob.bottom() - 4));
    }
    p.setPen(QPen(enabled ? theme::readout().darker(130) : theme::panelEdge(), 2));
    p.drawLine(QPointF(knob.center().x(), knob.top() + 3),
               QPointF(knob.center().x(), knob.bottom() - 3));

    const QFontMetricsF fm(font());
    const qreal labelTop = t.bottom() + 6;
    for (int pos = kAnalog; pos <= kDistance; ++pos) {
        const qreal x = detentX(pos);
        const QRectF labelRect(x - width() / 6.0, labelTop, width() / 3.0, fm.height() + 2);
        QFont f = font();
        f.setBold(pos == m_position);
        p.setFont(f);
        p.setPen(!enabled ? theme::disabled()
                          : (pos == m_position ? theme::readout() : theme::dimText()));
        p.drawText(labelRect, Qt::AlignCenter, m_labels[pos - 1]);
    }

    if (hasFocus()) {
        p.setPen(QPen(theme::accent(), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r.adjusted(2.5, 2.5, -2.5, -2.5), 5, 5);
    }
}

void MeterSelector::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const QPointF pos = event->position();
    const QRectF knob = knobRect(detentX(m_position));
    if (knob.adjusted(-3, -3, 3, 3).contains(pos)) {
        m_dragging = true;
        m_grabOffset = pos.x() - knob.center().x();
        m_dragX = knob.center().x();
    } else {
        moveByOperator(nearestPosition(pos.x()));
    }
    event->accept();
}

void MeterSelector::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragging) {
        event->ignore();
        return;
    }
    m_dragX = qBound(detentX(kAnalog), event->position().x() - m_grabOffset, detentX(kDistance));
    update();
    event->accept();
}

void MeterSelector::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_dragging || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_dragging = false;
    moveByOperator(nearestPosition(m_dragX));
    event->accept();
}

void MeterSelector::keyPressEvent(QKeyEvent* event) {
    int target = 0;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        target = m_position - 1;
        break;
    case Qt::Key_Right:
    case Qt::Key_Up:
        target = m_position + 1;
        break;
    case Qt::Key_Home:
        target = kAnalog;
        break;
    case Qt::Key_End:
        target = kDistance;
        break;
    case Qt::Key_1:
    case Qt::Key_2:
    case Qt::Key_3:
        target = event->key() - Qt::Key_0;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    moveByOperator(target);
    event->accept();
}

void MeterSelector::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled() && m_dragging) {
        // A drag cut short by disabling snaps back without a move.
        m_dragging = false;
        update();
    }
    QWidget::changeEvent(event);
}

} // namespace vanto
