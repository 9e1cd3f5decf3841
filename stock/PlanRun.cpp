#include "PlanRun.h"

#include "HouseInput.h"
#include "HouseOffer.h"
#include "HouseSheet.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace stock {

bool ReadAmount(std::string_view text, double& amount) {
    const std::optional<std::string> ungrouped = model::Ungrouped(text);
    const std::string_view number = ungrouped ? std::string_view(*ungrouped) : text;
    static const std::vector<model::NumberLocale> locales = sheet::NumberLocalesOf(';');
    const bool read = std::any_of(locales.begin(), locales.end(), [&](const auto& locale) {
        return model::TryParseReal(number, locale, amount);
    });
    return read && std::isfinite(amount);
}

std::optional<std::string> ReadBudget(std::string_view text, double& amount) {
    if (!ReadAmount(text, amount)) {
        return "бюджет «" + model::Shortened(text) + "» — не число";
    }
    if (amount < 0) {
        return "бюджет «" + model::Shortened(text) + "» — меньше 0";
    }
    if (amount > MostBudget) {
        return "бюджет «" + model::Shortened(text) + "» — больше " +
               model::FormatNumber(MostBudget, ",0", model::NumberLocale{",", " "}) + " руб.";
    }
    return std::nullopt;
}

std::optional<plan::Objective> ObjectiveNamed(std::string_view name) {
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == "npv") {
        return plan::Objective::NetPresentValue;
    }
    if (lower == "energy") {
        return plan::Objective::Energy;
    }
    if (lower == "co2") {
        return plan::Objective::CO2;
    }
    return std::nullopt;
}

void CountHouseRules(const std::vector<plan::HouseRule>& houseRules, PlanRules& rules) {
    rules.FixedHouses = rules.RequiredHouses = rules.ExcludedHouses = 0;
    for (const plan::HouseRule& rule : houseRules) {
        switch (rule.Rule) {
        case plan::HouseRule::Kind::InYear:
            ++rules.FixedHouses;
            break;
        case plan::HouseRule::Kind::Required:
            ++rules.RequiredHouses;
            break;
        case plan::HouseRule::Kind::Never:
            ++rules.ExcludedHouses;
            break;
        case plan::HouseRule::Kind::PlanDecides:
            break;
        }
    }
}

void PlanCollector::Add(const BatchHouse& house) {
    if (!house.Figures || !house.Figures->Economics) {
        return;
    }
    offers_.push_back(plan::OfferOf(house.EconomicsInputs, *house.Figures));
    sources_.push_back({house.Source.Line, house.Carried, house.Source.Address,
                        house.Source.ManagementCompany, house.Source.Sheet});
    rules_.Take(house.EconomicsInputs);
    houseRules_.push_back(house.PlanYear);
}

std::optional<std::string> PlanRulesError(const plan::Problem& problem,
                                          const std::vector<PlanHouseSource>& sources,
                                          const model::NumberLocale& locale) {
    const auto money = [&](double amount) { return PlanMoney(amount, locale); };
    for (std::size_t h = 0; h < problem.HouseCount; ++h) {
        const bool inSomeYear =
            std::any_of(problem.Offered.begin() + static_cast<std::ptrdiff_t>(problem.Index(h, 0)),
                        problem.Offered.begin() + static_cast<std::ptrdiff_t>(
                                                      problem.Index(h, 0) + problem.Budgets.size()),
                        [](char offered) { return offered != 0; });
        if (problem.IsRequired(h) && !inSomeYear) {
            return "дом строки " + model::RowLine(sources[h].Line, sources[h].Sheet) +
                   " закреплён за годом после последнего года плана (лет в плане " +
                   std::to_string(problem.Years()) + ")";
        }
    }
    if (auto error = plan::FixedHousesError(problem, money)) {
        return error;
    }
    if (const auto house = plan::RequiredHouseFittingNowhere(problem)) {
        return "дом строки " + model::RowLine(sources[*house].Line, sources[*house].Sheet) + " (" +
               model::Shortened(sources[*house].Address) +
               ") обязателен, но ни в одном году ему не хватает денег или бригад";
    }
    return std::nullopt;
}

std::string PlanCollector::Finish(const PlanRequest& request,
                                  const std::vector<std::string>& carriedNames) {
    const plan::Problem problem =
        plan::MakeProblem(offers_, request.Budgets, request.Objective, request.Rules, houseRules_);
    const model::NumberLocale locale{",", " "};
    if (const auto error = PlanRulesError(problem, sources_, locale)) {
        throw std::runtime_error("плана нет: " + *error);
    }
    plan::SolveOptions options;
    options.TimeLimitSeconds = request.TimeLimitSeconds;
    options.RelativeGap = request.RelativeGap;
    const plan::Solution solution = plan::SolvePlan(problem, options);
    rules_.Budgets = request.Budgets;
    rules_.Objective = request.Objective;
    rules_.TimeLimitSeconds = request.TimeLimitSeconds;
    rules_.GapPercent = options.RelativeGap * 100;
    rules_.CarryOver = request.Rules.CarryOver;
    rules_.MostHouses = request.Rules.MaxHouses;
    CountHouseRules(houseRules_, rules_);
    const PlanDocument document{problem, solution, sources_, carriedNames, rules_};
    const std::string summary = PlanSummary(document, locale);
    if (!solution.HasPlan()) {
        throw std::runtime_error(summary);
    }
    if (!request.File.isEmpty()) {
        SavePlan(request.File, document);
    }
    return summary;
}

} // namespace stock
