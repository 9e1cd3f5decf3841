#include "ResultsReadout.h"

#include "Accessibility.h"
#include "KeyboardAccess.h"
#include "ResultFigures.h"

#include <algorithm>

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
    // Tab reaches the table, the arrow keys its rows one by one.
    OnMoveKeys(*table_, [this](MoveKey key) {
        const bool back =
            key == MoveKey::Previous || key == MoveKey::PageBack || key == MoveKey::Last;
        return focusRow(back ? static_cast<int>(rows_.size()) - 1 : 0);
    });
}

bool ResultsReadout::focusRow(int index) {
    if (rows_.empty()) {
        return false;
    }
    rows_[static_cast<std::size_t>(std::clamp(index, 0, static_cast<int>(rows_.size()) - 1))]
        ->setFocus(Qt::OtherFocusReason);
    return true;
}

int ResultsReadout::moveFrom(int row, MoveKey key) const {
    const int count = static_cast<int>(rows_.size());
    switch (key) {
    case MoveKey::Previous:
        return row - 1;
    case MoveKey::Next:
        return row + 1;
    case MoveKey::PageBack:
        return row - 5;
    case MoveKey::PageOn:
        return row + 5;
    case MoveKey::First:
        return 0;
    case MoveKey::Last:
        return count - 1;
    }
    return row;
}

void ResultsReadout::Show(const std::vector<report::ReportRow>& rows, const QString& monthlyChart,
                          const QString& costChart, const QRect& tableArea,
                          const QRect& monthlyArea, const QRect& costArea) {
    for (ReadoutWidget* row : rows_) {
        delete row;
    }
    rows_.clear();
    const int count = static_cast<int>(rows.size());
    for (int i = 0; i < count; ++i) {
        auto* row = new ReadoutWidget(QAccessible::ListItem, table_);
        rows_.push_back(row);
        OnMoveKeys(*row, [this, i](MoveKey key) { return focusRow(moveFrom(i, key)); });
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

QString TracerSpokenReadout(const model::SimulationResult& result, int day,
                            const model::NumberLocale& locale) {
    const auto index = static_cast<std::size_t>(day);
    if (index >= result.ExistingDays.size() || index >= result.PlannedDays.size()) {
        return QStringLiteral("День %1").arg(day);
    }
    const model::DayRecord& existing = result.ExistingDays[index];
    const model::DayRecord& planned = result.PlannedDays[index];
    return QStringLiteral("День %1. Затраты нарастающим итогом: существующая схема %2 руб., "
                          "планируемая схема %3 руб. Заменено ламп: существующая схема %4, "
                          "планируемая схема %5")
        .arg(QString::number(day), F(existing.CumulativeCost, "0.00", locale),
             F(planned.CumulativeCost, "0.00", locale), QString::number(existing.ReplacedLamps),
             QString::number(planned.ReplacedLamps));
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
