#include "appshell.h"
#include "shared/version.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>

namespace vanto {

const char kAppTitle[] = "Spoolex Loop Controller Interface";

QString versionText() {
    return QStringLiteral("Version %1").arg(QLatin1String(kVersion));
}

QStringList getCommandLine(const QString& text, int maxArgs) {
    QStringList args;
    QString current;
    for (QChar c : text) {
        if (args.size() >= maxArgs)
            break;
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
            if (!current.isEmpty())
                args << current;
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.isEmpty() && args.size() < maxArgs)
        args << current;
    return args;
}

int serviceFlagFrom(const QStringList& arguments) {
    for (const QString& a : arguments) {
        if (a.toUpper() == QLatin1String("/QV"))
            return 99;
    }
    return 0;
}

namespace {

const char* const kKeys[4] = {"MainLeft", "MainTop", "MainWidth", "MainHeight"};

double readKey(QSettings& settings, const char* key, double fallback) {
    bool ok = false;
    const double value = settings.value(QLatin1String(key)).toString().trimmed().toDouble(&ok);
    return ok && std::isfinite(value) ? value : fallback;
}

} // namespace

Placement readPlacement(QSettings& settings) {
    const Placement defaults;
    Placement p;
    settings.beginGroup(QStringLiteral("Settings"));
    p.left = readKey(settings, kKeys[0], defaults.left);
    p.top = readKey(settings, kKeys[1], defaults.top);
    p.width = readKey(settings, kKeys[2], defaults.width);
    p.height = readKey(settings, kKeys[3], defaults.height);
    settings.endGroup();
    return p;
}

void writePlacement(QSettings& settings, const Placement& p) {
    settings.beginGroup(QStringLiteral("Settings"));
    const double values[4] = {p.left, p.top, p.width, p.height};
    for (int i = 0; i < 4; ++i)
        settings.setValue(QLatin1String(kKeys[i]), QString::number(std::round(values[i]), 'f', 0));
    settings.endGroup();
    settings.sync();
}

QRect placementToPixels(const Placement& p, double dpi) {
    auto px = [dpi](double twips) { return int(std::lround(twips * dpi / 1440.0)); };
    return QRect(px(p.left), px(p.top), px(p.width), px(p.height));
}

Placement pixelsToPlacement(const QRect& rect, double dpi) {
    auto tw = [dpi](int pixels) { return std::round(pixels * 1440.0 / dpi); };
    return Placement{tw(rect.x()), tw(rect.y()), tw(rect.width()), tw(rect.height())};
}

QRect fitOntoScreens(const QRect& frame, const QList<QRect>& available) {
    if (available.isEmpty() || frame.isEmpty())
        return frame;
    // Enough of the title bar to take hold of and drag the window.
    const QRect band(frame.left(), frame.top(), frame.width(), std::min(frame.height(), 32));
    const int grabWidth = std::min(frame.width(), 120);
    for (const QRect& screen : available) {
        const QRect seen = band & screen;
        if (seen.width() >= grabWidth && seen.height() >= std::min(band.height(), 16))
            return frame;
    }
    // The nearest available area: the one the frame overlaps most, else the one whose centre is
    // closest to the frame's.
    const QRect* best = &available.first();
    qint64 bestOverlap = -1;
    qint64 bestDistance = 0;
    for (const QRect& screen : available) {
        const QRect overlap = frame & screen;
        const qint64 area = overlap.isEmpty() ? 0 : qint64(overlap.width()) * overlap.height();
        const QPoint d = screen.center() - frame.center();
        const qint64 distance = qint64(d.x()) * d.x() + qint64(d.y()) * d.y();
        if (area > bestOverlap || (area == bestOverlap && distance < bestDistance)) {
            best = &screen;
            bestOverlap = area;
            bestDistance = distance;
        }
    }
    const QRect& s = *best;
    const int w = std::min(frame.width(), s.width());
    const int h = std::min(frame.height(), s.height());
    const int x = std::clamp(frame.left(), s.left(), s.left() + s.width() - w);
    const int y = std::clamp(frame.top(), s.top(), s.top() + s.height() - h);
    return QRect(x, y, w, h);
}

QString helpFilePath(const QString& programDir) {
    return QDir(programDir).filePath(QStringLiteral("VANTO.HLP"));
}

namespace {

QString installedHelpFile(const QString& programDir) {
    return QDir::cleanPath(QDir(programDir).filePath(QLatin1String(kDataDirFromProgramDir)) +
                           QStringLiteral("/VANTO.HLP"));
}

} // namespace

QString locateHelpFile(const QString& programDir) {
    const QString beside = helpFilePath(programDir);
    if (QFileInfo(beside).isFile())
        return beside;
    const QString installed = installedHelpFile(programDir);
    return QFileInfo(installed).isFile() ? installed : beside;
}

bool runsInstalled(const QString& programDir) {
    return !QFileInfo(helpFilePath(programDir)).isFile() &&
           QFileInfo(installedHelpFile(programDir)).isFile();
}

SingleInstanceGuard::SingleInstanceGuard(const QString& lockDir) {
    QString dir = lockDir;
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    m_path = QDir(dir).filePath(QStringLiteral("%1.lock").arg(QLatin1String(kAppTitle)));
}

bool SingleInstanceGuard::acquire() {
    m_lock = std::make_unique<QLockFile>(m_path);
    m_lock->setStaleLockTime(0); // only a live process holds it; a crashed one's lock is stale
    return m_lock->tryLock(0);
}

} // namespace vanto
