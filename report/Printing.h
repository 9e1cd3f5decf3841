#pragma once

#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QSize>

#include <functional>

namespace report {

// The size at which a picture is printed on a page of the given size in device pixels: the largest
// size with the picture's aspect (integer arithmetic, multiplication before division) that fits
// both the width and the height of the page. On a portrait page the picture spans the page's
// width.
QSize PrintedSize(QSize page, QSize picture);

// Draws the picture scaled to PrintedSize with its top-left corner at the painter's origin.
void DrawPrintedPicture(QPainter& painter, const QImage& picture, QSize page);

// Paints the picture onto the device (one printer page), top-left of its paintable area.
// Raises std::runtime_error when the device cannot be painted on.
void PrintPicture(QPaintDevice& device, const QImage& picture);

// Draws a picture in its own pixel coordinates onto a painter that may scale it.
using PictureDrawing = std::function<void(QPainter& painter)>;

// Draws a picture of `size` pixels scaled to `placed` from the painter's origin, clipped to it;
// nothing when `placed` is empty.
void DrawScaled(QPainter& painter, QSize placed, QSize size, const PictureDrawing& draw);

// As PrintPicture for a picture of `size` pixels that `draw` draws: drawn at the device's own
// resolution, scaled to PrintedSize.
void PrintDrawing(QPaintDevice& device, QSize size, const PictureDrawing& draw);

} // namespace report
