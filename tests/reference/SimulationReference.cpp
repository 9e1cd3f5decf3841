#include "SimulationReference.h"

#include "SimulationPlan.h"

#include <vector>

namespace reference {
namespace {

using namespace model;

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

void RunSimulationReference(const ProjectParameters& p, SimulationResult& r, std::uint32_t seed) {
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

} // namespace reference
