// The strip chart's properties dialog: the time window, the span (within the chart's limits), the
// line colour, and exporting what the chart shows as CSV or PNG.
#pragma once

#include <QColor>
#include <QDialog>

class QComboBox;
class QDoubleSpinBox;
class QPushButton;

namespace vanto {

class StripChart;

class StripChartDialog : public QDialog {
    Q_OBJECT
public:
    explicit StripChartDialog(StripChart* chart, QWidget* parent = nullptr);

    // The form's contents.
    qint64 timeWindow() const;
    void setTimeWindow(qint64 ms);
    double spanLow() const;
    double spanHigh() const;
    void setSpan(double low, double high);
    QColor lineColor() const { return m_color; }
    void setLineColor(const QColor& color);

    // Writes the form to the chart (OK and Apply do this).
    void apply();

    QComboBox* windowBox() const { return m_window; }
    QPushButton* csvButton() const { return m_csv; }
    QPushButton* pngButton() const { return m_png; }

    void accept() override;

private:
    void load();

    StripChart* m_chart;
    QComboBox* m_window;
    QDoubleSpinBox* m_low;
    QDoubleSpinBox* m_high;
    QPushButton* m_colorButton;
    QPushButton* m_csv;
    QPushButton* m_png;
    QColor m_color;
};

} // namespace vanto
