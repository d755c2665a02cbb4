#include "commandswitch.h"

#include "theme.h"

#include <QPainter>
#include <QStyleOptionButton>

namespace vanto {

namespace {
constexpr int kLampSize = 10;
constexpr int kLampMargin = 9;
constexpr int kTextMargin = 12;
} // namespace

CommandSwitch::CommandSwitch(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setAutoDefault(false); // Enter in the window never operates a command
    setCursor(Qt::PointingHandCursor);
}

void CommandSwitch::setIndicator(Indicator indicator) {
    if (m_indicator != indicator) {
        m_indicator = indicator;
        update();
    }
}

void CommandSwitch::setIndicatorShown(bool shown) {
    if (m_lampShown != shown) {
        m_lampShown = shown;
        updateGeometry();
        update();
    }
}

void CommandSwitch::setFaceColor(const QColor& color) {
    if (m_face != color) {
        m_face = color;
        QPalette pal = palette();
        if (color.isValid()) {
            for (QPalette::ColorGroup g :
                 {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
                pal.setColor(g, QPalette::Button, color);
        } else {
            pal.setColor(QPalette::Button, parentWidget()
                                               ? parentWidget()->palette().color(QPalette::Button)
                                               : theme::panel());
        }
        setPalette(pal);
        update();
    }
}

QSize CommandSwitch::sizeHint() const {
    const QFontMetrics fm(font());
    const int lamp = m_lampShown ? kLampSize + kLampMargin + 4 : 0;
    const int width = fm.size(Qt::TextShowMnemonic, text()).width() + 2 * kTextMargin + lamp;
    return {std::max(width, 72), std::max(fm.height() + 14, 30)};
}

QSize CommandSwitch::minimumSizeHint() const {
    return sizeHint();
}

QColor CommandSwitch::textColor() const {
    if (m_face.isValid()) // legible on the face whatever its colour
        return m_face.lightness() > 140 ? QColor(Qt::black) : QColor(Qt::white);
    return palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                           QPalette::ButtonText);
}

void CommandSwitch::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    // The label moves right to leave room for the lamp.
    option.text.clear();
    style()->drawControl(QStyle::CE_PushButtonBevel, &option, &p, this);

    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(font());
    if (!m_lampShown) {
        p.setPen(textColor());
        p.drawText(rect().adjusted(kTextMargin, 0, -kTextMargin, 0),
                   Qt::AlignCenter | Qt::TextShowMnemonic, text());
        return;
    }
    const QRectF lamp(kLampMargin, (height() - kLampSize) / 2.0, kLampSize, kLampSize);
    QColor fill;
    switch (m_indicator) {
    case Indicator::Lit:
        fill = theme::alert();
        break;
    case Indicator::Marked:
        fill = theme::accent();
        break;
    case Indicator::Off:
        fill = theme::face();
        break;
    }
    if (!isEnabled() && m_indicator != Indicator::Off)
        fill = fill.darker(160);
    p.setPen(QPen(theme::faceEdge(), 1));
    p.setBrush(fill);
    p.drawEllipse(lamp);

    const QRect textRect = rect().adjusted(kLampMargin + kLampSize + 4, 0, -kTextMargin, 0);
    p.setPen(textColor());
    p.drawText(textRect, Qt::AlignCenter | Qt::TextShowMnemonic, text());
}

} // namespace vanto
