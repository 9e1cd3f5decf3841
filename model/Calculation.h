#pragma once

#include "Economics.h"
#include "ProjectParameters.h"
#include "Simulation.h"
#include "SimulationResult.h"

#include <cstdint>
#include <optional>

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
    // The economics of the house's own inputs (day series left out), when asked for.
    std::optional<EconomicsFigures> Economics;
};

// Working memory of the calculations of one thread, kept from house to house.
struct CalculationMemory {
    SimulationResult Days;
    SimulationMemory Simulation;
    EconomicsMemory Economics;
};

// Calculates a house, all its report's figures out, and its economics when `economics` is set.
// The simulation stops after the last day the figures need: the payback day, and with the
// economics also the horizon's last day and the discounted payback day. No day series is kept.
HouseFigures CalculateFigures(const ProjectParameters& p, std::uint32_t seed,
                              CalculationMemory& memory, bool economics = false);

} // namespace model
