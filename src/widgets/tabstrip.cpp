#include "tabstrip.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

namespace vanto {

TabStrip::TabStrip(QWidget* parent) : QTabBar(parent) {
    setDrawBase(false);
    setExpanding(false);
    connect(this, &QTabBar::currentChanged, this, [this](int index) {
        const int from = m_shown;
        m_shown = index;
        if (from != index) {
            emit tabChanged(from, index);
        }
    });
}

bool TabStrip::requestCurrentIndex(int index) {
    if (index < 0 || index >= count() || !isTabEnabled(index)) {
        return false;
    }
    if (index == currentIndex()) {
        return true;
    }
    bool allow = true;
    emit tabChanging(currentIndex(), index, &allow);
    if (!allow) {
        return false;
    }
    setCurrentIndex(index);
    return true;
}

int TabStrip::nextSelectable(int from, int step) const {
    for (int i = from + step; i >= 0 && i < count(); i += step) {
        if (isTabEnabled(i) && isTabVisible(i)) {
            return i;
        }
    }
    return -1;
}

void TabStrip::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const int index = tabAt(event->position().toPoint());
        if (index >= 0 && index != currentIndex() && !requestCurrentIndex(index)) {
            event->accept();
            return;
        }
    }
    QTabBar::mousePressEvent(event);
}

void TabStrip::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Left && event->key() != Qt::Key_Right) {
        QTabBar::keyPressEvent(event);
        return;
    }
    int step = event->key() == Qt::Key_Right ? 1 : -1;
    if (isRightToLeft()) {
        step = -step;
    }
    const int target = nextSelectable(currentIndex(), step);
    if (target >= 0) {
        requestCurrentIndex(target);
    }
    event->accept();
}

#if QT_CONFIG(wheelevent)
void TabStrip::wheelEvent(QWheelEvent* event) {
    const int delta =
        event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
    if (delta != 0) {
        const int target = nextSelectable(currentIndex(), delta > 0 ? -1 : 1);
        if (target >= 0) {
            requestCurrentIndex(target);
        }
    }
    event->accept();
}
#endif

} // namespace vanto
