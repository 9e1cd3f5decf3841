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

namespace {

// A house's place in the input: its line and its continuation sheet.
using InputPlace = std::pair<std::size_t, std::string>;

// The houses the table shows, in input order (a continuation sheet's after the first sheet's),
// as the plan takes them; `places` gets their places.
std::vector<PlanTabHouse> ShownHouses(const StockWindow& window, std::vector<InputPlace>& places) {
    std::vector<PlanTabHouse> houses;
    std::vector<std::pair<std::size_t, int>> shown; // input index, row
    for (int row = 0; row < window.Model().rowCount(); ++row) {
        shown.emplace_back(window.Model().InputIndexAt(row), row);
    }
    std::sort(shown.begin(), shown.end());
    places.clear();
    for (const auto& [index, row] : shown) {
        if (std::optional<PlanTabHouse> planned = PlanHouseOf(window.Model().HouseAt(row))) {
            houses.push_back(std::move(*planned));
            places.emplace_back(window.Model().LineAt(row), window.Model().SheetAt(row));
        }
    }
    return houses;
}

} // namespace

void AttachPlanTab(StockWindow& window, const model::NumberLocale& locale) {
    auto* tab = new PlanTab(locale, &window);
    tab->setAccessibleName(QStringLiteral("План"));
    window.AddTab(tab, QStringLiteral("План"));
    window.SetPlanPageSource([tab] { return tab->ReportPage(); });
    // The stock lines of the plan's houses, in the order the plan was given them, and the filter
    // they passed.
    auto lines = std::make_shared<std::vector<InputPlace>>();
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
                       [&window, lines] { return ShownHouses(window, *lines); });
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
        if (house < lines->size()) {
            window.OpenLine((*lines)[house].first, (*lines)[house].second);
        }
    });
}

} // namespace app
