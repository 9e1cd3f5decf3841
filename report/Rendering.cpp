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
    table.Reset();
    DrawChartFrame(chartCanvas, view.XScale, view.YScale);
    table.DrawHeader(reportCanvas);
    DrawCostCurves(chartCanvas, result, view.XScale, view.YScale, locale);
    for (const ReportRow& row : ReportRows(parameters, result, locale)) {
        table.AddRow(row.Shape, row.Label, row.SecondLine, row.ExistingValue, row.PlannedValue,
                     reportCanvas);
    }
    table.Close(reportCanvas);
}

} // namespace report
