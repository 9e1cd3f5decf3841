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

StockHouseSource SourceOf(std::span<const StockHouse> houses) {
    return {houses.size(), [houses](std::size_t i, bool texts) {
                if (texts) {
                    return houses[i];
                }
                StockHouse figures;
                figures.Line = houses[i].Line;
                figures.PaybackMonths = houses[i].PaybackMonths;
                figures.PaybackDay = houses[i].PaybackDay;
                figures.InstallCost = houses[i].InstallCost;
                figures.EnergySaved = houses[i].EnergySaved;
                figures.MoneySaved = houses[i].MoneySaved;
                figures.NetPresentValue = houses[i].NetPresentValue;
                figures.Emissions = houses[i].Emissions;
                return figures;
            }};
}

StockTotals TotalsOf(const StockHouseSource& houses, std::size_t rejected) {
    StockTotals totals;
    totals.Calculated = houses.Count;
    totals.Rejected = rejected;
    for (std::size_t i = 0; i < houses.Count; ++i) {
        const StockHouse house = houses.At(i, false);
        totals.InstallCost += house.InstallCost;
        totals.EnergySaved += house.EnergySaved;
        totals.MoneySaved += house.MoneySaved;
        totals.Emissions += house.Emissions;
        totals.NetPresentValue += house.NetPresentValue;
        for (std::size_t y = 0; y < PaybackYears.size(); ++y) {
            // The months as the table shows them, to one decimal (whole tenths compared).
            if (house.PaybackMonths &&
                std::round(*house.PaybackMonths * 10) <= 120.0 * PaybackYears[y]) {
                ++totals.PaybackWithin[y];
            }
        }
    }
    return totals;
}

StockTotals TotalsOf(std::span<const StockHouse> houses, std::size_t rejected) {
    return TotalsOf(SourceOf(houses), rejected);
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

PaybackBars BarsOf(const StockHouseSource& houses, int mostBars) {
    PaybackBars bars;
    double longest = 0;
    for (std::size_t i = 0; i < houses.Count; ++i) {
        if (const std::optional<double> months = houses.At(i, false).PaybackMonths) {
            longest = std::max(longest, *months);
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
    for (std::size_t i = 0; i < houses.Count; ++i) {
        if (const std::optional<double> months = houses.At(i, false).PaybackMonths) {
            ++bars.Counts[static_cast<std::size_t>(*months / bars.MonthsPerBar)];
        }
    }
    return bars;
}

PaybackBars BarsOf(std::span<const StockHouse> houses, int mostBars) {
    return BarsOf(SourceOf(houses), mostBars);
}

std::vector<InvestmentPoint> InvestmentCurveOf(const StockHouseSource& houses) {
    // The houses that pay back, soonest first, equal ones in input order (as PaybackRanking).
    struct Paying {
        std::int32_t Day;
        std::size_t House;
    };
    std::vector<Paying> paying;
    for (std::size_t i = 0; i < houses.Count; ++i) {
        const StockHouse house = houses.At(i, false);
        if (house.PaybackMonths) {
            paying.push_back({house.PaybackDay, i});
        }
    }
    std::stable_sort(paying.begin(), paying.end(),
                     [](const Paying& a, const Paying& b) { return a.Day < b.Day; });
    std::vector<InvestmentPoint> curve;
    curve.reserve(paying.size());
    InvestmentPoint sum;
    for (const Paying& p : paying) {
        const StockHouse house = houses.At(p.House, false);
        sum.Cost += house.InstallCost;
        sum.Saving += house.MoneySaved;
        sum.House = p.House;
        curve.push_back(sum);
    }
    return curve;
}

std::vector<InvestmentPoint> InvestmentCurveOf(std::span<const StockHouse> houses) {
    return InvestmentCurveOf(SourceOf(houses));
}

} // namespace report
