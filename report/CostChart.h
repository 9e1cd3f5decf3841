#pragma once

#include "Canvas.h"
#include "NumberFormat.h"
#include "SimulationResult.h"

#include <QStringList>

namespace report {

// Where the chart's origin (day 0, cost 0) lies in the cost chart picture and how far the plot
// reaches from it.
inline constexpr int ChartOriginX = 10;
inline constexpr int ChartOriginY = 550;
inline constexpr int PlotWidth = 400;
inline constexpr int PlotHeight = 500;

// Labels of the four day ticks at 100, 200, 300 and 400 pixels for `xScale` pixels per day.
QStringList DayTickLabels(double xScale);
// Labels of the five cost ticks at 100 to 500 pixels for `yScale` pixels per 1000 roubles.
QStringList CostTickLabels(double yScale);

// Clears the picture and draws the axes, ticks and scale labels.
void DrawChartFrame(Canvas& chart, double xScale, double yScale);

// Draws both cumulative cost curves, their legend and, when the calculation found one, the
// payback marker.
void DrawCostCurves(Canvas& chart, const model::SimulationResult& result, double xScale,
                    double yScale, const model::NumberLocale& locale);

// The whole chart: DrawChartFrame, then DrawCostCurves.
void DrawCostChart(Canvas& chart, const model::SimulationResult& result, double xScale,
                   double yScale, const model::NumberLocale& locale);

} // namespace report
