#pragma once

#include "NumberFormat.h"

#include <QPainter>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <vector>

namespace report {

// One plan year of the capital plan's chart.
struct PlanChartYear {
    double Budget = 0;          // roubles, the year's own
    double Spend = 0;           // roubles
    double CumulativeValue = 0; // the plan's value up to this year, in `ValueUnit`
};

struct PlanChartData {
    std::vector<PlanChartYear> Years;
    QString ValueUnit; // "руб.", "кВт·ч" or "т"
};

// The labels of an axis from 0 to `top` or a little beyond, bottom up: at most five rounded steps
// of one, two or five times a power of ten (at least 1), digits grouped.
QStringList PlanAxisLabels(double top, const model::NumberLocale& locale);

// Spend against budget by year as bars, roubles on the left axis, and the plan's cumulative value
// as a line on the right axis, drawn into `area` (device units) of any painter: a widget, a
// picture or a page of a PDF.
void DrawPlanChart(QPainter& painter, const QRectF& area, const PlanChartData& data,
                   const model::NumberLocale& locale);

} // namespace report
