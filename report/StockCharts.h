#pragma once

#include "NumberFormat.h"
#include "StockFigures.h"

#include <QPainter>
#include <QRectF>

#include <optional>
#include <vector>

namespace report {

// The two charts of a housing stock, drawn with vector strokes and text onto any painter (the
// window at any pixel ratio, a PDF, a printer) within `area`, in the painter's units. `textSize`
// is the height of their text in the same units.

// Houses by payback months, one bar per PaybackBars::MonthsPerBar months, and a last bar "нет"
// for houses without payback.
void DrawPaybackBars(QPainter& painter, const QRectF& area, const PaybackBars& bars,
                     double textSize, const model::NumberLocale& locale);

// Cumulative yearly saving against cumulative installation cost, houses in payback order;
// `marked` (an index into the curve) is shown with a tracer.
void DrawInvestmentCurve(QPainter& painter, const QRectF& area,
                         const std::vector<InvestmentPoint>& curve, double textSize,
                         const model::NumberLocale& locale,
                         std::optional<std::size_t> marked = std::nullopt);

// The point of the curve nearest to `x` across the plot of `area`; none for an empty curve or a
// position left or right of the plot.
std::optional<std::size_t> CurvePointAt(const QRectF& area,
                                        const std::vector<InvestmentPoint>& curve, double textSize,
                                        double x);

// The bar under `x`: an index into PaybackBars::Counts, Counts.size() for the bar "нет"; none
// beside the bars.
std::optional<std::size_t> PaybackBarAt(const QRectF& area, const PaybackBars& bars,
                                        double textSize, double x);

// Where the curve's point i is drawn.
QPointF CurvePointPosition(const QRectF& area, const std::vector<InvestmentPoint>& curve,
                           double textSize, std::size_t i);

} // namespace report
