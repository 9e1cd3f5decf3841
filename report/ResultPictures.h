#pragma once

#include "NumberFormat.h"
#include "ProjectParameters.h"
#include "SimulationResult.h"

#include <QImage>
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

// The three pictures of the results page, 32 bits per pixel, white when created.
struct ResultPictures {
    QImage ReportBitmap;       // 550 x 300, shown at (10, 20)
    QImage MonthlyChartBitmap; // 550 x 350, shown at (50, 320)
    QImage CostChartBitmap;    // 450 x 650, shown at (550, 1)

    // Empties the three pictures and gives them their sizes again, all white.
    void Recreate();
};

} // namespace report
