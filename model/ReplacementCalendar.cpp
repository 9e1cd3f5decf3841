#include "ReplacementCalendar.h"

#include "LampLife.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <span>

namespace model {
namespace {

constexpr int DrawCount = 100;
constexpr std::int16_t BeyondHorizon = SimulationDays + 1;
// A life not yet worked out; every life is at least a day.
constexpr std::int16_t UnknownLife = 0;

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

// Lamps put in at once up to FewLamps are put in inline, from ManyLamps on they are counted by run
// of draws first, then by day.
constexpr std::int64_t FewLamps = 4;
constexpr std::int64_t ManyLamps = 160;
// A scanned calendar's groups put in up to this many lamps in the day loop itself.
constexpr std::int32_t ScannedFewLamps = 16;
constexpr std::int32_t NoLamps = 0;
// Rings are cleared when made if they hold no more than this many days a lamp: clearing costs
// less than looking at a mark for every lamp put in (the largest house has 1.6, the default 300).
constexpr std::size_t ClearedRingDaysPerLamp = 4;
// Counts left unused after each ring, a cache line: rings' lengths are powers of two, so without
// it the same day of many rings would fall into the same few sets of the first-level cache.
constexpr std::uint32_t RingGap = 16;

// Puts in a lamp on `day` for each draw from `first` on, up to `last` or the first draw whose life
// is unknown or beyond `longest`; returns where it stopped. Apart, and calling nothing, so that the
// loop keeps all it needs in registers. A lamp that goes after the last day is counted on a day of
// the ring that is never asked for. A scanned calendar's marks (one word) are never read: setting
// them would make every lamp's store wait for the one before.
template <bool Cleared, bool Marked, typename Days>
[[gnu::noinline]] const std::uint8_t*
PutInKnown(const Days& groupDays, const std::int16_t* const lives, const std::uint32_t longest,
           const std::int32_t day, const std::uint8_t* first, const std::uint8_t* const last) {
    const Days days = groupDays;
    for (; first != last; ++first) {
        const std::int32_t life = lives[*first];
        // An unknown life (0) wraps round to the largest number.
        if (static_cast<std::uint32_t>(life - 1) >= longest) [[unlikely]] {
            break;
        }
        const auto goes = static_cast<std::uint32_t>(day + life);
        std::uint64_t& marks = days.Marks[goes & days.DayMask];
        std::int32_t& count = days.Ring[goes & days.RingMask];
        if constexpr (Cleared) {
            ++count;
        } else {
            // As GroupDays::Add, choosing where to read from rather than whether to, so that
            // no branch is guessed wrong for every third lamp.
            const std::uintptr_t marked = 0 - static_cast<std::uintptr_t>((marks & days.Bit) != 0);
            const std::uintptr_t from = (reinterpret_cast<std::uintptr_t>(&count) & marked) |
                                        (reinterpret_cast<std::uintptr_t>(&NoLamps) & ~marked);
            count = *reinterpret_cast<const std::int32_t*>(from) + 1;
        }
        if constexpr (Marked) {
            marks |= days.Bit;
        }
    }
    return first;
}

// Puts in `count` lamps (no more than ScannedFewLamps) of a scanned calendar's group on `day` when
// their draws are ready and their lives known and within the horizon, and returns true; otherwise
// does nothing and returns false. A scanned calendar's marks are never read: none is set.
template <typename Days>
bool PutInFewKnown(const Days& days, std::int32_t count, std::int32_t day,
                   LifePercentDraws& draws) {
    const std::span<const std::uint8_t> ready = draws.Ready();
    if (ready.size() < static_cast<std::size_t>(count)) {
        return false;
    }
    const auto longest = static_cast<std::uint32_t>(days.LongestLife);
    std::array<std::int32_t, ScannedFewLamps> lives; // the first `count` set below
    for (std::int32_t i = 0; i < count; ++i) {
        lives[i] = days.Lives[ready[i]];
        // An unknown life (0) wraps round to the largest number.
        if (static_cast<std::uint32_t>(lives[i] - 1) >= longest) {
            return false;
        }
    }
    for (std::int32_t i = 0; i < count; ++i) {
        ++days.Ring[static_cast<std::uint32_t>(day + lives[i]) & days.RingMask];
    }
    draws.Take(static_cast<std::size_t>(count));
    return true;
}

} // namespace

void ReplacementCalendar::Start(const SchemePlan& scheme) {
    lamps_ = {.Zones = {}, .LampLife = scheme.LampLife, .SwitchingFactor = scheme.SwitchingFactor};
    MakeGroups(scheme);
    LayOutRings();
}

void ReplacementCalendar::MakeGroups(const SchemePlan& scheme) {
    groups_.clear();
    lives_.clear();
    runOfDraw_.clear();
    runLives_.clear();
    const ZonePlan* previous = nullptr;
    for (const ZonePlan& zone : scheme.Zones) {
        if (zone.LampCount <= 0) {
            continue; // an empty zone takes no draws: its neighbours follow each other directly
        }
        if (previous != nullptr && SameWear(*previous, zone) &&
            groups_.back().LampCount <= INT32_MAX - zone.LampCount) {
            groups_.back().LampCount += zone.LampCount;
            continue;
        }
        Group group;
        group.LampCount = zone.LampCount;
        group.LivesRow = static_cast<std::int32_t>(lives_.size());
        group.Zone = zone;
        lives_.resize(lives_.size() + DrawCount, UnknownLife);
        runOfDraw_.resize(runOfDraw_.size() + DrawCount);
        runLives_.resize(runLives_.size() + DrawCount);
        groups_.push_back(group);
        previous = &zone;
    }
    for (Group& group : groups_) {
        PrepareLives(group);
    }
}

void ReplacementCalendar::LayOutRings() {
    std::size_t ringDays = 0;
    std::uint32_t longestLife = 0;
    std::int64_t lamps = 0;
    // Lamps going on a day, once the first lamps' lives are mixed.
    double lampsPerDay = 0;
    for (const Group& group : groups_) {
        const auto longest = static_cast<std::uint32_t>(group.LongestLife);
        ringDays += std::bit_ceil(longest + 1);
        longestLife = std::max(longestLife, longest);
        lamps += group.LampCount;
        if (group.LongestLife > 0) {
            lampsPerDay += static_cast<double>(group.LampCount) / group.LongestLife;
        }
    }
    const std::size_t counts = ringDays + groups_.size() * RingGap;
    if (counts > goingCapacity_) {
        going_ = std::make_unique_for_overwrite<std::int32_t[]>(counts);
        goingCapacity_ = counts;
    }
    const bool cleared = ringDays <= static_cast<std::size_t>(lamps) * ClearedRingDaysPerLamp;
    if (cleared) {
        std::fill_n(going_.get(), counts, 0);
    }
    scanned_ = cleared && groups_.size() <= lampsPerDay;
    const std::uint32_t rows = scanned_ ? 1 : std::bit_ceil(longestLife + 1);
    dayMask_ = rows - 1;
    words_ =
        scanned_
            ? 1
            : std::max<std::uint32_t>(1, static_cast<std::uint32_t>((groups_.size() + 63) / 64));
    dueGroups_.assign(static_cast<std::size_t>(rows) * words_, scanned_ ? ~std::uint64_t{0} : 0);
    days_.clear();
    // The last group's lamps are noted as if it had the most.
    notedGroups_.resize((groups_.size() + 1) * ScannedFewLamps);
    std::int32_t* ring = going_.get();
    for (std::size_t g = 0; g < groups_.size(); ++g) {
        const std::uint32_t length =
            std::bit_ceil(static_cast<std::uint32_t>(groups_[g].LongestLife) + 1);
        std::uint64_t* const marks = dueGroups_.data() + (scanned_ ? 0 : g / 64 * rows);
        const Group& group = groups_[g];
        days_.push_back({.Ring = ring,
                         .RingMask = length - 1,
                         .Marks = marks,
                         .DayMask = dayMask_,
                         .Bit = std::uint64_t{1} << (g % 64),
                         .Cleared = cleared,
                         .SameLifeForEveryDraw = group.SameLifeForEveryDraw,
                         .NotedLamps = 0,
                         .LongestLife = group.LongestLife,
                         .Lives = lives_.data() + group.LivesRow});
        ring += length + RingGap;
    }
}

std::int16_t ReplacementCalendar::LifeOf(std::size_t g, std::int32_t r) {
    std::int16_t& life = lives_[static_cast<std::size_t>(groups_[g].LivesRow + r)];
    if (life == UnknownLife) {
        life = LifeInDays(lamps_, groups_[g].Zone, r);
    }
    return life;
}

ReplacementCalendar::LifeRuns ReplacementCalendar::RunsOf(std::size_t g) {
    const auto row = static_cast<std::size_t>(groups_[g].LivesRow);
    std::uint8_t* const runOfDraw = runOfDraw_.data() + row;
    std::int16_t* const lives = runLives_.data() + row;
    std::int32_t& count = groups_[g].RunCount;
    if (count == 0) {
        for (std::int32_t r = 0; r < DrawCount; ++r) {
            const std::int16_t life = LifeOf(g, r);
            if (count == 0 || lives[count - 1] != life) {
                lives[count++] = life;
            }
            runOfDraw[r] = static_cast<std::uint8_t>(count - 1);
        }
        const bool within = std::all_of(lives, lives + count, [&](std::int16_t life) {
            return life >= 1 && life <= days_[g].LongestLife;
        });
        if (scanned_ && within && g <= UINT8_MAX) {
            days_[g].NotedLamps = ScannedFewLamps;
        }
    }
    return {runOfDraw, lives, count};
}

void ReplacementCalendar::PrepareLives(Group& group) {
    const std::size_t g = static_cast<std::size_t>(&group - groups_.data());
    const std::int16_t lowest = LifeOf(g, 0);
    const std::int16_t highest = LifeOf(g, DrawCount - 1);
    const auto within = [](std::int16_t life) {
        return life <= SimulationDays ? std::int32_t{life} : 0;
    };
    group.SameLifeForEveryDraw = lowest == highest;
    group.ShortestLife = lowest;
    if (lowest > highest) {
        // Lives that fall with the draw: every one is worked out (the inputs of such a lamp are
        // refused before a calculation; this keeps the calendar right whatever it is given).
        group.LongestLife = 0;
        for (std::int32_t r = 0; r < DrawCount; ++r) {
            group.LongestLife = std::max(group.LongestLife, within(LifeOf(g, r)));
            group.ShortestLife = std::min<std::int32_t>(group.ShortestLife, LifeOf(g, r));
        }
        return;
    }
    if (highest <= SimulationDays || lowest > SimulationDays) {
        group.LongestLife = within(highest);
        return;
    }
    // The longest life within the horizon: the last draw before the lives go beyond it.
    std::int32_t low = 0;              // its life is within the horizon
    std::int32_t high = DrawCount - 1; // its life is beyond
    while (high - low > 1) {
        const std::int32_t middle = (low + high) / 2;
        (LifeOf(g, middle) <= SimulationDays ? low : high) = middle;
    }
    group.LongestLife = within(LifeOf(g, low));
}

[[gnu::always_inline]] inline void ReplacementCalendar::PutIn(std::size_t g, std::int64_t count,
                                                              std::int32_t day,
                                                              LifePercentDraws& draws) {
    const GroupDays& group = DaysOf(g);
    if (group.LongestLife == 0) {
        draws.Skip(count); // none of them goes within the horizon
    } else if (group.SameLifeForEveryDraw) {
        draws.Skip(count);
        group.Add(day + group.LongestLife, count);
    } else if (count < ManyLamps) {
        PutInFew(g, count, day, draws);
    } else {
        PutInMany(g, count, day, draws);
    }
}

inline void ReplacementCalendar::PutInCounted(std::size_t g, std::int64_t count, std::int32_t day,
                                              LifePercentDraws& draws) {
    const GroupDays& days = DaysOf(g);
    const std::int16_t* const lives = days.Lives;
    const auto longest = static_cast<std::uint32_t>(days.LongestLife);
    for (; count > 0; --count) {
        const std::int32_t r = draws.Next();
        const std::int32_t life = lives[r];
        // An unknown life (0) wraps round to the largest number.
        if (static_cast<std::uint32_t>(life - 1) < longest) [[likely]] {
            const auto goes = static_cast<std::uint32_t>(day + life);
            ++days.Ring[goes & days.RingMask];
            days.Marks[goes & days.DayMask] |= days.Bit;
        } else if (LifeOf(g, r) <= SimulationDays) {
            days.Add(day + LifeOf(g, r), 1);
        }
    }
}

[[gnu::always_inline]] inline void ReplacementCalendar::PutInFew(std::size_t g, std::int64_t count,
                                                                 std::int32_t day,
                                                                 LifePercentDraws& draws) {
    const GroupDays& days = DaysOf(g);
    const std::int16_t* const lives = days.Lives;
    if (count <= FewLamps && days.Cleared) {
        PutInCounted(g, count, day, draws);
        return;
    }
    if (count <= FewLamps) {
        for (; count > 0; --count) {
            const std::int32_t r = draws.Next();
            const std::int32_t life = lives[r] != UnknownLife ? lives[r] : LifeOf(g, r);
            if (life <= SimulationDays) {
                days.Add(day + life, 1);
            }
        }
        return;
    }
    const auto longest = static_cast<std::uint32_t>(days.LongestLife);
    while (count > 0) {
        const std::span<const std::uint8_t> ready = draws.TakeReady(count);
        count -= static_cast<std::int64_t>(ready.size());
        const std::uint8_t* const last = ready.data() + ready.size();
        for (const std::uint8_t* at = ready.data(); at != last; ++at) {
            at = !days.Cleared ? PutInKnown<false, true>(days, lives, longest, day, at, last)
                 : scanned_    ? PutInKnown<true, false>(days, lives, longest, day, at, last)
                               : PutInKnown<true, true>(days, lives, longest, day, at, last);
            if (at == last) {
                break;
            }
            const std::int32_t life = LifeOf(g, *at);
            if (life <= SimulationDays) {
                days.Add(day + life, 1);
            }
        }
    }
}

void ReplacementCalendar::PutInMany(std::size_t g, std::int64_t count, std::int32_t day,
                                    LifePercentDraws& draws) {
    // Which lamp takes which draw changes nothing, and neighbouring draws mostly give the same
    // life: the lamps are counted by run of draws first.
    const LifeRuns runs = RunsOf(g);
    std::array<std::uint32_t, DrawCount> byRun{};
    while (count > 0) {
        const std::span<const std::uint8_t> ready = draws.TakeReady(count);
        count -= static_cast<std::int64_t>(ready.size());
#pragma GCC unroll 8
        for (const std::uint8_t r : ready) {
            ++byRun[runs.RunOfDraw[r]];
        }
    }
    const GroupDays& days = DaysOf(g);
    if (scanned_) {
        // Cleared rings whose marks are never read: a run without lamps adds 0.
        for (std::int32_t run = 0; run < runs.Count; ++run) {
            if (runs.Life[run] <= SimulationDays) {
                days.Ring[static_cast<std::uint32_t>(day + runs.Life[run]) & days.RingMask] +=
                    static_cast<std::int32_t>(byRun[run]);
            }
        }
        return;
    }
    for (std::int32_t run = 0; run < runs.Count; ++run) {
        if (byRun[run] != 0 && runs.Life[run] <= SimulationDays) {
            days.Add(day + runs.Life[run], byRun[run]);
        }
    }
}

void ReplacementCalendar::Fill(LifePercentDraws& draws) {
    // As if put in the day before the first day.
    for (std::size_t g = 0; g < groups_.size(); ++g) {
        PutIn(g, groups_[g].LampCount, -1, draws);
    }
}

std::int64_t ReplacementCalendar::ReplaceDueDay(std::int32_t day, std::uint32_t row,
                                                LifePercentDraws& draws) {
    if (scanned_) {
        return ReplaceScannedDay(day, draws);
    }
    std::int64_t replaced = 0;
    // The row serves a later day once this one is over; no lamp put in today goes today, so its
    // marks are cleared at once. Groups in ascending order, as the lamps are visited.
    for (std::uint32_t w = 0; w < words_; ++w) {
        std::uint64_t& word = dueGroups_[std::size_t{w} * (dayMask_ + 1) + row];
        std::uint64_t marked = word;
        word = 0;
        while (marked != 0) {
            const std::size_t g =
                std::size_t{w} * 64 + static_cast<std::size_t>(std::countr_zero(marked));
            marked &= marked - 1;
            const GroupDays& days = days_[g];
            std::int32_t& going = days.Ring[static_cast<std::uint32_t>(day) & days.RingMask];
            const std::int64_t count = going;
            if (days.Cleared) {
                going = 0;
            }
            replaced += count;
            PutIn(g, count, day, draws);
        }
    }
    return replaced;
}

std::int64_t ReplacementCalendar::ReplaceScannedDay(std::int32_t day, LifePercentDraws& draws) {
    // A group's lamps put in today go on a later day, and only in its ring. Groups of few lamps
    // whose lives are known only note their lamps, which are then put in together in one loop,
    // so that no branch depends on how many lamps a group has going.
    std::uint8_t* const noted = notedGroups_.data();
    std::size_t lamps = 0;
    std::int64_t replaced = 0;
    // The group number in every byte, noted ScannedFewLamps times by two stores.
    constexpr std::uint64_t EveryByte = 0x0101010101010101;
    static_assert(ScannedFewLamps == 2 * sizeof(EveryByte));
    std::uint64_t group = 0;
    for (const GroupDays& days : days_) {
        std::int32_t& going = days.Ring[static_cast<std::uint32_t>(day) & days.RingMask];
        const std::int32_t count = going;
        going = 0;
        if (count > days.NotedLamps) [[unlikely]] {
            replaced += count + static_cast<std::int64_t>(lamps);
            if (lamps != 0) {
                PutInNoted(lamps, day, draws); // the draws are taken in the lamps' order
                lamps = 0;
            }
            const auto g = static_cast<std::size_t>(&days - days_.data());
            if (count > ScannedFewLamps || !PutInFewKnown(days, count, day, draws)) {
                PutIn(g, count, day, draws);
            }
        } else {
            std::memcpy(noted + lamps, &group, sizeof group);
            std::memcpy(noted + lamps + sizeof group, &group, sizeof group);
            lamps += static_cast<std::size_t>(count);
        }
        group += EveryByte;
    }
    PutInNoted(lamps, day, draws);
    return replaced + static_cast<std::int64_t>(lamps);
}

void ReplacementCalendar::PutInNoted(std::size_t lamps, std::int32_t day, LifePercentDraws& draws) {
    const std::uint8_t* group = notedGroups_.data();
    while (lamps > 0) {
        const std::span<const std::uint8_t> ready =
            draws.TakeReady(static_cast<std::int64_t>(lamps));
        lamps -= ready.size();
#pragma GCC unroll 4
        for (const std::uint8_t r : ready) {
            const GroupDays& days = days_[*group++];
            ++days.Ring[static_cast<std::uint32_t>(day + days.Lives[r]) & days.RingMask];
        }
    }
}

} // namespace model
