#include "Canvas.h"

#include "Saturate.h"

#include <QFontMetrics>
#include <QPaintEngine>
#include <QPen>
#include <QPointF>
#include <QRect>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace report {
namespace {

int ClampPixel(int value) {
    return std::clamp(value, -PixelLimit, PixelLimit);
}

QPoint ClampPoint(int x, int y) {
    return QPoint(ClampPixel(x), ClampPixel(y));
}

// Whether the painter puts each coordinate on a whole device pixel of a raster picture, one to
// one: then the canvas sets pixels by Qt's pixel rules.
bool MapsPixelsOneToOne(const QPainter& painter) {
    const QPaintEngine* engine = painter.paintEngine();
    if (engine == nullptr || engine->type() != QPaintEngine::Raster) {
        return false;
    }
    const QTransform transform = painter.deviceTransform();
    return transform.type() <= QTransform::TxTranslate &&
           transform.dx() == std::trunc(transform.dx()) &&
           transform.dy() == std::trunc(transform.dy());
}

} // namespace

int ToPixel(double coordinate) {
    return ClampPixel(model::SaturatingTrunc(coordinate));
}

Canvas::Canvas(QImage& image) : ownPainter_(std::in_place, &image), painter_(*ownPainter_) {
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
    pixelExact_ = MapsPixelsOneToOne(painter_);
}

Canvas::Canvas(QPainter& painter) : painter_(painter) {
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
    pixelExact_ = MapsPixelsOneToOne(painter_);
}

Canvas::~Canvas() {
    if (!ownPainter_) {
        painter_.restore();
    }
}

void Canvas::Rectangle(int left, int top, int right, int bottom) {
    const QPoint a = ClampPoint(std::min(left, right), std::min(top, bottom));
    const QPoint b = ClampPoint(std::max(left, right), std::max(top, bottom));
    const int width = b.x() - a.x();
    const int height = b.y() - a.y();
    if (width <= 0 || height <= 0) {
        return;
    }
    painter_.fillRect(QRect(a.x(), a.y(), width, height), fill_);
    painter_.fillRect(QRect(a.x(), a.y(), width, 1), outlineColour_);
    painter_.fillRect(QRect(a.x(), b.y() - 1, width, 1), outlineColour_);
    painter_.fillRect(QRect(a.x(), a.y(), 1, height), outlineColour_);
    painter_.fillRect(QRect(b.x() - 1, a.y(), 1, height), outlineColour_);
}

void Canvas::Line(int x1, int y1, int x2, int y2) {
    MoveTo(x1, y1);
    LineTo(x2, y2);
}

void Canvas::MoveTo(int x, int y) {
    penPosition_ = ClampPoint(x, y);
}

void Canvas::LineTo(int x, int y) {
    const QPoint to = ClampPoint(x, y);
    DrawSegment(penPosition_, to);
    penPosition_ = to;
}

void Canvas::DrawSegment(QPoint from, QPoint to) {
    if (from == to) {
        return;
    }
    if (outlineWidth_ > 1) {
        // Flat caps keep a wide stroke from running past its end points.
        painter_.setPen(QPen(outlineColour_, outlineWidth_,
                             outlineDotted_ ? Qt::DotLine : Qt::SolidLine, Qt::FlatCap,
                             Qt::RoundJoin));
        painter_.drawLine(from, to);
        return;
    }
    // Qt's one-pixel square-capped lines include both end points (flat caps leave out the one with
    // the larger coordinate, whichever the direction): stop one step before the end along the
    // major axis.
    const int dx = to.x() - from.x();
    const int dy = to.y() - from.y();
    const int steps = std::max(std::abs(dx), std::abs(dy));
    QPoint last;
    if (std::abs(dx) >= std::abs(dy)) {
        const int minor =
            static_cast<int>(std::lround(static_cast<double>(dy) * (steps - 1) / steps));
        last = QPoint(to.x() - (dx > 0 ? 1 : -1), from.y() + minor);
    } else {
        const int minor =
            static_cast<int>(std::lround(static_cast<double>(dx) * (steps - 1) / steps));
        last = QPoint(from.x() + minor, to.y() - (dy > 0 ? 1 : -1));
    }
    if (!pixelExact_) {
        DrawCoveredSegment(from, last);
        return;
    }
    StrokeOutline(QLine(from, last), Qt::SquareCap);
}

template <typename Segment> void Canvas::StrokeOutline(const Segment& line, Qt::PenCapStyle cap) {
    if (outlineDotted_) {
        // Opaque background: the gaps between the dots get the fill colour.
        painter_.setPen(QPen(fill_, 1, Qt::SolidLine, cap));
        painter_.drawLine(line);
    }
    painter_.setPen(QPen(outlineColour_, 1, outlineDotted_ ? Qt::DotLine : Qt::SolidLine, cap));
    painter_.drawLine(line);
}

void Canvas::DrawCoveredSegment(QPoint from, QPoint last) {
    // The one-pixel line covers the squares of the pixels from `from` to `last`: a stroke along
    // their centres, reaching half a pixel beyond both. Flat caps keep the dots one pixel long
    // with two-pixel gaps, as on the raster.
    const QPointF centre(0.5, 0.5);
    QPointF start = QPointF(from) + centre;
    QPointF end = QPointF(last) + centre;
    const QPointF along = end - start;
    const double length = std::hypot(along.x(), along.y());
    const QPointF half = length > 0 ? along * (0.5 / length) : QPointF(0.5, 0);
    start -= half;
    end += half;
    StrokeOutline(QLineF(start, end), Qt::FlatCap);
}

void Canvas::Text(int x, int y, const QString& text) {
    const QPoint at = ClampPoint(x, y);
    painter_.setFont(font_);
    const QFontMetrics metrics(painter_.font(), painter_.device());
    painter_.fillRect(QRect(at.x(), at.y(), metrics.horizontalAdvance(text), metrics.height()),
                      fill_);
    painter_.setPen(textColour_);
    painter_.drawText(QPoint(at.x(), at.y() + metrics.ascent()), text);
}

} // namespace report
