#include "PlanSheet.h"

#include "HouseInput.h"
#include "ResultOutput.h"

#include <algorithm>
#include <limits>
#include <memory>

namespace stock {
namespace {

std::string ValueText(double value, plan::Objective objective, const model::NumberLocale& locale) {
    return model::FormatNumber(value, std::string(",") + PlanValuePattern(objective), locale);
}

// The sheet "Итоги": the years' totals, the totals by year and company, the rules.
void WriteTotals(ResultOutput& output, const PlanDocument& document,
                 const std::vector<PlanEntry>& entries, const model::NumberLocale& locale) {
    const std::string valueHeading = "Ценность, " + ObjectiveUnit(document.Rules.Objective);
    const char* valuePattern = PlanValuePattern(document.Rules.Objective);
    output.Sheet("Итоги", {"Год плана", "Домов", "Расходы, руб.", "Бюджет, руб.", "Остаток, руб.",
                           valueHeading});
    const std::vector<bool> allNumbers(6, true);
    const auto money = [&](double v) { return model::FormatNumber(v, "0.00", locale); };
    const std::vector<plan::YearTotals> years =
        plan::TotalsByYear(document.Problem, document.Solution.Best);
    for (std::size_t k = 0; k < years.size(); ++k) {
        const plan::YearTotals& t = years[k];
        output.Row({std::to_string(k + 1), std::to_string(t.Houses), money(t.Spend),
                    money(t.Budget), money(t.Left),
                    model::FormatNumber(t.Value, valuePattern, locale)},
                   allNumbers);
    }
    output.Row({""}, {});
    output.Row({"Год плана", "Управляющая компания", "Домов", "Расходы, руб.", valueHeading}, {});
    for (const CompanyTotals& t : TotalsByCompany(entries, document.Sources)) {
        output.Row({std::to_string(t.Year + 1), t.Company, std::to_string(t.Houses), money(t.Spend),
                    model::FormatNumber(t.Value, valuePattern, locale)},
                   {true, false, true, true, true});
    }
    // The rules under the totals, so that the file says what the plan was made of.
    output.Row({""}, {});
    output.Row({"Правила плана"}, {});
    for (const std::string& line : PlanRuleLines(document.Rules, model::NumberLocale{",", " "})) {
        output.Row({line}, {});
    }
}

// Why a plan holds no house: none was given, none is worth anything under the objective, or the
// budgets pay for none of those that are.
std::string WhyEmpty(const PlanDocument& document, const model::NumberLocale& locale) {
    const plan::Problem& problem = document.Problem;
    if (problem.HouseCount == 0) {
        return "Ни один дом не выбран: плану не дано ни одного рассчитанного дома.";
    }
    double cheapest = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < problem.Value.size(); ++i) {
        if (problem.Value[i] > 0) {
            cheapest = std::min(cheapest, problem.Spend[i]);
        }
    }
    if (cheapest == std::numeric_limits<double>::infinity()) {
        switch (document.Rules.Objective) {
        case plan::Objective::CO2:
            return "Ни один дом не выбран: ни один дом не сокращает выбросы CO₂ — при "
                   "коэффициенте выбросов (EmissionFactor) 0 кг CO₂ на кВт·ч их нечем считать.";
        case plan::Objective::Energy:
            return "Ни один дом не выбран: ни один дом не экономит энергию.";
        case plan::Objective::NetPresentValue:
            break;
        }
        return "Ни один дом не выбран: ни один дом не окупается за срок оценки (чистая "
               "приведённая стоимость не больше 0).";
    }
    return "Ни один дом не выбран: бюджета не хватает ни на один дом с положительной ценностью "
           "(самый дешёвый из них стоит " +
           PlanMoney(cheapest, locale) + " руб.). Это допустимый план.";
}

std::string YearLines(const PlanDocument& document, const model::NumberLocale& locale) {
    std::string text;
    const std::vector<plan::YearTotals> totals =
        plan::TotalsByYear(document.Problem, document.Solution.Best);
    for (std::size_t k = 0; k < totals.size(); ++k) {
        const plan::YearTotals& t = totals[k];
        text += "Год " + std::to_string(k + 1) + ": домов " + std::to_string(t.Houses) +
                ", расходы " + PlanMoney(t.Spend, locale) + " руб. при бюджете " +
                PlanMoney(t.Budget, locale) + " руб., остаток " + PlanMoney(t.Left, locale) +
                " руб.\n";
    }
    return text;
}

std::string ValueLine(const PlanDocument& document, const model::NumberLocale& locale) {
    const plan::Objective objective = document.Rules.Objective;
    std::string unit = ObjectiveUnit(objective);
    unit.insert(0, 1, ' '); // not " " + unit, of which GCC 12 warns falsely (-Wrestrict)
    const double best = document.Solution.Best.Value;
    const double ranking = document.Solution.Ranking.Value;
    std::string text =
        "Ценность плана: " + ValueText(best, objective, locale) + unit +
        "; план по рейтингу (ценность на рубль): " + ValueText(ranking, objective, locale) + unit +
        ", выигрыш " + ValueText(best - ranking, objective, locale) + unit;
    if (ranking > 0) {
        // In % of the ranking plan: what the search adds to what the office would do anyway.
        text +=
            " (" + model::FormatNumber((best - ranking) / ranking * 100, "0.00", locale) + " %)";
    }
    // "руб." already ends the sentence.
    return text + (text.ends_with('.') ? "\n" : ".\n");
}

std::string StatusLine(const plan::Solution& solution, const model::NumberLocale& locale) {
    const std::string gap = model::FormatNumber(solution.Gap * 100, "0.000", locale) + " %";
    switch (solution.Status) {
    case plan::SolveStatus::Optimal:
        return "План оптимален: лучший возможный план ценнее не более чем на " + gap + ".\n";
    case plan::SolveStatus::TimeLimit:
        return "Время поиска истекло: лучший возможный план может быть ценнее не более чем на " +
               gap + ".\n";
    case plan::SolveStatus::Infeasible:
        return "Плана нет: " + solution.Message + ".\n";
    case plan::SolveStatus::Failed:
        return "Решатель не справился: " + solution.Message + ". Плана нет.\n";
    case plan::SolveStatus::Stopped:
        break;
    }
    return "Поиск остановлен: лучший возможный план может быть ценнее не более чем на " + gap +
           ".\n";
}

} // namespace

std::vector<PlanEntry> PlanEntries(const PlanDocument& document) {
    std::vector<PlanEntry> entries;
    entries.reserve(document.Solution.Best.Choices.size());
    for (const plan::Choice& c : document.Solution.Best.Choices) {
        entries.push_back({c.House, c.Year, document.Problem.SpendOf(c.House, c.Year),
                           document.Problem.ValueOf(c.House, c.Year)});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return a.Year != b.Year ? a.Year < b.Year : a.House < b.House;
    });
    return entries;
}

std::vector<CompanyTotals> TotalsByCompany(const std::vector<PlanEntry>& entries,
                                           const std::vector<PlanHouseSource>& sources) {
    std::vector<CompanyTotals> totals;
    for (const PlanEntry& e : entries) {
        const std::string& company = sources[e.House].Company;
        auto found = std::find_if(totals.begin(), totals.end(), [&](const CompanyTotals& t) {
            return t.Year == e.Year && t.Company == company;
        });
        if (found == totals.end()) {
            totals.push_back({e.Year, company, 0, 0, 0});
            found = totals.end() - 1;
        }
        ++found->Houses;
        found->Spend += e.Spend;
        found->Value += e.Value;
    }
    std::stable_sort(totals.begin(), totals.end(), [](const auto& a, const auto& b) {
        return a.Year != b.Year ? a.Year < b.Year : a.Company < b.Company;
    });
    return totals;
}

std::vector<PlanListRow> PlanList(const PlanDocument& document, const model::NumberLocale& locale) {
    std::vector<PlanEntry> entries = PlanEntries(document);
    const std::vector<PlanHouseSource>& sources = document.Sources;
    std::stable_sort(entries.begin(), entries.end(), [&](const auto& a, const auto& b) {
        return a.Year != b.Year ? a.Year < b.Year
                                : sources[a.House].Company < sources[b.House].Company;
    });
    const char* valuePattern = PlanValuePattern(document.Rules.Objective);
    const auto value = [&](double v) {
        return model::FormatNumber(v, std::string(",") + valuePattern, locale);
    };
    const std::vector<CompanyTotals> companies = TotalsByCompany(entries, sources);
    const std::vector<plan::YearTotals> years =
        plan::TotalsByYear(document.Problem, document.Solution.Best);
    std::vector<PlanListRow> rows;
    auto company = companies.begin();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const PlanEntry& e = entries[i];
        const plan::YearTotals& year = years[static_cast<std::size_t>(e.Year)];
        if (i == 0 || entries[i - 1].Year != e.Year) {
            rows.push_back({PlanListRow::Kind::Year,
                            {"Год " + std::to_string(e.Year + 1) + " — бюджет " +
                                 PlanMoney(year.Budget, locale) + " руб.",
                             "", "", "", ""}});
        }
        const PlanHouseSource& source = sources[e.House];
        rows.push_back({PlanListRow::Kind::House,
                        {model::RowLine(source.Line, source.Sheet), source.Address, source.Company,
                         PlanMoney(e.Spend, locale), value(e.Value)}});
        const bool last = i + 1 == entries.size() || entries[i + 1].Year != e.Year;
        if (last || sources[entries[i + 1].House].Company != source.Company) {
            const std::string name =
                source.Company.empty() ? "без управляющей компании" : source.Company;
            rows.push_back({PlanListRow::Kind::CompanyTotal,
                            {"", "Итого " + name + ": домов " + std::to_string(company->Houses), "",
                             PlanMoney(company->Spend, locale), value(company->Value)}});
            ++company;
        }
        if (last) {
            rows.push_back({PlanListRow::Kind::YearTotal,
                            {"",
                             "Итого за год " + std::to_string(e.Year + 1) + ": домов " +
                                 std::to_string(year.Houses),
                             "", PlanMoney(year.Spend, locale), value(year.Value)}});
        }
    }
    return rows;
}

std::string PlanCarriedHeading(const std::string& name) {
    return model::IsPlanYearHeading(name) ? name + " (реестр)" : name;
}

std::vector<std::string> PlanColumns(const std::vector<std::string>& carriedNames) {
    std::vector<std::string> columns{"PlanYear", "Line"};
    for (const std::string& name : carriedNames) {
        columns.push_back(PlanCarriedHeading(name));
    }
    columns.insert(columns.end(), {"Address", "ManagementCompany", "Spend", "Value"});
    return columns;
}

const char* PlanValuePattern(plan::Objective objective) {
    return objective == plan::Objective::CO2 ? "0.000" : "0.00";
}

void SavePlan(const QString& fileName, const PlanDocument& document) {
    const ResultKind kind = ResultKindOf(fileName);
    std::unique_ptr<ResultOutput> output;
    switch (kind) {
    case ResultKind::Workbook:
        output = WorkbookResults(fileName);
        break;
    case ResultKind::OpenDocument:
        output = OdsResults(fileName);
        break;
    case ResultKind::Csv:
        output = CsvResults(fileName, CsvOptions{});
        break;
    }
    const std::vector<std::string> names = PlanColumns(document.CarriedNames);
    std::vector<bool> numbers(names.size(), false);
    numbers[0] = numbers[1] = true;
    numbers[names.size() - 2] = numbers[names.size() - 1] = true;
    output->Sheet("План", names);
    // A workbook takes numbers with a decimal point, CSV with ';' a decimal comma.
    const model::NumberLocale locale{kind == ResultKind::Csv ? "," : ".", ""};
    const char* valuePattern = PlanValuePattern(document.Rules.Objective);
    const std::vector<PlanEntry> entries = PlanEntries(document);
    for (const PlanEntry& e : entries) {
        const PlanHouseSource& source = document.Sources[e.House];
        std::vector<std::string> row{std::to_string(e.Year + 1),
                                     model::RowLine(source.Line, source.Sheet)};
        row.insert(row.end(), source.Carried.begin(), source.Carried.end());
        row.insert(row.end(),
                   {source.Address, source.Company, model::FormatNumber(e.Spend, "0.00", locale),
                    model::FormatNumber(e.Value, valuePattern, locale)});
        output->Row(row, numbers);
    }
    if (kind != ResultKind::Csv) {
        WriteTotals(*output, document, entries, locale);
    }
    output->Finish();
}

std::string PlanSummary(const PlanDocument& document, const model::NumberLocale& locale) {
    std::string text = "План на " + std::to_string(document.Problem.Years()) +
                       " г., цель: " + ObjectiveName(document.Rules.Objective) + ".\n";
    if (!document.Rules.Filter.empty()) {
        text += "Дома плана — " + std::to_string(document.Problem.HouseCount) +
                ", показанные по отбору «" + document.Rules.Filter + "».\n";
    }
    if (!document.Solution.HasPlan()) {
        return text + StatusLine(document.Solution, locale);
    }
    if (document.Solution.Best.Choices.empty()) {
        text += WhyEmpty(document, locale) + "\n";
    }
    return text + YearLines(document, locale) + ValueLine(document, locale) +
           StatusLine(document.Solution, locale);
}

} // namespace stock
