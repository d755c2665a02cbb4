#include "samplelog.h"

#include "program/maindisplaymodel.h"
#include "shared/atomicfile.h"
#include "shared/numtext.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace vanto {

LogSample sampleFromLink(const LiveValues& live, const MainDisplayModel& display, int program,
                         qint64 time, float* heldOutput) {
    LogSample s;
    s.time = time;
    s.program = program;
    s.distance = live.liveDistance;
    s.metric = display.unitFactor != 1.0;
    s.outputPercent = computeMeterValue(2, live, display, heldOutput);
    s.near = live.nearFlag;
    s.far = live.farFlag;
    return s;
}

QByteArray localIsoTime(qint64 msSinceEpoch) {
    const QDateTime t = QDateTime::fromMSecsSinceEpoch(msSinceEpoch);
    const int offset = t.offsetFromUtc() / 60; // minutes
    const int a = offset < 0 ? -offset : offset;
    const QString text = t.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) +
                         (offset < 0 ? QLatin1Char('-') : QLatin1Char('+')) +
                         QStringLiteral("%1:%2")
                             .arg(a / 60, 2, 10, QLatin1Char('0'))
                             .arg(a % 60, 2, 10, QLatin1Char('0'));
    return text.toLatin1();
}

QByteArray sampleCsvHeader() {
    return "time,program,distance,unit,output_percent,near,far\n";
}

QByteArray sampleCsvRow(const LogSample& s) {
    QByteArray row = localIsoTime(s.time);
    row += ',' + QByteArray::number(s.program);
    row += ',' + formatNumber(s.distance, "0.00");
    row += s.metric ? ",cm," : ",in,";
    row += formatNumber(s.outputPercent, "0.00");
    row += s.near ? ",1" : ",0";
    row += s.far ? ",1\n" : ",0\n";
    return row;
}

namespace {

// "file too large": the system's reason for a failed open, as the rest of a message.
QString reasonOf(const QFile& file) {
    QString text = file.errorString();
    if (!text.isEmpty())
        text[0] = text[0].toLower();
    return text;
}

// Writes all of `bytes` to the open file; "" or the system's reason for the failure. Written
// here rather than through QFile, whose short write on a full disk gives no reason.
QString writeAll(QFile& file, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::write(file.handle(), bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return vanto::errorText(n < 0 ? errno : ENOSPC);
        done += n;
    }
    return QString();
}

} // namespace

SampleLog::SampleLog(Clock clock, QObject* parent)
    : QObject(parent), m_clock(clock ? std::move(clock)
                                     : Clock([] { return QDateTime::currentMSecsSinceEpoch(); })) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { flushIfDue(); });
}

SampleLog::~SampleLog() {
    stop();
}

QString SampleLog::pathForDay(const QString& first, QDate day) {
    const QFileInfo info(first);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString stem = info.dir().filePath(info.completeBaseName()) + QLatin1Char('-') +
                         day.toString(QStringLiteral("yyyy-MM-dd"));
    QString path = stem + suffix;
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = stem + QStringLiteral("-%1").arg(n) + suffix;
    return path;
}

bool SampleLog::open(const QString& path, QIODevice::OpenMode mode) {
    // Unbuffered: a failed write is seen at once, and what it left of a row can be taken back.
    auto file = std::make_unique<QFile>(path);
    if (!file->open(mode | QIODevice::Unbuffered)) {
        m_error = QStringLiteral("%1: cannot write: %2").arg(path, reasonOf(*file));
        return false;
    }
    if (const QString reason = writeAll(*file, sampleCsvHeader()); !reason.isEmpty()) {
        m_error = QStringLiteral("%1: cannot write: %2").arg(path, reason);
        file->resize(0);
        return false;
    }
    m_file = std::move(file);
    m_path = path;
    m_rows = 0;
    return true;
}

bool SampleLog::start(const QString& path) {
    stop();
    m_error.clear();
    m_total = 0;
    m_day = QDate();
    if (!open(path, QIODevice::WriteOnly | QIODevice::Truncate)) {
        emit changed();
        return false;
    }
    m_firstPath = path;
    emit changed();
    return true;
}

void SampleLog::stop() {
    if (!m_file)
        return;
    flush();
    if (m_file) {
        m_file->close();
        m_file.reset();
    }
    m_timer.stop();
    emit changed();
}

bool SampleLog::fail(const QString& reason) {
    m_error = QStringLiteral("%1: cannot write: %2").arg(m_path, reason);
    m_buffer.clear();
    m_bufferedRows = 0;
    m_timer.stop();
    m_file.reset();
    emit changed();
    return false;
}

bool SampleLog::add(const LogSample& sample) {
    if (!m_file)
        return false;
    const QDate day = QDateTime::fromMSecsSinceEpoch(sample.time).date();
    if (!m_day.isValid()) {
        m_day = day;
    } else if (day > m_day) {
        // A new day: what is buffered belongs to the old file.
        if (!flush())
            return false;
        m_file->close();
        m_file.reset();
        const QString next = pathForDay(m_firstPath, day);
        if (!open(next, QIODevice::WriteOnly | QIODevice::NewOnly)) {
            m_path = next;
            m_timer.stop();
            emit changed();
            return false;
        }
        m_day = day;
        emit changed();
    }
    if (m_bufferedRows == 0)
        m_bufferedSince = m_clock();
    m_buffer += sampleCsvRow(sample);
    ++m_bufferedRows;
    if (m_clock() - m_bufferedSince >= kFlushInterval)
        return flush();
    if (!m_timer.isActive())
        m_timer.start(int(std::max<qint64>(1, kFlushInterval - (m_clock() - m_bufferedSince))));
    return true;
}

bool SampleLog::flushIfDue() {
    if (m_bufferedRows == 0 || !m_file)
        return true;
    if (m_clock() - m_bufferedSince >= kFlushInterval)
        return flush();
    if (!m_timer.isActive())
        m_timer.start(int(std::max<qint64>(1, kFlushInterval - (m_clock() - m_bufferedSince))));
    return true;
}

bool SampleLog::flush() {
    if (!m_file)
        return false;
    if (m_bufferedRows == 0)
        return true;
    const qint64 whole = m_file->size();
    if (const QString reason = writeAll(*m_file, m_buffer); !reason.isEmpty()) {
        // The log ends on a whole row: what the failed write left is taken back.
        m_file->resize(whole);
        return fail(reason);
    }
#ifdef Q_OS_UNIX
    // On the disk, not only in the system's cache: a power cut then loses at most a second.
    if (::fdatasync(m_file->handle()) != 0 && errno != EINVAL && errno != EROFS)
        return fail(QString::fromLocal8Bit(strerror(errno)));
#endif
    m_rows += m_bufferedRows;
    m_total += m_bufferedRows;
    m_buffer.clear();
    m_bufferedRows = 0;
    m_timer.stop();
    emit changed();
    return true;
}

} // namespace vanto
