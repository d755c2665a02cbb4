#include "stripchart.h"

#include "stripchartdialog.h"
#include "theme.h"

#include "shared/atomicfile.h"

#include <QBuffer>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLocale>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QToolButton>
#include <QWheelEvent>

#include <cmath>

namespace vanto {

namespace {

constexpr qreal kSpanBarWidth = 10;
constexpr qreal kHandleReach = 6; // pixels around a band end that grab it

QString valueText(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

int decimalsForStep(double step) {
    if (!(step > 0) || step >= 1) {
        return 0;
    }
    return qBound(0, int(std::ceil(-std::log10(step) - 1e-9)), 6);
}

QString shortestText(double value) {
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

} // namespace

StripChart::StripChart(QWidget* parent, qsizetype capacity)
    : QWidget(parent), m_series(capacity), m_caption(QStringLiteral("Distance (Inches)")),
      m_lineColor(theme::accent()), m_clock([] { return QDateTime::currentMSecsSinceEpoch(); }) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_chooser = [](QWidget* owner, const QString& caption, const QString& filter,
                   const QString& name) {
        QFileDialog dialog(owner, caption, QString(), filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QFileInfo(name).suffix());
        dialog.selectFile(name);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    m_scroll.setInterval(1000);
    connect(&m_scroll, &QTimer::timeout, this, [this] {
        if (!m_paused) {
            update();
        }
    });
    m_repaint.setSingleShot(true);
    connect(&m_repaint, &QTimer::timeout, this, [this] { update(); });
    m_liveButton = new QToolButton(this);
    m_liveButton->setObjectName(QStringLiteral("backToLive"));
    m_liveButton->setText(tr("Back to live"));
    m_liveButton->setToolTip(tr("Show the newest points again, scrolling as they come"));
    m_liveButton->setCursor(Qt::ArrowCursor);
    m_liveButton->hide();
    connect(m_liveButton, &QToolButton::clicked, this, &StripChart::backToLive);
}

void StripChart::append(double value) {
    appendAt(now(), value);
}

void StripChart::appendAt(qint64 time, double value) {
    m_series.append(time, value);
    if (!m_paused) {
        repaintForNewPoint();
    }
}

// A new point moves the trace by (time since the last repaint) / (window / plot width) pixels.
// In a 10-minute window on 800 pixels a pixel is 0.75 s, so repainting for each of the points
// 0.2 s apart redraws a picture that has not moved; instead the repaint waits until the trace
// has moved a whole pixel, and the newest point is in the trace at most that much later. Its
// value in the header is shown at once. A window of a minute or two repaints for every point.
void StripChart::repaintForNewPoint() {
    const qint64 wait = m_paintedEnd + qint64(m_msPerPixel) - now();
    if (wait <= 0) {
        update();
        return;
    }
    update(m_paintedHeader);
    if (!m_repaint.isActive()) {
        m_repaint.start(int(std::min<qint64>(wait, 1000)));
    }
}

void StripChart::clear() {
    m_series.clear();
    update();
}

void StripChart::setSpan(double low, double high) {
    const double oldLow = m_scale.spanLow();
    const double oldHigh = m_scale.spanHigh();
    m_scale.setSpan(low, high);
    emitSpanIfChanged(oldLow, oldHigh);
}

void StripChart::setLimits(double low, double high) {
    const double oldLow = m_scale.spanLow();
    const double oldHigh = m_scale.spanHigh();
    m_scale.setLimits(low, high);
    emitSpanIfChanged(oldLow, oldHigh);
    update();
}

void StripChart::setScale(double spanLow, double spanHigh, double limitLow, double limitHigh) {
    const double oldLow = m_scale.spanLow();
    const double oldHigh = m_scale.spanHigh();
    m_scale.set(spanLow, spanHigh, limitLow, limitHigh);
    emitSpanIfChanged(oldLow, oldHigh);
    update();
}

void StripChart::emitSpanIfChanged(double oldLow, double oldHigh) {
    if (oldLow != m_scale.spanLow() || oldHigh != m_scale.spanHigh()) {
        update();
        emit spanChanged(m_scale.spanLow(), m_scale.spanHigh());
    }
}

void StripChart::setCaption(const QString& caption) {
    m_caption = caption;
    update();
}

void StripChart::setTimeWindow(qint64 ms) {
    ms = std::max<qint64>(ms, 1000);
    if (ms != m_window) {
        m_window = ms;
        update();
        emit timeWindowChanged(ms);
    }
}

QList<qint64> StripChart::standardWindows() {
    return {kMinute, 5 * kMinute, 10 * kMinute, 30 * kMinute,
            kHour,   4 * kHour,   12 * kHour,   24 * kHour};
}

QString StripChart::windowName(qint64 ms) {
    if (ms % kHour == 0) {
        return QStringLiteral("%1 h").arg(ms / kHour);
    }
    if (ms % kMinute == 0) {
        return QStringLiteral("%1 min").arg(ms / kMinute);
    }
    return QStringLiteral("%1 s").arg(ms / 1000);
}

void StripChart::setLineColor(const QColor& color) {
    if (color.isValid()) {
        m_lineColor = color;
        update();
    }
}

void StripChart::timeStamp(const QString& text) {
    const qint64 t = now();
    const QString label =
        text.isEmpty() ? QDateTime::fromMSecsSinceEpoch(t).toString(QStringLiteral("HH:mm:ss"))
                       : text;
    m_stamps.append({t, label});
    while (m_stamps.size() > kMaxTimeStamps) {
        m_stamps.removeFirst();
    }
    update();
}

void StripChart::clearTimeStamps() {
    m_stamps.clear();
    update();
}

void StripChart::setPaused(bool paused) {
    if (paused == m_paused) {
        return;
    }
    m_paused = paused;
    if (paused) {
        m_frozenEnd = now();
    }
    m_liveButton->setVisible(paused);
    placeLiveButton();
    update();
    emit pausedChanged(paused);
}

void StripChart::setLive(bool live) {
    if (live == m_live)
        return;
    m_live = live;
    update();
}

QString StripChart::badgeText() const {
    if (m_paused)
        return QStringLiteral("PAUSED");
    return m_live ? QStringLiteral("LIVE") : QStringLiteral("OFF-LINE");
}

qint64 StripChart::viewEnd() const {
    return m_paused ? m_frozenEnd : now();
}

std::pair<qsizetype, qsizetype> StripChart::shownPoints() const {
    const qint64 end = viewEnd();
    return {m_series.lowerBound(end - m_window), m_series.lowerBound(end + 1)};
}

void StripChart::showProperties() {
    StripChartDialog dialog(this, this);
    dialog.exec();
}

bool StripChart::exportCsv(const QString& path) {
    QByteArray out("time,value\n");
    const auto [first, end] = shownPoints();
    out.reserve(int(32 * (end - first) + 16));
    for (qsizetype i = first; i < end; ++i) {
        const ChartPoint point = m_series.at(i);
        out += QDateTime::fromMSecsSinceEpoch(point.time)
                   .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"))
                   .toLatin1();
        out += ',';
        out += shortestText(point.value).toLatin1();
        out += '\n';
    }
    const QString error = writeFileAtomically(path, out);
    if (!error.isEmpty()) {
        m_lastError = QStringLiteral("%1: %2").arg(path, error);
        return false;
    }
    m_lastError.clear();
    return true;
}

bool StripChart::exportPng(const QString& path, QSize size) {
    if (size.isEmpty()) {
        size = (width() >= 320 && height() >= 160) ? this->size() : QSize(1000, 400);
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(theme::panel());
    {
        QPainter p(&image);
        p.setFont(font());
        paintChart(p, image.rect());
    }
    // Encoded in memory first, so that the file is written (and checked) in one go.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        m_lastError = QStringLiteral("%1: cannot encode the image").arg(path);
        return false;
    }
    const QString error = writeFileAtomically(path, png);
    if (!error.isEmpty()) {
        m_lastError = QStringLiteral("%1: %2").arg(path, error);
        return false;
    }
    m_lastError.clear();
    return true;
}

QString StripChart::suggestedFileName(const QString& suffix) const {
    return QStringLiteral("chart-%1.%2")
        .arg(QDateTime::fromMSecsSinceEpoch(viewEnd()).toString(QStringLiteral("yyyyMMdd-HHmmss")),
             suffix);
}

bool StripChart::exportCsvInteractive(QWidget* parent) {
    const QString path = m_chooser(parent ? parent : this, tr("Export Chart Data"),
                                   tr("CSV files (*.csv)"), suggestedFileName("csv"));
    return !path.isEmpty() && exportCsv(path);
}

bool StripChart::exportPngInteractive(QWidget* parent) {
    const QString path = m_chooser(parent ? parent : this, tr("Export Chart Picture"),
                                   tr("PNG pictures (*.png)"), suggestedFileName("png"));
    return !path.isEmpty() && exportPng(path);
}

void StripChart::setSaveFileChooser(SaveFileChooser chooser) {
    m_chooser = std::move(chooser);
}

void StripChart::setClock(Clock clock) {
    if (clock) {
        m_clock = std::move(clock);
    }
}

// ---------------------------------------------------------------------------------------------
// Drawing

StripChart::Frame StripChart::frameFor(const QRect& rect) const {
    Frame f;
    const QFontMetricsF fm(font());
    const QRectF r = QRectF(rect).adjusted(8, 6, -12, -6);
    f.header = QRectF(r.left(), r.top(), r.width(), fm.height() + 10);
    const qreal bottomAxis = fm.height() + 8;
    const qreal plotTop = f.header.bottom() + 4;
    const qreal plotBottom = r.bottom() - bottomAxis;

    const int maxTicks = std::max(2, int((plotBottom - plotTop) / (fm.height() * 1.8)));
    f.yTicks = niceTicks(m_scale.spanLow(), m_scale.spanHigh(), maxTicks);
    f.yDecimals = f.yTicks.size() >= 2 ? decimalsForStep(f.yTicks[1] - f.yTicks[0]) : 1;
    qreal labelWidth = fm.horizontalAdvance(QStringLiteral("000"));
    for (double v : f.yTicks) {
        labelWidth = std::max(labelWidth, fm.horizontalAdvance(valueText(v, f.yDecimals)));
    }
    f.spanBar = QRectF(r.left(), plotTop, kSpanBarWidth, plotBottom - plotTop);
    f.yLabels = QRectF(f.spanBar.right() + 6, plotTop, labelWidth + 4, plotBottom - plotTop);
    f.plot = QRectF(f.yLabels.right() + 6, plotTop, r.right() - f.yLabels.right() - 6,
                    plotBottom - plotTop);
    f.xLabels = QRectF(f.plot.left(), f.plot.bottom(), f.plot.width(), bottomAxis);
    return f;
}

void StripChart::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const Frame f = frameFor(rect());
    if (f.hasPlot() && !event->region().intersects(f.plot.toAlignedRect())) {
        // Only the header: the newest value while the trace waits for its next pixel.
        p.setRenderHint(QPainter::Antialiasing);
        p.setFont(font());
        theme::drawPanel(p, rect(), 6);
        drawHeader(p, f);
        return;
    }
    paintChart(p, rect(), f);
    if (m_hover && f.hasPlot()) {
        drawHover(p, f);
    }
    m_repaint.stop();
    m_paintedEnd = viewEnd();
    m_paintedHeader = f.header.toAlignedRect();
    m_msPerPixel = f.hasPlot() ? double(m_window) / f.plot.width() : 0;
}

void StripChart::paintChart(QPainter& p, const QRect& rect) const {
    paintChart(p, rect, frameFor(rect));
}

void StripChart::paintChart(QPainter& p, const QRect& rect, const Frame& f) const {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(font());
    theme::drawPanel(p, rect, 6);
    if (!f.hasPlot()) {
        p.restore();
        return;
    }
    const qint64 end = viewEnd();
    const qint64 start = end - m_window;

    drawHeader(p, f);
    theme::drawFace(p, f.plot.adjusted(-1, -1, 1, 1), theme::face(), 3);
    drawGrid(p, f, start, end);
    drawTrace(p, f, start, end);
    drawTimeStamps(p, f, start, end);
    drawSpanBar(p, f);
    p.restore();
}

void StripChart::drawHeader(QPainter& p, const Frame& f) const {
    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(theme::text());
    const QFontMetricsF fm(bold);
    p.drawText(f.header, Qt::AlignLeft | Qt::AlignVCenter, m_caption);
    qreal right = f.header.right();

    // Live, off-line or paused badge, at the right.
    const QFont small = theme::captionFont(font());
    const QFontMetricsF sm(small);
    const QString state = badgeText();
    const qreal badgeW = sm.horizontalAdvance(state) + 22;
    const QRectF badge(right - badgeW, f.header.center().y() - sm.height() / 2 - 2, badgeW,
                       sm.height() + 4);
    const QColor badgeColor = m_paused ? theme::alert()
                              : m_live ? theme::readout()
                                       : theme::dimText();
    QColor fill = badgeColor;
    fill.setAlphaF(0.16f);
    p.setPen(QPen(badgeColor, 1));
    p.setBrush(fill);
    p.drawRoundedRect(badge, badge.height() / 2, badge.height() / 2);
    p.setPen(Qt::NoPen);
    p.setBrush(badgeColor);
    p.drawEllipse(QPointF(badge.left() + 9, badge.center().y()), 3, 3);
    p.setFont(small);
    p.setPen(badgeColor);
    p.drawText(badge.adjusted(15, 0, -5, 0), Qt::AlignCenter, state);
    right = badge.left() - 10;

    // The window shown, then the newest value in the line's colour.
    p.setPen(theme::dimText());
    const QString window = windowName(m_window);
    const qreal windowW = sm.horizontalAdvance(window);
    p.drawText(QRectF(right - windowW, f.header.top(), windowW, f.header.height()),
               Qt::AlignRight | Qt::AlignVCenter, window);
    right -= windowW + 14;
    if (!m_series.isEmpty()) {
        const int decimals = std::max(1, f.yDecimals);
        const QString value = valueText(m_series.newest().value, decimals);
        p.setFont(bold);
        p.setPen(m_live ? m_lineColor : theme::dimText()); // off-line: the last value, stale
        const qreal valueW = fm.horizontalAdvance(value);
        p.drawText(QRectF(right - valueW, f.header.top(), valueW, f.header.height()),
                   Qt::AlignRight | Qt::AlignVCenter, value);
    }
}

void StripChart::drawGrid(QPainter& p, const Frame& f, qint64 start, qint64 end) const {
    const QRectF& plot = f.plot;
    const double low = m_scale.spanLow();
    const double high = m_scale.spanHigh();
    const QFontMetricsF fm(font());

    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(theme::grid(), 1));
    for (double v : f.yTicks) {
        const qreal y = std::round(plot.bottom() - (v - low) / (high - low) * plot.height());
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }

    const int maxLabels =
        std::max(1, int(plot.width() / (fm.horizontalAdvance(QStringLiteral("00:00:00")) + 24)));
    const qint64 step = timeTickStep(end - start, maxLabels);
    const qint64 offset = qint64(QDateTime::fromMSecsSinceEpoch(start).offsetFromUtc()) * 1000;
    // First label time on a local-time multiple of the step.
    qint64 t = ((start + offset + step - 1) / step) * step - offset;
    const QString format = step < kMinute ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm");
    std::vector<std::pair<qreal, qint64>> labels;
    for (; t <= end; t += step) {
        const qreal x =
            std::round(plot.left() + double(t - start) / double(end - start) * plot.width());
        p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        labels.emplace_back(x, t);
    }
    p.setRenderHint(QPainter::Antialiasing, true);

    p.setFont(font());
    p.setPen(theme::dimText());
    for (double v : f.yTicks) {
        const qreal y = plot.bottom() - (v - low) / (high - low) * plot.height();
        p.drawText(QRectF(f.yLabels.left(), y - fm.height() / 2, f.yLabels.width(), fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, valueText(v, f.yDecimals));
    }
    for (const auto& [x, time] : labels) {
        const QString text = QDateTime::fromMSecsSinceEpoch(time).toString(format);
        const qreal w = fm.horizontalAdvance(text) + 4;
        QRectF box(x - w / 2, f.xLabels.top() + 3, w, fm.height());
        if (box.left() < f.xLabels.left() - 4 || box.right() > f.xLabels.right() + 8) {
            continue;
        }
        p.drawText(box, Qt::AlignCenter, text);
    }
}

void StripChart::drawTrace(QPainter& p, const Frame& f, qint64 start, qint64 end) const {
    const QRectF& plot = f.plot;
    const int columns = std::max(1, int(plot.width()));
    const std::vector<ChartColumn> summary =
        summarizeColumns(m_series, start, start + m_window + 1, columns);
    const double low = m_scale.spanLow();
    const double scaleY = plot.height() / (m_scale.spanHigh() - low);
    const qreal far = 4 * (plot.height() + 10);
    auto yOf = [&](double v) {
        return std::clamp(plot.bottom() - (v - low) * scaleY, plot.top() - far,
                          plot.bottom() + far);
    };
    const double pxPerMs = plot.width() / double(end - start);
    auto xOf = [&](qint64 t) { return plot.left() + double(t - start) * pxPerMs; };

    const qsizetype firstShown = m_series.lowerBound(start);
    const qsizetype after = m_series.lowerBound(start + m_window + 1);
    // With a few points per column a line through them reads best; with more, the line would
    // zigzag up and down every column, so the min/max band is filled instead.
    const bool dense = double(after - firstShown) / columns > 1.5;
    constexpr qreal kPen = 1.6;

    // Runs are stretches without gaps. A sparse run is the line's path; a dense run is the top
    // and the bottom edge of the band, one point of each per column.
    struct Run {
        QPolygonF line;
        QPolygonF top;
        QPolygonF bottom;
        bool isEmpty() const { return line.isEmpty() && top.isEmpty(); }
    };
    std::vector<Run> runs(1);
    bool haveLast = false;
    ChartPoint last;
    auto startRunIfGap = [&](qint64 nextTime) {
        if (haveLast && nextTime - last.time > m_gapMs && !runs.back().isEmpty()) {
            runs.emplace_back();
        }
    };
    auto pushLine = [&](qreal x, qreal y) {
        QPolygonF& line = runs.back().line;
        if (line.isEmpty() || line.constLast() != QPointF(x, y)) {
            line.append(QPointF(x, y));
        }
    };
    auto pushBand = [&](qreal x, double lo, double hi) {
        qreal top = yOf(hi);
        qreal bottom = yOf(lo);
        if (bottom - top < 2) {
            const qreal middle = (top + bottom) / 2;
            top = middle - 1;
            bottom = middle + 1;
        }
        runs.back().top.append(QPointF(x, top));
        runs.back().bottom.append(QPointF(x, bottom));
    };
    auto pushEdgePoint = [&](const ChartPoint& point) {
        startRunIfGap(point.time);
        if (dense) {
            pushBand(xOf(point.time), point.value, point.value);
        } else {
            pushLine(xOf(point.time), yOf(point.value));
        }
        last = point;
        haveLast = true;
    };

    // The point before the window, so that the trace enters from the left edge.
    if (firstShown > 0) {
        pushEdgePoint(m_series.at(firstShown - 1));
    }
    for (int c = 0; c < columns; ++c) {
        const ChartColumn& col = summary[size_t(c)];
        if (col.count == 0) {
            continue;
        }
        startRunIfGap(col.first.time);
        const qreal x = plot.left() + c + 0.5 - (dense ? 0.5 : 0);
        if (dense) {
            // The band also covers the step from the previous column's last value.
            ValueRange range = col.range;
            if (haveLast && !runs.back().isEmpty()) {
                range.include(last.value);
            }
            pushBand(x, range.min, range.max);
        } else {
            pushLine(x, yOf(col.first.value));
            if (col.count > 2) {
                const bool rising = col.last.value >= col.first.value;
                pushLine(x, yOf(rising ? col.range.min : col.range.max));
                pushLine(x, yOf(rising ? col.range.max : col.range.min));
            }
            pushLine(x, yOf(col.last.value));
        }
        last = col.last;
        haveLast = true;
    }
    // While paused, newer points continue the trace past the right edge.
    if (after < m_series.size() && haveLast) {
        pushEdgePoint(m_series.at(after));
    }

    if (after == firstShown) {
        p.setPen(theme::dimText());
        p.setFont(font());
        p.drawText(plot, Qt::AlignCenter,
                   m_series.isEmpty() ? tr("No data") : tr("No data in this window"));
    }

    p.save();
    p.setClipRect(plot);
    for (const Run& run : runs) {
        if (dense && !run.top.isEmpty()) {
            // One vertical stroke per column. A filled outline of the band would be exact too,
            // but its ragged edges are very long and the rasteriser's cost follows their length.
            QVector<QLineF> strokes;
            strokes.reserve(run.top.size());
            for (qsizetype i = 0; i < run.top.size(); ++i) {
                strokes.append(QLineF(run.top[i], run.bottom[i]));
            }
            QPen pen(m_lineColor, 1, Qt::SolidLine, Qt::FlatCap);
            pen.setCosmetic(true);
            p.setPen(pen);
            // Whole-pixel columns gain nothing from antialiasing; solid spans are quicker.
            // Drawn twice a pixel apart, so that the trace is as bold as the sparse line.
            p.setRenderHint(QPainter::Antialiasing, false);
            p.drawLines(strokes);
            p.translate(1, 0);
            p.drawLines(strokes);
            p.translate(-1, 0);
            p.setRenderHint(QPainter::Antialiasing, true);
        } else if (run.line.size() == 1) {
            p.setPen(Qt::NoPen);
            p.setBrush(m_lineColor);
            p.drawEllipse(run.line.first(), kPen, kPen);
        } else if (run.line.size() > 1) {
            // Stroked in short pieces: one long zigzag path makes the stroker's outline huge.
            p.setPen(QPen(m_lineColor, kPen, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            constexpr qsizetype kPiece = 48;
            for (qsizetype i = 0; i + 1 < run.line.size(); i += kPiece) {
                const qsizetype n = std::min(kPiece + 1, run.line.size() - i);
                p.drawPolyline(run.line.constData() + i, int(n));
            }
        }
    }
    p.restore();
}

void StripChart::drawTimeStamps(QPainter& p, const Frame& f, qint64 start, qint64 end) const {
    const QRectF& plot = f.plot;
    const QFont small = theme::captionFont(font());
    const QFontMetricsF fm(small);
    p.setFont(small);
    std::vector<qreal> rowRight(3, -1e9); // right end of the last label in each row
    for (const TimeStamp& stamp : m_stamps) {
        if (stamp.time < start || stamp.time > end) {
            continue;
        }
        const qreal x = std::round(plot.left() + double(stamp.time - start) / double(end - start) *
                                                     plot.width()) +
                        0.5;
        p.setPen(QPen(theme::alert(), 1, Qt::DashLine));
        p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));

        const qreal w = fm.horizontalAdvance(stamp.text) + 10;
        const qreal h = fm.height() + 2;
        qreal left = std::clamp(x - w / 2, plot.left() + 1, plot.right() - w - 1);
        size_t row = 0;
        while (row + 1 < rowRight.size() && left < rowRight[row] + 3) {
            ++row;
        }
        rowRight[row] = left + w;
        const QRectF pill(left, plot.top() + 3 + qreal(row) * (h + 2), w, h);
        p.setPen(Qt::NoPen);
        p.setBrush(theme::alert());
        p.drawRoundedRect(pill, 3, 3);
        p.setPen(theme::face());
        p.drawText(pill, Qt::AlignCenter, stamp.text);
    }
}

qreal StripChart::spanBarY(const Frame& f, double value) const {
    const double range = m_scale.limitHigh() - m_scale.limitLow();
    return f.spanBar.bottom() - (value - m_scale.limitLow()) / range * f.spanBar.height();
}

double StripChart::spanBarValue(const Frame& f, qreal y) const {
    const double range = m_scale.limitHigh() - m_scale.limitLow();
    return m_scale.limitLow() + (f.spanBar.bottom() - y) / f.spanBar.height() * range;
}

void StripChart::drawSpanBar(QPainter& p, const Frame& f) const {
    theme::drawFace(p, f.spanBar, theme::face(), f.spanBar.width() / 2);
    const qreal top = spanBarY(f, m_scale.spanHigh());
    const qreal bottom = spanBarY(f, m_scale.spanLow());
    const QRectF band(f.spanBar.left() + 2, top, f.spanBar.width() - 4, bottom - top);
    QColor fill = m_lineColor;
    fill.setAlphaF(0.45f);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(band, 2, 2);
    // Handles: short bars across the band's ends.
    p.setBrush(QColor(0xe6, 0xea, 0xef));
    p.setPen(QPen(theme::faceEdge(), 1));
    for (qreal y : {top, bottom}) {
        p.drawRoundedRect(QRectF(f.spanBar.left() - 2, y - 2.5, f.spanBar.width() + 4, 5), 2, 2);
    }
}

StripChart::Drag StripChart::dragAt(const Frame& f, QPointF pos) const {
    if (pos.x() < f.spanBar.left() - 6 || pos.x() > f.yLabels.right()) {
        return Drag::None;
    }
    const qreal top = spanBarY(f, m_scale.spanHigh());
    const qreal bottom = spanBarY(f, m_scale.spanLow());
    const qreal toTop = std::abs(pos.y() - top);
    const qreal toBottom = std::abs(pos.y() - bottom);
    if (std::min(toTop, toBottom) <= kHandleReach) {
        return toTop <= toBottom ? Drag::High : Drag::Low;
    }
    if (pos.y() > top && pos.y() < bottom) {
        return Drag::Band;
    }
    return Drag::None;
}

void StripChart::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const Frame f = frameFor(rect());
    m_drag = dragAt(f, event->position());
    if (m_drag == Drag::None) {
        if (f.hasPlot() && f.plot.contains(event->position())) {
            m_panning = true;
            m_panStartX = event->position().x();
            m_panStartView = view();
            setCursor(Qt::ClosedHandCursor);
            event->accept();
            return;
        }
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressValue = spanBarValue(f, event->position().y());
    m_pressLow = m_scale.spanLow();
    m_pressHigh = m_scale.spanHigh();
    event->accept();
}

void StripChart::mouseMoveEvent(QMouseEvent* event) {
    const Frame f = frameFor(rect());
    if (m_panning) {
        const ChartTimeView moved =
            panChartView(m_panStartView, event->position().x() - m_panStartX, f.plot.width());
        if (!(moved == view())) {
            showView(moved);
        }
        setHoverPosition(event->position());
        event->accept();
        return;
    }
    if (m_drag == Drag::None) {
        setHoverPosition(f.plot.contains(event->position()) ? std::optional(event->position())
                                                            : std::nullopt);
        const Drag hover = dragAt(f, event->position());
        setCursor(hover == Drag::None   ? Qt::ArrowCursor
                  : hover == Drag::Band ? Qt::OpenHandCursor
                                        : Qt::SizeVerCursor);
        return;
    }
    const double value = spanBarValue(f, event->position().y());
    const double oldLow = m_scale.spanLow();
    const double oldHigh = m_scale.spanHigh();
    switch (m_drag) {
    case Drag::Low:
        m_scale.dragLow(value);
        break;
    case Drag::High:
        m_scale.dragHigh(value);
        break;
    case Drag::Band:
        m_scale.setSpan(m_pressLow, m_pressHigh);
        m_scale.shift(value - m_pressValue);
        break;
    case Drag::None:
        break;
    }
    emitSpanIfChanged(oldLow, oldHigh);
    event->accept();
}

void StripChart::mouseReleaseEvent(QMouseEvent* event) {
    if (m_panning && event->button() == Qt::LeftButton) {
        m_panning = false;
        setCursor(Qt::ArrowCursor);
        event->accept();
        return;
    }
    if (m_drag != Drag::None && event->button() == Qt::LeftButton) {
        m_drag = Drag::None;
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void StripChart::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && plotArea().contains(event->position())) {
        backToLive();
        event->accept();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

void StripChart::wheelEvent(QWheelEvent* event) {
    const QRectF plot = plotArea();
    const int delta = event->angleDelta().y();
    if (delta == 0 || !plot.contains(event->position())) {
        QWidget::wheelEvent(event);
        return;
    }
    zoomAt(event->position().x() - plot.left(), wheelZoomFactor(delta));
    event->accept();
}

void StripChart::leaveEvent(QEvent* event) {
    setHoverPosition(std::nullopt);
    QWidget::leaveEvent(event);
}

void StripChart::resizeEvent(QResizeEvent* event) {
    placeLiveButton();
    QWidget::resizeEvent(event);
}

// ---------------------------------------------------------------------------------------------
// Exploring

void StripChart::showView(const ChartTimeView& wanted) {
    const qint64 newest = now();
    const qint64 oldest = m_series.isEmpty() ? newest : m_series.at(0).time;
    ChartTimeView v = wanted;
    v.window = std::max<qint64>(v.window, 1000);
    v = clampChartView(v, oldest, newest);
    if (!m_paused) {
        setPaused(true);
    }
    m_frozenEnd = v.end;
    setTimeWindow(v.window);
    update();
}

void StripChart::zoomAt(double plotX, double factor) {
    const QRectF plot = plotArea();
    const double width = plot.width() > 0 ? plot.width() : 1;
    if (!m_paused) {
        // Live, the newest point stays at the right edge.
        setTimeWindow(zoomChartView(view(), width, width, factor).window);
        return;
    }
    showView(zoomChartView(view(), plotX, width, factor));
}

void StripChart::placeLiveButton() {
    if (!m_liveButton) {
        return;
    }
    m_liveButton->adjustSize();
    const QRectF plot = plotArea();
    m_liveButton->move(int(plot.right()) - m_liveButton->width() - 6, int(plot.top()) + 6);
}

void StripChart::setHoverPosition(std::optional<QPointF> pos) {
    if (pos == m_hover) {
        return;
    }
    m_hover = pos;
    update();
}

std::optional<ChartPoint> StripChart::hoverPoint() const {
    const QRectF plot = plotArea();
    if (!m_hover || !(plot.width() > 0)) {
        return std::nullopt;
    }
    const ChartTimeView v = view();
    const qint64 time = chartTimeAt(v, m_hover->x() - plot.left(), plot.width());
    // Within a few pixels, and never across a gap in the trace.
    const qint64 reach =
        std::min<qint64>(m_gapMs, std::max<qint64>(1, qint64(8 * double(v.window) / plot.width())));
    return nearestChartPoint(m_series, time, reach);
}

QString StripChart::hoverText() const {
    const auto point = hoverPoint();
    if (!point) {
        return {};
    }
    const QDateTime t = QDateTime::fromMSecsSinceEpoch(point->time);
    const QString time = t.toString(m_window > 12 * kHour ? QStringLiteral("ddd HH:mm:ss.z")
                                                          : QStringLiteral("HH:mm:ss.z"));
    return QStringLiteral("%1   %2").arg(time, valueText(point->value, 2));
}

void StripChart::drawHover(QPainter& p, const Frame& f) const {
    const auto point = hoverPoint();
    if (!point) {
        return;
    }
    const ChartTimeView v = view();
    const qreal x = f.plot.left() + chartXOf(v, point->time, f.plot.width());
    const double low = m_scale.spanLow();
    const qreal y = std::clamp<qreal>(
        f.plot.bottom() - (point->value - low) / (m_scale.spanHigh() - low) * f.plot.height(),
        f.plot.top(), f.plot.bottom());
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(theme::dimText(), 1, Qt::DashLine));
    p.drawLine(QPointF(x, f.plot.top()), QPointF(x, f.plot.bottom()));
    p.setPen(QPen(theme::face(), 1.5));
    p.setBrush(m_lineColor);
    p.drawEllipse(QPointF(x, y), 4, 4);

    const QString text = hoverText();
    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    const QFontMetricsF fm(bold);
    const QSizeF box(fm.horizontalAdvance(text) + 16, fm.height() + 8);
    qreal left = x + 10;
    if (left + box.width() > f.plot.right() - 2) {
        left = x - 10 - box.width();
    }
    qreal top = y - box.height() - 8;
    if (top < f.plot.top() + 2) {
        top = y + 8;
    }
    const QRectF r(QPointF(left, top), box);
    QColor fill = theme::panel();
    fill.setAlphaF(0.92f);
    p.setBrush(fill);
    p.setPen(QPen(m_lineColor, 1));
    p.drawRoundedRect(r, 4, 4);
    p.setPen(theme::text());
    p.drawText(r, Qt::AlignCenter, text);
    p.restore();
}

void StripChart::showEvent(QShowEvent* event) {
    m_scroll.start();
    QWidget::showEvent(event);
}

void StripChart::hideEvent(QHideEvent* event) {
    m_scroll.stop();
    QWidget::hideEvent(event);
}

} // namespace vanto
