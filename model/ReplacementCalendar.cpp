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

void ReplacementCalendar::Fill(LifePercentDraws& draws) {
    const calendar_detail::Rows rows{goingGroups_.data(), going_.get(), groups_.size(), words_,
                                     dayMask_};
    // As if put in the day before the first day.
    for (std::size_t g = 0; g < groups_.size(); ++g) {
        const Group& group = groups_[g];
        calendar_detail::PutIn(rows, g, lives_.data() + group.LivesRow, group.SameLifeForEveryDraw,
                               group.LampCount, -1, draws);
    }
}

} // namespace model
