#pragma once

#include "NumberFormat.h"
#include "PlanProblem.h"
#include "ProjectParameters.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace stock {

// The least and the most of a rate or a count over the plan's houses.
struct Spread {
    double Least = 0;
    double Most = 0;
};

// The rules a plan was made by, as the plan's file, summary and report name them.
struct PlanRules {
    std::vector<double> Budgets;    // roubles, one a plan year
    bool CarryOver = true;          // money not spent in a year goes on to the next
    std::size_t FixedHouses = 0;    // fitted in a year the office chose
    std::size_t RequiredHouses = 0; // fitted in a year the plan chooses
    std::size_t ExcludedHouses = 0; // never fitted
    std::vector<int> MostHouses;    // a year: empty for no limit, one for every year or one a year
    plan::Objective Objective = plan::Objective::NetPresentValue;
    // Over the houses the plan was given, % a year; none while no house is given.
    std::optional<Spread> TariffGrowth;
    std::optional<Spread> LampPriceGrowth;
    std::optional<Spread> DiscountRate;
    std::optional<Spread> HorizonYears; // counted from the start of plan year 1
    double TimeLimitSeconds = 60;
    double GapPercent = 0.01;
    std::string Filter; // the window's filter of the houses, UTF-8; empty: every house

    // Widens the rates and horizon by a house's economics inputs.
    void Take(const model::EconomicsInputs& inputs);
};

// The objective's name and unit in Russian.
std::string ObjectiveName(plan::Objective objective);
std::string ObjectiveUnit(plan::Objective objective);

// The rules, a line each, in Russian: "Бюджеты по годам: …", "Остаток бюджета …", …
std::vector<std::string> PlanRuleLines(const PlanRules& rules, const model::NumberLocale& locale);

// Money as the plan shows it: roubles and kopecks, thousands grouped.
std::string PlanMoney(double roubles, const model::NumberLocale& locale);

} // namespace stock
