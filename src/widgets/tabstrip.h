// A tab bar that asks before it changes tabs. Before an operator's change (click, arrow keys,
// wheel) it emits tabChanging(); any slot may refuse by setting *allow to false, and the old tab
// stays. After any change, the operator's or the code's, it emits tabChanged().
#pragma once

#include <QTabBar>

namespace vanto {

class TabStrip : public QTabBar {
    Q_OBJECT
public:
    explicit TabStrip(QWidget* parent = nullptr);

    // Asks as the operator's changes do, then changes; false when refused or out of range.
    bool requestCurrentIndex(int index);

signals:
    // Delivered directly: slots must decide before returning.
    void tabChanging(int from, int to, bool* allow);
    void tabChanged(int from, int to);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
#if QT_CONFIG(wheelevent)
    void wheelEvent(QWheelEvent* event) override;
#endif

private:
    int nextSelectable(int from, int step) const;

    int m_shown = -1;
};

} // namespace vanto
