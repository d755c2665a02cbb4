// Continuous logging of the polled samples to CSV: one row per poll reply with the local time
// and its UTC offset, the running program, the distance in the units the display shows, the
// percent output and the NEAR and FAR states. Rows are written in batches at most a second
// apart (and synced to the disk), so a crash or a power cut loses at most the last second; a
// log left running starts a new file when the local date changes. The window and
// `qxtool monitor --csv` both write through this class.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

namespace vanto {

struct LiveValues;
struct MainDisplayModel;

struct LogSample {
    qint64 time = 0;     // milliseconds since the epoch
    int program = 0;     // the running program
    double distance = 0; // as the display shows it: inches, or centimetres on a metric program
    bool metric = false;
    double outputPercent = 0;
    bool near = false;
    bool far = false;
};

// The sample of the live readings a poll reply has just left. The output percent is computed as
// the OUTPUT meter would show it, whatever the meter shows; `heldOutput` is the value kept while
// the output is held (the caller keeps it between samples, as the meter keeps its own).
LogSample sampleFromLink(const LiveValues& live, const MainDisplayModel& display, int program,
                         qint64 time, float* heldOutput);

// "2026-12-07T14:03:05.200+01:00": local time to the millisecond with its offset from UTC.
QByteArray localIsoTime(qint64 msSinceEpoch);
QByteArray sampleCsvHeader();
QByteArray sampleCsvRow(const LogSample& sample);

class SampleLog : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<qint64()>; // milliseconds since the epoch
    static constexpr qint64 kFlushInterval = 1000;

    explicit SampleLog(Clock clock = {}, QObject* parent = nullptr);
    ~SampleLog() override;

    // Starts a log in `path` (replacing the file) with the header line. False with lastError()
    // when the file cannot be written.
    bool start(const QString& path);
    // Writes what is buffered and closes the file.
    void stop();
    bool isActive() const { return m_file != nullptr; }

    // Adds a row. It reaches the file at the latest a second after the oldest buffered row. A
    // sample from a later local day than the file's first closes the file and goes on in
    // "NAME-yyyy-MM-dd.csv" beside it. False, with the log stopped and lastError() set, when
    // the file cannot be written.
    bool add(const LogSample& sample);
    // Writes the buffer when its oldest row is a second old (the log's timer calls it).
    bool flushIfDue();
    bool flush();

    QString path() const { return m_path; }
    QString firstPath() const { return m_firstPath; }
    qint64 rowCount() const { return m_rows; }   // rows in the current file
    qint64 totalRows() const { return m_total; } // rows since start()
    qint64 bufferedRows() const { return m_bufferedRows; }
    QString lastError() const { return m_error; }

    // The file a log started as `first` continues in on `day`: NAME-yyyy-MM-dd.EXT beside it,
    // with "-2", "-3", … added when such a file exists already.
    static QString pathForDay(const QString& first, QDate day);

signals:
    // Started, stopped (also on a write error), a new day's file, or rows written.
    void changed();

private:
    bool open(const QString& path, QIODevice::OpenMode mode);
    bool fail(const QString& reason);

    Clock m_clock;
    std::unique_ptr<QFile> m_file;
    QString m_path;
    QString m_firstPath;
    QDate m_day;
    QByteArray m_buffer;
    qint64 m_bufferedSince = 0;
    qint64 m_bufferedRows = 0;
    qint64 m_rows = 0;
    qint64 m_total = 0;
    QString m_error;
    QTimer m_timer;
};

} // namespace vanto
