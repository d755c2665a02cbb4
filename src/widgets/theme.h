// Colours and small drawing helpers shared by the display widgets: a dark instrument-panel look
// (near-black faces on slate panels, green readouts, amber alerts).
#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QRectF>

namespace vanto::theme {

inline QColor panel() {
    return QColor(0x23, 0x29, 0x31);
} // widget background
inline QColor panelEdge() {
    return QColor(0x3a, 0x43, 0x4f);
} // frame line
inline QColor face() {
    return QColor(0x0c, 0x10, 0x14);
} // display faces, plot area
inline QColor faceEdge() {
    return QColor(0x05, 0x07, 0x09);
}
inline QColor text() {
    return QColor(0xdc, 0xe2, 0xea);
}
inline QColor dimText() {
    return QColor(0x8d, 0x98, 0xa6);
}
inline QColor readout() {
    return QColor(0x46, 0xe0, 0x8e);
} // lit segments, values
inline QColor alert() {
    return QColor(0xff, 0xb0, 0x2e);
} // flash, time stamps
inline QColor accent() {
    return QColor(0x3c, 0xb4, 0xff);
} // chart line, knobs
inline QColor grid() {
    return QColor(0x24, 0x2c, 0x36);
}
inline QColor disabled() {
    return QColor(0x55, 0x5d, 0x68);
}

// Small caps-style caption font derived from a widget's font.
inline QFont captionFont(const QFont& base, qreal pointScale = 0.85) {
    QFont f = base;
    if (f.pointSizeF() > 0) {
        f.setPointSizeF(f.pointSizeF() * pointScale);
    }
    f.setLetterSpacing(QFont::PercentageSpacing, 104);
    return f;
}

// A rounded panel with a one-pixel edge, the background every widget here draws first.
inline void drawPanel(QPainter& p, const QRectF& r, qreal radius = 6) {
    p.setPen(QPen(panelEdge(), 1));
    p.setBrush(panel());
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}

// A recessed display face.
inline void drawFace(QPainter& p, const QRectF& r, const QColor& fill = face(), qreal radius = 4) {
    p.setPen(QPen(faceEdge(), 1));
    p.setBrush(fill);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}

} // namespace vanto::theme
