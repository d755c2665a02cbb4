#include "labelpanel.h"

#include "theme.h"

#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace vanto {

LabelPanel::LabelPanel(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

LabelPanel::LabelPanel(const QString& caption, QWidget* parent) : LabelPanel(parent) {
    m_caption = caption;
}

void LabelPanel::setCaption(const QString& caption) {
    if (m_caption != caption) {
        m_caption = caption;
        updateGeometry();
        update();
    }
}

void LabelPanel::setText(const QString& text) {
    if (m_text != text) {
        m_text = text;
        updateGeometry();
        update();
    }
}

void LabelPanel::setTextAlignment(Qt::Alignment alignment) {
    m_alignment = alignment;
    update();
}

void LabelPanel::setValueColors(const QColor& background, const QColor& text) {
    if (m_valueBackground != background || m_valueText != text) {
        m_valueBackground = background;
        m_valueText = text;
        update();
    }
}

QSize LabelPanel::sizeHint() const {
    const QFontMetrics cap(theme::captionFont(font()));
    QFont valueFont = font();
    valueFont.setBold(true);
    const QFontMetrics val(valueFont);
    const int w = std::max(cap.horizontalAdvance(m_caption), val.horizontalAdvance(m_text)) + 18;
    return {std::max(w, 64), cap.height() + val.height() + 16};
}

QSize LabelPanel::minimumSizeHint() const {
    return {48, sizeHint().height()};
}

void LabelPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = rect();
    theme::drawPanel(p, r, 5);

    const QFont capFont = theme::captionFont(font());
    const QFontMetricsF cap(capFont);
    const qreal pad = 6;
    const QRectF capRect(r.left() + pad, r.top() + 3, r.width() - 2 * pad, cap.height());
    p.setFont(capFont);
    p.setPen(theme::dimText());
    p.drawText(capRect, Qt::AlignLeft | Qt::AlignVCenter,
               cap.elidedText(m_caption, Qt::ElideRight, capRect.width()));

    QFont valueFont = font();
    valueFont.setBold(true);
    const QFontMetricsF val(valueFont);
    const QRectF valueRect(r.left() + pad, capRect.bottom() + 1, r.width() - 2 * pad,
                           r.bottom() - capRect.bottom() - 4);
    p.setFont(valueFont);
    QColor valueColor = isEnabled() ? theme::text() : theme::disabled();
    if (m_valueBackground.isValid()) {
        theme::drawFace(p, valueRect.adjusted(-2, 0, 2, 0), m_valueBackground, 3);
        if (m_valueText.isValid() && isEnabled())
            valueColor = m_valueText;
    }
    p.setPen(valueColor);
    p.drawText(valueRect, int(m_alignment | Qt::AlignVCenter),
               val.elidedText(m_text, Qt::ElideRight, valueRect.width()));
}

PanelGroup::PanelGroup(const QString& title, QWidget* parent)
    : QFrame(parent), m_title(title), m_grid(new QGridLayout) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);
    outer->addLayout(m_grid);
    m_grid->setHorizontalSpacing(6);
    m_grid->setVerticalSpacing(6);
    setTitle(title);
}

void PanelGroup::setTitle(const QString& title) {
    m_title = title;
    const int top = title.isEmpty() ? 8 : QFontMetrics(theme::captionFont(font())).height() + 10;
    layout()->setContentsMargins(8, top, 8, 8);
    update();
}

void PanelGroup::addWidget(QWidget* child, int row, int column, const QString& label, int rowSpan,
                           int columnSpan) {
    auto* cell = new QWidget(this);
    auto* box = new QVBoxLayout(cell);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(2);
    auto* caption = new QLabel(label, cell);
    caption->setFont(theme::captionFont(font()));
    QPalette pal = caption->palette();
    pal.setColor(QPalette::WindowText, theme::dimText());
    caption->setPalette(pal);
    caption->setVisible(!label.isEmpty());
    box->addWidget(caption);
    box->addWidget(child, 1);
    m_labels.insert(child, caption);
    m_grid->addWidget(cell, row, column, rowSpan, columnSpan);
}

void PanelGroup::setChildLabel(QWidget* child, const QString& label) {
    const QPointer<QLabel> caption = m_labels.value(child);
    if (caption) {
        caption->setText(label);
        caption->setVisible(!label.isEmpty());
    }
}

QString PanelGroup::childLabel(QWidget* child) const {
    const QPointer<QLabel> caption = m_labels.value(child);
    return caption ? caption->text() : QString();
}

void PanelGroup::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = rect();
    p.setPen(QPen(theme::panelEdge(), 1));
    p.setBrush(theme::panel().darker(115));
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 7, 7);
    if (!m_title.isEmpty()) {
        const QFont f = theme::captionFont(font());
        p.setFont(f);
        p.setPen(isEnabled() ? theme::dimText() : theme::disabled().darker(115));
        p.drawText(r.adjusted(10, 4, -10, 0), Qt::AlignLeft | Qt::AlignTop, m_title.toUpper());
    }
}

} // namespace vanto
