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

// Where everything sits for a widget of this size showing `count` cells.
DigitDisplay::Layout DigitDisplay::layoutFor(int count) const {
    Layout l;
    const QRectF r = rect();
    const QFontMetricsF fm(theme::captionFont(font()));
    const qreal pad = 6;
    l.labelRect = QRectF(r.left() + pad, r.top() + pad / 2, r.width() - 2 * pad, fm.height() + 2);
    l.faceRect = QRectF(r.left() + pad, l.labelRect.bottom() + 2, r.width() - 2 * pad,
                        r.bottom() - pad - l.labelRect.bottom() - 2);
    l.count = count;
    if (l.faceRect.height() < 8 || l.faceRect.width() < 8) {
        return l;
    }
    // Cell size from the face: a digit is about 0.55 of its height wide, with a small gap.
    const QRectF& face = l.faceRect;
    const qreal margin = std::min(face.width(), face.height()) * 0.14;
    l.cellH = std::min(face.height() - 2 * margin, face.height() * 0.72);
    l.cellW = l.cellH * 0.52;
    l.pitch = l.cellW * 1.38;
    const qreal maxWidth = face.width() - 2 * margin;
    if (l.pitch * count > maxWidth) {
        const qreal scale = maxWidth / (l.pitch * count);
        l.cellH *= scale;
        l.cellW *= scale;
        l.pitch *= scale;
    }
    l.thickness = std::max<qreal>(1.5, l.cellW * 0.2);
    l.top = face.center().y() - l.cellH / 2;
    l.right = face.right() - margin + (l.pitch - l.cellW) / 2;
    l.slant.translate(0, face.center().y());
    l.slant.shear(-0.07, 0);
    l.slant.translate(0, -face.center().y());
    l.hasCells = true;
    return l;
}

QRectF DigitDisplay::Layout::cell(int i) const {
    return QRectF(right - (count - i) * pitch + (pitch - cellW), top, cellW, cellH);
}

QColor DigitDisplay::litColor() const {
    return m_flash ? theme::face() : m_digitColor;
}

// Everything but the lit segments: the panel, the caption, the face and the unlit ("ghost")
// segments of every cell. It changes only with the size, caption, flash state or colours, so
// it is drawn once into a pixmap and reused while the value changes several times a second.
void DigitDisplay::paintBackground(QPainter& p, const Layout& l) const {
    p.setRenderHint(QPainter::Antialiasing);
    theme::drawPanel(p, rect());
    const QFont capFont = theme::captionFont(font());
    p.setFont(capFont);
    p.setPen(theme::dimText());
    p.drawText(l.labelRect, Qt::AlignLeft | Qt::AlignVCenter,
               QFontMetricsF(capFont).elidedText(m_label, Qt::ElideRight, l.labelRect.width()));
    if (l.faceRect.height() < 8 || l.faceRect.width() < 8) {
        return;
    }
    theme::drawFace(p, l.faceRect, m_flash ? theme::alert() : theme::face());
    if (!l.hasCells) {
        return;
    }
    QPainterPath ghost;
    for (int i = 0; i < l.count; ++i) {
        ghost.addPath(cellPath(l.cell(i), A | B | C | D | E | F | G, l.thickness));
    }
    QColor ghostColor = litColor();
    ghostColor.setAlphaF(m_flash ? 0.10f : 0.07f);
    p.setPen(Qt::NoPen);
    p.setTransform(l.slant);
    p.setBrush(ghostColor);
    p.drawPath(ghost);
}

const QPixmap& DigitDisplay::background(const Layout& l) {
    const BackgroundKey key{size(), devicePixelRatioF(), l.count, m_digitColor.rgba(), m_label,
                            font()};
    QPixmap& cached = m_background[m_flash ? 1 : 0];
    BackgroundKey& cachedKey = m_backgroundKey[m_flash ? 1 : 0];
    if (cached.isNull() || !(key == cachedKey)) {
        QPixmap pixmap(size() * key.ratio);
        pixmap.setDevicePixelRatio(key.ratio);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        paintBackground(p, l);
        p.end();
        cached = pixmap;
        cachedKey = key;
    }
    return cached;
}

void DigitDisplay::paintEvent(QPaintEvent*) {
    if (size().isEmpty()) {
        return;
    }
    const std::vector<Cell> cells = cellsFor(m_text);
    const Layout l = layoutFor(std::max<int>(m_digitCount, int(cells.size())));
    QPainter p(this);
    p.drawPixmap(0, 0, background(l));
    if (!l.hasCells) {
        return;
    }
    // Cells are filled from the right; unused cells on the left show only their ghost.
    QPainterPath shown;
    for (int i = 0; i < l.count; ++i) {
        const int cellIndex = int(cells.size()) - l.count + i;
        if (cellIndex < 0) {
            continue;
        }
        const QRectF cellRect = l.cell(i);
        const Cell& cell = cells[size_t(cellIndex)];
        shown.addPath(cellPath(cellRect, cell.segments, l.thickness));
        if (cell.point) {
            const qreal d = l.thickness * 1.1;
            shown.addEllipse(QRectF(cellRect.right() + (l.pitch - l.cellW) / 2 - d / 2,
                                    cellRect.bottom() - d, d, d));
        }
    }
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setTransform(l.slant);
    p.setBrush(isEnabled() ? litColor() : theme::disabled());
    p.drawPath(shown);
}

} // namespace vanto
