#pragma once

#include "BatchRun.h"
#include "PlanSheet.h"

#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stock {

// What --budget, --objective and --plan ask for.
struct PlanRequest {
    std::vector<double> Budgets; // roubles, one a plan year
    plan::Objective Objective = plan::Objective::NetPresentValue;
    QString File;                 // the plan's .csv, .xlsx or .ods
    double TimeLimitSeconds = 60; // of the search
};

// The largest budget of a year, roubles: far beyond any office's, and its sums stay exact to the
// kopeck.
inline constexpr double MostBudget = 1e13;

// A budget as a cell gives an amount: a decimal comma or point, thousands grouped by blanks. The
// Russian message when it is no amount, below 0 or above MostBudget. Both programs read budgets
// by it.
std::optional<std::string> ReadBudget(std::string_view text, double& amount);

// "npv", "energy" or "co2", in any case.
std::optional<plan::Objective> ObjectiveNamed(std::string_view name);

// The calculated houses of a run, collected in input order, and the plan made of them.
class PlanCollector {
public:
    // A calculated house of the run (one without figures is left out).
    void Add(const BatchHouse& house);

    // Solves the plan, writes its file (std::runtime_error with the message when it cannot) and
    // returns its summary.
    std::string Finish(const PlanRequest& request, const std::vector<std::string>& carriedNames);

private:
    std::vector<plan::HouseOffer> offers_;
    std::vector<PlanHouseSource> sources_;
    PlanRules rulesUsed_;
};

} // namespace stock
