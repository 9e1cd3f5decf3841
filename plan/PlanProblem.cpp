#include "PlanProblem.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace plan {
namespace {

constexpr double SumRounding = 1e-12; // relative

// Sums of the same amounts in another order differ in their last bits only.
bool Within(double spent, double budget) {
    return spent <= budget + SumRounding * std::max(budget, 1.0);
}

// The first year whose money or crews the spend and houses of each year exceed, or none.
std::optional<std::size_t> FirstYearOver(const Problem& problem, const std::vector<double>& spend,
                                         const std::vector<int>& houses) {
    const std::vector<double> money = MoneyByYear(problem);
    const std::vector<double> spent = CountedByYear(spend, problem.CarryOver);
    for (std::size_t k = 0; k < spent.size(); ++k) {
        if (!Within(spent[k], money[k]) ||
            (!problem.MaxHouses.empty() && houses[k] > problem.MaxHouses[k])) {
            return k;
        }
    }
    return std::nullopt;
}

std::vector<int> CrewsByYear(const BudgetRules& rules, std::size_t years) {
    if (rules.MaxHouses.size() == 1) {
        return std::vector<int>(years, rules.MaxHouses.front());
    }
    return rules.MaxHouses;
}

} // namespace

bool OfferedInYear(const HouseOffer& house, int year) {
    return year >= 0 && year < std::min(house.HorizonYears, MaxYears);
}

double SpendInYear(const HouseOffer& house, int year) {
    return house.InstallCost * std::pow(1 + house.LampPriceGrowth / 100, year);
}

double ValueInYear(const HouseOffer& house, Objective objective, int year) {
    if (!OfferedInYear(house, year)) {
        return 0; // nothing is counted after the horizon's end
    }
    const double yearsLeft = house.HorizonYears - year;
    switch (objective) {
    case Objective::Energy:
        return house.EnergySavedPerYear * yearsLeft;
    case Objective::CO2:
        return house.CO2AvoidedPerYear * yearsLeft;
    case Objective::NetPresentValue:
        break;
    }
    const ValueParts& parts = house.ValueEndingEarlier[static_cast<std::size_t>(year)];
    const double tariff = std::pow(1 + house.TariffGrowth / 100, year);
    const double prices = std::pow(1 + house.LampPriceGrowth / 100, year);
    const double discount = std::pow(1 + house.DiscountRate / 100, -year);
    return (tariff * parts.Energy + prices * parts.Prices) * discount;
}

bool Problem::IsFixed(std::size_t house) const {
    if (!IsRequired(house)) {
        return false;
    }
    int years = 0;
    for (int k = 0; k < Years(); ++k) {
        years += OfferedIn(house, k) ? 1 : 0;
    }
    return years == 1;
}

std::vector<double> CountedByYear(std::vector<double> amounts, bool carryOver) {
    if (carryOver) {
        std::partial_sum(amounts.begin(), amounts.end(), amounts.begin());
    }
    return amounts;
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

std::optional<std::string> RulesError(const BudgetRules& rules, std::size_t years) {
    if (rules.MaxHouses.size() > 1 && rules.MaxHouses.size() != years) {
        return "число домов в год задано для " + std::to_string(rules.MaxHouses.size()) +
               " лет, а бюджетов " + std::to_string(years) +
               ": задайте его один раз для всех лет или для каждого года";
    }
    for (int crews : rules.MaxHouses) {
        if (crews < 0) {
            return "число домов в год должно быть не меньше 0, а задано " + std::to_string(crews);
        }
    }
    return std::nullopt;
}

Problem MakeProblem(const std::vector<HouseOffer>& houses, std::vector<double> budgets,
                    Objective objective, const BudgetRules& rules,
                    const std::vector<HouseRule>& houseRules) {
    Problem problem;
    problem.Budgets = std::move(budgets);
    problem.HouseCount = houses.size();
    problem.CarryOver = rules.CarryOver;
    problem.MaxHouses = CrewsByYear(rules, problem.Budgets.size());
    const int years = problem.Years();
    problem.Spend.resize(houses.size() * problem.Budgets.size());
    problem.Value.resize(problem.Spend.size());
    problem.Offered.resize(problem.Spend.size());
    problem.Required.resize(houses.size());
    for (std::size_t h = 0; h < houses.size(); ++h) {
        const HouseRule rule = houseRules.empty() ? HouseRule{} : houseRules[h];
        for (int k = 0; k < years; ++k) {
            const std::size_t i = problem.Index(h, k);
            problem.Spend[i] = SpendInYear(houses[h], k);
            problem.Value[i] = ValueInYear(houses[h], objective, k);
            switch (rule.Rule) {
            case HouseRule::Kind::InYear: // the office's decision, even after the horizon's end
                problem.Offered[i] = k == rule.Year ? 1 : 0;
                break;
            case HouseRule::Kind::Never:
                problem.Offered[i] = 0;
                break;
            case HouseRule::Kind::PlanDecides:
            case HouseRule::Kind::Required:
                problem.Offered[i] = OfferedInYear(houses[h], k) ? 1 : 0;
                break;
            }
        }
        problem.Required[h] =
            rule.Rule == HouseRule::Kind::InYear || rule.Rule == HouseRule::Kind::Required ? 1 : 0;
    }
    return problem;
}

std::optional<std::string> FixedHousesError(const Problem& problem,
                                            const std::function<std::string(double)>& money) {
    std::vector<double> spend(problem.Budgets.size(), 0);
    std::vector<int> houses(problem.Budgets.size(), 0);
    for (std::size_t h = 0; h < problem.HouseCount; ++h) {
        for (int k = 0; k < problem.Years() && problem.IsFixed(h); ++k) {
            if (problem.OfferedIn(h, k)) {
                spend[static_cast<std::size_t>(k)] += problem.SpendOf(h, k);
                ++houses[static_cast<std::size_t>(k)];
            }
        }
    }
    const std::optional<std::size_t> over = FirstYearOver(problem, spend, houses);
    if (!over) {
        return std::nullopt;
    }
    const std::size_t k = *over;
    const std::string year = "год плана " + std::to_string(k + 1);
    const double budget = MoneyByYear(problem)[k];
    const double spent = CountedByYear(spend, problem.CarryOver)[k];
    if (!Within(spent, budget)) {
        const bool years = problem.CarryOver && k > 0;
        return year + ": домам, закреплённым за " + (years ? "годами 1–" : "годом ") +
               std::to_string(k + 1) + ", нужно " + money(spent) + " руб., а бюджет " +
               (years ? "этих лет " : "года ") + money(budget) + " руб.: не хватает " +
               money(spent - budget) + " руб.";
    }
    return year + ": закреплено домов " + std::to_string(houses[k]) + ", а в год можно не более " +
           std::to_string(problem.MaxHouses[k]);
}

std::vector<YearTotals> TotalsByYear(const Problem& problem, const Plan& plan) {
    std::vector<YearTotals> totals(problem.Budgets.size());
    for (const Choice& c : plan.Choices) {
        YearTotals& t = totals[static_cast<std::size_t>(c.Year)];
        ++t.Houses;
        t.Spend += problem.SpendOf(c.House, c.Year);
        t.Value += problem.ValueOf(c.House, c.Year);
    }
    std::vector<double> spend(totals.size());
    std::transform(totals.begin(), totals.end(), spend.begin(),
                   [](const YearTotals& t) { return t.Spend; });
    const std::vector<double> money = MoneyByYear(problem);
    const std::vector<double> spent = CountedByYear(spend, problem.CarryOver);
    for (std::size_t k = 0; k < totals.size(); ++k) {
        totals[k].Budget = problem.Budgets[k];
        totals[k].Left = money[k] - spent[k];
    }
    return totals;
}

bool Fits(const Problem& problem, const Plan& plan) {
    std::vector<char> chosen(problem.HouseCount, 0);
    std::vector<double> spend(problem.Budgets.size(), 0);
    std::vector<int> houses(problem.Budgets.size(), 0);
    for (const Choice& c : plan.Choices) {
        if (c.House >= problem.HouseCount || c.Year < 0 || c.Year >= problem.Years() ||
            chosen[c.House] != 0 || !problem.OfferedIn(c.House, c.Year)) {
            return false;
        }
        chosen[c.House] = 1;
        spend[static_cast<std::size_t>(c.Year)] += problem.SpendOf(c.House, c.Year);
        ++houses[static_cast<std::size_t>(c.Year)];
    }
    for (std::size_t h = 0; h < problem.HouseCount; ++h) {
        if (problem.IsRequired(h) && chosen[h] == 0) {
            return false;
        }
    }
    return !FirstYearOver(problem, spend, houses);
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

Plan PlanOfYears(const Problem& problem, const std::vector<int>& yearOfHouse,
                 std::vector<Choice> others) {
    Plan plan;
    plan.Choices = std::move(others);
    for (std::size_t h = 0; h < yearOfHouse.size(); ++h) {
        if (yearOfHouse[h] >= 0) {
            plan.Choices.push_back({h, yearOfHouse[h]});
        }
    }
    Complete(problem, plan);
    return plan;
}

Slack::Slack(const Problem& problem)
    : carryOver_(problem.CarryOver), money_(MoneyByYear(problem)),
      crews_(problem.Budgets.size(), std::numeric_limits<double>::infinity()) {
    for (std::size_t k = 0; k < problem.MaxHouses.size() && k < crews_.size(); ++k) {
        crews_[k] = problem.MaxHouses[k];
    }
}

bool Slack::Fits(double spend, int year) const {
    const auto k = static_cast<std::size_t>(year);
    if (!(crews_[k] >= 1)) {
        return false;
    }
    if (!carryOver_) {
        return spend <= money_[k];
    }
    return std::all_of(money_.begin() + year, money_.end(),
                       [spend](double s) { return spend <= s; });
}

void Slack::Take(double spend, int year) {
    const auto k = static_cast<std::size_t>(year);
    crews_[k] -= 1;
    if (!carryOver_) {
        money_[k] -= spend;
        return;
    }
    for (auto s = money_.begin() + year; s != money_.end(); ++s) {
        *s -= spend;
    }
}

Plan RankingPlan(const Problem& problem) {
    Plan plan;
    // Value per rouble of this year; a house that costs nothing comes first.
    std::vector<double> score(problem.HouseCount);
    std::vector<std::size_t> order;
    for (std::size_t h = 0; h < problem.HouseCount && problem.Years() > 0; ++h) {
        const double value = problem.ValueOf(h, 0);
        const double spend = problem.SpendOf(h, 0);
        score[h] = spend > 0 ? value / spend : std::numeric_limits<double>::infinity();
        if (value > 0 || problem.IsRequired(h)) {
            order.push_back(h);
        }
    }
    // Fixed houses first, then required ones, then the others, by score within each.
    const auto group = [&](std::size_t h) {
        return problem.IsFixed(h) ? 0 : problem.IsRequired(h) ? 1 : 2;
    };
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return group(a) != group(b) ? group(a) < group(b) : score[a] > score[b];
    });
    Slack slack(problem);
    for (std::size_t h : order) {
        for (int k = 0; k < problem.Years(); ++k) {
            const double spend = problem.SpendOf(h, k);
            if (!problem.OfferedIn(h, k) ||
                (!problem.IsRequired(h) && problem.ValueOf(h, k) <= 0) || !slack.Fits(spend, k)) {
                continue;
            }
            slack.Take(spend, k);
            plan.Choices.push_back({h, k});
            break;
        }
    }
    Complete(problem, plan);
    return plan;
}

} // namespace plan
