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

    lifeRows_.resize(static_cast<std::size_t>(lampCount));
    std::int32_t first = 0;
    for (std::size_t z = 0; z < scheme.Zones.size(); ++z) {
        const std::int32_t count = std::max(scheme.Zones[z].LampCount, 0);
        const std::int16_t* lives = lives_.data() + zoneRows[z];
        if (count > 0 && std::all_of(lives, lives + DrawCount, [](auto d) { return d == 1; })) {
            dailyZones_.push_back({first, count});
        }
        std::fill_n(lifeRows_.begin() + first, count, static_cast<std::uint32_t>(zoneRows[z]));
        first += count;
    }
    // Every lamp is filed under at most one day, and each day has at most one batch not full; a
    // lamp is filed at most the longest life ahead, so no more days than that have batches.
    std::int32_t longestLife = 0;
    for (const std::int16_t life : lives_) {
        if (life <= SimulationDays) {
            longestLife = std::max<std::int32_t>(longestLife, life);
        }
    }
    const std::int64_t batchCount =
        lampCount / (BatchSlots - 1) + std::min<std::int64_t>(lampCount, longestLife) + 1;
    slots_ = std::make_unique_for_overwrite<std::int32_t[]>(
        static_cast<std::size_t>(batchCount * BatchSlots));
    nextSlot_.assign(SimulationDays, 0);
    goingToday_.assign(lifeRows_.size(), 0);
    goingBits_.assign((lifeRows_.size() + 63) / 64, 0);
    goingBefore_.assign(goingBits_.size(), 0);
    goingInOrder_.assign(lifeRows_.size(), 0);
    drawn_.assign(lifeRows_.size(), 0);
    goesToday_.assign(lifeRows_.size(), 0);
}

void ReplacementCalendar::Fill(LifePercentDraws& draws) {
    // A lamp of the pool is worn from day 0 on, as if put in the day before.
    Filer filer(*this);
    auto daily = dailyZones_.begin();
    for (std::int32_t lamp = 0; lamp < static_cast<std::int32_t>(lifeRows_.size()); ++lamp) {
        if (daily != dailyZones_.end() && lamp == daily->FirstLamp) {
            draws.Skip(daily->LampCount);
            lamp += daily->LampCount - 1;
            ++daily;
            continue;
        }
        filer.File(lamp, -1, draws.Next());
    }
}

std::int64_t ReplacementCalendar::ReplaceDay(std::int32_t day, LifePercentDraws& draws) {
    // Today's lamps, as filed, and a bit for each.
    std::int32_t* const going = goingToday_.data();
    std::uint64_t* const goingBits = goingBits_.data();
    std::int32_t* out = going;
    for (std::int32_t end = nextSlot_[day]; end != 0;) {
        const std::int32_t batch = (end - 1) / BatchSlots;
        const std::int32_t first = batch * BatchSlots;
        const std::int32_t* const lamps = slots_.get() + first + 1;
        const std::int32_t count = end - first - 1;
        std::memcpy(out, lamps, static_cast<std::size_t>(count) * sizeof *lamps);
        out += count;
        const std::int32_t previous = slots_[first];
        slots_[first] = freeBatch_;
        freeBatch_ = batch;
        end = previous < 0 ? 0 : (previous + 1) * BatchSlots;
    }
    nextSlot_[day] = 0;
    const std::int64_t count = out - going;
    // The bits apart from the copying: with the lamps at hand the addresses are known early.
    // Lamp 64w + b has bit 63 - b of word w, so that the lamps before it in its word are the bits
    // above its own: one shift counts them (x86 takes shift counts modulo 64, which makes
    // ~lamp % 64 free).
    for (std::int64_t i = 0; i < count; ++i) {
        const auto lamp = static_cast<std::uint32_t>(going[i]);
        goingBits[lamp / 64] |= std::uint64_t{1} << (~lamp % 64);
    }
    if (count == 0 && dailyZones_.empty()) {
        return 0;
    }

    // The plain loop replaces them in ascending order, so a lamp's draw is the one at its rank:
    // the number of today's lamps before it, counted from the bits.
    // Unsigned, as indices that need no widening.
    std::uint32_t* const goingBefore = goingBefore_.data();
    const std::size_t words = goingBits_.size();
    // Per word the lamps in words before it, less one (modulo 2^32) for the lamp's own bit
    // counted below.
    std::uint32_t before = UINT32_MAX;
    for (std::size_t word = 0; word < words; ++word) {
        goingBefore[word] = before;
        before += static_cast<std::uint32_t>(std::popcount(goingBits[word]));
    }
    const auto rank = [goingBefore, goingBits](std::uint32_t lamp) {
        return goingBefore[lamp / 64] +
               static_cast<std::uint32_t>(std::popcount(goingBits[lamp / 64] >> (~lamp % 64)));
    };

    std::int64_t replaced = count;
    Filer filer(*this);
    if (dailyZones_.empty()) {
        std::uint8_t* const drawn = drawn_.data();
        draws.Take(count, drawn);
        // First all the days, then the filing: the filing reads and writes the day lists, and with
        // the long look-ups out of the way the processor learns the addresses early.
        std::int32_t* const goes = goesToday_.data();
        for (std::int64_t i = 0; i < count; ++i) {
            goes[i] = filer.Goes(going[i], day, drawn[rank(static_cast<std::uint32_t>(going[i]))]);
        }
        for (std::int64_t i = 0; i < count; ++i) {
            filer.FileUnder(going[i], goes[i]);
        }
    } else {
        // Zones replaced whole every day take their draws in between.
        std::int32_t* const ordered = goingInOrder_.data();
        for (std::int64_t i = 0; i < count; ++i) {
            ordered[rank(static_cast<std::uint32_t>(going[i]))] = going[i];
        }
        auto daily = dailyZones_.begin();
        for (std::int64_t i = 0; i < count; ++i) {
            for (; daily != dailyZones_.end() && daily->FirstLamp < ordered[i]; ++daily) {
                draws.Skip(daily->LampCount);
                replaced += daily->LampCount;
            }
            filer.File(ordered[i], day, draws.Next());
        }
        for (; daily != dailyZones_.end(); ++daily) {
            draws.Skip(daily->LampCount);
            replaced += daily->LampCount;
        }
    }
    std::memset(goingBits, 0, words * sizeof *goingBits);
    return replaced;
}

} // namespace model
