#pragma once

#include "NumberFormat.h"

class StockWindow;

namespace app {

// Gives a stock window its tab "План": the capital plan of the houses calculated, refreshed
// whenever a run ends, a double click on a planned house opening it as the table's rows do.
void AttachPlanTab(StockWindow& window, const model::NumberLocale& locale);

} // namespace app
