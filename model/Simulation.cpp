#include "Simulation.h"

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

struct Lamp {
    double RemainingHours;
    std::int32_t RemainingSwitchings;
};

std::vector<Lamp> FillPools(const SchemePlan& scheme, std::mt19937& engine) {
    std::vector<Lamp> lamps;
    for (const ZonePlan& zone : scheme.Zones) {
        for (std::int32_t i = 0; i < zone.LampCount; ++i) {
            const NewLamp fresh = MakeNewLamp(scheme, zone.Vestibule, DrawLifePercent(engine));
            lamps.push_back({fresh.RemainingHours, fresh.RemainingSwitchings});
        }
    }
    return lamps;
}

void AgeOneDay(const SchemePlan& scheme, std::vector<Lamp>& lamps, std::int32_t& replaced,
               std::mt19937& engine) {
    std::size_t index = 0;
    for (const ZonePlan& zone : scheme.Zones) {
        for (std::int32_t i = 0; i < zone.LampCount; ++i, ++index) {
            Lamp& lamp = lamps[index];
            lamp.RemainingHours -= zone.Wear.DailyHours;
            lamp.RemainingSwitchings =
                SaturatingSub(lamp.RemainingSwitchings, zone.Wear.DailySwitchings);
            if (lamp.RemainingHours < 0 || lamp.RemainingSwitchings < 0) {
                replaced = SaturatingAdd(replaced, 1);
                const NewLamp fresh = MakeNewLamp(scheme, zone.Vestibule, DrawLifePercent(engine));
                lamp = {fresh.RemainingHours, fresh.RemainingSwitchings};
            }
        }
    }
}

} // namespace

void RunSimulation(const ProjectParameters& p, SimulationResult& r, std::uint32_t seed) {
    PrepareResult(p, r);
    std::mt19937 engine(seed);
    const SchemePlan existing = PlanExistingScheme(p, r);
    std::vector<Lamp> existingLamps = FillPools(existing, engine);
    const SchemePlan planned = PlanPlannedScheme(p, r);
    std::vector<Lamp> plannedLamps = FillPools(planned, engine);

    std::int32_t existingReplaced = 0;
    std::int32_t plannedReplaced = 0;
    double existingSum = existing.InstallCost;
    double plannedSum = planned.InstallCost;
    for (int day = 0; day < SimulationDays; ++day) {
        AgeOneDay(existing, existingLamps, existingReplaced, engine);
        AgeOneDay(planned, plannedLamps, plannedReplaced, engine);
        existingSum += existing.DailyEnergyCost;
        plannedSum += planned.DailyEnergyCost;
        RecordDay(r, day, existingSum, existingReplaced, existing.LampPrice, plannedSum,
                  plannedReplaced, planned.LampPrice);
    }
}

} // namespace model
