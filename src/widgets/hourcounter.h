// An odometer-style counter of hours with one decimal: drums of white digits on black, the tenths
// drum in black on white, with a caption ("Hours") above.
#pragma once

#include <QString>
#include <QWidget>

namespace vanto {

class HourCounter : public QWidget {
    Q_OBJECT
    Q_PROPERTY(double value READ value WRITE setValue)
    Q_PROPERTY(QString label READ label WRITE setLabel)
public:
    explicit HourCounter(QWidget* parent = nullptr);

    // Rounded to one decimal. Negative values show as 0; values too large for the drums show
    // their lowest digits, as a mechanical counter does when it rolls over.
    void setValue(double hours);
    double value() const { return m_value; }

    void setLabel(const QString& label);
    QString label() const { return m_label; }

    // Drums before the decimal point (default 6).
    void setWholeDigits(int count);
    int wholeDigits() const { return m_wholeDigits; }

    // What the drums read, tenths included, as "001234.5".
    QString drumText() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_value = 0;
    QString m_label = QStringLiteral("Hours");
    int m_wholeDigits = 6;
};

} // namespace vanto
