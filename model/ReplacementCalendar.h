#pragma once

#include "LifePercentDraws.h"
#include "SimulationPlan.h"

#include <cstdint>
#include <vector>

namespace model {

// The lamps of one scheme, counted by the day they burn out instead of being worn day by day.
//
// A new lamp's life in days follows from its zone's daily wear and its draw alone, so it is looked
// up in a table made once per run. And the lamps of a zone all wear alike: which of them takes
// which draw changes nothing that follows. The day loop visits the lamps zone by zone, so on each
// day the draws go to the zones in that order, as many to a zone as it has lamps going. It is
// enough to count, per zone and day, the lamps that go; neighbouring zones that wear alike are
// counted together. All memory is taken when the calendar is made.
class ReplacementCalendar {
public:
    explicit ReplacementCalendar(const SchemePlan& scheme);

    // Puts in the first lamp of every place, in visiting order; they are worn from day 0 on.
    void Fill(LifePercentDraws& draws);

    // Replaces the lamps that burn out on `day` (days in ascending order) and returns how many.
    std::int64_t ReplaceDay(std::int32_t day, LifePercentDraws& draws) {
        const std::uint32_t row = static_cast<std::uint32_t>(day) & dayMask_;
        return goingOnDay_[row] == 0 ? 0 : ReplaceBusyDay(day, row, draws);
    }

private:
    // ReplaceDay on a day on which some lamp goes; `row` is the day's row.
    std::int64_t ReplaceBusyDay(std::int32_t day, std::uint32_t row, LifePercentDraws& draws);

    // Neighbouring zones with the same wear.
    struct Group {
        std::int64_t LampCount = 0;
        std::int32_t LivesRow = 0; // offset of its 100 lives in lives_
        // Every draw gives the same life (life 0, no wear): the draws are only skipped.
        bool SameLifeForEveryDraw = false;
    };

    // `count` lamps of group g put in on `day`, taking their draws.
    void PutIn(std::size_t g, std::int64_t count, std::int32_t day, LifePercentDraws& draws);

    std::vector<Group> groups_;
    // Per group, 100 draws: the days a new lamp lasts (at least 1), or beyond the horizon.
    std::vector<std::int16_t> lives_;
    // Lamps going, by day and group: going_[(day & dayMask_) * groups_.size() + g]. No lamp goes
    // more than the longest life ahead, so the rows of that many days are used round and round.
    std::vector<std::int64_t> going_;
    // Lamps going by day, all groups together, so that a day on which none goes costs one look.
    std::vector<std::int64_t> goingOnDay_;
    std::uint32_t dayMask_ = 0;
};

} // namespace model
