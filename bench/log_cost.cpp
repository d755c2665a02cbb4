// CPU cost of the sample log while polling.
//
//   log_cost [--hours H]
//
// Writes H hours (default 1) of samples at the polling rate of five a second through the log
// the window and qxtool use, with a clock that advances 200 ms per sample, so each second's
// rows reach the disk in one write and one sync, as when polling. Prints the CPU time it took
// and that time as a share of one core over the hours logged.
#include "monitor/samplelog.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTextStream>

#include <ctime>

using namespace vanto;

namespace {
double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const double hours = argc > 2 && QByteArray(argv[1]) == "--hours" ? atof(argv[2]) : 1.0;
    QTemporaryDir dir;
    qint64 now = 1'700'000'000'000;
    SampleLog log([&] { return now; });
    if (!log.start(dir.filePath(QStringLiteral("log.csv")))) {
        QTextStream(stderr) << log.lastError() << "\n";
        return 2;
    }
    const qint64 samples = qint64(hours * 3600 * 5);
    const double before = cpuSeconds();
    for (qint64 i = 0; i < samples; ++i) {
        LogSample s{
            now,         3,          24.0 + double(i % 400) / 10, false, double(i % 1000) / 10,
            i % 97 == 0, i % 89 == 0};
        log.add(s);
        now += 200;
    }
    log.stop();
    const double cpu = cpuSeconds() - before;
    QTextStream(stdout) << "rows: " << log.totalRows() << " (" << hours << " h at 5 Hz), CPU "
                        << QString::number(cpu * 1000, 'f', 1) << " ms, "
                        << QString::number(cpu * 1e6 / double(samples), 'f', 1)
                        << " us per row: " << QString::number(cpu / (hours * 3600) * 100, 'f', 4)
                        << " % of one core\n";
    return 0;
}
