#pragma once

#include "ResultPictures.h"

#include <QImage>
#include <QPoint>
#include <QSize>

namespace report {

enum class TurnDirection { Clockwise, CounterClockwise };

// A new picture of the given one turned by a quarter turn. Counter-clockwise puts the top edge on
// the left: pixel (x, y) goes to (y, W - 1 - x); clockwise puts it on the right: (x, y) goes to
// (H - 1 - y, x). 32-bit pictures keep their format; others are turned as 32-bit ARGB.
QImage QuarterTurn(const QImage& picture, TurnDirection direction);

inline constexpr int PageWidth = 600;
inline constexpr int PageHeight = 1000;
inline constexpr int OutputWidth = 1000;
inline constexpr int OutputHeight = 600;

// Where the pieces go on the portrait page: the top-left corner of each once turned
// counter-clockwise.
inline constexpr QPoint MonthlyChartPageAt(320, 400);
inline constexpr QPoint ReportPageAt(25, 430);
inline constexpr QPoint CostChartPageAt(0, 0);
inline constexpr QPoint LogoPageAt(40, 50);

// The top-left corner, in the upright output picture, of an upright piece of `size` put on the
// portrait page at `pageAt`.
constexpr QPoint OutputPosition(QPoint pageAt, QSize size) {
    return QPoint(PageHeight - pageAt.y() - size.width(), pageAt.x());
}

// The portrait page, 600 x 1000, white, with the monthly chart, the report table, the cost chart
// and the logo each turned counter-clockwise and copied on in this order (later ones cover
// earlier ones), clipped at the page's edges. A logo of a device pixel ratio above 1 is scaled to
// its device-independent size.
QImage ComposePage(const ResultPictures& pictures, const QImage& logo);

// The picture that is printed and saved: the page turned clockwise, 1000 x 600, every piece
// upright again.
QImage ComposeOutputPicture(const ResultPictures& pictures, const QImage& logo);

} // namespace report
