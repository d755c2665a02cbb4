// Pictures of the screen for a look at what a test saw: with VANTO_GRAB_DIR set, the whole
// screen (window frames included, under a window manager) is saved there as NAME.png.
#pragma once

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QString>
#include <QTest>

namespace vanto::test {

// True when nothing was asked for or the picture was saved.
inline bool grabScreen(const QString& name) {
    const QString dir = qEnvironmentVariable("VANTO_GRAB_DIR");
    if (dir.isEmpty())
        return true;
    QTest::qWait(400); // let the last changes reach the screen
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return false;
    const QPixmap picture = screen->grabWindow(0);
    return !picture.isNull() && picture.save(QDir(dir).filePath(name + QStringLiteral(".png")));
}

} // namespace vanto::test
