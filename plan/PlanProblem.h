#pragma once

#include <cstddef>
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

inline constexpr int MaxYears = 10;

// What the plan needs of one calculated house. Rates in percent a year.
struct HouseOffer {
    double InstallCost = 0;     // roubles at today's prices, the planned scheme's installation
    double TariffGrowth = 0;    // % a year
    double LampPriceGrowth = 0; // % a year, every price of the house
    double DiscountRate = 0;    // % a year
    // The net present value at today's tariff and prices, split: energy part + price part.
    double ValueEnergy = 0;        // roubles, scales with the tariff
    double ValuePrices = 0;        // roubles, scales with the prices
    double EnergySavedPerYear = 0; // kWh
    double CO2AvoidedPerYear = 0;  // tonnes
};

// Spend of fitting the house in plan year `year` (0 = this year): the installation at that
// year's prices, roubles.
double SpendInYear(const HouseOffer& house, int year);

// The value of fitting the house in plan year `year` of `years`, in the objective's unit. The net
// present value is taken at that year's tariff and prices and discounted to this year.
double ValueInYear(const HouseOffer& house, Objective objective, int year, int years);

// Every house's spend and value in every plan year. Money not spent in a year carries over.
struct Problem {
    std::vector<double> Budgets; // roubles, one a plan year
    std::size_t HouseCount = 0;
    std::vector<double> Spend; // roubles, [house × years + year]
    std::vector<double> Value; // the objective's unit, same layout

    int Years() const { return static_cast<int>(Budgets.size()); }
    double SpendOf(std::size_t house, int year) const { return Spend[Index(house, year)]; }
    double ValueOf(std::size_t house, int year) const { return Value[Index(house, year)]; }
    std::size_t Index(std::size_t house, int year) const {
        return house * Budgets.size() + static_cast<std::size_t>(year);
    }
};

// Why budgets cannot make a plan (Russian, for the user), or nothing when they can: 1 .. MaxYears
// of them, each a finite amount not below 0.
std::optional<std::string> BudgetsError(const std::vector<double>& budgets);

Problem MakeProblem(const std::vector<HouseOffer>& houses, std::vector<double> budgets,
                    Objective objective);

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
    double Left = 0;   // roubles carried into the next year: budgets minus spend so far
    double Value = 0;  // the objective's unit, of the houses fitted this year
};

std::vector<YearTotals> TotalsByYear(const Problem& problem, const Plan& plan);

// Whether the plan can be carried out: each house at most once, in a plan year, and the spend of
// years 0 .. k within the budgets of years 0 .. k for every k.
bool Fits(const Problem& problem, const Plan& plan);

// Orders the choices and sums their value.
void Complete(const Problem& problem, Plan& plan);

// The scoring plan offices use: houses by value per rouble of this year, each put into the
// earliest year whose money left (this year's and every later year's) still pays for it and where
// its value is positive.
Plan RankingPlan(const Problem& problem);

} // namespace plan
