#pragma once

#include <cstdint>

namespace model {

// How many days a lamp lasts is known when it is put in: its zone takes the same hours and
// switch-ons from it every day, and it goes on the first day either count drops below zero. These
// return that day, counted from 1 for the first day of wear, or NotWithin when it is later than
// `limit` days (or never).
inline constexpr std::int32_t NotWithin = INT32_MAX;

// The count that repeatedly doing `hours -= dailyHours` in double precision gives, rounding
// included: where no day's hours lie near zero, one division tells; otherwise, within a binary
// exponent range the rounding of every step is the same, so such stretches are stepped over at
// once.
std::int32_t DaysUntilHoursRunOut(double hours, double dailyHours, std::int32_t limit);

// The same for `switchings = SaturatingSub(switchings, dailySwitchings)`.
std::int32_t DaysUntilSwitchingsRunOut(std::int32_t switchings, std::int32_t dailySwitchings,
                                       std::int32_t limit);

} // namespace model
