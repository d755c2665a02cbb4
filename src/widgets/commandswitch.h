// A command button with an indicator lamp on its face: off, lit (something waits for this
// command, e.g. changes not yet transmitted) or marked (a weaker second state). It can carry a
// face colour of its own, e.g. to show it cannot be used at the moment.
#pragma once

#include <QColor>
#include <QPushButton>

namespace vanto {

class CommandSwitch : public QPushButton {
    Q_OBJECT
public:
    enum class Indicator { Off, Lit, Marked };

    explicit CommandSwitch(const QString& text, QWidget* parent = nullptr);

    void setIndicator(Indicator indicator);
    Indicator indicator() const { return m_indicator; }

    // A command without a state to show hides its lamp.
    void setIndicatorShown(bool shown);
    bool indicatorShown() const { return m_lampShown; }

    // An invalid colour restores the palette's button face.
    void setFaceColor(const QColor& color);
    QColor faceColor() const { return m_face; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor textColor() const;

    Indicator m_indicator = Indicator::Off;
    QColor m_face;
    bool m_lampShown = true;
};

} // namespace vanto
