#pragma once

#include "NumberFormat.h"
#include "ProjectParameters.h"
#include "SimulationResult.h"

#include <string>
#include <string_view>

namespace model {

// The results count months of 30 days.
inline constexpr double DaysPerMonth = 30;

// Figures that the report, the monthly chart and the batch calculation derive alike from a
// calculation.
inline double PaybackMonths(const SimulationResult& result) {
    return result.PaybackDay / DaysPerMonth;
}

inline double MonthlyAmount(double daily) {
    return daily * DaysPerMonth;
}

// Flats of the whole house: at least 1 once the page or a house row has been read.
inline double FlatCount(const ProjectParameters& p) {
    return static_cast<double>(p.EntranceCount) * p.FloorCount * p.FlatsPerFloor;
}

// The figures the results show, each rounded one way wherever it is shown: the report table, the
// monthly chart and the batch program's result cells.
enum class Figure {
    PaybackMonths,     // months of 30 days
    Cost,              // roubles: installation, per flat, up to the payback day
    Count,             // fittings and blocks installed
    ReplacedLamps,     // lamps replaced up to the payback day
    DailyEnergy,       // kWh a day
    MonthlyEnergy,     // kWh in 30 days
    MonthlyEnergyCost, // roubles in 30 days
    Money,             // roubles of the economics: present value, first year's saving
    ReturnRate,        // percent a year
    YearlyEnergy,      // kWh a year
    Emissions,         // tonnes of CO2 a year
};

struct FigureRounding {
    int Decimals = 0;
    bool GroupedInReport = false; // the report writes thousands apart, as "12 345"
};

inline constexpr FigureRounding RoundingOf(Figure figure) {
    switch (figure) {
    case Figure::PaybackMonths:
        return {1, false};
    case Figure::Cost:
    case Figure::Count:
        return {0, true};
    case Figure::ReplacedLamps:
        return {0, false};
    case Figure::DailyEnergy:
    case Figure::MonthlyEnergy:
    case Figure::MonthlyEnergyCost:
    case Figure::ReturnRate:
        return {2, false};
    case Figure::Money:
    case Figure::YearlyEnergy:
        return {2, true};
    case Figure::Emissions:
        return {3, true};
    }
    return {};
}

// FormatNumber's pattern of a figure: the report groups thousands where its rounding says so, a
// spreadsheet cell never does.
inline constexpr std::string_view FigurePattern(Figure figure, bool grouped) {
    const FigureRounding rounding = RoundingOf(figure);
    switch (rounding.Decimals) {
    case 1:
        return "0.0";
    case 2:
        return grouped && rounding.GroupedInReport ? ",0.00" : "0.00";
    case 3:
        return grouped && rounding.GroupedInReport ? ",0.000" : "0.000";
    default:
        return grouped && rounding.GroupedInReport ? "0,0" : "0";
    }
}

// The figure as the report and the monthly chart write it.
inline std::string ShownFigure(Figure figure, double value, const NumberLocale& locale) {
    return FormatNumber(value, FigurePattern(figure, true), locale);
}

// The figure as a spreadsheet cell holds it: the same rounding, without grouping.
inline std::string CellFigure(Figure figure, double value, const NumberLocale& locale) {
    return FormatNumber(value, FigurePattern(figure, false), locale);
}

} // namespace model
