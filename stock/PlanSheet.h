#pragma once

#include "NumberFormat.h"
#include "PlanRules.h"
#include "PlanSolver.h"

#include <QString>

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace stock {

// Where a house of the plan comes from: its input line, its carried cells, its address, its
// management company and its continuation sheet (sheet::SheetRecord::Sheet).
struct PlanHouseSource {
    std::size_t Line = 0;
    std::vector<std::string> Carried;
    std::string Address;
    std::string Company;
    std::string Sheet;
};

// A plan with what it was made of, as its file, summary and report show it. Refers to the
// caller's objects, which outlive it.
struct PlanDocument {
    const plan::Problem& Problem;
    const plan::Solution& Solution;
    const std::vector<PlanHouseSource>& Sources; // one a house of the problem
    const std::vector<std::string>& CarriedNames;
    const PlanRules& Rules;
};

// A chosen house: its index in the problem, its plan year (0-based), its spend (the installation
// at that year's prices, roubles) and its value (the objective's unit).
struct PlanEntry {
    std::size_t House = 0;
    int Year = 0;
    double Spend = 0;
    double Value = 0;
};

// The chosen houses by plan year, then input line: the one table of the plan that its file, the
// window and the report show. The houses are given in input order (a continuation sheet's after
// the first sheet's), which their indexes keep.
std::vector<PlanEntry> PlanEntries(const PlanDocument& document);

// What the houses of one management company come to in one plan year.
struct CompanyTotals {
    int Year = 0; // 0-based
    std::string Company;
    int Houses = 0;
    double Spend = 0; // roubles
    double Value = 0; // the objective's unit
};

// By year, then company name (houses without one under ""), of entries as PlanEntries gives them.
std::vector<CompanyTotals> TotalsByCompany(const std::vector<PlanEntry>& entries,
                                           const std::vector<PlanHouseSource>& sources);

// A line of the plan's list as the report shows it: a year's heading (its text in the first
// cell), a house (line, address, management company, spend, value) or the subtotal of a company
// or a year (its caption in the second cell, spend and value in the last two).
struct PlanListRow {
    enum class Kind { Year, House, CompanyTotal, YearTotal };
    Kind What = Kind::House;
    std::array<std::string, 5> Cells;
};

// Year by year: its heading with its budget, its houses by company then input line, each
// company's subtotal after its houses, the year's total. Years without a house are left out.
std::vector<PlanListRow> PlanList(const PlanDocument& document, const model::NumberLocale& locale);

// A carried column's heading in the plan. The register's own plan year column ("PlanYear",
// "Год плана") is kept, since it tells the houses the office decided from those the plan chose,
// but marked as the register's, so that the plan's year is the one column of its name.
std::string PlanCarriedHeading(const std::string& name);

// The plan file's columns: PlanYear, Line, the carried columns (PlanCarriedHeading), Address,
// ManagementCompany, Spend, Value.
std::vector<std::string> PlanColumns(const std::vector<std::string>& carriedNames);

// Values in the objective's unit as the plan writes them: roubles and kWh to hundredths, tonnes
// to kilograms.
const char* PlanValuePattern(plan::Objective objective);

// Writes the plan to a .csv (';', decimal commas, a byte-order mark), .xlsx or .ods file,
// atomically: one row a chosen house; a workbook gets a second sheet "Итоги", by year (houses,
// spend, budget, money left), by year and management company (houses, spend, value) and the
// rules it was made by. Throws
// std::runtime_error with the Russian message when it cannot.
void SavePlan(const QString& fileName, const PlanDocument& document);

// The plan in a few Russian lines: the houses it was given, houses, spend and money left by year,
// the plan's value, the ranking plan's and the gain over it (in % of the ranking plan's value),
// whether the plan is proven best or how far it may be; an empty plan says why it is empty.
std::string PlanSummary(const PlanDocument& document, const model::NumberLocale& locale);

} // namespace stock
