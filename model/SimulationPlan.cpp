#include "SimulationPlan.h"

#include "TrafficEstimate.h"

#include <algorithm>

namespace model {
namespace {

std::int32_t PoolSize(std::int32_t lampsPerZone, std::int32_t entrances) {
    return SaturateToInt32(static_cast<std::int64_t>(std::max(lampsPerZone, 0)) *
                           std::max(entrances, 0));
}

// Landings, flights and vestibule of one scheme in visiting order.
SchemePlan PlanZones(const ProjectParameters& p, std::int32_t lampsLanding,
                     std::int32_t lampsBetween, std::int32_t lampsVestibule,
                     const std::vector<ZoneWear>& landingWear,
                     const std::vector<ZoneWear>& flightWear) {
    SchemePlan plan;
    plan.Zones.reserve(landingWear.size() + flightWear.size() + 1);
    for (const ZoneWear& wear : landingWear) {
        plan.Zones.push_back({PoolSize(lampsLanding, p.EntranceCount), wear, false});
    }
    for (const ZoneWear& wear : flightWear) {
        plan.Zones.push_back({PoolSize(lampsBetween, p.EntranceCount), wear, false});
    }
    // The vestibule wears like the ground-floor landing.
    plan.Zones.push_back({PoolSize(lampsVestibule, p.EntranceCount), landingWear.front(), true});
    return plan;
}

std::int32_t Floors(const ProjectParameters& p) {
    return std::max<std::int32_t>(p.FloorCount, 1);
}

// Integer sum landing × N + between × (N − 1) + vestibule, without overflow.
std::int64_t PerEntrance(const ProjectParameters& p, std::int32_t landing, std::int32_t between,
                         std::int32_t vestibule) {
    const std::int64_t n = p.FloorCount;
    return static_cast<std::int64_t>(landing) * n + static_cast<std::int64_t>(between) * (n - 1) +
           vestibule;
}

} // namespace

SchemePlan PlanExistingScheme(const ProjectParameters& p, const SimulationResult& energy) {
    const std::int32_t n = Floors(p);
    constexpr std::int32_t existingSwitchingsPerDay = 5;
    std::vector<ZoneWear> landings(n, ZoneWear{p.ExistingHoursLanding, existingSwitchingsPerDay});
    std::vector<ZoneWear> flights(n - 1,
                                  ZoneWear{p.ExistingHoursBetween, existingSwitchingsPerDay});
    SchemePlan plan = PlanZones(p, p.ExistingLampsLanding, p.ExistingLampsBetween,
                                p.ExistingLampsVestibule, landings, flights);
    plan.LampLife = p.ExistingLampLife;
    plan.SwitchingFactor = 10;
    plan.LampPrice = p.ExistingLampPrice;
    plan.InstallCost = energy.InstallCostExisting;
    plan.DailyEnergyCost = energy.DailyEnergyCostExisting;
    return plan;
}

SchemePlan PlanPlannedScheme(const ProjectParameters& p, const SimulationResult& energy) {
    const std::int32_t n = Floors(p);
    // Passages per day that the residents of one floor make; a landing is passed by its own floor
    // and all floors above, a flight by the floors above it. The integer switch-on count of the
    // floor above is added to the real passages and truncated, floor by floor.
    const double passages = PassagesPerFloor(p);
    const auto stack = [passages](std::int32_t count, double holdTime) {
        std::vector<ZoneWear> wear(std::max(count, 0));
        for (std::int32_t i = count - 1; i >= 0; --i) {
            if (i == count - 1) {
                wear[i] = ZoneWear{passages * holdTime, SaturatingTrunc(passages)};
            } else {
                wear[i] = ZoneWear{passages * holdTime + wear[i + 1].DailyHours,
                                   SaturatingTrunc(wear[i + 1].DailySwitchings + passages)};
            }
        }
        return wear;
    };
    SchemePlan plan =
        PlanZones(p, p.PlannedLampsLanding, p.PlannedLampsBetween, p.PlannedLampsVestibule,
                  stack(n, p.HoldTimeLanding), stack(n - 1, p.HoldTimeBetween));
    plan.LampLife = p.PlannedLampLife;
    plan.SwitchingFactor = 250;
    plan.LampPrice = p.PlannedLampPrice;
    plan.InstallCost = energy.InstallCostPlanned;
    plan.DailyEnergyCost = energy.DailyEnergyCostPlanned;
    return plan;
}

void PrepareResult(const ProjectParameters& p, SimulationResult& r) {
    const std::int64_t existingFittings =
        PerEntrance(p, p.ExistingLampsLanding, p.ExistingLampsBetween, p.ExistingLampsVestibule);
    const std::int64_t plannedFittings =
        PerEntrance(p, p.PlannedLampsLanding, p.PlannedLampsBetween, p.PlannedLampsVestibule);
    const std::int64_t blocks =
        PerEntrance(p, p.PlannedBlocksLanding, p.PlannedBlocksBetween, p.PlannedBlocksVestibule);

    r.InstallCostExisting = static_cast<double>(existingFittings) *
                            (p.ExistingFittingPrice + p.ExistingFittingInstallPrice) *
                            p.EntranceCount;
    r.InstallCostPlanned = (static_cast<double>(plannedFittings) *
                                (p.PlannedFittingPrice + p.PlannedFittingInstallPrice) +
                            static_cast<double>(blocks) * (p.BlockPrice + p.BlockInstallPrice)) *
                           p.EntranceCount;
    r.FittingCountExisting = SaturateToInt32(existingFittings * p.EntranceCount);
    r.FittingCountPlanned = SaturateToInt32(plannedFittings * p.EntranceCount);
    r.BlockCount = SaturateToInt32(blocks * p.EntranceCount);

    // Every day a run simulates is written; the days after a run that stops early keep what an
    // earlier run left, so that a thread's series are not cleared house after house.
    r.ExistingDays.resize(SimulationDays);
    r.PlannedDays.resize(SimulationDays);
    r.PaybackFound = false;
    r.PaybackDay = 0;
    r.PaybackCostExisting = 0;
    r.PaybackCostPlanned = 0;
    r.PaybackReplacedExisting = 0;
    r.PaybackReplacedPlanned = 0;
}

} // namespace model
