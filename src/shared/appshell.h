// Start-up and shut-down pieces that need no display: the command line, the window placement in
// the settings store, the help file's path and the single-instance guard.
#pragma once

#include <QList>
#include <QLockFile>
#include <QRect>
#include <QString>
#include <QStringList>

#include <memory>

class QSettings;

namespace vanto {

// The application title: the name the settings store keeps the placement under, and the title
// of the About box and the splash window.
extern const char kAppTitle[];
// "Version 1.0.34": the version from the build (project(VERSION)), as About and the splash show it.
QString versionText();

// Splits a command-line text into arguments: a blank or a tab ends an argument, runs of them
// count as one separator, and at most `maxArgs` arguments are collected.
QStringList getCommandLine(const QString& text, int maxArgs = 10);

// 99 when one of the arguments, upper-cased, is exactly "/QV"; 0 otherwise.
int serviceFlagFrom(const QStringList& arguments);

// The main window's position and size in twips (1/1440 inch).
struct Placement {
    double left = 0;
    double top = 0;
    double width = 9600;
    double height = 7250;
    bool operator==(const Placement& o) const {
        return left == o.left && top == o.top && width == o.width && height == o.height;
    }
};

// Reads "Settings/MainLeft", "MainTop", "MainWidth", "MainHeight"; a missing or non-numeric
// key gives its default.
Placement readPlacement(QSettings& settings);
// Writes the four keys as decimal text.
void writePlacement(QSettings& settings, const Placement& placement);

// Conversions between twips and pixels at a given number of pixels per inch.
QRect placementToPixels(const Placement& placement, double dpi);
Placement pixelsToPlacement(const QRect& rect, double dpi);

// Where a window whose frame would stand at `frame` is put so that the operator can reach it.
// A frame whose top band (where the title bar is) shows a grabbable part on one of the screens'
// available areas stays where it is; otherwise it goes onto the available area nearest to it,
// kept inside it and shrunk to it where it is larger. No screens: unchanged.
QRect fitOntoScreens(const QRect& frame, const QList<QRect>& available);

// The help file in the program's directory, with a single separator however the directory ends.
QString helpFilePath(const QString& programDir);

// The help file the program opens: beside the program when it is there (a build or an unpacked
// folder), else in the installed data folder (share/vanto beside the bin/ the program is in);
// when neither holds it, the path beside the program, so that the viewer names that.
QString locateHelpFile(const QString& programDir);

// True when the program runs installed: its help file is not beside it but in the installed data
// folder. An installed program's folder is no place for its files (vanto.cfg goes per user).
bool runsInstalled(const QString& programDir);

// Holds the per-user lock that marks a running instance. acquire() is false when another
// instance holds it; the lock is released when the guard is destroyed (or its process dies).
class SingleInstanceGuard {
public:
    explicit SingleInstanceGuard(const QString& lockDir = QString());
    bool acquire();
    QString lockPath() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace vanto
