#pragma once

#include "LifePercentDraws.h"
#include "SimulationPlan.h"

#include <cstdint>
#include <memory>
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
        if (words_ == 1) {
            return goingGroups_[row] == 0 ? 0 : ReplaceBusyDay(day, row, draws);
        }
        const std::uint64_t* const marks = goingGroups_.data() + row * words_;
        for (std::uint32_t w = 0; w < words_; ++w) {
            if (marks[w] != 0) {
                return ReplaceBusyDay(day, row, draws);
            }
        }
        return 0;
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

    std::vector<Group> groups_;
    // Per group, 100 draws: the days a new lamp lasts (at least 1), or beyond the horizon.
    std::vector<std::int16_t> lives_;
    // No lamp goes more than the longest life ahead, so the rows of that many days are used round
    // and round: a day's row is (day & dayMask_).
    std::uint32_t dayMask_ = 0;
    // Per row, a bit for each group with lamps going that day, in words of 64 groups:
    // goingGroups_[row * words_ + g / 64]. Only the marked counts below are meaningful, so that
    // a calendar with many groups and long lives clears a bit per count, not the counts.
    std::uint32_t words_ = 1;
    std::vector<std::uint64_t> goingGroups_;
    // Lamps going, by day and group: going_[row * groups_.size() + g], where marked.
    std::unique_ptr<std::int64_t[]> going_;
};

} // namespace model
