#include "PlanSheet.h"

#include "ResultOutput.h"

#include <QFileInfo>

#include <algorithm>

namespace stock {
namespace {

std::string Money(double value, const model::NumberLocale& locale) {
    return model::FormatNumber(value, ",0.00", locale);
}

// Values in the objective's unit: roubles and kWh to hundredths, tonnes to kilograms.
const char* ValuePattern(plan::Objective objective) {
    return objective == plan::Objective::CO2 ? "0.000" : "0.00";
}

std::string ValueText(double value, plan::Objective objective, const model::NumberLocale& locale) {
    return model::FormatNumber(value, std::string(",") + ValuePattern(objective), locale);
}

} // namespace

std::vector<std::string> PlanColumns(const std::vector<std::string>& carriedNames) {
    std::vector<std::string> columns{"PlanYear", "Line"};
    columns.insert(columns.end(), carriedNames.begin(), carriedNames.end());
    columns.insert(columns.end(), {"Address", "Spend", "Value"});
    return columns;
}

std::vector<std::vector<std::string>> PlanRows(const plan::Problem& problem, const plan::Plan& plan,
                                               plan::Objective objective,
                                               const std::vector<PlanHouseSource>& sources,
                                               const model::NumberLocale& locale) {
    std::vector<plan::Choice> choices = plan.Choices;
    std::stable_sort(choices.begin(), choices.end(), [&](const auto& a, const auto& b) {
        return a.Year != b.Year ? a.Year < b.Year : sources[a.House].Line < sources[b.House].Line;
    });
    std::vector<std::vector<std::string>> rows;
    rows.reserve(choices.size());
    for (const plan::Choice& c : choices) {
        const PlanHouseSource& source = sources[c.House];
        std::vector<std::string> row{std::to_string(c.Year + 1), std::to_string(source.Line)};
        row.insert(row.end(), source.Carried.begin(), source.Carried.end());
        row.push_back(source.Address);
        row.push_back(model::FormatNumber(problem.SpendOf(c.House, c.Year), "0.00", locale));
        row.push_back(
            model::FormatNumber(problem.ValueOf(c.House, c.Year), ValuePattern(objective), locale));
        rows.push_back(std::move(row));
    }
    return rows;
}

void SavePlan(const QString& fileName, const plan::Problem& problem, const plan::Plan& plan,
              plan::Objective objective, const std::vector<PlanHouseSource>& sources,
              const std::vector<std::string>& carriedNames) {
    const bool workbook =
        QFileInfo(fileName).suffix().compare(QStringLiteral("xlsx"), Qt::CaseInsensitive) == 0;
    const std::unique_ptr<ResultOutput> output =
        workbook ? WorkbookResults(fileName) : CsvResults(fileName, CsvOptions{});
    const std::vector<std::string> names = PlanColumns(carriedNames);
    std::vector<bool> numbers(names.size(), false);
    numbers[0] = numbers[1] = true;
    numbers[names.size() - 2] = numbers[names.size() - 1] = true;
    output->Header(names);
    // A workbook takes numbers with a decimal point, CSV with ';' a decimal comma.
    const model::NumberLocale locale{workbook ? "." : ",", ""};
    for (const std::vector<std::string>& row :
         PlanRows(problem, plan, objective, sources, locale)) {
        output->Row(row, numbers);
    }
    output->Finish();
}

std::string ObjectiveName(plan::Objective objective) {
    switch (objective) {
    case plan::Objective::Energy:
        return "сэкономленная энергия";
    case plan::Objective::CO2:
        return "предотвращённые выбросы CO₂";
    case plan::Objective::NetPresentValue:
        break;
    }
    return "чистая приведённая стоимость";
}

std::string ObjectiveUnit(plan::Objective objective) {
    switch (objective) {
    case plan::Objective::Energy:
        return "кВт·ч";
    case plan::Objective::CO2:
        return "т";
    case plan::Objective::NetPresentValue:
        break;
    }
    return "руб.";
}

std::string PlanSummary(const plan::Problem& problem, const plan::Solution& solution,
                        plan::Objective objective, const model::NumberLocale& locale) {
    std::string unit = ObjectiveUnit(objective);
    unit.insert(0, 1, ' ');
    std::string text = "План на " + std::to_string(problem.Years()) +
                       " г., цель: " + ObjectiveName(objective) + ".\n";
    if (!solution.HasPlan()) {
        return text + (solution.Status == plan::SolveStatus::Failed
                           ? "Решатель не справился: " + solution.Message + ". Плана нет.\n"
                           : "Плана нет: " + solution.Message + ".\n");
    }
    if (solution.Best.Choices.empty()) {
        text += "Ни один дом не выбран: бюджета не хватает ни на один дом с положительной "
                "ценностью. Это допустимый план.\n";
    }
    const std::vector<plan::YearTotals> totals = plan::TotalsByYear(problem, solution.Best);
    for (std::size_t k = 0; k < totals.size(); ++k) {
        const plan::YearTotals& t = totals[k];
        text += "Год " + std::to_string(k + 1) + ": домов " + std::to_string(t.Houses) +
                ", расходы " + Money(t.Spend, locale) + " руб. при бюджете " +
                Money(t.Budget, locale) + " руб., остаток " + Money(t.Left, locale) + " руб.\n";
    }
    const double best = solution.Best.Value;
    const double ranking = solution.Ranking.Value;
    text += "Ценность плана: " + ValueText(best, objective, locale) + unit +
            "; план по рейтингу (ценность на рубль): " + ValueText(ranking, objective, locale) +
            unit + ", выигрыш " + ValueText(best - ranking, objective, locale) + unit;
    if (ranking > 0) {
        text += " (" + model::FormatNumber((best / ranking - 1) * 100, "0.00", locale) + " %)";
    }
    text += ".\n";
    const std::string gap = model::FormatNumber(solution.Gap * 100, "0.000", locale) + " %";
    switch (solution.Status) {
    case plan::SolveStatus::Optimal:
        text += "План оптимален: лучший возможный план ценнее не более чем на " + gap + ".\n";
        break;
    case plan::SolveStatus::TimeLimit:
        text += "Время поиска истекло: лучший возможный план может быть ценнее не более чем на " +
                gap + ".\n";
        break;
    case plan::SolveStatus::Stopped:
        text += "Поиск остановлен: лучший возможный план может быть ценнее не более чем на " + gap +
                ".\n";
        break;
    case plan::SolveStatus::Infeasible:
    case plan::SolveStatus::Failed:
        break; // no plan: said above
    }
    return text;
}

} // namespace stock
