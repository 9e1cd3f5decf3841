#pragma once

#include "NumberFormat.h"
#include "ProjectParameters.h"
#include "SimulationResult.h"

#include <QImage>
#include <QPoint>
#include <QSize>
#include <optional>

namespace report {

class ReportTable;

// Zoom and tracer state of the cumulative cost chart.
struct ChartView {
    double XScale = 0.5; // pixels per day
    double YScale = 5.0; // pixels per 1000 roubles
    bool TracerOn = false;
    std::optional<int> TracerX; // window x of the tracer line; none before the first accepted move
};

// Sizes of the three pictures and where the window's results page shows them.
inline constexpr QSize ReportSize(550, 300);
inline constexpr QSize MonthlyChartSize(550, 350);
inline constexpr QSize CostChartSize(450, 650);
inline constexpr QPoint ReportWindowAt(10, 20);
inline constexpr QPoint MonthlyChartWindowAt(50, 320);
inline constexpr QPoint CostChartWindowAt(550, 1);

// The three pictures of the results page, 32 bits per pixel, white when created.
struct ResultPictures {
    QImage ReportBitmap;       // ReportSize, shown at ReportWindowAt
    QImage MonthlyChartBitmap; // MonthlyChartSize, shown at MonthlyChartWindowAt
    QImage CostChartBitmap;    // CostChartSize, shown at CostChartWindowAt

    // Empties the three pictures and gives them their sizes again, all white.
    void Recreate();
};

} // namespace report
