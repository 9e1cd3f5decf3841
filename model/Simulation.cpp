#include "Simulation.h"

#include "LifePercentDraws.h"
#include "ReplacementCalendar.h"
#include "SimulationPlan.h"

namespace model {

void ComputeDailyEnergy(const ProjectParameters& p, SimulationResult& r) {
    const double n = p.FloorCount;
    const double e = p.EntranceCount;
    r.DailyEnergyExisting =
        (p.ExistingLampsLanding * p.ExistingPowerLanding * p.ExistingHoursLanding * n +
         p.ExistingLampsBetween * p.ExistingPowerBetween * p.ExistingHoursBetween * (n - 1) +
         p.ExistingLampsVestibule * p.ExistingPowerVestibule * p.ExistingHoursVestibule) *
        e * 0.001;
    r.DailyEnergyPlanned =
        (p.PlannedLampsLanding * p.PlannedPowerLanding * p.PlannedHoursLanding * n +
         p.PlannedLampsBetween * p.PlannedPowerBetween * p.PlannedHoursBetween * (n - 1) +
         p.PlannedLampsVestibule * p.PlannedPowerVestibule * p.PlannedHoursVestibule) *
        e * 0.001;
    r.DailyEnergyCostExisting = r.DailyEnergyExisting * p.Tariff;
    r.DailyEnergyCostPlanned = r.DailyEnergyPlanned * p.Tariff;
}

namespace {

// Simulates day after day while goOn(day) holds for the day just simulated.
template <typename GoOn>
void Simulate(const ProjectParameters& p, SimulationResult& r, std::uint32_t seed,
              SimulationMemory& memory, GoOn goOn) {
    PrepareResult(p, r);
    // The draws come in the order of a day loop that visits every lamp every day: the existing
    // pools, the planned pools, then day by day the existing and the planned replacements.
    LifePercentDraws draws(seed);
    const SchemePlan existing = PlanExistingScheme(p, r);
    ReplacementCalendar& existingLamps = memory.Existing;
    existingLamps.Start(existing);
    existingLamps.Fill(draws);
    const SchemePlan planned = PlanPlannedScheme(p, r);
    ReplacementCalendar& plannedLamps = memory.Planned;
    plannedLamps.Start(planned);
    plannedLamps.Fill(draws);

    std::int32_t existingReplaced = 0;
    std::int32_t plannedReplaced = 0;
    double existingSum = existing.InstallCost;
    double plannedSum = planned.InstallCost;
    for (int day = 0; day < SimulationDays; ++day) {
        existingReplaced =
            SaturatingAdd(existingReplaced, SaturateToInt32(existingLamps.ReplaceDay(day, draws)));
        plannedReplaced =
            SaturatingAdd(plannedReplaced, SaturateToInt32(plannedLamps.ReplaceDay(day, draws)));
        existingSum += existing.DailyEnergyCost;
        plannedSum += planned.DailyEnergyCost;
        RecordDay(r, day, existingSum, existingReplaced, existing.LampPrice, plannedSum,
                  plannedReplaced, planned.LampPrice);
        if (!goOn(day)) {
            break;
        }
    }
}

} // namespace

void RunSimulation(const ProjectParameters& p, SimulationResult& r, std::uint32_t seed) {
    SimulationMemory memory;
    Simulate(p, r, seed, memory, [](int) { return true; });
}

void RunSimulationUntilPayback(const ProjectParameters& p, SimulationResult& r,
                               std::uint32_t seed) {
    SimulationMemory memory;
    RunSimulationUntilPayback(p, r, seed, memory);
}

void RunSimulationUntilPayback(const ProjectParameters& p, SimulationResult& r, std::uint32_t seed,
                               SimulationMemory& memory) {
    Simulate(p, r, seed, memory, [&r](int) { return !r.PaybackFound; });
}

void RunSimulationWhile(const ProjectParameters& p, SimulationResult& r, std::uint32_t seed,
                        DayObserver& observer, SimulationMemory& memory) {
    int askAfter = observer.FirstDayToAsk();
    Simulate(p, r, seed, memory, [&](int day) {
        if (day < askAfter) {
            return true;
        }
        askAfter = observer.AfterDay(day);
        return askAfter >= 0;
    });
}

} // namespace model
