#pragma once

#include "LifePercentDraws.h"
#include "SimulationPlan.h"

#include <bit>
#include <cstdint>
#include <memory>
#include <vector>

namespace model {
namespace calendar_detail {

// Where put-in lamps are counted: the calendar's rows, taken into locals once a day.
struct Rows {
    std::uint64_t* Marks;
    std::int64_t* Going;
    std::size_t Groups;
    std::uint32_t Words;
    std::uint32_t DayMask;
};

// A life not yet worked out; every life is at least a day.
inline constexpr std::int16_t UnknownLife = 0;

// `count` lamps of group g, whose 100 lives are `lives`, put in on `day`, taking their draws.
// A life still unknown is worked out by lifeOf(r) when a draw first asks for it.
template <typename LifeOf>
inline void PutIn(const Rows& rows, std::size_t g, const std::int16_t* lives, bool sameLife,
                  std::int64_t count, std::int32_t day, LifePercentDraws& draws, LifeOf&& lifeOf) {
    std::uint64_t* const marks = rows.Marks + g / 64;
    std::int64_t* const going = rows.Going + g;
    const std::uint64_t bit = std::uint64_t{1} << (g % 64);
    const auto add = [&](std::int32_t goes, std::int64_t lamps) {
        const std::uint32_t row = static_cast<std::uint32_t>(goes) & rows.DayMask;
        std::uint64_t& mark = marks[std::size_t{row} * rows.Words];
        std::int64_t& slot = going[std::size_t{row} * rows.Groups];
        slot = ((mark & bit) != 0 ? slot : 0) + lamps;
        mark |= bit;
    };
    if (sameLife) {
        draws.Skip(count);
        const std::int32_t goes = day + lives[0];
        if (goes < SimulationDays) {
            add(goes, count);
        }
        return;
    }
    for (std::int64_t i = 0; i < count; ++i) {
        const std::int32_t r = draws.Next();
        std::int16_t life = lives[r];
        if (life == UnknownLife) [[unlikely]] {
            life = lifeOf(g, r);
        }
        const std::int32_t goes = day + life;
        if (goes < SimulationDays) {
            add(goes, 1);
        }
    }
}

} // namespace calendar_detail

// The lamps of one scheme, counted by the day they burn out instead of being worn day by day.
//
// A new lamp's life in days follows from its zone's daily wear and its draw alone, so it is looked
// up in a table made once per run. And the lamps of a zone all wear alike: which of them takes
// which draw changes nothing that follows. The day loop visits the lamps zone by zone, so on each
// day the draws go to the zones in that order, as many to a zone as it has lamps going. It is
// enough to count, per zone and day, the lamps that go; neighbouring zones that wear alike are
// counted together. All memory is taken when the calendar is made.
//
// A lamp lives no shorter for a higher draw: its hours and switch-ons grow with the draw (or all
// fall, with a negative lamp life, when they all give the same day). So the longest life and
// whether all are alike follow from a few draws, and the other lives are worked out when asked.
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
        ZonePlan Zone; // the first of its zones: they all wear alike
    };

    // Works out and keeps the life of draw r in group g.
    std::int16_t LifeOf(std::size_t g, std::int32_t r);
    // Works out the lives a group's rows and its one-life shortcut need (see the constructor);
    // returns its longest life within the horizon, 0 when none is.
    std::uint32_t PrepareLives(Group& group);

    SchemePlan lamps_; // the scheme's lamp life and switching factor, its zones left out
    std::vector<Group> groups_;
    // Per group, 100 draws: the days a new lamp lasts (at least 1), or beyond the horizon;
    // UnknownLife until a draw asks for it. A house's sensor lamps draw few of their lives.
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

// Inline, with the lamps it puts in: it runs on most days of a long run.
inline std::int64_t ReplacementCalendar::ReplaceBusyDay(std::int32_t day, std::uint32_t row,
                                                        LifePercentDraws& draws) {
    const calendar_detail::Rows rows{goingGroups_.data(), going_.get(), groups_.size(), words_,
                                     dayMask_};
    const Group* const groups = groups_.data();
    const std::int16_t* const lives = lives_.data();
    const std::int64_t* const today = rows.Going + std::size_t{row} * rows.Groups;
    std::uint64_t* const todayMarks = rows.Marks + std::size_t{row} * rows.Words;
    std::int64_t replaced = 0;
    // The row serves a later day once this one is over; no lamp put in today goes today, so its
    // marks are cleared at once. Groups in ascending order, as the lamps are visited.
    for (std::uint32_t w = 0; w < rows.Words; ++w) {
        std::uint64_t marked = todayMarks[w];
        todayMarks[w] = 0;
        while (marked != 0) {
            const std::size_t g =
                std::size_t{w} * 64 + static_cast<std::size_t>(std::countr_zero(marked));
            marked &= marked - 1;
            const std::int64_t count = today[g];
            replaced += count;
            calendar_detail::PutIn(
                rows, g, lives + groups[g].LivesRow, groups[g].SameLifeForEveryDraw, count, day,
                draws, [this](std::size_t group, std::int32_t r) { return LifeOf(group, r); });
        }
    }
    return replaced;
}

} // namespace model
