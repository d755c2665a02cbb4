// Frame time of the strip chart over a full day of history.
//
//   chart_frame [--frames N] [--size WxH]
//
// Fills the chart with 432,000 points (24 hours at five a second), then paints it into a QImage
// again and again for several time windows and prints the average frame time of each, and the
// ratio of the 24-hour frame to the 10-minute frame. A chart whose cost followed the history
// would show a ratio near 144 (the ratio of the points on screen); ours should be near 1.

#include "monitor/chartview.h"
#include "widgets/stripchart.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTextStream>

#include <cmath>
#include <cstdio>

using namespace vanto;

namespace {

double averageFrameMs(StripChart& chart, QImage& image, int frames) {
    // One frame untimed, so that fonts and caches are warm.
    {
        QPainter p(&image);
        chart.paintChart(p, image.rect());
    }
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < frames; ++i) {
        QPainter p(&image);
        chart.paintChart(p, image.rect());
    }
    return double(timer.nsecsElapsed()) / 1e6 / frames;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption framesOption(QStringLiteral("frames"),
                                          QStringLiteral("Frames per window (default 200)."),
                                          QStringLiteral("n"), QStringLiteral("200"));
    const QCommandLineOption sizeOption(QStringLiteral("size"),
                                        QStringLiteral("Image size (default 800x300)."),
                                        QStringLiteral("WxH"), QStringLiteral("800x300"));
    parser.addOptions({framesOption, sizeOption});
    parser.process(app);
    const int frames = std::max(1, parser.value(framesOption).toInt());
    const QStringList dims = parser.value(sizeOption).split(QLatin1Char('x'));
    const QSize size(dims.value(0).toInt(), dims.value(1).toInt());
    if (size.width() < 100 || size.height() < 100) {
        std::fprintf(stderr, "chart_frame: --size must be at least 100x100\n");
        return 2;
    }

    constexpr qint64 kPoints = ChartSeries::kDayAtFivePerSecond;
    constexpr qint64 kStart = 1'700'000'000'000;
    StripChart chart;
    chart.setScale(13, 43.5, 12.9, 43.5);
    QElapsedTimer fill;
    fill.start();
    for (qint64 i = 0; i < kPoints; ++i) {
        const double s = double(i) / 5;
        chart.appendAt(kStart + i * 200, 28 + 9 * std::sin(s / 67) + 3 * std::sin(s / 8.4) +
                                             double((i * 7919) % 101) / 120.0);
    }
    const double fillMs = double(fill.nsecsElapsed()) / 1e6;
    constexpr qint64 kEnd = kStart + (kPoints - 1) * 200;
    chart.setClock([] { return kEnd; });

    QTextStream out(stdout);
    out << "points: " << chart.series().size() << ", filled in " << QString::number(fillMs, 'f', 1)
        << " ms (" << QString::number(fillMs * 1e6 / kPoints, 'f', 0) << " ns per point)\n";
    out << "image: " << size.width() << "x" << size.height() << ", " << frames
        << " frames per window\n";

    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    double tenMinutes = 0;
    double day = 0;
    for (qint64 window : {StripChart::kMinute, 10 * StripChart::kMinute, StripChart::kHour,
                          24 * StripChart::kHour}) {
        chart.setTimeWindow(window);
        const auto [first, last] = chart.shownPoints();
        const double ms = averageFrameMs(chart, image, frames);
        out << "window " << qSetFieldWidth(7) << StripChart::windowName(window) << qSetFieldWidth(0)
            << ": " << qSetFieldWidth(7) << (last - first) << qSetFieldWidth(0) << " points shown, "
            << QString::number(ms, 'f', 3) << " ms per frame\n";
        if (window == 10 * StripChart::kMinute) {
            tenMinutes = ms;
        } else if (window == 24 * StripChart::kHour) {
            day = ms;
        }
    }
    out << "ratio 24 h / 10 min: " << QString::number(day / tenMinutes, 'f', 2) << "\n";

    // Exploring: each frame follows a wheel notch (in or out, about a point of the plot) or a
    // drag of 40 pixels, paused with the whole day behind, as the operator scrolls back.
    chart.setPaused(true);
    chart.setTimeWindow(StripChart::kHour);
    const QRect r = image.rect();
    {
        QPainter p(&image);
        chart.paintChart(p, r);
    }
    QElapsedTimer explore;
    explore.start();
    qint64 longest = 0;
    for (int i = 0; i < frames; ++i) {
        QElapsedTimer frame;
        frame.start();
        switch (i % 4) {
        case 0:
            chart.zoomAt(300 + (i % 7) * 40, wheelZoomFactor(120));
            break;
        case 1:
            chart.zoomAt(200 + (i % 5) * 50, wheelZoomFactor(-240));
            break;
        default: {
            // Drag 40 pixels to the right: earlier times; at the oldest point start again.
            const ChartTimeView before = chart.view();
            chart.showView(panChartView(before, 40, 700));
            if (chart.view() == before)
                chart.showView({kEnd, chart.timeWindow()});
            break;
        }
        }
        QPainter p(&image);
        chart.paintChart(p, r);
        p.end();
        longest = std::max(longest, frame.nsecsElapsed());
    }
    const double exploreMs = double(explore.nsecsElapsed()) / 1e6 / frames;
    out << "zoom/pan frames with 24 h of history: " << QString::number(exploreMs, 'f', 3)
        << " ms per frame, longest " << QString::number(double(longest) / 1e6, 'f', 3) << " ms\n";
    return 0;
}
