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
    plan::BudgetRules Rules;      // carry-over and crews
    QString File;                 // the plan's .csv, .xlsx or .ods
    double TimeLimitSeconds = 60; // of the search, wall-clock
    double RelativeGap = 1e-4;    // the search ends this close to the best possible plan
};

// The largest budget of a year, roubles: far beyond any office's, and its sums stay exact to the
// kopeck.
inline constexpr double MostBudget = 1e13;

// A finite number as a cell gives it: a decimal comma or point, thousands grouped by blanks.
bool ReadAmount(std::string_view text, double& amount);

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

    // Solves the plan, writes its file and returns its summary; std::runtime_error with the
    // message when no plan keeps the rules or the file cannot be written.
    std::string Finish(const PlanRequest& request, const std::vector<std::string>& carriedNames);

private:
    std::vector<plan::HouseOffer> offers_;
    std::vector<PlanHouseSource> sources_;
    PlanRules rules_;
    std::vector<plan::HouseRule> houseRules_; // one a house
};

// Counts the houses fixed in a year, required and excluded into the rules.
void CountHouseRules(const std::vector<plan::HouseRule>& houseRules, PlanRules& rules);

// Why the houses the office fixed or required make no plan possible (Russian, with the year short
// of money and by how much, or the house), or nothing.
std::optional<std::string> PlanRulesError(const plan::Problem& problem,
                                          const std::vector<PlanHouseSource>& sources,
                                          const model::NumberLocale& locale);

} // namespace stock
