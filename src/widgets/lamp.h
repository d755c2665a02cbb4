// A round indicator lamp with a caption beside it and, optionally, a word for each state under
// the caption ("Closed" / "Open").
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

namespace vanto {

class Lamp : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool on READ isOn WRITE setOn)
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
public:
    explicit Lamp(QWidget* parent = nullptr);

    void setOn(bool on);
    bool isOn() const { return m_on; }

    void setCaption(const QString& caption);
    QString caption() const { return m_caption; }

    // Words for the off and on states, shown under the caption; empty words show nothing.
    void setStateTexts(const QString& offText, const QString& onText);
    QString stateText() const { return m_on ? m_onText : m_offText; }

    void setOnColor(const QColor& color);
    void setOffColor(const QColor& color);
    QColor onColor() const { return m_onColor; }
    QColor offColor() const { return m_offColor; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_on = false;
    QString m_caption;
    QString m_offText;
    QString m_onText;
    QColor m_onColor;
    QColor m_offColor;
};

} // namespace vanto
