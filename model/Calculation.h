#pragma once

#include "ProjectParameters.h"
#include "SimulationResult.h"

#include <cstdint>

namespace model {

// How many days a calculation simulates.
enum class SimulatedDays {
    All,          // every day: the cost chart needs the whole day series
    UntilPayback, // up to the payback day: every figure of the report, day series cut short
};

// The calculation of one house, as the window's "Вперед" and the batch program run it: the daily
// energy of both schemes, then the installation costs and the days of lamp ageing and replacement
// with lamp lives drawn from a generator seeded with `seed`, then the payback. `result`'s day
// series are reused when it already holds some.
void Calculate(const ProjectParameters& p, std::uint32_t seed, SimulatedDays days,
               SimulationResult& result);

// What the results page shows of one calculated house: the calculation's figures without its day
// series, and the flats they are shared among.
struct HouseFigures {
    SimulationResult Result; // ExistingDays and PlannedDays empty
    double Flats = 1;
};

// Calculates a house up to its payback day, all its report's figures out. `days` is working memory
// whose day series are kept for the next house.
HouseFigures CalculateFigures(const ProjectParameters& p, std::uint32_t seed,
                              SimulationResult& days);

} // namespace model
