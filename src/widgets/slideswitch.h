// A switch the operator flips: a slide track with a knob between the names of its two states
// ("Closed" left, "Open" right). The knob stands at the name of the state it is in and only that
// name is lit, so its state reads at a glance, unlike a button that only looks a little darker
// when pressed. A click, Space or the mnemonic flips it, as a checkable button.
#pragma once

#include <QAbstractButton>
#include <QString>

namespace vanto {

class SlideSwitch : public QAbstractButton {
    Q_OBJECT
public:
    SlideSwitch(const QString& offText, const QString& onText, QWidget* parent = nullptr);

    QString offText() const { return m_offText; }
    QString onText() const { return m_onText; }
    // The name of the state the switch is in.
    QString stateText() const { return isChecked() ? m_onText : m_offText; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_offText;
    QString m_onText;
};

} // namespace vanto
