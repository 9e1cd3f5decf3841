#include "CostChart.h"

#include "Fonts.h"
#include "Saturate.h"

#include <vector>

namespace report {
namespace {

const QColor AxisColour(0, 180, 0);
const QColor ExistingColour(250, 0, 0);
const QColor PlannedColour(0, 250, 0);
const QColor PaybackColour(0, 0, 255);
constexpr double ChartTextSize = 8;

double CostHeight(double roubles, double yScale) {
    return roubles * 0.001 * yScale;
}

void DrawCurve(Canvas& chart, const std::vector<model::DayRecord>& days, double xScale,
               double yScale) {
    if (days.empty()) {
        return;
    }
    chart.MoveTo(ChartOriginX, ToPixel(ChartOriginY - CostHeight(days[0].CumulativeCost, yScale)));
    // A point above the plot is skipped; the curve goes on from the last point drawn.
    for (std::size_t i = 0; i < days.size() && static_cast<double>(i) * xScale <= PlotWidth; ++i) {
        const double h = CostHeight(days[i].CumulativeCost, yScale);
        if (h <= PlotHeight) {
            chart.LineTo(ToPixel(static_cast<double>(i) * xScale + ChartOriginX),
                         ToPixel(ChartOriginY - h));
        }
    }
}

void DrawPaybackMarker(Canvas& chart, const model::SimulationResult& result, double xScale,
                       double yScale, const model::NumberLocale& locale) {
    chart.SetFill(Qt::white);
    chart.SetOutlineColour(PaybackColour);
    chart.SetOutlineDotted(true);
    double x = result.PaybackDay * xScale;
    double h = CostHeight(result.PaybackCostExisting, yScale);
    if (x > PlotWidth) {
        x = PlotWidth;
    }
    if (h > PlotHeight) {
        h = PlotHeight;
    }
    const int markerX = ToPixel(ChartOriginX + x);
    const int markerY = ToPixel(ChartOriginY - h);
    if (x < PlotWidth) {
        chart.Line(markerX, markerY, markerX, ChartOriginY);
        chart.Text(ToPixel(15 + x), 535, QString::number(result.PaybackDay));
    }
    if (h < PlotHeight) {
        chart.Line(markerX, markerY, ChartOriginX, markerY);
        chart.Text(20, ToPixel(535 - h),
                   QString::fromStdString(
                       model::FormatNumber(result.PaybackCostExisting, "0,00", locale)));
    }
}

} // namespace

QStringList DayTickLabels(double xScale) {
    QStringList labels;
    for (int k = 1; k <= 4; ++k) {
        labels << QString::number(model::SaturatingTrunc(100.0 * k / xScale));
    }
    return labels;
}

QStringList CostTickLabels(double yScale) {
    QStringList labels;
    for (int k = 1; k <= 5; ++k) {
        labels << QString::number(model::SaturatingTrunc(100000.0 * k / yScale));
    }
    return labels;
}

void DrawChartFrame(Canvas& chart, double xScale, double yScale) {
    chart.SetOutlineColour(Qt::white);
    chart.SetFill(Qt::white);
    chart.SetOutlineDotted(false);
    chart.SetOutlineWidth(1);
    chart.Rectangle(0, 0, 450, 650);

    chart.SetOutlineColour(AxisColour);
    chart.SetTextColour(Qt::black);
    chart.SetFont(PictureFont(ChartTextSize));
    chart.Line(ChartOriginX, ChartOriginY, ChartOriginX, ChartOriginY - PlotHeight);
    chart.Line(ChartOriginX, ChartOriginY, ChartOriginX + PlotWidth, ChartOriginY);
    chart.Line(ChartOriginX, ChartOriginY, ChartOriginX, ChartOriginY + 10);
    chart.Text(5, 560, QStringLiteral("0"));

    const QStringList dayLabels = DayTickLabels(xScale);
    for (int k = 1; k <= 4; ++k) {
        chart.Line(ChartOriginX + 100 * k, ChartOriginY, ChartOriginX + 100 * k, ChartOriginY + 10);
        chart.Text(100 * k, 560, dayLabels[k - 1]);
    }
    chart.Text(393, 533, QStringLiteral("дней"));

    const QStringList costLabels = CostTickLabels(yScale);
    chart.Line(ChartOriginX, ChartOriginY, ChartOriginX + 10, ChartOriginY);
    for (int k = 1; k <= 5; ++k) {
        chart.Line(ChartOriginX, ChartOriginY - 100 * k, ChartOriginX + 10, ChartOriginY - 100 * k);
        chart.Text(20, 540 - 100 * k, costLabels[k - 1]);
    }
    chart.Text(5, 25, QStringLiteral("руб."));
}

void DrawCostCurves(Canvas& chart, const model::SimulationResult& result, double xScale,
                    double yScale, const model::NumberLocale& locale) {
    chart.SetOutlineDotted(false);
    chart.SetOutlineColour(ExistingColour);
    chart.SetOutlineWidth(2);
    chart.Line(90, 580, 120, 580);
    DrawCurve(chart, result.ExistingDays, xScale, yScale);

    chart.SetOutlineColour(PlannedColour);
    chart.Line(230, 580, 260, 580);
    DrawCurve(chart, result.PlannedDays, xScale, yScale);

    chart.SetOutlineWidth(1);
    chart.SetFill(Qt::white);
    chart.SetOutlineColour(Qt::black);
    chart.SetTextColour(Qt::black);
    chart.SetFont(PictureFont(ChartTextSize));
    chart.Text(125, 573, QStringLiteral("Текущая схема"));
    chart.Text(265, 573, QStringLiteral("Планируемая схема"));

    if (result.PaybackFound) {
        DrawPaybackMarker(chart, result, xScale, yScale, locale);
    }
}

void DrawCostChart(Canvas& chart, const model::SimulationResult& result, double xScale,
                   double yScale, const model::NumberLocale& locale) {
    DrawChartFrame(chart, xScale, yScale);
    DrawCostCurves(chart, result, xScale, yScale, locale);
}

} // namespace report
