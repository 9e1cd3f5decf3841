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
                              SimulationResult& days, bool economics) {
    // The days after payback change none of the report's figures; the economics price them all.
    Calculate(p, seed, economics ? SimulatedDays::All : SimulatedDays::UntilPayback, days);
    std::optional<EconomicsFigures> economicsFigures;
    if (economics) {
        economicsFigures = CalculateEconomics(p, days, EconomicsInputsOf(p));
        economicsFigures->ExistingCosts = {};
        economicsFigures->PlannedCosts = {};
    }
    std::vector<DayRecord> existingDays = std::move(days.ExistingDays);
    std::vector<DayRecord> plannedDays = std::move(days.PlannedDays);
    HouseFigures figures{days, FlatCount(p), std::move(economicsFigures)};
    days.ExistingDays = std::move(existingDays);
    days.PlannedDays = std::move(plannedDays);
    return figures;
}

} // namespace model
