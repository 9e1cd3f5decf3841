#pragma once

#include "ProjectParameters.h"
#include "SimulationResult.h"

namespace model {

// The results count months of 30 days.
inline constexpr double DaysPerMonth = 30;

// Figures that the report, the monthly chart and the batch calculation derive alike from a
// calculation.
inline double PaybackMonths(const SimulationResult& result) {
    return result.PaybackDay / DaysPerMonth;
}

inline double MonthlyAmount(double daily) {
    return daily * DaysPerMonth;
}

// Flats of the whole house: at least 1 once the page or a house row has been read.
inline double FlatCount(const ProjectParameters& p) {
    return static_cast<double>(p.EntranceCount) * p.FloorCount * p.FlatsPerFloor;
}

} // namespace model
