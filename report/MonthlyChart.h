#pragma once

#include "Canvas.h"
#include "NumberFormat.h"
#include "SimulationResult.h"

#include <cstdint>

namespace report {

// Vertical scale of the monthly bars, kWh per pixel, chosen so that the taller bar stays below
// 200 pixels; at least 1 whatever the energies.
std::int32_t KwhPerPixel(double dailyEnergyExisting, double dailyEnergyPlanned);

// Draws the title, baseline and both monthly bars from the daily energy figures in `result`.
void DrawMonthlyBars(Canvas& chart, const model::SimulationResult& result,
                     const model::NumberLocale& locale);

} // namespace report
