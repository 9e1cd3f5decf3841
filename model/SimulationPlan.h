#pragma once

#include "ProjectParameters.h"
#include "Saturate.h"
#include "SimulationResult.h"

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace model {

// What one lamp of a zone loses per day.
struct ZoneWear {
    double DailyHours = 0;
    std::int32_t DailySwitchings = 0;
};

// The lamps of one zone (one landing, one flight or the vestibule) over all entrances.
struct ZonePlan {
    std::int32_t LampCount = 0;
    ZoneWear Wear;
    bool Vestibule = false;
};

// One scheme prepared for the day loop: zones in the order the lamps are visited (landings from
// the ground floor up, flights from the lowest up, then the vestibule).
struct SchemePlan {
    std::vector<ZonePlan> Zones;
    double LampLife = 0;        // months
    double SwitchingFactor = 0; // switch-ons per day of the rated life: 10 existing, 250 planned
    double LampPrice = 0;
    double InstallCost = 0;
    double DailyEnergyCost = 0;
};

struct NewLamp {
    double RemainingHours;
    std::int32_t RemainingSwitchings;
};

// The platform's generator: a draw is a non-negative 31-bit integer.
inline std::int32_t DrawLifePercent(std::mt19937& engine) {
    return static_cast<std::int32_t>((engine() >> 1) % 100);
}

// A fresh lamp for draw r (0..99); the factor runs from 0.750 to 1.245.
inline NewLamp MakeNewLamp(const SchemePlan& scheme, bool vestibule, std::int32_t r) {
    const double lifeFactor = 1 + (r - 50) * 0.005;
    const double dutyShare = vestibule ? 0.125 : 0.25;
    return NewLamp{scheme.LampLife * 30 * 24 * dutyShare * lifeFactor,
                   SaturatingTrunc(scheme.LampLife * 30 * scheme.SwitchingFactor * lifeFactor)};
}

SchemePlan PlanExistingScheme(const ProjectParameters& p, const SimulationResult& energy);
SchemePlan PlanPlannedScheme(const ProjectParameters& p, const SimulationResult& energy);

// Installation costs and counts of both schemes; sizes the day series (not cleared) and clears
// the payback fields.
void PrepareResult(const ProjectParameters& p, SimulationResult& result);

// Records day d of both series and checks for payback; the counters and sums are after day d.
// Inline: it runs every day of every house.
inline void RecordDay(SimulationResult& r, int day, double existingSum,
                      std::int32_t existingReplaced, double existingLampPrice, double plannedSum,
                      std::int32_t plannedReplaced, double plannedLampPrice) {
    DayRecord& existing = r.ExistingDays[day];
    DayRecord& planned = r.PlannedDays[day];
    existing.CumulativeCost = existingSum + existingReplaced * existingLampPrice;
    existing.ReplacedLamps = existingReplaced;
    planned.CumulativeCost = plannedSum + plannedReplaced * plannedLampPrice;
    planned.ReplacedLamps = plannedReplaced;
    if (!r.PaybackFound && existing.CumulativeCost > planned.CumulativeCost) {
        r.PaybackFound = true;
        // The day before the first dearer day; when that is the very first day, the payback day
        // is that day itself, not one before the calculation starts.
        r.PaybackDay = std::max(day - 1, 0);
        r.PaybackCostExisting = existing.CumulativeCost;
        r.PaybackCostPlanned = planned.CumulativeCost;
        r.PaybackReplacedExisting = existingReplaced;
        r.PaybackReplacedPlanned = plannedReplaced;
    }
}

} // namespace model
