#pragma once

#include "LifePercentDraws.h"
#include "SimulationPlan.h"

#include <cstdint>
#include <vector>

namespace model {

// The lamps of one scheme, kept by the day they burn out instead of being worn day by day. A new
// lamp's life in days follows from its zone's daily wear and its draw alone, so it is looked up in
// a table made once per zone and draw, and the lamp is filed under the day it goes. Each day the
// lamps filed under it are replaced in the order of the plain day loop (zone by zone, lamp by
// lamp), so every draw lands on the same lamp. All memory is taken when the calendar is made.
class ReplacementCalendar {
public:
    explicit ReplacementCalendar(const SchemePlan& scheme);

    // Puts in the first lamp of every place, in visiting order.
    void Fill(LifePercentDraws& draws);

    // Replaces the lamps that burn out on `day` (days in ascending order) and returns how many.
    std::int64_t ReplaceDay(std::int32_t day, LifePercentDraws& draws);

private:
    struct Lamp {
        std::int32_t NextSameDay; // -1 ends the day's list
        std::int32_t LifeRow;     // offset of its zone's lives in lives_
    };
    // A zone whose lamps all go on their first day of wear, whatever the draw.
    struct DailyZone {
        std::int32_t FirstLamp;
        std::int32_t LampCount;
    };

    void File(std::int32_t lamp, std::int32_t installedDay, std::int32_t draw) {
        const std::int32_t goes = installedDay + lives_[lamps_[lamp].LifeRow + draw];
        if (goes < SimulationDays) {
            lamps_[lamp].NextSameDay = firstGoing_[goes];
            firstGoing_[goes] = lamp;
        }
    }

    std::vector<std::int16_t>
        lives_; // per distinct zone wear, 100 draws: days, or beyond the horizon
    std::vector<Lamp> lamps_;
    std::vector<DailyZone> dailyZones_;
    std::vector<std::int32_t> firstGoing_;  // per day: first lamp of its list, or -1
    std::vector<std::uint64_t> going_;      // one bit per lamp going today
    std::vector<std::uint64_t> goingWords_; // one bit per non-zero word of going_
};

} // namespace model
