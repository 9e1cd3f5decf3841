#include "Calculation.h"

#include "ResultFigures.h"
#include "Simulation.h"

namespace model {

void Calculate(const ProjectParameters& p, std::uint32_t seed, SimulatedDays days,
               SimulationResult& result) {
    ComputeDailyEnergy(p, result);
    if (days == SimulatedDays::All) {
        RunSimulation(p, result, seed);
    } else {
        RunSimulationUntilPayback(p, result, seed);
    }
}

HouseFigures CalculateFigures(const ProjectParameters& p, std::uint32_t seed,
                              SimulationResult& days) {
    // The days after payback change none of the figures.
    Calculate(p, seed, SimulatedDays::UntilPayback, days);
    std::vector<DayRecord> existingDays = std::move(days.ExistingDays);
    std::vector<DayRecord> plannedDays = std::move(days.PlannedDays);
    HouseFigures figures{days, FlatCount(p)};
    days.ExistingDays = std::move(existingDays);
    days.PlannedDays = std::move(plannedDays);
    return figures;
}

} // namespace model
