#include "StockPlan.h"

#include "PlanTab.h"
#include "StockModel.h"
#include "StockWindow.h"

#include <QLineEdit>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace app {

PlanTabHouses ShownPlanHouses(const StockModel& table, std::vector<std::size_t>& indexes) {
    std::vector<std::size_t>& shown = indexes; // input indexes, of the rows shown first
    shown.clear();
    shown.reserve(static_cast<std::size_t>(table.rowCount()));
    for (int row = 0; row < table.rowCount(); ++row) {
        shown.push_back(table.InputIndexAt(row));
    }
    std::sort(shown.begin(), shown.end());
    const stock::HouseStore& houses = table.Houses();
    std::erase_if(shown, [&houses](std::size_t i) {
        return !houses.Calculated(i) || !houses.Figures(i).Economics;
    });
    shown.shrink_to_fit();
    return {shown.size(), [&houses, &shown](std::size_t i) {
                // Made only of calculated houses with their economics, which PlanHouseOf takes.
                return PlanHouseOf(houses.House(shown[i])).value_or(PlanTabHouse{});
            }};
}

void AttachPlanTab(StockWindow& window, const model::NumberLocale& locale) {
    auto* tab = new PlanTab(locale, &window);
    tab->setAccessibleName(QStringLiteral("План"));
    window.AddTab(tab, QStringLiteral("План"));
    window.SetPlanPageSource([tab] { return tab->ReportPage(); });
    // The input indexes of the plan's houses, in the order the plan was given them, and the
    // filter they passed.
    auto lines = std::make_shared<std::vector<std::size_t>>();
    auto filter = std::make_shared<QString>();
    auto given = std::make_shared<bool>(false); // the table's houses are the plan's
    // The houses the table shows and the filter they pass; the houses are taken from the table
    // only when a plan is asked for.
    const auto give = [&window, tab, lines, filter, given] {
        *filter = window.FilterBox()->text().trimmed();
        *given = true;
        PlanTabInput input;
        input.CarriedNames = window.Model().CarriedColumns();
        input.Filter = filter->toStdString();
        tab->SetHouses(std::move(input), static_cast<std::size_t>(window.Model().rowCount()),
                       [&window, lines] { return ShownPlanHouses(window.Model(), *lines); });
    };
    QObject::connect(&window, &StockWindow::runEnded, tab, give);
    // The plan's houses are those the table shows: another filter, another plan; a new run, no
    // plan until it ends.
    QObject::connect(&window, &StockWindow::housesChanged, tab,
                     [&window, tab, filter, given, give] {
                         if (window.Running()) {
                             if (*given) {
                                 *given = false;
                                 tab->SetHouses({});
                             }
                         } else if (window.FilterBox()->text().trimmed() != *filter) {
                             give();
                         }
                     });
    QObject::connect(tab, &PlanTab::houseRequested, &window, [&window, lines](std::size_t house) {
        const stock::HouseStore& houses = window.Model().Houses();
        if (house < lines->size() && (*lines)[house] < houses.Size()) {
            window.OpenLine(houses.Line((*lines)[house]), houses.Sheet((*lines)[house]));
        }
    });
}

} // namespace app
