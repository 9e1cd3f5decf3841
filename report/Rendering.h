#pragma once

#include "NumberFormat.h"
#include "ProjectParameters.h"
#include "ResultPictures.h"
#include "SimulationResult.h"

#include <QPainter>

namespace report {

class ReportTable;

// Draws the two monthly bars of a calculation's daily energy into the picture.
void DrawMonthlyChart(QImage& monthlyChart, const model::SimulationResult& result,
                      const model::NumberLocale& locale);

// Draws the report table and the cumulative cost chart of a finished calculation at the zoom of
// `view`. Called after every calculation and after every zoom step.
void RenderResults(ResultPictures& pictures, ReportTable& table,
                   const model::ProjectParameters& parameters,
                   const model::SimulationResult& result, const ChartView& view,
                   const model::NumberLocale& locale);

// Draws the tracer line and its read-out on the window (never into the pictures). Draws nothing
// while the tracer is off or before the first accepted mouse position.
void DrawTracer(QPainter& window, const ChartView& view, const model::SimulationResult& result,
                const model::NumberLocale& locale);

} // namespace report
