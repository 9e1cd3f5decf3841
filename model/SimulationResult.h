#pragma once

#include <cstdint>
#include <vector>

namespace model {

inline constexpr int SimulationDays = 10000;

// One simulated day of one scheme.
struct DayRecord {
    double CumulativeCost = 0;      // roubles: installation + energy of days 0..d + lamps bought
    std::int32_t ReplacedLamps = 0; // lamps replaced on days 0..d
};

inline bool operator==(const DayRecord& a, const DayRecord& b) {
    return a.CumulativeCost == b.CumulativeCost && a.ReplacedLamps == b.ReplacedLamps;
}

// Everything one calculation produces. Energies in kWh per day for the whole house, money in
// roubles, counts in pieces.
struct SimulationResult {
    double DailyEnergyExisting = 0;
    double DailyEnergyPlanned = 0;
    double DailyEnergyCostExisting = 0;
    double DailyEnergyCostPlanned = 0;
    double InstallCostExisting = 0;
    double InstallCostPlanned = 0;
    std::int32_t FittingCountExisting = 0;
    std::int32_t FittingCountPlanned = 0;
    std::int32_t BlockCount = 0;
    std::vector<DayRecord> ExistingDays; // SimulationDays records after a run
    std::vector<DayRecord> PlannedDays;
    // Payback: the first day d on which the existing scheme has cost strictly more in total.
    // PaybackDay is d - 1, and 0 when d is day 0 itself: never negative. The other payback fields
    // describe day d. All payback fields are zero and PaybackFound false when no day of the horizon
    // pays back.
    bool PaybackFound = false;
    std::int32_t PaybackDay = 0;
    double PaybackCostExisting = 0;
    double PaybackCostPlanned = 0;
    std::int32_t PaybackReplacedExisting = 0;
    std::int32_t PaybackReplacedPlanned = 0;
};

} // namespace model
