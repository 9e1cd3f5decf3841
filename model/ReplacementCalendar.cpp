#include "ReplacementCalendar.h"

#include "LampLife.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace model {
namespace {

constexpr int DrawCount = 100;
constexpr std::int16_t BeyondHorizon = SimulationDays + 1;

bool SameWear(const ZonePlan& a, const ZonePlan& b) {
    return std::bit_cast<std::uint64_t>(a.Wear.DailyHours) ==
               std::bit_cast<std::uint64_t>(b.Wear.DailyHours) &&
           a.Wear.DailySwitchings == b.Wear.DailySwitchings && a.Vestibule == b.Vestibule;
}

// Days a new lamp of the zone lasts for draw r, counted from its first day of wear.
std::int16_t LifeInDays(const SchemePlan& scheme, const ZonePlan& zone, std::int32_t r) {
    const NewLamp fresh = MakeNewLamp(scheme, zone.Vestibule, r);
    const std::int32_t bySwitchings = DaysUntilSwitchingsRunOut(
        fresh.RemainingSwitchings, zone.Wear.DailySwitchings, SimulationDays);
    // The hours matter only when they run out first.
    const std::int32_t hoursLimit = std::min(bySwitchings - 1, SimulationDays);
    const std::int32_t byHours =
        DaysUntilHoursRunOut(fresh.RemainingHours, zone.Wear.DailyHours, hoursLimit);
    const std::int32_t days = std::min(bySwitchings, byHours);
    return days <= SimulationDays ? static_cast<std::int16_t>(days) : BeyondHorizon;
}

} // namespace

ReplacementCalendar::ReplacementCalendar(const SchemePlan& scheme) {
    std::int64_t lampCount = 0;
    std::vector<std::size_t> rowZones; // for each row in lives_, a zone it was made for
    std::vector<std::int32_t> zoneRows(scheme.Zones.size(), 0);
    for (std::size_t z = 0; z < scheme.Zones.size(); ++z) {
        const ZonePlan& zone = scheme.Zones[z];
        lampCount += std::max(zone.LampCount, 0);
        if (zone.LampCount <= 0) {
            continue;
        }
        const auto same = std::find_if(rowZones.begin(), rowZones.end(), [&](std::size_t other) {
            return SameWear(scheme.Zones[other], zone);
        });
        if (same != rowZones.end()) {
            zoneRows[z] = static_cast<std::int32_t>((same - rowZones.begin()) * DrawCount);
            continue;
        }
        zoneRows[z] = static_cast<std::int32_t>(rowZones.size() * DrawCount);
        rowZones.push_back(z);
        for (std::int32_t r = 0; r < DrawCount; ++r) {
            lives_.push_back(LifeInDays(scheme, zone, r));
        }
    }

    lamps_.resize(static_cast<std::size_t>(lampCount));
    std::int32_t first = 0;
    for (std::size_t z = 0; z < scheme.Zones.size(); ++z) {
        const std::int32_t count = std::max(scheme.Zones[z].LampCount, 0);
        const std::int16_t* lives = lives_.data() + zoneRows[z];
        if (count > 0 && std::all_of(lives, lives + DrawCount, [](auto d) { return d == 1; })) {
            dailyZones_.push_back({first, count});
        }
        for (std::int32_t i = 0; i < count; ++i) {
            lamps_[first + i] = {-1, zoneRows[z]};
        }
        first += count;
    }
    firstGoing_.assign(SimulationDays, -1);
    going_.assign((lamps_.size() + 63) / 64, 0);
    goingWords_.assign((going_.size() + 63) / 64, 0);
}

void ReplacementCalendar::Fill(LifePercentDraws& draws) {
    // A lamp of the pool is worn from day 0 on, as if put in the day before.
    auto daily = dailyZones_.begin();
    for (std::int32_t lamp = 0; lamp < static_cast<std::int32_t>(lamps_.size()); ++lamp) {
        if (daily != dailyZones_.end() && lamp == daily->FirstLamp) {
            draws.Skip(daily->LampCount);
            lamp += daily->LampCount - 1;
            ++daily;
            continue;
        }
        File(lamp, -1, draws.Next());
    }
}

std::int64_t ReplacementCalendar::ReplaceDay(std::int32_t day, LifePercentDraws& draws) {
    for (std::int32_t lamp = firstGoing_[day]; lamp >= 0; lamp = lamps_[lamp].NextSameDay) {
        const std::size_t word = static_cast<std::size_t>(lamp) >> 6;
        going_[word] |= std::uint64_t{1} << (lamp & 63);
        goingWords_[word >> 6] |= std::uint64_t{1} << (word & 63);
    }

    std::int64_t replaced = 0;
    auto daily = dailyZones_.begin();
    const auto dailyUpTo = [&](std::int32_t lamp) {
        for (; daily != dailyZones_.end() && daily->FirstLamp < lamp; ++daily) {
            draws.Skip(daily->LampCount);
            replaced += daily->LampCount;
        }
    };
    for (std::size_t summary = 0; summary < goingWords_.size(); ++summary) {
        std::uint64_t words = goingWords_[summary];
        goingWords_[summary] = 0;
        while (words != 0) {
            const std::size_t word = summary * 64 + std::countr_zero(words);
            words &= words - 1;
            std::uint64_t bits = going_[word];
            going_[word] = 0;
            while (bits != 0) {
                const auto lamp = static_cast<std::int32_t>(word * 64 + std::countr_zero(bits));
                bits &= bits - 1;
                dailyUpTo(lamp);
                File(lamp, day, draws.Next());
                ++replaced;
            }
        }
    }
    dailyUpTo(INT32_MAX);
    return replaced;
}

} // namespace model
