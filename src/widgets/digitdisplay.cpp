#include "digitdisplay.h"

#include "theme.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>
#include <vector>

namespace vanto {

namespace {

enum Segment { A = 1, B = 2, C = 4, D = 8, E = 16, F = 32, G = 64 };

struct Cell {
    int segments = 0;
    bool point = false;
};

std::vector<Cell> cellsFor(const QString& text) {
    std::vector<Cell> cells;
    for (QChar c : text) {
        if (c == QLatin1Char('.') || c == QLatin1Char(',')) {
            if (cells.empty() || cells.back().point) {
                cells.push_back({});
            }
            cells.back().point = true;
        } else {
            cells.push_back({DigitDisplay::segmentsFor(c), false});
        }
    }
    return cells;
}

// A segment is a stretched hexagon between two points along its axis.
QPolygonF segmentShape(QPointF from, QPointF to, qreal thickness) {
    const qreal h = thickness / 2;
    if (qFuzzyCompare(from.y(), to.y())) {
        return QPolygonF({from,
                          {from.x() + h, from.y() - h},
                          {to.x() - h, to.y() - h},
                          to,
                          {to.x() - h, to.y() + h},
                          {from.x() + h, from.y() + h}});
    }
    return QPolygonF({from,
                      {from.x() + h, from.y() + h},
                      {to.x() + h, to.y() - h},
                      to,
                      {to.x() - h, to.y() - h},
                      {from.x() - h, from.y() + h}});
}

QPainterPath cellPath(const QRectF& r, int segments, qreal thickness) {
    const qreal t = thickness;
    const qreal gap = t * 0.18;
    const qreal xl = r.left() + t / 2;
    const qreal xr = r.right() - t / 2;
    const qreal yt = r.top() + t / 2;
    const qreal yb = r.bottom() - t / 2;
    const qreal ym = (r.top() + r.bottom()) / 2;
    QPainterPath path;
    auto add = [&](int bit, QPointF from, QPointF to) {
        if (segments & bit) {
            path.addPolygon(segmentShape(from, to, t));
            path.closeSubpath();
        }
    };
    add(A, {xl + gap, yt}, {xr - gap, yt});
    add(B, {xr, yt + gap}, {xr, ym - gap});
    add(C, {xr, ym + gap}, {xr, yb - gap});
    add(D, {xl + gap, yb}, {xr - gap, yb});
    add(E, {xl, ym + gap}, {xl, yb - gap});
    add(F, {xl, yt + gap}, {xl, ym - gap});
    add(G, {xl + gap, ym}, {xr - gap, ym});
    return path;
}

} // namespace

DigitDisplay::DigitDisplay(QWidget* parent) : QWidget(parent), m_digitColor(theme::readout()) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

int DigitDisplay::segmentsFor(QChar c) {
    switch (c.unicode()) {
    case '0':
        return A | B | C | D | E | F;
    case '1':
        return B | C;
    case '2':
        return A | B | D | E | G;
    case '3':
        return A | B | C | D | G;
    case '4':
        return B | C | F | G;
    case '5':
        return A | C | D | F | G;
    case '6':
        return A | C | D | E | F | G;
    case '7':
        return A | B | C;
    case '8':
        return A | B | C | D | E | F | G;
    case '9':
        return A | B | C | D | F | G;
    case '-':
        return G;
    case '_':
        return D;
    case 'A':
        return A | B | C | E | F | G;
    case 'b':
        return C | D | E | F | G;
    case 'C':
        return A | D | E | F;
    case 'c':
        return D | E | G;
    case 'd':
        return B | C | D | E | G;
    case 'E':
        return A | D | E | F | G;
    case 'F':
        return A | E | F | G;
    case 'H':
        return B | C | E | F | G;
    case 'L':
        return D | E | F;
    case 'n':
        return C | E | G;
    case 'o':
        return C | D | E | G;
    case 'P':
        return A | B | E | F | G;
    case 'r':
        return E | G;
    case 't':
        return D | E | F | G;
    case 'U':
        return B | C | D | E | F;
    default:
        return 0;
    }
}

void DigitDisplay::setLabel(const QString& label) {
    if (m_label != label) {
        m_label = label;
        update();
    }
}

void DigitDisplay::setText(const QString& text) {
    if (m_text != text) {
        m_text = text;
        update();
    }
}

void DigitDisplay::setValue(double value) {
    setText(std::isfinite(value) ? QString::number(value, 'f', m_decimals) : QStringLiteral("-"));
}

void DigitDisplay::setDecimals(int decimals) {
    m_decimals = qBound(0, decimals, 6);
}

void DigitDisplay::setDigitCount(int count) {
    m_digitCount = qBound(1, count, 16);
    updateGeometry();
    update();
}

void DigitDisplay::setFlash(bool on) {
    if (m_flash == on) {
        return;
    }
    m_flash = on;
    update();
    emit flashChanged(on);
}

void DigitDisplay::setDigitColor(const QColor& color) {
    m_digitColor = color;
    update();
}

QSize DigitDisplay::sizeHint() const {
    return {28 * m_digitCount + 24, 96};
}

QSize DigitDisplay::minimumSizeHint() const {
    return {12 * m_digitCount + 16, 48};
}

void DigitDisplay::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = rect();
    theme::drawPanel(p, r);

    const QFont capFont = theme::captionFont(font());
    const QFontMetricsF fm(capFont);
    const qreal pad = 6;
    QRectF labelRect(r.left() + pad, r.top() + pad / 2, r.width() - 2 * pad, fm.height() + 2);
    p.setFont(capFont);
    p.setPen(theme::dimText());
    p.drawText(labelRect, Qt::AlignLeft | Qt::AlignVCenter,
               fm.elidedText(m_label, Qt::ElideRight, labelRect.width()));

    const QRectF faceRect(r.left() + pad, labelRect.bottom() + 2, r.width() - 2 * pad,
                          r.bottom() - pad - labelRect.bottom() - 2);
    if (faceRect.height() < 8 || faceRect.width() < 8) {
        return;
    }
    const QColor lit = m_flash ? theme::face() : m_digitColor;
    const QColor faceColor = m_flash ? theme::alert() : theme::face();
    theme::drawFace(p, faceRect, faceColor);

    // Cell size from the face: a digit is about 0.55 of its height wide, with a small gap.
    const std::vector<Cell> cells = cellsFor(m_text);
    const int count = std::max<int>(m_digitCount, int(cells.size()));
    const qreal margin = std::min(faceRect.width(), faceRect.height()) * 0.14;
    qreal cellH = std::min(faceRect.height() - 2 * margin, faceRect.height() * 0.72);
    qreal cellW = cellH * 0.52;
    qreal pitch = cellW * 1.38;
    const qreal maxWidth = faceRect.width() - 2 * margin;
    if (pitch * count > maxWidth) {
        const qreal scale = maxWidth / (pitch * count);
        cellH *= scale;
        cellW *= scale;
        pitch *= scale;
    }
    const qreal thickness = std::max<qreal>(1.5, cellW * 0.2);
    const qreal top = faceRect.center().y() - cellH / 2;
    const qreal right = faceRect.right() - margin + (pitch - cellW) / 2;

    QTransform slant;
    slant.translate(0, faceRect.center().y());
    slant.shear(-0.07, 0);
    slant.translate(0, -faceRect.center().y());

    QPainterPath ghost;
    QPainterPath shown;
    QPainterPath points;
    for (int i = 0; i < count; ++i) {
        // Cells are filled from the right; unused cells on the left show only their ghost.
        const int cellIndex = int(cells.size()) - count + i;
        const QRectF cellRect(right - (count - i) * pitch + (pitch - cellW), top, cellW, cellH);
        ghost.addPath(cellPath(cellRect, A | B | C | D | E | F | G, thickness));
        if (cellIndex >= 0) {
            const Cell& cell = cells[size_t(cellIndex)];
            shown.addPath(cellPath(cellRect, cell.segments, thickness));
            if (cell.point) {
                const qreal d = thickness * 1.1;
                points.addEllipse(QRectF(cellRect.right() + (pitch - cellW) / 2 - d / 2,
                                         cellRect.bottom() - d, d, d));
            }
        }
    }
    p.setPen(Qt::NoPen);
    QColor ghostColor = lit;
    ghostColor.setAlphaF(m_flash ? 0.10 : 0.07);
    p.setTransform(slant);
    p.setBrush(ghostColor);
    p.drawPath(ghost);
    p.setBrush(isEnabled() ? lit : theme::disabled());
    p.drawPath(shown);
    p.drawPath(points);
}

} // namespace vanto
