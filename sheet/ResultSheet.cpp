#include "ResultSheet.h"

#include "HouseInput.h"
#include "HouseSheet.h"
#include "ResultFigures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

namespace sheet {

model::NumberLocale CellLocale(char delimiter) {
    return model::NumberLocale{delimiter == ';' ? "," : ".", ""};
}

namespace {

constexpr std::array<std::string_view, 26> ReportColumns = {"File",
                                                            "Line",
                                                            "Address",
                                                            "ManagementCompany",
                                                            "PaybackFound",
                                                            "PaybackDay",
                                                            "PaybackMonths",
                                                            "PaybackCostExisting",
                                                            "PaybackCostPlanned",
                                                            "InstallCostExisting",
                                                            "InstallCostPlanned",
                                                            "InstallCostPerFlatExisting",
                                                            "InstallCostPerFlatPlanned",
                                                            "FittingCountExisting",
                                                            "FittingCountPlanned",
                                                            "BlockCountExisting",
                                                            "BlockCountPlanned",
                                                            "DailyEnergyExisting",
                                                            "DailyEnergyPlanned",
                                                            "MonthlyEnergyExisting",
                                                            "MonthlyEnergyPlanned",
                                                            "MonthlyEnergyCostExisting",
                                                            "MonthlyEnergyCostPlanned",
                                                            "PaybackReplacedExisting",
                                                            "PaybackReplacedPlanned",
                                                            "Seed"};

constexpr std::array<std::string_view, 8> EconomicsColumns = {
    "DiscountedPaybackFound", "DiscountedPaybackDay", "DiscountedPaybackMonths",
    "NetPresentValue",        "InternalRateOfReturn", "EnergySavedPerYear",
    "MoneySavedFirstYear",    "CO2AvoidedPerYear"};

std::size_t ColumnCount(bool economics) {
    return ReportColumns.size() + (economics ? EconomicsColumns.size() : 0);
}

} // namespace

std::vector<std::string> ResultColumns(bool economics) {
    std::vector<std::string> columns(ReportColumns.begin(), ReportColumns.end());
    if (economics) {
        columns.insert(columns.end(), EconomicsColumns.begin(), EconomicsColumns.end());
    }
    return columns;
}

std::vector<bool> NumberResultColumns(bool economics) {
    std::vector<bool> numbers(ColumnCount(economics), true);
    numbers[0] = false; // File
    numbers[2] = false; // Address
    numbers[3] = false; // ManagementCompany
    return numbers;
}

bool FiguresAreFinite(const model::HouseFigures& figures) {
    const model::SimulationResult& r = figures.Result;
    for (const double value :
         {r.PaybackCostExisting, r.PaybackCostPlanned, r.InstallCostExisting, r.InstallCostPlanned,
          r.DailyEnergyExisting, r.DailyEnergyPlanned, r.DailyEnergyCostExisting,
          r.DailyEnergyCostPlanned, figures.Flats, r.InstallCostExisting / figures.Flats,
          r.InstallCostPlanned / figures.Flats, model::MonthlyAmount(r.DailyEnergyExisting),
          model::MonthlyAmount(r.DailyEnergyPlanned),
          model::MonthlyAmount(r.DailyEnergyCostExisting),
          model::MonthlyAmount(r.DailyEnergyCostPlanned)}) {
        if (!std::isfinite(value)) {
            return false;
        }
    }
    if (const std::optional<model::EconomicsFigures>& e = figures.Economics) {
        for (const double value : {e->NetPresentValue, e->EnergySavedPerYear,
                                   e->MoneySavedFirstYear, e->CO2AvoidedPerYear}) {
            if (!std::isfinite(value)) {
                return false;
            }
        }
    }
    return true;
}

std::vector<std::string> ResultCells(const HouseRowSource& source,
                                     const std::optional<model::HouseFigures>& figures,
                                     std::uint32_t seed, const model::NumberLocale& locale,
                                     bool economics) {
    std::vector<std::string> cells = {source.File, std::to_string(source.Line), source.Address,
                                      source.ManagementCompany};
    cells.reserve(ColumnCount(economics));
    const auto number = [&](model::Figure figure, double value) {
        return model::CellFigure(figure, value, locale);
    };
    if (figures) {
        using model::Figure;
        const model::SimulationResult& r = figures->Result;
        const bool payback = r.PaybackFound;
        const auto ifPayback = [payback](std::string text) { return payback ? text : ""; };
        cells.push_back(payback ? "1" : "0");
        cells.push_back(ifPayback(std::to_string(r.PaybackDay)));
        cells.push_back(ifPayback(number(Figure::PaybackMonths, model::PaybackMonths(r))));
        cells.push_back(ifPayback(number(Figure::Cost, r.PaybackCostExisting)));
        cells.push_back(ifPayback(number(Figure::Cost, r.PaybackCostPlanned)));
        cells.push_back(number(Figure::Cost, r.InstallCostExisting));
        cells.push_back(number(Figure::Cost, r.InstallCostPlanned));
        cells.push_back(number(Figure::Cost, r.InstallCostExisting / figures->Flats));
        cells.push_back(number(Figure::Cost, r.InstallCostPlanned / figures->Flats));
        cells.push_back(number(Figure::Count, r.FittingCountExisting));
        cells.push_back(number(Figure::Count, r.FittingCountPlanned));
        cells.push_back(number(Figure::Count, 0)); // the existing scheme has no blocks
        cells.push_back(number(Figure::Count, r.BlockCount));
        cells.push_back(number(Figure::DailyEnergy, r.DailyEnergyExisting));
        cells.push_back(number(Figure::DailyEnergy, r.DailyEnergyPlanned));
        cells.push_back(number(Figure::MonthlyEnergy, model::MonthlyAmount(r.DailyEnergyExisting)));
        cells.push_back(number(Figure::MonthlyEnergy, model::MonthlyAmount(r.DailyEnergyPlanned)));
        cells.push_back(
            number(Figure::MonthlyEnergyCost, model::MonthlyAmount(r.DailyEnergyCostExisting)));
        cells.push_back(
            number(Figure::MonthlyEnergyCost, model::MonthlyAmount(r.DailyEnergyCostPlanned)));
        cells.push_back(ifPayback(number(Figure::ReplacedLamps, r.PaybackReplacedExisting)));
        cells.push_back(ifPayback(number(Figure::ReplacedLamps, r.PaybackReplacedPlanned)));
    }
    cells.resize(ReportColumns.size() - 1);
    cells.push_back(figures ? std::to_string(seed) : std::string()); // a rejected row: all empty
    if (figures && figures->Economics) {
        using model::Figure;
        const model::EconomicsFigures& e = *figures->Economics;
        const bool payback = e.DiscountedPaybackFound;
        cells.push_back(payback ? "1" : "0");
        cells.push_back(payback ? std::to_string(e.DiscountedPaybackDay) : "");
        cells.push_back(
            payback ? number(Figure::PaybackMonths, e.DiscountedPaybackDay / model::DaysPerMonth)
                    : "");
        cells.push_back(number(Figure::Money, e.NetPresentValue));
        switch (e.InternalRateOfReturn.Found) {
        case model::ReturnRate::Kind::None:
            cells.emplace_back();
            break;
        case model::ReturnRate::Kind::AboveHighest:
            cells.emplace_back(">1000");
            break;
        case model::ReturnRate::Kind::Found:
            cells.push_back(number(Figure::ReturnRate, e.InternalRateOfReturn.Percent));
            break;
        }
        cells.push_back(number(Figure::YearlyEnergy, e.EnergySavedPerYear));
        cells.push_back(number(Figure::Money, e.MoneySavedFirstYear));
        cells.push_back(number(Figure::Emissions, e.CO2AvoidedPerYear));
    }
    cells.resize(ColumnCount(economics));
    return cells;
}

std::string HouseSheet(const std::vector<std::string>& values, char delimiter) {
    std::vector<std::string> names;
    std::vector<std::string> cells;
    const std::span<const model::HouseField> fields = model::HouseFields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        names.emplace_back(fields[i].Name);
        std::string value = i < values.size() ? values[i] : std::string();
        if (delimiter == ',' && fields[i].Kind != model::FieldKind::Text) {
            std::replace(value.begin(), value.end(), ',', '.');
        }
        cells.push_back(std::move(value));
    }
    return CsvRow(names, delimiter) + CsvRow(cells, delimiter);
}

std::string TemplateSheet(char delimiter) {
    std::vector<std::string> values;
    for (const model::HouseField& field : model::HouseFields()) {
        values.emplace_back(field.StartText);
    }
    return HouseSheet(values, delimiter);
}

} // namespace sheet
