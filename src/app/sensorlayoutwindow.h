// The sensor layout window: a dimensioned drawing of where the distances a program sets lie
// below the sensor. Read-only; any key, mouse press or other input closes it.
#pragma once

#include <QDialog>
#include <QSize>

class QPainter;
class QRectF;

namespace vanto {

// The drawing's own size; it is drawn to scale into any rectangle, keeping its proportions.
constexpr QSize kSensorLayoutSize(396, 386);

// Draws the layout picture centred in `target`.
void drawSensorLayout(QPainter& painter, const QRectF& target);

// The panel the picture is drawn on.
class SensorLayoutPicture : public QWidget {
    Q_OBJECT
public:
    explicit SensorLayoutPicture(QWidget* parent = nullptr);
    QSize sizeHint() const override { return kSensorLayoutSize; }

protected:
    void paintEvent(QPaintEvent* event) override;
};

class SensorLayoutWindow : public QDialog {
    Q_OBJECT
public:
    explicit SensorLayoutWindow(QWidget* parent = nullptr);

    SensorLayoutPicture* layoutPicture = nullptr;

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace vanto
