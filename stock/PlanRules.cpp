#include "PlanRules.h"

#include <algorithm>

namespace stock {
namespace {

void Widen(std::optional<Spread>& spread, double value) {
    if (!spread) {
        spread = Spread{value, value};
    } else {
        spread->Least = std::min(spread->Least, value);
        spread->Most = std::max(spread->Most, value);
    }
}

std::string SpreadText(const std::optional<Spread>& spread, const char* pattern,
                       const model::NumberLocale& locale) {
    if (!spread) {
        return "—";
    }
    const std::string least = model::FormatNumber(spread->Least, pattern, locale);
    const std::string most = model::FormatNumber(spread->Most, pattern, locale);
    return least == most ? least : "от " + least + " до " + most;
}

std::string BudgetsLine(const PlanRules& rules, const model::NumberLocale& locale) {
    std::string line = "Бюджеты по годам, руб.:";
    for (std::size_t k = 0; k < rules.Budgets.size(); ++k) {
        line += (k == 0 ? " " : "; ") + std::to_string(k + 1) + "-й — " +
                PlanMoney(rules.Budgets[k], locale);
    }
    return line;
}

std::string CrewsLine(const std::vector<int>& most) {
    if (most.empty()) {
        return "Домов в год: без ограничения";
    }
    if (most.size() == 1) {
        return "Домов в год: не более " + std::to_string(most.front());
    }
    std::string line = "Домов в год, не более:";
    for (std::size_t k = 0; k < most.size(); ++k) {
        line += (k == 0 ? " " : "; ") + std::to_string(k + 1) + "-й — " + std::to_string(most[k]);
    }
    return line;
}

// One end for every plan year: a house fitted later saves for fewer years, none after the end.
std::string HorizonLine(const std::optional<Spread>& horizon, const model::NumberLocale& locale) {
    if (!horizon) {
        return "Срок оценки: —";
    }
    const std::string least = model::FormatNumber(horizon->Least, "0", locale) + "-го";
    const std::string most = model::FormatNumber(horizon->Most, "0", locale) + "-го";
    return "Срок оценки: до конца " + (least == most ? least : least + " — " + most) +
           " года от начала плана, один для домов любого года оснащения (оснащённый позже "
           "экономит меньше лет); после него ничего не учитывается";
}

// "0,0100" as "0,01": the zeros after the last digit go, and the separator with them.
std::string Trimmed(std::string text, const model::NumberLocale& locale) {
    const std::size_t separator = text.find(locale.DecimalSeparator);
    if (separator == std::string::npos) {
        return text;
    }
    while (text.back() == '0') {
        text.pop_back();
    }
    if (text.size() == separator + locale.DecimalSeparator.size()) {
        text.resize(separator);
    }
    return text;
}

} // namespace

void PlanRules::Take(const model::EconomicsInputs& inputs) {
    Widen(TariffGrowth, inputs.TariffGrowth);
    Widen(LampPriceGrowth, inputs.LampPriceGrowth);
    Widen(DiscountRate, inputs.DiscountRate);
    Widen(HorizonYears, inputs.HorizonYears);
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

std::string PlanMoney(double roubles, const model::NumberLocale& locale) {
    return model::FormatNumber(roubles, ",0.00", locale);
}

std::vector<std::string> PlanRuleLines(const PlanRules& rules, const model::NumberLocale& locale) {
    std::vector<std::string> lines{
        "Цель: " + ObjectiveName(rules.Objective) + ", " + ObjectiveUnit(rules.Objective),
        BudgetsLine(rules, locale),
        rules.CarryOver ? "Остаток бюджета переносится на следующий год"
                        : "Остаток бюджета не переносится: расходы года — в пределах его бюджета",
        "Дома, год которых задан: " + std::to_string(rules.FixedHouses) +
            "; обязательные: " + std::to_string(rules.RequiredHouses) +
            "; исключённые: " + std::to_string(rules.ExcludedHouses),
        CrewsLine(rules.MostHouses),
        "Рост тарифа, % в год: " + SpreadText(rules.TariffGrowth, "0.0", locale) +
            "; рост цен, % в год: " + SpreadText(rules.LampPriceGrowth, "0.0", locale) +
            "; ставка дисконтирования, % в год: " + SpreadText(rules.DiscountRate, "0.0", locale),
        HorizonLine(rules.HorizonYears, locale),
        "Поиск: не дольше " + model::FormatNumber(rules.TimeLimitSeconds, "0", locale) +
            " с, до отставания от лучшего возможного плана не более " +
            Trimmed(model::FormatNumber(rules.GapPercent, "0.0000", locale), locale) + " %",
    };
    lines.push_back(rules.Filter.empty()
                        ? "Дома: все рассчитанные"
                        : "Дома: только показанные по отбору «" + rules.Filter + "»");
    return lines;
}

} // namespace stock
