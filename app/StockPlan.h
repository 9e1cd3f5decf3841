#pragma once

#include "NumberFormat.h"
#include "PlanTab.h"

#include <vector>

class StockModel;
class StockWindow;

namespace app {

// The calculated houses with their economics the table shows, in input order (a continuation
// sheet's after the first sheet's), as the plan reads them from the table: `indexes` gets their
// input indexes and must outlive the houses given, as must the table's rows.
PlanTabHouses ShownPlanHouses(const StockModel& table, std::vector<std::size_t>& indexes);

// Gives a stock window its tab "План": the capital plan of the houses calculated, refreshed
// whenever a run ends, a double click on a planned house opening it as the table's rows do.
void AttachPlanTab(StockWindow& window, const model::NumberLocale& locale);

} // namespace app
