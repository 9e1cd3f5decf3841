#pragma once

#include "NumberFormat.h"
#include "SimulationResult.h"

#include <QStringList>

namespace report {

// Window x of the cost chart picture's left edge.
inline constexpr int CostChartWindowX = 550;

// Day under the tracer line at window x `tracerX`: kept within the simulated days even for
// positions the mouse handler would not accept.
int TracerDay(int tracerX, double xScale);

// The five read-out lines for day `day` of the series: day, both sums, both lamp counts.
QStringList TracerReadout(const model::SimulationResult& result, int day,
                          const model::NumberLocale& locale);

} // namespace report
