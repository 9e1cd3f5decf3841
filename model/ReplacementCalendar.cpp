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

ReplacementCalendar::ReplacementCalendar(const SchemePlan& scheme)
    : lamps_{.Zones = {}, .LampLife = scheme.LampLife, .SwitchingFactor = scheme.SwitchingFactor} {
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
        group.Zone = zone;
        lives_.resize(lives_.size() + DrawCount, calendar_detail::UnknownLife);
        groups_.push_back(group);
        previous = &zone;
    }
    std::uint32_t longestLife = 1;
    for (Group& group : groups_) {
        longestLife = std::max(longestLife, PrepareLives(group));
    }
    const std::uint32_t rows = std::bit_ceil(longestLife + 1);
    dayMask_ = rows - 1;
    words_ = std::max<std::uint32_t>(1, static_cast<std::uint32_t>((groups_.size() + 63) / 64));
    goingGroups_.assign(static_cast<std::size_t>(rows) * words_, 0);
    going_ = std::make_unique_for_overwrite<std::int64_t[]>(static_cast<std::size_t>(rows) *
                                                            groups_.size());
}

std::int16_t ReplacementCalendar::LifeOf(std::size_t g, std::int32_t r) {
    std::int16_t& life = lives_[static_cast<std::size_t>(groups_[g].LivesRow + r)];
    if (life == calendar_detail::UnknownLife) {
        life = LifeInDays(lamps_, groups_[g].Zone, r);
    }
    return life;
}

std::uint32_t ReplacementCalendar::PrepareLives(Group& group) {
    const std::size_t g = static_cast<std::size_t>(&group - groups_.data());
    const std::int16_t lowest = LifeOf(g, 0);
    const std::int16_t highest = LifeOf(g, DrawCount - 1);
    const auto within = [](std::int16_t life) {
        return life <= SimulationDays ? static_cast<std::uint32_t>(life) : 0u;
    };
    if (lowest > highest) {
        // Lives that fall with the draw: every one is worked out (the inputs of such a lamp are
        // refused before a calculation; this keeps the calendar right whatever it is given).
        std::uint32_t longest = 0;
        for (std::int32_t r = 0; r < DrawCount; ++r) {
            longest = std::max(longest, within(LifeOf(g, r)));
        }
        group.SameLifeForEveryDraw = false;
        return longest;
    }
    group.SameLifeForEveryDraw = lowest == highest;
    if (highest <= SimulationDays || lowest > SimulationDays) {
        return within(highest);
    }
    // The longest life within the horizon: the last draw before the lives go beyond it.
    std::int32_t low = 0;              // its life is within the horizon
    std::int32_t high = DrawCount - 1; // its life is beyond
    while (high - low > 1) {
        const std::int32_t middle = (low + high) / 2;
        (LifeOf(g, middle) <= SimulationDays ? low : high) = middle;
    }
    return within(LifeOf(g, low));
}

void ReplacementCalendar::Fill(LifePercentDraws& draws) {
    const calendar_detail::Rows rows{goingGroups_.data(), going_.get(), groups_.size(), words_,
                                     dayMask_};
    // As if put in the day before the first day.
    for (std::size_t g = 0; g < groups_.size(); ++g) {
        const Group& group = groups_[g];
        calendar_detail::PutIn(rows, g, lives_.data() + group.LivesRow, group.SameLifeForEveryDraw,
                               group.LampCount, -1, draws,
                               [this](std::size_t in, std::int32_t r) { return LifeOf(in, r); });
    }
}

} // namespace model
