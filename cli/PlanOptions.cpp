#include "PlanOptions.h"

#include "HouseInput.h"

namespace cli {

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
    request.File = parser.value(o.Plan);
    options.Plan = std::move(request);
    return std::nullopt;
}

} // namespace cli
