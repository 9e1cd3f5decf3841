#include "ReplacementCalendar.h"

#include "LampLife.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace model {
namespace {

constexpr int DrawCount = 100;
constexpr std::int16_t BeyondHorizon = SimulationDays + 1;

bool SameWear(const ZonePlan& a, const ZonePlan& b) {
    return std::bit_cast<std::uint64_t>(a.Wear.DailyHours) ==
               std::bit_cast<std::uint64_t>(b.Wear.DailyHours) &&
           a.Wear.DailySwitchings == b.Wear.DailySwitchings && a.Vestibule == b.Vestibule;
}

// Whether hours worn down by dailyHours a day, by repeated subtraction, surely stay positive for
// `days` days. Each subtraction rounds by at most 2^-53 of the larger of the two, so within
// SimulationDays days the worn hours stay closer than 2^-39 × (hours + days × dailyHours) to
// hours − days × dailyHours; beyond a margin far wider than that, the day-by-day count is not
// needed.
bool SurelyOutlast(double hours, double dailyHours, std::int32_t days) {
    if (!(hours > 0) || !std::isfinite(hours) || !(dailyHours > 0) || !std::isfinite(dailyHours) ||
        days < 0 || days > SimulationDays) {
        return false;
    }
    const double left = hours - days * dailyHours;
    return left > 1e-9 * (hours + days * dailyHours);
}

// Days a new lamp of the zone lasts for draw r, counted from its first day of wear.
std::int16_t LifeInDays(const SchemePlan& scheme, const ZonePlan& zone, std::int32_t r) {
    const NewLamp fresh = MakeNewLamp(scheme, zone.Vestibule, r);
    const std::int32_t bySwitchings = DaysUntilSwitchingsRunOut(
        fresh.RemainingSwitchings, zone.Wear.DailySwitchings, SimulationDays);
    // The hours matter only when they run out first.
    const std::int32_t hoursLimit = std::min(bySwitchings - 1, SimulationDays);
    const std::int32_t byHours =
        SurelyOutlast(fresh.RemainingHours, zone.Wear.DailyHours, hoursLimit)
            ? NotWithin
            : DaysUntilHoursRunOut(fresh.RemainingHours, zone.Wear.DailyHours, hoursLimit);
    const std::int32_t days = std::min(bySwitchings, byHours);
    return days <= SimulationDays ? static_cast<std::int16_t>(days) : BeyondHorizon;
}

} // namespace

ReplacementCalendar::ReplacementCalendar(const SchemePlan& scheme) {
    const ZonePlan* previous = nullptr;
    for (const ZonePlan& zone : scheme.Zones) {
        if (zone.LampCount <= 0) {
            continue; // an empty zone takes no draws: its neighbours follow each other directly
        }
        if (previous != nullptr && SameWear(*previous, zone)) {
            groups_.back().LampCount += zone.LampCount;
            continue;
        }
        Group group;
        group.LampCount = zone.LampCount;
        group.LivesRow = static_cast<std::int32_t>(lives_.size());
        for (std::int32_t r = 0; r < DrawCount; ++r) {
            lives_.push_back(LifeInDays(scheme, zone, r));
        }
        group.SameLifeForEveryDraw =
            std::all_of(lives_.end() - DrawCount, lives_.end(),
                        [&](std::int16_t life) { return life == lives_[group.LivesRow]; });
        groups_.push_back(group);
        previous = &zone;
    }
    std::uint32_t longestLife = 1;
    for (const std::int16_t life : lives_) {
        if (life <= SimulationDays) {
            longestLife = std::max(longestLife, static_cast<std::uint32_t>(life));
        }
    }
    const std::uint32_t rows = std::bit_ceil(longestLife + 1);
    dayMask_ = rows - 1;
    words_ = std::max<std::uint32_t>(1, static_cast<std::uint32_t>((groups_.size() + 63) / 64));
    goingGroups_.assign(static_cast<std::size_t>(rows) * words_, 0);
    going_ = std::make_unique_for_overwrite<std::int64_t[]>(static_cast<std::size_t>(rows) *
                                                            groups_.size());
}

namespace {

// Where put-in lamps are counted: the calendar's rows, taken into locals once a day.
struct Rows {
    std::uint64_t* Marks;
    std::int64_t* Going;
    std::size_t Groups;
    std::uint32_t Words;
    std::uint32_t DayMask;
};

// `count` lamps of group g, whose 100 lives are `lives`, put in on `day`, taking their draws.
inline void PutIn(const Rows& rows, std::size_t g, const std::int16_t* lives, bool sameLife,
                  std::int64_t count, std::int32_t day, LifePercentDraws& draws) {
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
        const std::int32_t goes = day + lives[draws.Next()];
        if (goes < SimulationDays) {
            add(goes, 1);
        }
    }
}

} // namespace

void ReplacementCalendar::Fill(LifePercentDraws& draws) {
    const Rows rows{goingGroups_.data(), going_.get(), groups_.size(), words_, dayMask_};
    // As if put in the day before the first day.
    for (std::size_t g = 0; g < groups_.size(); ++g) {
        const Group& group = groups_[g];
        PutIn(rows, g, lives_.data() + group.LivesRow, group.SameLifeForEveryDraw, group.LampCount,
              -1, draws);
    }
}

std::int64_t ReplacementCalendar::ReplaceBusyDay(std::int32_t day, std::uint32_t row,
                                                 LifePercentDraws& draws) {
    const Rows rows{goingGroups_.data(), going_.get(), groups_.size(), words_, dayMask_};
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
            PutIn(rows, g, lives + groups[g].LivesRow, groups[g].SameLifeForEveryDraw, count, day,
                  draws);
        }
    }
    return replaced;
}

} // namespace model
