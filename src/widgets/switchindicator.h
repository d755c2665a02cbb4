// A two-position switch that only shows a value: a slide switch between the names of its two
// positions (value 0 on the left, 1 on the right). The operator cannot move it.
#pragma once

#include <QString>
#include <QWidget>

namespace vanto {

class SwitchIndicator : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int value READ value WRITE setValue)
    Q_PROPERTY(QString label READ label WRITE setLabel)
public:
    explicit SwitchIndicator(QWidget* parent = nullptr);

    // A label of two words ("Lin  Adp") names position 0 and position 1; a label of one word
    // ("Hold") names the on position and leaves the off position unnamed.
    void setLabel(const QString& label);
    QString label() const { return m_label; }
    QString zeroText() const { return m_zeroText; }
    QString oneText() const { return m_oneText; }

    // Any value but 0 shows position 1.
    void setValue(int value);
    int value() const { return m_value; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_label;
    QString m_zeroText;
    QString m_oneText;
    int m_value = 0;
};

} // namespace vanto
