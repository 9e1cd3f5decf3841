#pragma once

#include "NumberFormat.h"
#include "PlanSolver.h"

#include <QString>

#include <cstddef>
#include <string>
#include <vector>

namespace stock {

class ResultOutput;

// Where a house of the plan comes from: its input line, its carried cells and its address.
struct PlanHouseSource {
    std::size_t Line = 0;
    std::vector<std::string> Carried;
    std::string Address;
};

// The plan file's columns: PlanYear, Line, the carried columns, Address, Spend, Value.
std::vector<std::string> PlanColumns(const std::vector<std::string>& carriedNames);

// One row a chosen house, by plan year (1 .. years) then input line; numbers with the locale's
// decimal separator and no grouping.
std::vector<std::vector<std::string>> PlanRows(const plan::Problem& problem, const plan::Plan& plan,
                                               plan::Objective objective,
                                               const std::vector<PlanHouseSource>& sources,
                                               const model::NumberLocale& locale);

// Writes the plan to a .csv (';', decimal commas, a byte-order mark), .xlsx or .ods file, by its
// extension as ResultKindOf tells, atomically; throws std::runtime_error with the Russian message
// when it cannot.
void SavePlan(const QString& fileName, const plan::Problem& problem, const plan::Plan& plan,
              plan::Objective objective, const std::vector<PlanHouseSource>& sources,
              const std::vector<std::string>& carriedNames);

// The objective's name and unit in Russian.
std::string ObjectiveName(plan::Objective objective);
std::string ObjectiveUnit(plan::Objective objective);

// The plan in a few Russian lines: houses, spend and money left by year, the plan's value, the
// ranking plan's and the gain over it, and whether the plan is proven best or how far it may be.
std::string PlanSummary(const plan::Problem& problem, const plan::Solution& solution,
                        plan::Objective objective, const model::NumberLocale& locale);

} // namespace stock
