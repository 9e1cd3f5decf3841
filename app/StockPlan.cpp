#include "StockPlan.h"

#include "PlanTab.h"
#include "StockModel.h"
#include "StockWindow.h"

#include <memory>
#include <vector>

namespace app {

void AttachPlanTab(StockWindow& window, const model::NumberLocale& locale) {
    auto* tab = new PlanTab(locale, &window);
    tab->setAccessibleName(QStringLiteral("План"));
    window.AddTab(tab, QStringLiteral("План"));
    window.SetPlanPageSource([tab] { return tab->ReportPage(); });
    // The stock lines of the plan's houses, in the order the plan was given them.
    auto lines = std::make_shared<std::vector<std::size_t>>();
    QObject::connect(&window, &StockWindow::runEnded, tab, [&window, tab, lines] {
        PlanTabInput input;
        input.CarriedNames = window.Model().CarriedColumns();
        lines->clear();
        for (const stock::BatchHouse& house : window.Houses()) {
            if (std::optional<PlanTabHouse> planned = PlanHouseOf(house)) {
                input.Houses.push_back(std::move(*planned));
                lines->push_back(house.Source.Line);
            }
        }
        tab->SetHouses(std::move(input));
    });
    QObject::connect(tab, &PlanTab::houseRequested, &window, [&window, lines](std::size_t house) {
        if (house < lines->size()) {
            window.OpenLine((*lines)[house]);
        }
    });
}

} // namespace app
