#include "LampLife.h"

#include "Saturate.h"

#include <bit>
#include <cmath>
#include <limits>

namespace model {
namespace {

constexpr std::uint64_t ImplicitBit = std::uint64_t{1} << 52;
constexpr std::uint64_t FractionMask = ImplicitBit - 1;

// A positive finite double as units * 2^exponent with an integer units below 2^53.
struct Binary {
    std::uint64_t Units;
    int Exponent;
};

Binary Decompose(double value) {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    const int biased = static_cast<int>(bits >> 52);
    if (biased == 0) {
        return {bits & FractionMask, -1074};
    }
    return {(bits & FractionMask) | ImplicitBit, biased - 1075};
}

// Hours of one exponent range [2^52 q, 2^53 q) are the multiples of q there. While hours minus
// dailyHours stays in that range, the rounded difference is hours minus dailyHours rounded to a
// multiple of q: the same amount every day, unless dailyHours lies exactly halfway between two
// multiples, when the rounding depends on the last bit of hours. Returns how many such days can be
// taken at once (0: take the next day by plain subtraction) and sets `stepUnits` to the daily
// amount in units of q; an amount of zero means the hours never change again.
std::int64_t UniformDays(const Binary& hours, const Binary& daily, std::uint64_t& stepUnits) {
    const int shift = daily.Exponent - hours.Exponent;
    std::uint64_t whole = 0;
    std::uint64_t ceiling = 0;
    if (shift >= 0) {
        if (shift >= 53 || daily.Units >= (ImplicitBit >> shift)) {
            return 0; // the first difference already falls below the range
        }
        whole = daily.Units << shift;
        stepUnits = ceiling = whole;
    } else if (-shift >= 64) {
        stepUnits = 0; // far below half a unit
        ceiling = 1;
    } else {
        const int down = -shift;
        whole = daily.Units >> down;
        const std::uint64_t rest = daily.Units & ((std::uint64_t{1} << down) - 1);
        const std::uint64_t half = std::uint64_t{1} << (down - 1);
        if (rest == half) {
            return 0;
        }
        stepUnits = whole + (rest > half ? 1 : 0);
        ceiling = whole + (rest != 0 ? 1 : 0);
    }
    // A day stays in range while hours.Units - 2^52 >= dailyHours / q.
    if (hours.Units < ImplicitBit + ceiling) {
        return 0;
    }
    const std::uint64_t room = hours.Units - ImplicitBit - ceiling;
    if (stepUnits == 0) {
        return std::numeric_limits<std::int64_t>::max();
    }
    return static_cast<std::int64_t>(room / stepUnits + 1);
}

// Up to this many days, doing `hours -= dailyHours` keeps the hours within 2^-39 × hours of
// hours − days × dailyHours: each step rounds by at most 2^-53 of the hours.
constexpr double FewDays = 16384;

// The day the hours run out when no day's worn hours lie near zero, found by one division; 0 when
// some day's do, and only the day-by-day count can tell. Most lamps' lives are found so.
std::int32_t DayAwayFromZero(double hours, double dailyHours) {
    if (!std::isnormal(hours) || !(hours > 0) || !std::isfinite(hours) || !(dailyHours > 0) ||
        !std::isfinite(dailyHours)) {
        return 0;
    }
    const double whole = std::floor(hours / dailyHours);
    if (!(whole < FewDays)) {
        return 0;
    }
    const double left = hours - whole * dailyHours; // after `whole` days: in [0, dailyHours)
    const double margin = 1e-9 * hours;
    if (left > margin && dailyHours - left > margin) {
        return static_cast<std::int32_t>(whole) + 1;
    }
    return 0;
}

} // namespace

std::int32_t DaysUntilHoursRunOut(double hours, double dailyHours, std::int32_t limit) {
    if (const std::int32_t day = DayAwayFromZero(hours, dailyHours); day > 0) {
        return day <= limit ? day : NotWithin;
    }
    const bool steadyLoss = dailyHours > 0 && std::isfinite(dailyHours);
    const Binary daily = steadyLoss ? Decompose(dailyHours) : Binary{0, 0};
    std::int32_t day = 0;
    while (day < limit) {
        if (steadyLoss && std::isnormal(hours) && hours > 0) {
            const Binary current = Decompose(hours);
            std::uint64_t stepUnits = 0;
            const std::int64_t days = UniformDays(current, daily, stepUnits);
            if (days > 0) {
                if (stepUnits == 0 || days >= limit - day) {
                    return NotWithin; // every day left keeps the hours in this positive range
                }
                const std::uint64_t units =
                    current.Units - static_cast<std::uint64_t>(days) * stepUnits;
                hours = std::bit_cast<double>(
                    (std::bit_cast<std::uint64_t>(hours) & ~FractionMask) | (units & FractionMask));
                day += static_cast<std::int32_t>(days);
                continue;
            }
        }
        hours -= dailyHours;
        ++day;
        if (hours < 0) {
            return day;
        }
        // Not below zero now: with no loss it never will be; infinity and NaN stay as they are
        // (or become NaN).
        if (!steadyLoss || !std::isfinite(hours)) {
            return NotWithin;
        }
    }
    return NotWithin;
}

std::int32_t DaysUntilSwitchingsRunOut(std::int32_t switchings, std::int32_t dailySwitchings,
                                       std::int32_t limit) {
    if (limit < 1) {
        return NotWithin;
    }
    if (SaturatingSub(switchings, dailySwitchings) < 0) {
        return 1;
    }
    if (dailySwitchings <= 0) {
        return NotWithin; // the count never falls (it saturates at the top)
    }
    // Here switchings >= dailySwitchings > 0, and no difference on the way down saturates.
    const std::int64_t days = std::int64_t{switchings} / dailySwitchings + 1;
    return days <= limit ? static_cast<std::int32_t>(days) : NotWithin;
}

} // namespace model
