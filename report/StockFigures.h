#pragma once

#include "Calculation.h"

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace report {

// One calculated house of a housing stock, as its totals, charts and ranking show it.
struct StockHouse {
    std::size_t Line = 0; // of its input
    std::string Sheet;    // the workbook's continuation sheet of the line; empty on the first
    std::string Address;
    std::optional<double> PaybackMonths; // months of 30 days; none without payback
    std::int32_t PaybackDay = 0;         // valid with PaybackMonths
    double InstallCost = 0;              // roubles, the planned scheme
    double EnergySaved = 0;              // kWh a year
    double MoneySaved = 0;               // roubles the first year, at today's tariff
    double NetPresentValue = 0;          // roubles over the house's horizon
    double Emissions = 0;                // tonnes of CO2 avoided a year
};

// The house's figures as the stock shows them; `figures` must hold the economics.
StockHouse StockHouseOf(std::size_t line, std::string address, const model::HouseFigures& figures);

// The houses of a stock read one at a time, so that a stock of a million is never copied into a
// list to be counted: how many, and house i (from 0), with its line, sheet and address only when
// `texts` (its figures always).
struct StockHouseSource {
    std::size_t Count = 0;
    std::function<StockHouse(std::size_t i, bool texts)> At;
};

// The houses of a list, which must outlive the source.
StockHouseSource SourceOf(std::span<const StockHouse> houses);

// The years "pays back within" counts houses for.
inline constexpr std::array<int, 4> PaybackYears = {1, 2, 3, 5};

struct StockTotals {
    std::size_t Calculated = 0;
    std::size_t Rejected = 0;
    double InstallCost = 0;     // roubles
    double EnergySaved = 0;     // kWh a year
    double MoneySaved = 0;      // roubles a year
    double Emissions = 0;       // tonnes of CO2 a year
    double NetPresentValue = 0; // roubles
    // Houses whose payback, in months as the table shows them (one decimal), is at most
    // 12 × PaybackYears[i].
    std::array<std::size_t, PaybackYears.size()> PaybackWithin{};
};

StockTotals TotalsOf(const StockHouseSource& houses, std::size_t rejected);
StockTotals TotalsOf(std::span<const StockHouse> houses, std::size_t rejected);

// The houses in the order of payback, soonest first, houses without payback last; equal ones in
// input order.
std::vector<std::size_t> PaybackRanking(std::span<const StockHouse> houses);

// Houses counted by payback in bars of whole months, and those without payback.
struct PaybackBars {
    int MonthsPerBar = 1;
    std::vector<std::size_t> Counts; // bar i: payback months in [i, i + 1) × MonthsPerBar
    std::size_t WithoutPayback = 0;
};

// At most `mostBars` bars of 1, 2, 3, 6, 12, 24, ... months.
PaybackBars BarsOf(const StockHouseSource& houses, int mostBars = 30);
PaybackBars BarsOf(std::span<const StockHouse> houses, int mostBars = 30);

// The investment curve: the houses that pay back, soonest first; point i holds the installation
// cost (roubles) and the yearly money saved of houses 0..i together.
struct InvestmentPoint {
    double Cost = 0;
    double Saving = 0;
    std::size_t House = 0; // index into the houses given
};
std::vector<InvestmentPoint> InvestmentCurveOf(const StockHouseSource& houses);
std::vector<InvestmentPoint> InvestmentCurveOf(std::span<const StockHouse> houses);

} // namespace report
