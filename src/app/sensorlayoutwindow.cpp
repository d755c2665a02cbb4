#include "sensorlayoutwindow.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace vanto {

namespace {

// Heights of the four reference lines, in drawing units (the drawing is 396 x 386).
constexpr double kFaceY = 110;   // sensor face
constexpr double kMinY = 152;    // minimum distance, relay ON
constexpr double kRangeY = 206;  // start of the range
constexpr double kBottomY = 318; // end of the span, relay OFF

const QColor kInk(0x1a, 0x1a, 0x1a);
const QColor kMetal(0x9a, 0xa4, 0xae);
const QColor kMetalDark(0x5c, 0x66, 0x70);
const QColor kDimension(0x0b, 0x4f, 0x9c);
const QColor kRelay(0xb0, 0x30, 0x20);
const QColor kReference(0x70, 0x70, 0x70);

// Sizes in drawing units; the painter's scale makes them crisp at any size.
QFont drawingFont(int pixels, bool bold = false) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

void arrowHead(QPainter& p, QPointF tip, double direction) {
    // direction: +1 points down, -1 points up
    QPainterPath head;
    head.moveTo(tip);
    head.lineTo(tip.x() - 3.5, tip.y() - direction * 8);
    head.lineTo(tip.x() + 3.5, tip.y() - direction * 8);
    head.closeSubpath();
    p.fillPath(head, p.pen().color());
}

// A vertical dimension arrow with heads at both ends.
void dimension(QPainter& p, double x, double top, double bottom, const QColor& colour) {
    p.setPen(QPen(colour, 1.2));
    p.drawLine(QPointF(x, top + 2), QPointF(x, bottom - 2));
    arrowHead(p, QPointF(x, top), -1);
    arrowHead(p, QPointF(x, bottom), 1);
}

// Text with its left edge at x, vertically centred on y; lines separated by '\n'.
void label(QPainter& p, double x, double y, const QString& text, const QColor& colour,
           Qt::Alignment horizontal = Qt::AlignLeft) {
    p.setPen(colour);
    const QRectF box = horizontal == Qt::AlignRight ? QRectF(x - 200, y - 40, 200, 80)
                                                    : QRectF(x, y - 40, 200, 80);
    p.drawText(box, int(horizontal | Qt::AlignVCenter), text);
}

// Text written bottom to top, centred on (x, y).
void verticalLabel(QPainter& p, double x, double y, const QString& text, const QColor& colour) {
    p.save();
    p.translate(x, y);
    p.rotate(-90);
    p.setPen(colour);
    p.drawText(QRectF(-100, -10, 200, 20), Qt::AlignCenter, text);
    p.restore();
}

void referenceLine(QPainter& p, double y, double from, double to) {
    p.setPen(QPen(kReference, 1, Qt::DashLine));
    p.drawLine(QPointF(from, y), QPointF(to, y));
}

void drawMount(QPainter& p) {
    p.setPen(QPen(kMetalDark, 1));
    // Base plate and post.
    p.setBrush(kMetal);
    p.drawRect(QRectF(14, 350, 92, 10));
    p.drawRect(QRectF(34, 72, 11, 278));
    // Floor.
    p.setPen(QPen(kInk, 1));
    p.drawLine(QPointF(6, 360), QPointF(114, 360));
    for (double x = 10; x < 114; x += 8)
        p.drawLine(QPointF(x, 360), QPointF(x - 6, 367));
    // Arm from the top of the post out over the target.
    p.setPen(QPen(kMetalDark, 1));
    p.setBrush(kMetal);
    p.drawRect(QRectF(34, 72, 106, 9));
    // The control unit clamped to the post.
    p.setBrush(QColor(0xe9, 0xec, 0xef));
    p.drawRect(QRectF(30, 206, 19, 8)); // clamp
    p.drawRoundedRect(QRectF(49, 190, 52, 62), 4, 4);
    p.setBrush(QColor(0x2e, 0x7d, 0x32));
    p.drawRect(QRectF(57, 200, 36, 14)); // display window
    p.setPen(kInk);
    p.setFont(drawingFont(10, true));
    p.drawText(QRectF(49, 220, 52, 24), Qt::AlignCenter, QStringLiteral("QX"));
    // Sensor hanging from the end of the arm, face down.
    p.setPen(QPen(kMetalDark, 1));
    p.setBrush(QColor(0xcf, 0xd6, 0xdc));
    p.drawRect(QRectF(121, 81, 10, 6)); // bracket
    p.drawRoundedRect(QRectF(112, 87, 28, 19), 3, 3);
    p.setBrush(kInk);
    p.drawRect(QRectF(110, 106, 32, kFaceY - 106)); // transducer face
    p.setBrush(Qt::NoBrush);
    // A hint of the sound leaving the face.
    p.setPen(QPen(QColor(0x4f, 0x9d, 0xd8), 1.2));
    for (int i = 1; i <= 3; ++i) {
        const double r = 5.0 * i;
        p.drawArc(QRectF(126 - 1.5 * r, kFaceY + 3 - r, 3 * r, 2 * r), 215 * 16, 110 * 16);
    }
}

} // namespace

void drawSensorLayout(QPainter& p, const QRectF& target) {
    p.save();
    const double w = kSensorLayoutSize.width();
    const double h = kSensorLayoutSize.height();
    const double scale = std::min(target.width() / w, target.height() / h);
    p.translate(target.center().x() - w * scale / 2, target.center().y() - h * scale / 2);
    p.scale(scale, scale);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.fillRect(QRectF(0, 0, w, h), Qt::white);

    // Title line.
    p.setPen(kInk);
    p.setFont(drawingFont(14, true));
    p.drawText(QRectF(0, 8, w, 24), Qt::AlignCenter,
               QStringLiteral("Spoolex - Sensor Ranges - QX Units"));
    p.setPen(QPen(kInk, 1));
    p.drawLine(QPointF(16, 36), QPointF(w - 16, 36));

    drawMount(p);
    p.setFont(drawingFont(11));
    label(p, 96, 112, QStringLiteral("Sensor"), kInk, Qt::AlignRight);
    p.setPen(QPen(kInk, 0.8));
    p.drawLine(QPointF(98, 108), QPointF(111, 99));

    // Reference lines, top to bottom.
    referenceLine(p, kFaceY, 144, 352);
    referenceLine(p, kMinY, 150, 352);
    referenceLine(p, kRangeY, 150, 326);
    referenceLine(p, kBottomY, 150, 352);
    p.setPen(QPen(kInk, 2));
    p.drawLine(QPointF(150, kBottomY), QPointF(352, kBottomY));
    p.setFont(drawingFont(10, true));
    label(p, 355, kMinY, QStringLiteral("(ON)"), kRelay);
    label(p, 355, kBottomY, QStringLiteral("(OFF)"), kRelay);
    p.setFont(drawingFont(11));
    label(p, 352, kBottomY + 16, QStringLiteral("Over Range (Far Relay)"), kInk, Qt::AlignRight);
    // The far zone below the span.
    p.setPen(QPen(kReference, 0.8));
    for (double x = 156; x < 352; x += 9)
        p.drawLine(QPointF(x, kBottomY + 1), QPointF(x - 6, kBottomY + 7));

    // Dimension arrows with their labels.
    p.setFont(drawingFont(11));
    dimension(p, 162, kFaceY, kBottomY, kDimension);
    verticalLabel(p, 172, (kRangeY + kBottomY) / 2, QStringLiteral("Total Span"), kDimension);

    dimension(p, 196, kFaceY, kRangeY, kDimension);
    label(p, 201, (kFaceY + kMinY) / 2, QStringLiteral("Base"), kDimension);

    dimension(p, 240, kMinY, kRangeY, kDimension);
    label(p, 246, (kMinY + kRangeY) / 2, QStringLiteral("Top Stop\n(Near Relay)"), kDimension);

    dimension(p, 196, kRangeY, kBottomY, kDimension);
    label(p, 202, (kRangeY + kBottomY) / 2, QStringLiteral("Range\n1\" to 360\" - Base"),
          kDimension);

    dimension(p, 336, kMinY, kBottomY, kRelay);
    verticalLabel(p, 346, (kRangeY + kBottomY) / 2 - 4, QStringLiteral("Control Relay Range"),
                  kRelay);

    dimension(p, 336, kFaceY, kMinY, kRelay);
    label(p, 330, (kFaceY + kMinY) / 2, QStringLiteral("Min. Distance\n6\" or 13\""), kRelay,
          Qt::AlignRight);

    p.restore();
}

SensorLayoutPicture::SensorLayoutPicture(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("layoutPicture"));
    setMinimumSize(kSensorLayoutSize / 2);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void SensorLayoutPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    drawSensorLayout(p, QRectF(rect()));
}

SensorLayoutWindow::SensorLayoutWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("SensorLayoutWindow"));
    setWindowTitle(QStringLiteral("Sensor Layout"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);
    setFocusPolicy(Qt::StrongFocus);
    layoutPicture = new SensorLayoutPicture(this);
    layoutPicture->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(layoutPicture);
    resize(kSensorLayoutSize);
}

bool SensorLayoutWindow::event(QEvent* event) {
    // Every key closes the window, Tab, escape and Enter included.
    if (event->type() == QEvent::KeyPress) {
        accept();
        return true;
    }
    return QDialog::event(event);
}

void SensorLayoutWindow::mousePressEvent(QMouseEvent*) {
    accept();
}

bool SensorLayoutWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == layoutPicture) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::Wheel:
        case QEvent::TouchBegin:
        case QEvent::TabletPress:
            accept();
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vanto
