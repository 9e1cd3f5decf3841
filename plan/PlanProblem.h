#pragma once

#include <HouseInput.h>

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace plan {

// What a plan maximises.
enum class Objective {
    NetPresentValue, // roubles
    Energy,          // kWh saved up to the end of the plan's years
    CO2,             // tonnes of CO2 avoided up to the end of the plan's years
};

inline constexpr int MaxYears = model::MostPlanYears;

// The net present value of a house, split: energy part + price part, roubles at today's tariff
// and prices. The value with the tariff × a and every price × b is a × Energy + b × Prices.
struct ValueParts {
    double Energy = 0; // roubles, scales with the tariff
    double Prices = 0; // roubles, scales with the prices
};

// What the plan needs of one calculated house. Rates in percent a year. Its horizon ends
// HorizonYears after the start of plan year 1, whatever the year it is fitted in.
struct HouseOffer {
    double InstallCost = 0;     // roubles at today's prices, the planned scheme's installation
    double TariffGrowth = 0;    // % a year
    double LampPriceGrowth = 0; // % a year, every price of the house
    double DiscountRate = 0;    // % a year
    int HorizonYears = 1;       // whole years, at least 1
    // [k]: the value of the house fitted today over the first HorizonYears - k years of its run,
    // k < min(HorizonYears, MaxYears); the value of fitting it in plan year k is this at that
    // year's tariff and prices, discounted k years.
    std::array<ValueParts, MaxYears> ValueEndingEarlier{};
    double EnergySavedPerYear = 0; // kWh
    double CO2AvoidedPerYear = 0;  // tonnes
};

// Whether the house can be fitted in plan year `year` (0 = this year): before its horizon's end.
bool OfferedInYear(const HouseOffer& house, int year);

// Spend of fitting the house in plan year `year` (0 = this year): the installation at that
// year's prices, roubles.
double SpendInYear(const HouseOffer& house, int year);

// The value of fitting the house in plan year `year`, in the objective's unit, counted from
// that year to the horizon's end; 0 in a year it is not offered in. The net present value is
// taken at that year's tariff and prices and discounted to this year.
double ValueInYear(const HouseOffer& house, Objective objective, int year);

// What the office decided of a house: the register's PlanYear column.
using HouseRule = model::PlanYearRule;

// The rules of the budgets beside the budgets themselves.
struct BudgetRules {
    bool CarryOver = true; // money not spent in a year can be spent in later years
    // At most this many houses fitted a year: none given = no limit, one = every year's, else
    // one a plan year.
    std::vector<int> MaxHouses;
};

// Every house's spend and value in every plan year, and the rules the plan keeps.
struct Problem {
    std::vector<double> Budgets; // roubles, one a plan year
    std::size_t HouseCount = 0;
    std::vector<double> Spend; // roubles, [house × years + year]
    std::vector<double> Value; // the objective's unit, same layout
    std::vector<char> Offered; // whether the house may be fitted that year, same layout; empty: all
    std::vector<char> Required; // whether the house must be fitted, one a house; empty: none
    bool CarryOver = true;
    std::vector<int> MaxHouses; // one a plan year, or empty: no limit

    int Years() const { return static_cast<int>(Budgets.size()); }
    double SpendOf(std::size_t house, int year) const { return Spend[Index(house, year)]; }
    double ValueOf(std::size_t house, int year) const { return Value[Index(house, year)]; }
    bool OfferedIn(std::size_t house, int year) const {
        return Offered.empty() || Offered[Index(house, year)] != 0;
    }
    bool IsRequired(std::size_t house) const { return !Required.empty() && Required[house] != 0; }
    // Whether the house is fitted in one year only, whatever the plan: the office fixed it.
    bool IsFixed(std::size_t house) const;
    std::size_t Index(std::size_t house, int year) const {
        return house * Budgets.size() + static_cast<std::size_t>(year);
    }
};

// Amounts a plan year as the budgets hold them: with money carried over, year k's is the sum of
// years 0 .. k, else the year's own.
std::vector<double> CountedByYear(std::vector<double> amounts, bool carryOver);

// The money the spend counted for each year is held to: the budgets counted by year.
inline std::vector<double> MoneyByYear(const Problem& problem) {
    return CountedByYear(problem.Budgets, problem.CarryOver);
}

// Why budgets cannot make a plan (Russian, for the user), or nothing when they can: 1 .. MaxYears
// of them, each a finite amount not below 0.
std::optional<std::string> BudgetsError(const std::vector<double>& budgets);

// Why the rules cannot make a plan (Russian): a crew count below 0 or more of them than years.
std::optional<std::string> RulesError(const BudgetRules& rules, std::size_t years);

// The problem of the houses within the budgets and their rules (`houseRules` one a house, or
// empty: the plan decides every house).
Problem MakeProblem(const std::vector<HouseOffer>& houses, std::vector<double> budgets,
                    Objective objective, const BudgetRules& rules = {},
                    const std::vector<HouseRule>& houseRules = {});

// Why no plan can keep the houses the office fixed in their years (Russian: which year is short
// of money by how much, or of crews), or nothing. `money` formats an amount of roubles.
std::optional<std::string> FixedHousesError(const Problem& problem,
                                            const std::function<std::string(double)>& money);

struct Choice {
    std::size_t House = 0;
    int Year = 0; // 0-based plan year
};

struct Plan {
    std::vector<Choice> Choices; // by year, then house
    double Value = 0;            // the sum of the chosen values
};

struct YearTotals {
    int Houses = 0;
    double Spend = 0;  // roubles
    double Budget = 0; // roubles, the year's own
    double Left = 0;   // roubles: the money of the year counted by year less the spend so counted
    double Value = 0;  // the objective's unit, of the houses fitted this year
};

std::vector<YearTotals> TotalsByYear(const Problem& problem, const Plan& plan);

// Whether the plan can be carried out: each house at most once, in a year it is offered in,
// every required house, the spend within the budgets (of years 0 .. k within those of years
// 0 .. k for every k when money carries over, else each year's within its own) and the houses of
// a year within its crews.
bool Fits(const Problem& problem, const Plan& plan);

// Orders the choices and sums their value.
void Complete(const Problem& problem, Plan& plan);

// The plan of each house's year (-1: not fitted), with `others` beside them, completed.
Plan PlanOfYears(const Problem& problem, const std::vector<int>& yearOfHouse,
                 std::vector<Choice> others = {});

// Money and crews left for houses to be fitted, year by year.
class Slack {
public:
    explicit Slack(const Problem& problem);
    // Whether the house's spend in `year` fits what is left: that year's money, and with money
    // carried over every later year's too, and a crew of that year.
    bool Fits(double spend, int year) const;
    void Take(double spend, int year);

private:
    bool carryOver_;
    std::vector<double> money_; // roubles: with carry-over, budgets minus spend of years 0 .. k
    std::vector<double> crews_; // houses, infinite where there is no limit
};

// The scoring plan offices use: the houses the office fixed, then the required ones, then the
// others, each group by value per rouble of this year, each house put into the earliest year its
// rules allow, the money and crews left still pay for and, unless required, where its value is
// positive. A required house that fits nowhere is left out: the plan then does not fit.
Plan RankingPlan(const Problem& problem);

} // namespace plan
