#include "PlanRun.h"

#include "HouseInput.h"
#include "HouseOffer.h"
#include "HouseSheet.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace stock {

std::optional<std::string> ReadBudget(std::string_view text, double& amount) {
    const std::optional<std::string> ungrouped = model::Ungrouped(text);
    const std::string_view number = ungrouped ? std::string_view(*ungrouped) : text;
    static const std::vector<model::NumberLocale> locales = sheet::NumberLocalesOf(';');
    const bool read = std::any_of(locales.begin(), locales.end(), [&](const auto& locale) {
        return model::TryParseReal(number, locale, amount);
    });
    if (!read || !std::isfinite(amount)) {
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

void PlanCollector::Add(const BatchHouse& house) {
    if (!house.Figures || !house.Figures->Economics) {
        return;
    }
    offers_.push_back(plan::OfferOf(house.EconomicsInputs, *house.Figures));
    sources_.push_back(
        {house.Source.Line, house.Carried, house.Source.Address, house.Source.ManagementCompany});
    rulesUsed_.Take(house.EconomicsInputs);
}

std::string PlanCollector::Finish(const PlanRequest& request,
                                  const std::vector<std::string>& carriedNames) {
    const plan::Problem problem = plan::MakeProblem(offers_, request.Budgets, request.Objective);
    plan::SolveOptions options;
    options.TimeLimitSeconds = request.TimeLimitSeconds;
    const plan::Solution solution = plan::SolvePlan(problem, options);
    rulesUsed_.Budgets = request.Budgets;
    rulesUsed_.Objective = request.Objective;
    rulesUsed_.TimeLimitSeconds = request.TimeLimitSeconds;
    rulesUsed_.GapPercent = options.RelativeGap * 100;
    const PlanDocument document{problem, solution, sources_, carriedNames, rulesUsed_};
    if (!request.File.isEmpty()) {
        SavePlan(request.File, document);
    }
    return PlanSummary(document, model::NumberLocale{",", " "});
}

} // namespace stock
