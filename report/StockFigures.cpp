#include "StockFigures.h"

#include "ResultFigures.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace report {

StockHouse StockHouseOf(std::size_t line, std::string address, const model::HouseFigures& figures) {
    const model::SimulationResult& r = figures.Result;
    StockHouse house;
    house.Line = line;
    house.Address = std::move(address);
    if (r.PaybackFound) {
        house.PaybackMonths = model::PaybackMonths(r);
        house.PaybackDay = r.PaybackDay;
    }
    house.InstallCost = r.InstallCostPlanned;
    if (const std::optional<model::EconomicsFigures>& e = figures.Economics) {
        house.EnergySaved = e->EnergySavedPerYear;
        house.MoneySaved = e->MoneySavedFirstYear;
        house.NetPresentValue = e->NetPresentValue;
        house.Emissions = e->CO2AvoidedPerYear;
    }
    return house;
}

StockTotals TotalsOf(std::span<const StockHouse> houses, std::size_t rejected) {
    StockTotals totals;
    totals.Calculated = houses.size();
    totals.Rejected = rejected;
    for (const StockHouse& house : houses) {
        totals.InstallCost += house.InstallCost;
        totals.EnergySaved += house.EnergySaved;
        totals.MoneySaved += house.MoneySaved;
        totals.Emissions += house.Emissions;
        totals.NetPresentValue += house.NetPresentValue;
        for (std::size_t i = 0; i < PaybackYears.size(); ++i) {
            // The months as the table shows them, to one decimal (whole tenths compared).
            if (house.PaybackMonths &&
                std::round(*house.PaybackMonths * 10) <= 120.0 * PaybackYears[i]) {
                ++totals.PaybackWithin[i];
            }
        }
    }
    return totals;
}

std::vector<std::size_t> PaybackRanking(std::span<const StockHouse> houses) {
    std::vector<std::size_t> order(houses.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const StockHouse& x = houses[a];
        const StockHouse& y = houses[b];
        if (x.PaybackMonths.has_value() != y.PaybackMonths.has_value()) {
            return x.PaybackMonths.has_value();
        }
        return x.PaybackMonths && x.PaybackDay < y.PaybackDay;
    });
    return order;
}

PaybackBars BarsOf(std::span<const StockHouse> houses, int mostBars) {
    PaybackBars bars;
    double longest = 0;
    for (const StockHouse& house : houses) {
        if (house.PaybackMonths) {
            longest = std::max(longest, *house.PaybackMonths);
        } else {
            ++bars.WithoutPayback;
        }
    }
    for (const int months : {1, 2, 3, 6, 12, 24, 48, 96, 192, 384}) {
        bars.MonthsPerBar = months;
        if (longest / months < mostBars) {
            break;
        }
    }
    bars.Counts.assign(static_cast<std::size_t>(longest / bars.MonthsPerBar) + 1, 0);
    for (const StockHouse& house : houses) {
        if (house.PaybackMonths) {
            ++bars.Counts[static_cast<std::size_t>(*house.PaybackMonths / bars.MonthsPerBar)];
        }
    }
    return bars;
}

std::vector<InvestmentPoint> InvestmentCurveOf(std::span<const StockHouse> houses) {
    std::vector<InvestmentPoint> curve;
    InvestmentPoint sum;
    for (const std::size_t i : PaybackRanking(houses)) {
        if (!houses[i].PaybackMonths) {
            break;
        }
        sum.Cost += houses[i].InstallCost;
        sum.Saving += houses[i].MoneySaved;
        sum.House = i;
        curve.push_back(sum);
    }
    return curve;
}

} // namespace report
