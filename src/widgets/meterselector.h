// The three-position meter selector: a slide with detents at ANALOG (1), OUTPUT (2) and
// DISTANCE (3). The operator moves it by clicking a position, dragging the knob or with the
// keyboard (arrows, Home/End, 1-3); only such moves emit moved(). Setting the position from code
// emits positionChanged() alone.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

namespace vanto {

class MeterSelector : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int position READ position WRITE setPosition NOTIFY positionChanged)
public:
    static constexpr int kAnalog = 1;
    static constexpr int kOutput = 2;
    static constexpr int kDistance = 3;

    explicit MeterSelector(QWidget* parent = nullptr);

    int position() const { return m_position; }
    // Limited to 1..3. Does not emit moved().
    void setPosition(int position);

    QStringList positionLabels() const { return m_labels; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The operator put the selector at a new position.
    void moved(int position);
    // The position changed, by the operator or by setPosition().
    void positionChanged(int position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QRectF trackRect() const;
    qreal detentX(int position) const;
    int nearestPosition(qreal x) const;
    QRectF knobRect(qreal centreX) const;
    void moveByOperator(int position);

    int m_position = kDistance;
    QStringList m_labels;
    bool m_dragging = false;
    qreal m_dragX = 0;
    qreal m_grabOffset = 0;
};

} // namespace vanto
