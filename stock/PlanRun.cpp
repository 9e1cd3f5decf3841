#include "PlanRun.h"

#include "HouseInput.h"
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

void PlanCollector::Add(const plan::HouseOffer& offer, PlanHouseSource source) {
    offers_.push_back(offer);
    sources_.push_back(std::move(source));
}

std::string PlanCollector::Finish(const PlanRequest& request,
                                  const std::vector<std::string>& carriedNames) {
    const plan::Problem problem = plan::MakeProblem(offers_, request.Budgets, request.Objective);
    plan::SolveOptions options;
    options.TimeLimitSeconds = request.TimeLimitSeconds;
    const plan::Solution solution = plan::SolvePlan(problem, options);
    if (!request.File.isEmpty()) {
        SavePlan(request.File, problem, solution.Best, request.Objective, sources_, carriedNames);
    }
    return PlanSummary(problem, solution, request.Objective, model::NumberLocale{",", " "});
}

} // namespace stock
