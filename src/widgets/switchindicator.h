// A two-position switch that only shows a value: a slide switch between the names of its two
// positions, the knob at the name of the value shown and that name lit. The operator cannot move
// it.
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

    // A label of two words names the value 1 first and the value 0 second ("Lin  Adp": 1 is
    // linear, 0 adaptive; the first word is drawn on the left). A label of one word ("Hold")
    // names the value 1 and leaves 0 unnamed.
    void setLabel(const QString& label);
    QString label() const { return m_label; }
    QString zeroText() const { return m_zeroText; }
    QString oneText() const { return m_oneText; }
    // The name of the value shown, the word that is lit ("" for 0 of a one-word label).
    QString litText() const { return m_value != 0 ? m_oneText : m_zeroText; }

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
