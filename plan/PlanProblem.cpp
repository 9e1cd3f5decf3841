#include "PlanProblem.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace plan {
namespace {

constexpr double SumRounding = 1e-12; // relative

} // namespace

double SpendInYear(const HouseOffer& house, int year) {
    return house.InstallCost * std::pow(1 + house.LampPriceGrowth / 100, year);
}

double ValueInYear(const HouseOffer& house, Objective objective, int year, int years) {
    switch (objective) {
    case Objective::Energy:
        return house.EnergySavedPerYear * (years - year);
    case Objective::CO2:
        return house.CO2AvoidedPerYear * (years - year);
    case Objective::NetPresentValue:
        break;
    }
    const double tariff = std::pow(1 + house.TariffGrowth / 100, year);
    const double prices = std::pow(1 + house.LampPriceGrowth / 100, year);
    const double discount = std::pow(1 + house.DiscountRate / 100, -year);
    return (tariff * house.ValueEnergy + prices * house.ValuePrices) * discount;
}

std::optional<std::string> BudgetsError(const std::vector<double>& budgets) {
    if (budgets.empty()) {
        return "не задан бюджет ни одного года";
    }
    if (budgets.size() > MaxYears) {
        return "бюджетов больше, чем лет в плане (не более " + std::to_string(MaxYears) + ")";
    }
    for (std::size_t k = 0; k < budgets.size(); ++k) {
        if (!std::isfinite(budgets[k]) || budgets[k] < 0) {
            return "бюджет года " + std::to_string(k + 1) + " должен быть числом не меньше 0";
        }
    }
    return std::nullopt;
}

Problem MakeProblem(const std::vector<HouseOffer>& houses, std::vector<double> budgets,
                    Objective objective) {
    Problem problem;
    problem.Budgets = std::move(budgets);
    problem.HouseCount = houses.size();
    const int years = problem.Years();
    problem.Spend.resize(houses.size() * problem.Budgets.size());
    problem.Value.resize(problem.Spend.size());
    for (std::size_t h = 0; h < houses.size(); ++h) {
        for (int k = 0; k < years; ++k) {
            problem.Spend[problem.Index(h, k)] = SpendInYear(houses[h], k);
            problem.Value[problem.Index(h, k)] = ValueInYear(houses[h], objective, k, years);
        }
    }
    return problem;
}

std::vector<YearTotals> TotalsByYear(const Problem& problem, const Plan& plan) {
    std::vector<YearTotals> totals(problem.Budgets.size());
    for (const Choice& c : plan.Choices) {
        YearTotals& t = totals[static_cast<std::size_t>(c.Year)];
        ++t.Houses;
        t.Spend += problem.SpendOf(c.House, c.Year);
        t.Value += problem.ValueOf(c.House, c.Year);
    }
    double left = 0;
    for (std::size_t k = 0; k < totals.size(); ++k) {
        totals[k].Budget = problem.Budgets[k];
        left += problem.Budgets[k] - totals[k].Spend;
        totals[k].Left = left;
    }
    return totals;
}

bool Fits(const Problem& problem, const Plan& plan) {
    std::vector<char> chosen(problem.HouseCount, 0);
    std::vector<double> spend(problem.Budgets.size(), 0);
    for (const Choice& c : plan.Choices) {
        if (c.House >= problem.HouseCount || c.Year < 0 || c.Year >= problem.Years() ||
            chosen[c.House] != 0) {
            return false;
        }
        chosen[c.House] = 1;
        spend[static_cast<std::size_t>(c.Year)] += problem.SpendOf(c.House, c.Year);
    }
    double budget = 0;
    double spent = 0;
    for (std::size_t k = 0; k < spend.size(); ++k) {
        budget += problem.Budgets[k];
        spent += spend[k];
        // Sums of the same amounts in another order differ in their last bits only.
        if (spent > budget + SumRounding * std::max(budget, 1.0)) {
            return false;
        }
    }
    return true;
}

void Complete(const Problem& problem, Plan& plan) {
    std::sort(plan.Choices.begin(), plan.Choices.end(), [](const Choice& a, const Choice& b) {
        return a.Year != b.Year ? a.Year < b.Year : a.House < b.House;
    });
    plan.Value = 0;
    for (const Choice& c : plan.Choices) {
        plan.Value += problem.ValueOf(c.House, c.Year);
    }
}

Plan RankingPlan(const Problem& problem) {
    const int years = problem.Years();
    Plan plan;
    if (years == 0) {
        return plan;
    }
    // Value per rouble of this year; a house that costs nothing comes first.
    std::vector<double> score(problem.HouseCount);
    std::vector<std::size_t> order;
    for (std::size_t h = 0; h < problem.HouseCount; ++h) {
        const double value = problem.ValueOf(h, 0);
        const double spend = problem.SpendOf(h, 0);
        score[h] = spend > 0 ? value / spend : std::numeric_limits<double>::infinity();
        if (value > 0) {
            order.push_back(h);
        }
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return score[a] > score[b]; });

    // slack[k]: budgets of years 0 .. k minus the spend of years 0 .. k so far. A house fitted in
    // year k uses the money of every year from k on.
    std::vector<double> slack(problem.Budgets.size());
    std::partial_sum(problem.Budgets.begin(), problem.Budgets.end(), slack.begin());
    for (std::size_t h : order) {
        for (int k = 0; k < years; ++k) {
            const double spend = problem.SpendOf(h, k);
            if (problem.ValueOf(h, k) <= 0 ||
                !std::all_of(slack.begin() + k, slack.end(),
                             [spend](double s) { return spend <= s; })) {
                continue;
            }
            for (int j = k; j < years; ++j) {
                slack[static_cast<std::size_t>(j)] -= spend;
            }
            plan.Choices.push_back({h, k});
            break;
        }
    }
    Complete(problem, plan);
    return plan;
}

} // namespace plan
