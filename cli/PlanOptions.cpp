#include "PlanOptions.h"

#include "HouseInput.h"

#include <cmath>

namespace cli {
namespace {

// A number of an option within [least, most], as a cell gives it; the Russian message when it is
// no number or out of range.
std::optional<QString> ReadBounded(const QString& option, const QString& text, double least,
                                   double most, double& value) {
    if (!stock::ReadAmount(text.toStdString(), value) || value < least || value > most) {
        return QStringLiteral("--%1: «%2» — ожидается число от %3 до %4")
            .arg(option, QString::fromStdString(model::Shortened(text.toStdString())),
                 QString::number(least), QString::number(most));
    }
    return std::nullopt;
}

// --no-carry-over, --max-houses, --time-limit and --gap.
std::optional<QString> ReadRules(const QCommandLineParser& parser, const PlanCommandOptions& o,
                                 stock::PlanRequest& request) {
    request.Rules.CarryOver = !parser.isSet(o.NoCarryOver);
    for (const QString& text : parser.values(o.MaxHouses)) {
        double houses = 0;
        if (auto message = ReadBounded(QStringLiteral("max-houses"), text, 0, 1e9, houses)) {
            return message;
        }
        if (houses != std::floor(houses)) {
            return QStringLiteral("--max-houses: «%1» — ожидается целое число домов").arg(text);
        }
        request.Rules.MaxHouses.push_back(static_cast<int>(houses));
    }
    if (const auto message = plan::RulesError(request.Rules, request.Budgets.size())) {
        return QStringLiteral("--max-houses: ") + QString::fromStdString(*message);
    }
    for (const QCommandLineOption* once : {&o.TimeLimit, &o.Gap}) {
        if (parser.values(*once).size() > 1) {
            return QStringLiteral("--%1 задан несколько раз: задайте его один раз")
                .arg(once->names().constFirst());
        }
    }
    if (parser.isSet(o.TimeLimit)) {
        const QString text = parser.value(o.TimeLimit);
        if (auto message = ReadBounded(QStringLiteral("time-limit"), text, 1, 86400,
                                       request.TimeLimitSeconds)) {
            return message;
        }
    }
    if (parser.isSet(o.Gap)) {
        double percent = 0;
        if (auto message =
                ReadBounded(QStringLiteral("gap"), parser.value(o.Gap), 0, 100, percent)) {
            return message;
        }
        request.RelativeGap = percent / 100;
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> ReadPlanOptions(const QCommandLineParser& parser,
                                       const PlanCommandOptions& o, RunOptions& options) {
    for (const QCommandLineOption* once : {&o.Objective, &o.Plan}) {
        if (parser.values(*once).size() > 1) {
            return QStringLiteral("--%1 задан несколько раз: задайте его один раз")
                .arg(once->names().constFirst());
        }
    }
    for (const QString& setting : parser.values(o.Set)) {
        if (const auto message = sheet::AddFieldDefault(setting.toStdString(), options.Defaults)) {
            return QStringLiteral("--set: ") + QString::fromStdString(*message);
        }
    }
    const QStringList budgets = parser.values(o.Budget);
    if (budgets.isEmpty()) {
        if (parser.isSet(o.Plan) || parser.isSet(o.Objective)) {
            return QStringLiteral("для плана нужен бюджет хотя бы одного года (--budget)");
        }
        return std::nullopt;
    }
    stock::PlanRequest request;
    for (const QString& text : budgets) {
        double amount = 0;
        if (const auto message = stock::ReadBudget(text.toStdString(), amount)) {
            return QStringLiteral("--budget: ") + QString::fromStdString(*message);
        }
        request.Budgets.push_back(amount);
    }
    if (const auto message = plan::BudgetsError(request.Budgets)) {
        return QStringLiteral("--budget: ") + QString::fromStdString(*message);
    }
    if (parser.isSet(o.Objective)) {
        const auto objective = stock::ObjectiveNamed(parser.value(o.Objective).toStdString());
        if (!objective) {
            return QStringLiteral("--objective: цель может быть только npv, energy или co2");
        }
        request.Objective = *objective;
    }
    if (auto message = ReadRules(parser, o, request)) {
        return message;
    }
    request.File = parser.value(o.Plan);
    options.Plan = std::move(request);
    return std::nullopt;
}

} // namespace cli
