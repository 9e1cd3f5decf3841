#include "ResultsReadout.h"

#include "Accessibility.h"
#include "ResultFigures.h"

namespace {

QString F(double value, const char* pattern, const model::NumberLocale& locale) {
    return QString::fromStdString(model::FormatNumber(value, pattern, locale));
}

} // namespace

ResultsReadout::ResultsReadout(QWidget& clientArea)
    : table_(new ReadoutWidget(QAccessible::List, &clientArea)),
      monthlyChart_(new ReadoutWidget(QAccessible::Chart, &clientArea)),
      costChart_(new ReadoutWidget(QAccessible::Chart, &clientArea)) {
    table_->setObjectName(QStringLiteral("reportReadout"));
    table_->setAccessibleName(QStringLiteral("Отчет"));
    monthlyChart_->setObjectName(QStringLiteral("monthlyChartReadout"));
    monthlyChart_->setAccessibleName(QStringLiteral("Затраты на электроэнергию в месяц"));
    costChart_->setObjectName(QStringLiteral("costChartReadout"));
    costChart_->setAccessibleName(QStringLiteral("Затраты нарастающим итогом"));
    for (ReadoutWidget* part : {table_, monthlyChart_, costChart_}) {
        part->setFocusPolicy(Qt::TabFocus);
        part->hide();
    }
}

void ResultsReadout::Show(const std::vector<report::ReportRow>& rows, const QString& monthlyChart,
                          const QString& costChart, const QRect& tableArea,
                          const QRect& monthlyArea, const QRect& costArea) {
    for (ReadoutWidget* row : table_->findChildren<ReadoutWidget*>()) {
        delete row;
    }
    const int count = static_cast<int>(rows.size());
    for (int i = 0; i < count; ++i) {
        auto* row = new ReadoutWidget(QAccessible::ListItem, table_);
        row->setAccessibleName(ReportRowText(rows[static_cast<std::size_t>(i)]));
        const int top = tableArea.height() * i / count;
        row->setGeometry(0, top, tableArea.width(), tableArea.height() * (i + 1) / count - top);
        row->show();
    }
    table_->setAccessibleDescription(QStringLiteral("Строк: %1").arg(count));
    monthlyChart_->setAccessibleDescription(monthlyChart);
    costChart_->setAccessibleDescription(costChart);
    table_->setGeometry(tableArea);
    monthlyChart_->setGeometry(monthlyArea);
    costChart_->setGeometry(costArea);
    for (ReadoutWidget* part : {table_, monthlyChart_, costChart_}) {
        part->show();
    }
}

void ResultsReadout::Hide() {
    for (ReadoutWidget* part : {table_, monthlyChart_, costChart_}) {
        part->hide();
    }
}

QString ReportRowText(const report::ReportRow& row) {
    const QString label = (row.Label + QLatin1Char(' ') + row.SecondLine).simplified();
    if (row.Shape == report::RowShape::OneValue) {
        return QStringLiteral("%1: %2").arg(label, row.ExistingValue);
    }
    return QStringLiteral("%1: существующая схема %2, планируемая схема %3")
        .arg(label, row.ExistingValue, row.PlannedValue);
}

QString MonthlyChartSummary(const model::SimulationResult& result,
                            const model::NumberLocale& locale) {
    const auto scheme = [&locale](double dailyEnergy, double dailyCost) {
        return QStringLiteral("%1 кВт·ч, %2 руб.")
            .arg(F(model::MonthlyAmount(dailyEnergy), "0.00", locale),
                 F(model::MonthlyAmount(dailyCost), "0.00", locale));
    };
    return QStringLiteral("Энергия и затраты на электроэнергию в месяц на дом: существующая "
                          "схема %1; планируемая схема %2")
        .arg(scheme(result.DailyEnergyExisting, result.DailyEnergyCostExisting),
             scheme(result.DailyEnergyPlanned, result.DailyEnergyCostPlanned));
}

QString CostChartSummary(const model::SimulationResult& result, const model::NumberLocale& locale) {
    if (!result.PaybackFound) {
        return QStringLiteral("Планируемая схема не окупается за %1 дней")
            .arg(model::SimulationDays);
    }
    return QStringLiteral("Окупаемость на день %1 (%2 мес.); затраты к этому дню: существующая "
                          "схема %3 руб., планируемая схема %4 руб.")
        .arg(QString::number(result.PaybackDay), F(model::PaybackMonths(result), "0.0", locale),
             F(result.PaybackCostExisting, "0,0", locale),
             F(result.PaybackCostPlanned, "0,0", locale));
}
