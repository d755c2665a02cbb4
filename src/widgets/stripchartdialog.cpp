#include "stripchartdialog.h"

#include "stripchart.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace vanto {

StripChartDialog::StripChartDialog(StripChart* chart, QWidget* parent)
    : QDialog(parent), m_chart(chart), m_window(new QComboBox(this)),
      m_low(new QDoubleSpinBox(this)), m_high(new QDoubleSpinBox(this)),
      m_colorButton(new QPushButton(this)), m_csv(new QPushButton(tr("Export &CSV…"), this)),
      m_png(new QPushButton(tr("Export &PNG…"), this)) {
    setWindowTitle(tr("Chart Properties"));

    for (qint64 ms : StripChart::standardWindows()) {
        m_window->addItem(StripChart::windowName(ms), ms);
    }

    const ChartScale& scale = chart->scale();
    const double width = scale.limitHigh() - scale.limitLow();
    const int decimals = width >= 100 ? 1 : (width >= 1 ? 2 : 4);
    for (QDoubleSpinBox* box : {m_low, m_high}) {
        box->setDecimals(decimals);
        box->setRange(scale.limitLow(), scale.limitHigh());
        box->setSingleStep(std::pow(10.0, std::floor(std::log10(std::max(width, 1e-9))) - 1));
        box->setKeyboardTracking(false);
    }
    const QString limits = tr("Limits %1 to %2")
                               .arg(QString::number(scale.limitLow(), 'f', decimals),
                                    QString::number(scale.limitHigh(), 'f', decimals));

    auto* view = new QGroupBox(tr("View"), this);
    auto* form = new QFormLayout(view);
    form->addRow(tr("Time &window:"), m_window);
    form->addRow(tr("Span &bottom:"), m_low);
    form->addRow(tr("Span &top:"), m_high);
    auto* limitsLabel = new QLabel(limits, view);
    limitsLabel->setEnabled(false);
    form->addRow(QString(), limitsLabel);
    form->addRow(tr("&Line colour:"), m_colorButton);

    auto* exportBox = new QGroupBox(tr("Export what is shown"), this);
    auto* exportRow = new QHBoxLayout(exportBox);
    exportRow->addWidget(m_csv);
    exportRow->addWidget(m_png);

    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view);
    layout->addWidget(exportBox);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
            &StripChartDialog::apply);
    connect(m_colorButton, &QPushButton::clicked, this, [this] {
        const QColor color = QColorDialog::getColor(m_color, this, tr("Line Colour"));
        if (color.isValid()) {
            setLineColor(color);
        }
    });
    connect(m_csv, &QPushButton::clicked, this, [this] { m_chart->exportCsvInteractive(this); });
    connect(m_png, &QPushButton::clicked, this, [this] { m_chart->exportPngInteractive(this); });

    load();
}

void StripChartDialog::load() {
    setTimeWindow(m_chart->timeWindow());
    setSpan(m_chart->scale().spanLow(), m_chart->scale().spanHigh());
    setLineColor(m_chart->lineColor());
}

qint64 StripChartDialog::timeWindow() const {
    return m_window->currentData().toLongLong();
}

void StripChartDialog::setTimeWindow(qint64 ms) {
    int index = m_window->findData(ms);
    if (index < 0) {
        // A window set from code that the list does not offer is kept as an extra choice.
        m_window->addItem(StripChart::windowName(ms), ms);
        index = m_window->count() - 1;
    }
    m_window->setCurrentIndex(index);
}

double StripChartDialog::spanLow() const {
    return m_low->value();
}
double StripChartDialog::spanHigh() const {
    return m_high->value();
}

void StripChartDialog::setSpan(double low, double high) {
    m_low->setValue(low);
    m_high->setValue(high);
}

void StripChartDialog::setLineColor(const QColor& color) {
    m_color = color;
    QPixmap swatch(28, 14);
    swatch.fill(Qt::transparent);
    {
        QPainter p(&swatch);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(color);
        p.drawRoundedRect(QRectF(0.5, 0.5, 27, 13), 3, 3);
    }
    m_colorButton->setIcon(QIcon(swatch));
    m_colorButton->setIconSize(swatch.size());
    m_colorButton->setText(color.name());
}

void StripChartDialog::apply() {
    m_chart->setTimeWindow(timeWindow());
    m_chart->setSpan(spanLow(), spanHigh());
    m_chart->setLineColor(m_color);
    // The chart may have adjusted the span; show what it took.
    setSpan(m_chart->scale().spanLow(), m_chart->scale().spanHigh());
}

void StripChartDialog::accept() {
    apply();
    QDialog::accept();
}

} // namespace vanto
