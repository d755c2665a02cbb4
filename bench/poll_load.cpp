// CPU, memory and polling rate of the link and the strip chart while polling a unit.
//
//   poll_load --device DEV [--seconds N] [--warmup N] [--window MINUTES] [--history]
//             [--report N] [--stalls] [--reconnecting]
//
// Connects to DEV (qxsim) with the production link and serial port, shows the strip chart
// (offscreen unless QT_QPA_PLATFORM says otherwise) and adds every distance polled to it, as the
// main window does. With --history the chart is first filled with 432,000 points (24 hours at
// five a second) and shows a 24-hour window; otherwise it shows the default 10 minutes. After a
// warm-up it measures for N seconds and prints: poll replies per second, polls sent that got no
// reply (lost samples), CPU time as a percentage of one core, and the resident memory.
// With --report N it also prints a line every N seconds of the measurement (for scripts/soak).
// With --stalls the eight programs are also saved to a .prg and vanto.cfg is stored every 2 s,
// on the same thread as the window would, and a 5 ms timer measures how late the event loop
// comes back (the longest stall, and how many passed 50 ms), saves and chart paints included;
// the timer's own wake-ups then add to the CPU figure, so it is not on by default.
// With --reconnecting the same probe runs without the saves while the unit is silent (qxsim
// --silent-after): every few ticks the link tries a new handshake, and the stalls are those of
// re-connecting; the handshakes tried are counted.
// Measures and prints; asserts nothing.
#include "link/commconfig.h"
#include "link/linkview.h"
#include "link/replies.h"
#include "link/unitlink.h"
#include "platform/prompts.h"
#include "platform/qt/qteventpump.h"
#include "platform/qt/qtserialport.h"
#include "program/programfile.h"
#include "program/programstate.h"
#include "widgets/stripchart.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>
#include <time.h>

#include <cmath>
#include <cstdio>
#include <functional>

using namespace vanto;

namespace {

// The port, counting the poll commands written.
class CountingPort : public QtSerialPort {
public:
    void write(const QByteArray& bytes) override {
        QtSerialPort::write(bytes);
        if (bytes.size() == 1 && isOpen()) {
            const char c = bytes[0];
            if (c == kSYN)
                ++handshakes;
            if (c == kDC4 || c == kDC3 || c == kDLE || c == kCAN || c == kSTX) {
                ++polls;
                if (onPoll)
                    onPoll();
            }
        }
    }
    qint64 polls = 0;
    qint64 handshakes = 0;
    std::function<void()> onPoll;
};

class ChartView : public NullLinkView {
public:
    explicit ChartView(StripChart& chart) : m_chart(chart) {}
    void addChartPoint(float distance) override { m_chart.append(distance); }

private:
    StripChart& m_chart;
};

class QuietPrompts : public Prompts {
public:
    void beep() override {}
    void message(const QString& text, const QString&, MessageIcon) override {
        std::fprintf(stderr, "poll_load: %s\n", qPrintable(text));
    }
    bool askYesNo(const QString&, const QString&, MessageIcon) override { return false; }
};

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// A value in kB from /proc/self/status ("VmRSS", "VmHWM").
long statusKb(const char* key) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption deviceOption(QStringLiteral("device"), QStringLiteral("Unit device."),
                                          QStringLiteral("path"));
    const QCommandLineOption secondsOption(QStringLiteral("seconds"),
                                           QStringLiteral("Measured seconds (default 60)."),
                                           QStringLiteral("n"), QStringLiteral("60"));
    const QCommandLineOption warmupOption(QStringLiteral("warmup"),
                                          QStringLiteral("Seconds before measuring (default 5)."),
                                          QStringLiteral("n"), QStringLiteral("5"));
    const QCommandLineOption windowOption(
        QStringLiteral("window"),
        QStringLiteral("The chart's window in minutes (default 10; 1440 with --history)."),
        QStringLiteral("minutes"));
    const QCommandLineOption historyOption(QStringLiteral("history"),
                                           QStringLiteral("24 hours of points, 24-hour window."));
    const QCommandLineOption reportOption(QStringLiteral("report"),
                                          QStringLiteral("Print a line every n seconds."),
                                          QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption stallsOption(QStringLiteral("stalls"),
                                          QStringLiteral("Save every 2 s; measure stalls."));
    const QCommandLineOption reconnectingOption(
        QStringLiteral("reconnecting"),
        QStringLiteral("Measure stalls while a silent unit is re-connected."));
    parser.addOptions({deviceOption, secondsOption, warmupOption, windowOption, historyOption,
                       reportOption, stallsOption, reconnectingOption});
    parser.process(app);
    if (!parser.isSet(deviceOption)) {
        std::fprintf(stderr, "poll_load: --device is required\n");
        return 2;
    }
    const int seconds = std::max(1, parser.value(secondsOption).toInt());
    const int warmup = std::max(0, parser.value(warmupOption).toInt());
    const long rssEmpty = statusKb("VmRSS");

    StripChart chart;
    chart.setScale(0, 60, 0, 60);
    chart.resize(chart.sizeHint());
    if (parser.isSet(historyOption)) {
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        const qint64 n = ChartSeries::kDayAtFivePerSecond;
        for (qint64 i = 0; i < n; ++i) {
            const double s = double(i) / 5;
            chart.appendAt(now - (n - i) * 200, 28 + 9 * std::sin(s / 67) + 3 * std::sin(s / 8.4));
        }
        chart.setTimeWindow(24 * StripChart::kHour);
    }
    if (parser.isSet(windowOption))
        chart.setTimeWindow(parser.value(windowOption).toLongLong() * StripChart::kMinute);
    chart.show();
    const long rssFilled = statusKb("VmRSS");

    ProgramState state;
    CountingPort port;
    ChartView view(chart);
    QuietPrompts prompts;
    QtEventPump pump;
    UnitLink link(state, port, view, prompts, pump);
    link.setDeviceOverride(parser.value(deviceOption));
    qint64 replies = 0;
    // Each poll that got no reply is named on stderr with the time since it was sent, so that a
    // loss can be told apart from the whole machine pausing.
    bool awaitingReply = false;
    QElapsedTimer sincePoll;
    port.onPoll = [&] {
        const qint64 gap = sincePoll.isValid() ? sincePoll.restart() : 0;
        if (!sincePoll.isValid())
            sincePoll.start();
        if (awaitingReply)
            std::fprintf(stderr, "poll_load: %s: a poll got no reply in %lld ms\n",
                         qPrintable(QDateTime::currentDateTime().toString(Qt::ISODateWithMs)), gap);
        awaitingReply = true;
    };
    QObject::connect(&link, &UnitLink::pollReplyApplied, [&] {
        ++replies;
        awaitingReply = false;
    });
    bool polling = false;
    QObject::connect(&link, &UnitLink::pollingStarted, [&] { polling = true; });
    link.switchOnLine(true);
    if (!link.vars().onLine || !pumpUntil(
                                   pump, [&] { return polling; }, 20000)) {
        std::fprintf(stderr, "poll_load: no unit answers on %s\n",
                     qPrintable(parser.value(deviceOption)));
        return 1;
    }

    qint64 polls0 = 0;
    qint64 replies0 = 0;
    double cpu0 = 0;
    QElapsedTimer window;
    // A poll sent whose reply has not come yet is not lost.
    const auto lost = [&](qint64 sent, qint64 got) {
        const bool pollOutstanding = isPollReply(link.vars().linkRequest);
        return std::max<qint64>(0, sent - got - (pollOutstanding ? 1 : 0));
    };
    QTimer report;
    report.setTimerType(Qt::PreciseTimer);
    QObject::connect(&report, &QTimer::timeout, [&] {
        const double s = double(window.nsecsElapsed()) / 1e9;
        const qint64 sent = port.polls - polls0;
        const qint64 got = replies - replies0;
        std::printf("t %7.0f s  replies %7lld  %.3f Hz  lost %lld  CPU %.2f %%  RSS %.1f MB\n", s,
                    got, double(got) / s, lost(sent, got), 100.0 * (cpuSeconds() - cpu0) / s,
                    double(statusKb("VmRSS")) / 1024);
        std::fflush(stdout);
    });
    // Event-loop stalls: how late a 5 ms timer fires. Each stall over 50 ms is named on stderr
    // with the CPU time this thread used meanwhile: close to the stall, our own work held the
    // loop; close to nothing, the thread was waiting for the machine.
    QElapsedTimer sinceProbe;
    double probeCpu = 0;
    qint64 longestStallNs = 0;
    int stallsOver50 = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 late = sinceProbe.nsecsElapsed() - 5'000'000;
        sinceProbe.start();
        const double cpu = threadCpuSeconds();
        longestStallNs = std::max(longestStallNs, late);
        if (late > 50'000'000) {
            ++stallsOver50;
            std::fprintf(stderr,
                         "poll_load: %s: the event loop came back %.1f ms late, "
                         "%.1f ms of it on the CPU here\n",
                         qPrintable(QDateTime::currentDateTime().toString(Qt::ISODateWithMs)),
                         double(late) / 1e6, (cpu - probeCpu) * 1e3);
        }
        probeCpu = cpu;
    });
    // Saves, as the window makes them: the program file and the configuration.
    QTemporaryDir saveDir;
    qint64 saves = 0;
    qint64 longestSaveNs = 0;
    QTimer saver;
    QObject::connect(&saver, &QTimer::timeout, [&] {
        QElapsedTimer t;
        t.start();
        const QString error =
            writeProgramFile(saveDir.filePath(QStringLiteral("SOAK.PRG")), state.programs);
        const bool stored =
            writeConfig(CommConfig::defaults(saveDir.path()), saveDir.path(), prompts);
        longestSaveNs = std::max(longestSaveNs, t.nsecsElapsed());
        if (!error.isEmpty() || !stored)
            std::fprintf(stderr, "poll_load: save failed: %s\n", qPrintable(error));
        ++saves;
    });
    const bool probing = parser.isSet(stallsOption) || parser.isSet(reconnectingOption);
    qint64 handshakes0 = 0;
    QTimer::singleShot(warmup * 1000, [&] {
        if (probing) {
            sinceProbe.start();
            probeCpu = threadCpuSeconds();
            probe.start(5);
        }
        if (parser.isSet(stallsOption))
            saver.start(2000);
        handshakes0 = port.handshakes;
        polls0 = port.polls;
        replies0 = replies;
        cpu0 = cpuSeconds();
        window.start();
        const int every = parser.value(reportOption).toInt();
        if (every > 0)
            report.start(every * 1000);
        QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, &app, &QCoreApplication::quit);
    });
    app.exec();
    const double elapsed = double(window.nsecsElapsed()) / 1e9;
    const double cpu = cpuSeconds() - cpu0;
    const qint64 sent = port.polls - polls0;
    const qint64 got = replies - replies0;
    const qint64 missing = lost(sent, got);
    link.switchOnLine(false);

    std::printf("chart: %lld points, window %s\n", qint64(chart.series().size()),
                qPrintable(StripChart::windowName(chart.timeWindow())));
    std::printf("measured: %.1f s after %d s warm-up\n", elapsed, warmup);
    std::printf("poll replies: %lld (%.3f Hz), polls sent: %lld, lost samples: %lld\n", got,
                double(got) / elapsed, sent, missing);
    std::printf("CPU: %.2f %% of one core\n", 100.0 * cpu / elapsed);
    std::printf("RSS: %.1f MB (at start %.1f MB, with the chart filled %.1f MB, peak %.1f MB)\n",
                double(statusKb("VmRSS")) / 1024, double(rssEmpty) / 1024, double(rssFilled) / 1024,
                double(statusKb("VmHWM")) / 1024);
    if (parser.isSet(stallsOption))
        std::printf(
            "event loop: longest stall %.1f ms, stalls over 50 ms: %d; %lld saves of a .prg "
            "and vanto.cfg, the longest %.1f ms\n",
            double(longestStallNs) / 1e6, stallsOver50, saves, double(longestSaveNs) / 1e6);
    if (parser.isSet(reconnectingOption))
        std::printf("event loop while re-connecting: longest stall %.1f ms, stalls over 50 ms: "
                    "%d; %lld handshakes tried\n",
                    double(longestStallNs) / 1e6, stallsOver50, port.handshakes - handshakes0);
    return 0;
}
