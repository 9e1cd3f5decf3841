#pragma once

#include "PlanProblem.h"

#include <atomic>
#include <functional>

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
    Optimal,   // proven optimal within the relative gap asked for
    TimeLimit, // the time ran out first
    Stopped,   // the stop flag was set
};

struct Solution {
    Plan Best;    // never worth less than the ranking plan
    Plan Ranking; // the ranking plan, the search's first plan
    SolveStatus Status = SolveStatus::Optimal;
    double Bound = 0; // no plan is worth more, the objective's unit
    double Gap = 0;   // relative: (Bound - Best.Value) / Bound, 0 when nothing is left to gain
};

// The plan of most value within the budgets, by a mixed-integer program solved with CBC, started
// from the ranking plan.
Solution SolvePlan(const Problem& problem, const SolveOptions& options = {});

} // namespace plan
