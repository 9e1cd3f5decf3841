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
    going_.assign(static_cast<std::size_t>(rows) * groups_.size(), 0);
    goingOnDay_.assign(rows, 0);
}

void ReplacementCalendar::PutIn(std::size_t g, std::int64_t count, std::int32_t day,
                                LifePercentDraws& draws) {
    const Group& group = groups_[g];
    const std::int16_t* const lives = lives_.data() + group.LivesRow;
    std::int64_t* const going = going_.data() + g;
    const std::size_t stride = groups_.size();
    if (group.SameLifeForEveryDraw) {
        draws.Skip(count);
        const std::int32_t goes = day + lives[0];
        if (goes < SimulationDays) {
            const std::uint32_t row = static_cast<std::uint32_t>(goes) & dayMask_;
            going[row * stride] += count;
            goingOnDay_[row] += count;
        }
        return;
    }
    // Locals, so that the loop keeps them in registers across the generator's refills.
    std::int64_t* const onDay = goingOnDay_.data();
    const std::uint32_t mask = dayMask_;
    for (std::int64_t i = 0; i < count; ++i) {
        const std::int32_t goes = day + lives[draws.Next()];
        if (goes < SimulationDays) {
            const std::uint32_t row = static_cast<std::uint32_t>(goes) & mask;
            ++going[row * stride];
            ++onDay[row];
        }
    }
}

void ReplacementCalendar::Fill(LifePercentDraws& draws) {
    // As if put in the day before the first day.
    for (std::size_t g = 0; g < groups_.size(); ++g) {
        PutIn(g, groups_[g].LampCount, -1, draws);
    }
}

std::int64_t ReplacementCalendar::ReplaceBusyDay(std::int32_t day, std::uint32_t row,
                                                 LifePercentDraws& draws) {
    goingOnDay_[row] = 0;
    const std::size_t groups = groups_.size();
    std::int64_t* const today = going_.data() + row * groups;
    std::int64_t replaced = 0;
    for (std::size_t g = 0; g < groups; ++g) {
        const std::int64_t count = today[g];
        if (count != 0) {
            // Emptied first: the row serves a later day once this one is over.
            today[g] = 0;
            replaced += count;
            PutIn(g, count, day, draws);
        }
    }
    return replaced;
}

} // namespace model
