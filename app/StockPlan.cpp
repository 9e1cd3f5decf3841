#include "StockPlan.h"

#include "PlanTab.h"
#include "StockModel.h"
#include "StockWindow.h"

#include <QLineEdit>

#include <algorithm>
#include <memory>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

namespace app {

namespace {

// A house's place in the input: its line and its continuation sheet.
using InputPlace = std::pair<std::size_t, std::string>;

// The houses the table shows, in input order, and the filter they pass.
PlanTabInput ShownInput(const StockWindow& window, std::vector<InputPlace>& places) {
    PlanTabInput input;
    input.CarriedNames = window.Model().CarriedColumns();
    input.Filter = window.FilterBox()->text().trimmed().toStdString();
    // Input order, whatever column sorts the table: by line within a sheet, the sheets in turn.
    std::vector<int> rows(static_cast<std::size_t>(window.Model().rowCount()));
    std::iota(rows.begin(), rows.end(), 0);
    std::sort(rows.begin(), rows.end(), [&window](int a, int b) {
        return window.Model().InputIndexAt(a) < window.Model().InputIndexAt(b);
    });
    places.clear();
    for (const int row : rows) {
        const stock::BatchHouse& house = window.Model().HouseAt(row);
        if (std::optional<PlanTabHouse> planned = PlanHouseOf(house)) {
            input.Houses.push_back(std::move(*planned));
            places.emplace_back(house.Source.Line, house.Source.Sheet);
        }
    }
    return input;
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
    const auto give = [&window, tab, lines, filter] {
        *filter = window.FilterBox()->text().trimmed();
        tab->SetHouses(ShownInput(window, *lines));
    };
    QObject::connect(&window, &StockWindow::runEnded, tab, give);
    // The plan's houses are those the table shows: another filter, another plan.
    QObject::connect(&window, &StockWindow::housesChanged, tab, [&window, filter, give] {
        if (!window.Running() && window.FilterBox()->text().trimmed() != *filter) {
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
