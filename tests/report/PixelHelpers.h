#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

// A white picture of the given size, like the result pictures.
QImage WhiteImage(int width, int height);

// How many pixels of `area` have exactly `colour`.
int CountPixels(const QImage& image, const QRect& area, const QColor& colour);

// How many pixels of `area` come within `tolerance` of `colour` in every channel: smoothed text
// has only some of its pixels in the exact text colour.
int CountInk(const QImage& image, const QRect& area, const QColor& colour, int tolerance = 48);

// Colour of one pixel as (r, g, b), for readable test failures.
QColor PixelAt(const QImage& image, int x, int y);

// Whether `colour` occurs within one pixel of (x, y): wide strokes spread around their line.
bool NearPixel(const QImage& image, int x, int y, const QColor& colour);

#include <ostream>

// Shows colours as r,g,b in failure messages.
inline void PrintTo(const QColor& colour, std::ostream* out) {
    *out << colour.red() << ',' << colour.green() << ',' << colour.blue();
}
