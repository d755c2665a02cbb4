// The strip chart: distance over time, drawn as min/max per pixel column from a day-long ring of
// points, so that a frame costs the same whatever the window (one minute or 24 hours).
//
// Beside the Y axis runs the span bar: its full height stands for the outer limits, the bright
// band in it for the span shown; the operator drags the band's ends (or the band) to change the
// span within the limits.
#pragma once

#include "monitor/chartscale.h"
#include "monitor/chartseries.h"
#include "monitor/chartview.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

class QToolButton;

namespace vanto {

class StripChart : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
    Q_PROPERTY(bool paused READ isPaused WRITE setPaused NOTIFY pausedChanged)
    Q_PROPERTY(QColor lineColor READ lineColor WRITE setLineColor)
public:
    // Milliseconds since the epoch; the chart asks it for "now".
    using Clock = std::function<qint64()>;
    // Asks for a file to write; an empty answer cancels.
    using SaveFileChooser = std::function<QString(QWidget* parent, const QString& caption,
                                                  const QString& filter, const QString& name)>;

    struct TimeStamp {
        qint64 time = 0;
        QString text;
    };

    static constexpr qint64 kMinute = 60 * 1000;
    static constexpr qint64 kHour = 60 * kMinute;
    static constexpr int kMaxTimeStamps = 100;

    explicit StripChart(QWidget* parent = nullptr,
                        qsizetype capacity = ChartSeries::kDayAtFivePerSecond);

    // Points. append() stamps the point with the clock's time. Points keep being stored while
    // the chart is paused.
    void append(double value);
    void appendAt(qint64 time, double value);
    void clear();
    const ChartSeries& series() const { return m_series; }

    // Vertical scale: the span shown and the limits the operator may drag it within. setScale()
    // sets both in one step, so a new span is never clamped by the old limits.
    void setSpan(double low, double high);
    void setLimits(double low, double high);
    void setScale(double spanLow, double spanHigh, double limitLow, double limitHigh);
    const ChartScale& scale() const { return m_scale; }

    void setCaption(const QString& caption);
    QString caption() const { return m_caption; }

    // The stretch of time shown, at least one second; the choices the properties dialog offers
    // are standardWindows().
    void setTimeWindow(qint64 ms);
    qint64 timeWindow() const { return m_window; }
    static QList<qint64> standardWindows();
    static QString windowName(qint64 ms);

    void setLineColor(const QColor& color);
    QColor lineColor() const { return m_lineColor; }

    // Marks the current time on the X axis with a label, by default the time of day "hh:mm:ss".
    // The newest kMaxTimeStamps marks are kept.
    void timeStamp(const QString& text = {});
    QList<TimeStamp> timeStamps() const { return m_stamps; }
    void clearTimeStamps();

    // Paused, the view stays where it was while points keep arriving; resuming shows live again.
    void setPaused(bool paused);
    bool isPaused() const { return m_paused; }
    void togglePaused() { setPaused(!m_paused); }

    // Whether new points are coming in: off-line the badge says "OFF-LINE" instead of "LIVE"
    // and the points stay as they were. The badge's text is badgeText().
    void setLive(bool live);
    bool isLive() const { return m_live; }
    QString badgeText() const;

    // The time window on screen, [viewStart(), viewEnd()].
    qint64 viewEnd() const;
    qint64 viewStart() const { return viewEnd() - m_window; }
    // Positions in series() of the points on screen, [first, end).
    std::pair<qsizetype, qsizetype> shownPoints() const;

    // Exploring: the wheel zooms the time axis about the pointer (live, the right edge stays
    // now), dragging the plot pans it (which pauses the chart where it is dragged to), and
    // paused, the whole history can be scrolled through. "Back to live" (the button shown while
    // paused, or a double click on the plot) resumes.
    ChartTimeView view() const { return {viewEnd(), m_window}; }
    // Shows `wanted` paused, kept inside the history.
    void showView(const ChartTimeView& wanted);
    void zoomAt(double plotX, double factor);
    void backToLive() { setPaused(false); }
    QToolButton* liveButton() const { return m_liveButton; }

    // The hover readout: the point nearest the pointer's time and its text ("" when none).
    void setHoverPosition(std::optional<QPointF> pos);
    std::optional<ChartPoint> hoverPoint() const;
    QString hoverText() const;

    // The properties dialog (time window, span, line colour, export), modal.
    void showProperties();

    // Writes the points on screen as "time,value" lines under a header; the time is local time
    // to the millisecond (ISO 8601), the value in its shortest exact form.
    bool exportCsv(const QString& path);
    // Writes the chart as drawn; an empty size takes the widget's (1000 × 400 when too small).
    bool exportPng(const QString& path, QSize size = {});
    // Ask for a file with the chooser, then export; false when cancelled or failed.
    bool exportCsvInteractive(QWidget* parent = nullptr);
    bool exportPngInteractive(QWidget* parent = nullptr);
    QString lastError() const { return m_lastError; }

    void setSaveFileChooser(SaveFileChooser chooser);
    void setClock(Clock clock);
    qint64 now() const { return m_clock(); }
    // Points further apart than this are not joined by a line (default 5 s).
    void setGapThreshold(qint64 ms) { m_gapMs = std::max<qint64>(ms, 1); }

    // Draws the whole chart into rect; used by paintEvent, the PNG export and the benchmark.
    void paintChart(QPainter& painter, const QRect& rect) const;

    // Where the plot and the span bar are drawn in the widget.
    QRectF plotArea() const { return frameFor(rect()).plot; }
    QRectF spanBarArea() const { return frameFor(rect()).spanBar; }

    QSize sizeHint() const override { return {760, 320}; }
    QSize minimumSizeHint() const override { return {320, 160}; }

signals:
    void spanChanged(double low, double high);
    void pausedChanged(bool paused);
    void timeWindowChanged(qint64 ms);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct Frame {
        QRectF header;
        QRectF spanBar;
        QRectF yLabels;
        QRectF plot;
        QRectF xLabels;
        std::vector<double> yTicks;
        int yDecimals = 0;
        // Too small a widget shows only its panel.
        bool hasPlot() const { return plot.width() >= 10 && plot.height() >= 10; }
    };
    enum class Drag { None, Low, High, Band };

    Frame frameFor(const QRect& rect) const;
    void drawHeader(QPainter& p, const Frame& f) const;
    void drawSpanBar(QPainter& p, const Frame& f) const;
    void drawGrid(QPainter& p, const Frame& f, qint64 start, qint64 end) const;
    void drawTrace(QPainter& p, const Frame& f, qint64 start, qint64 end) const;
    void drawTimeStamps(QPainter& p, const Frame& f, qint64 start, qint64 end) const;
    void paintChart(QPainter& p, const QRect& rect, const Frame& f) const;
    void repaintForNewPoint();
    double spanBarValue(const Frame& f, qreal y) const;
    qreal spanBarY(const Frame& f, double value) const;
    Drag dragAt(const Frame& f, QPointF pos) const;
    void emitSpanIfChanged(double oldLow, double oldHigh);
    QString suggestedFileName(const QString& suffix) const;
    void drawHover(QPainter& p, const Frame& f) const;
    void placeLiveButton();

    ChartSeries m_series;
    ChartScale m_scale;
    QString m_caption;
    QColor m_lineColor;
    qint64 m_window = 10 * kMinute;
    qint64 m_gapMs = 5000;
    bool m_paused = false;
    bool m_live = true;
    qint64 m_frozenEnd = 0;
    QList<TimeStamp> m_stamps;
    Clock m_clock;
    SaveFileChooser m_chooser;
    QString m_lastError;
    QTimer m_scroll;
    // Repaints for new points wait until the trace has moved a whole pixel (see appendAt).
    QTimer m_repaint;
    qint64 m_paintedEnd = 0;
    QRect m_paintedHeader; // where the last full paint put the header
    double m_msPerPixel = 0;

    QToolButton* m_liveButton = nullptr;
    std::optional<QPointF> m_hover;
    bool m_panning = false;
    qreal m_panStartX = 0;
    ChartTimeView m_panStartView;

    Drag m_drag = Drag::None;
    double m_pressValue = 0;
    double m_pressLow = 0;
    double m_pressHigh = 0;
};

} // namespace vanto
