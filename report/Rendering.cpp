#include "Rendering.h"

#include "Canvas.h"
#include "CostChart.h"
#include "MonthlyChart.h"
#include "ReportTable.h"

namespace report {

void DrawMonthlyChart(QImage& monthlyChart, const model::SimulationResult& result,
                      const model::NumberLocale& locale) {
    Canvas canvas(monthlyChart);
    DrawMonthlyBars(canvas, result, locale);
}

void RenderResults(ResultPictures& pictures, ReportTable& table,
                   const model::ProjectParameters& parameters,
                   const model::SimulationResult& result, const ChartView& view,
                   const model::NumberLocale& locale) {
    Canvas reportCanvas(pictures.ReportBitmap);
    Canvas chartCanvas(pictures.CostChartBitmap);
    DrawCostChart(chartCanvas, result, view.XScale, view.YScale, locale);
    DrawReport(table, reportCanvas, parameters, result, locale);
}

} // namespace report
