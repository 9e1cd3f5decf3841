#pragma once

#include "PlanProblem.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace plan {

struct KnapsackItem {
    double Value = 0; // the objective's unit, above 0
    double Spend = 0; // roubles, not below 0
};

// The items worth most together whose spend is within `money`, at most `most` of them, when that
// is worth more than `atLeast`; nothing otherwise. Items are ordered by value per rouble; those
// well above the money's margin are taken and those well below left, the rest searched whole
// within `nodes` steps.
std::optional<std::vector<std::size_t>> MostValuableWithin(const std::vector<KnapsackItem>& items,
                                                           double money, double most,
                                                           double atLeast, std::size_t nodes);

// The plan with each year's houses chosen again, one year after another: the most valuable houses
// the money the other years leave it pays for, among the houses not chosen and the year's own
// (a house of another year moves if it is worth more here; required houses stay where they are).
// Until no year gains, the plan is within `relativeGap` of `bound` or `goOn` says no.
Plan RefilledByYear(const Problem& problem, const Plan& plan, double bound, double relativeGap,
                    const std::function<bool()>& goOn);

} // namespace plan
