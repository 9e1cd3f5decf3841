#pragma once

#include "PlanProblem.h"

#include <atomic>
#include <functional>
#include <optional>
#include <string>

namespace plan {

// How the search for the best plan stands. Values in the objective's unit.
struct SolveProgress {
    double BestValue = 0; // of the best plan found so far
    double Bound = 0;     // no plan is worth more
    double Seconds = 0;   // since the search began
};

struct SolveOptions {
    double RelativeGap = 1e-4;    // the search ends once the best plan is this close to the bound
    double TimeLimitSeconds = 60; // wall-clock
    const std::atomic<bool>* Stop = nullptr; // set from any thread: the best plan so far is kept
    // Called on the solving thread now and then while the search goes on.
    std::function<void(const SolveProgress&)> Progress;
};

enum class SolveStatus {
    Optimal,    // proven optimal within the relative gap asked for
    TimeLimit,  // the time ran out first: the best plan found, Gap from the best possible
    Stopped,    // the stop flag was set: the best plan found so far
    Infeasible, // no plan keeps the rules: the required houses do not fit; no plan
    Failed,     // the solver failed, Message says how; no plan
};

struct Solution {
    Plan Best;    // fits the rules, never worth less than the ranking plan where that fits
    Plan Ranking; // the ranking plan, the search's first plan when it fits
    SolveStatus Status = SolveStatus::Optimal;
    double Bound = 0;    // no plan is worth more, the objective's unit
    double Gap = 0;      // relative: (Bound - Best.Value) / Bound, 0 when nothing is left to gain
    std::string Message; // Russian: why there is no plan, for Infeasible and Failed
    // Whether there is a plan to carry out: not when the rules cannot be kept or the solver failed.
    bool HasPlan() const {
        return Status != SolveStatus::Infeasible && Status != SolveStatus::Failed;
    }
};

// A required house that no year can pay for (its spend above the money of every year it may be
// fitted in, or no crews there), or nothing.
std::optional<std::size_t> RequiredHouseFittingNowhere(const Problem& problem);

// The plan of most value within the budgets and rules, by a mixed-integer program solved with
// CBC, started from the ranking plan. Searches on several threads at once are independent.
Solution SolvePlan(const Problem& problem, const SolveOptions& options = {});

} // namespace plan
