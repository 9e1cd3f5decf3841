#pragma once

#include "Economics.h"
#include "NumberFormat.h"

#include <QPainter>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace report {

// The discounted payback of the house with one input moved by -20 % and by +20 %; none when it
// does not pay back.
struct SensitivityRow {
    QString Input;
    std::optional<int> LowerPayback;
    std::optional<int> HigherPayback;
};

// The title of the sensitivity table, in the window and on the page.
extern const QString SensitivityTitle;

// What the economics window shows and saves.
struct EconomicsPage {
    QString Address;
    model::EconomicsInputs Inputs;
    model::EconomicsFigures Figures;
    std::vector<SensitivityRow> Sensitivity; // empty until calculated
    model::NumberLocale Locale;
};

// The figures as caption and value, in the order the window lists them.
std::vector<std::pair<QString, QString>> EconomicsFigureLines(const model::EconomicsFigures& f,
                                                              const model::NumberLocale& locale);

// A payback day as the window writes it: "123 дн. (4,1 мес.)", or "нет".
QString PaybackText(std::optional<int> day, const model::NumberLocale& locale);

// The discounted saving (existing minus planned cost) over the horizon in years, with its zero
// line and the discounted payback marked, inside `area`.
void DrawSavingChart(QPainter& painter, const QRectF& area, const model::EconomicsFigures& f,
                     int horizonYears, const model::NumberLocale& locale);

// What the chart shows, for a screen reader: the discounted saving at the end of every year of the
// horizon and the discounted payback.
QString SavingChartDescription(const model::EconomicsFigures& f, int horizonYears,
                               const model::NumberLocale& locale);

// Steps of an axis from `low` to `high` (low <= 0 <= high) with at most `most` intervals: one,
// two or five times a power of ten, at least 1, the bounds rounded outward to whole steps.
struct AxisSteps {
    double Low = 0;
    double High = 1;
    double Step = 1;
};
AxisSteps RoundedAxis(double low, double high, int most);

// The whole page: title, inputs, figures, the chart and the sensitivity table, in a picture of
// EconomicsPageSize units whatever the device.
inline constexpr int EconomicsPageWidth = 1000;
inline constexpr int EconomicsPageHeight = 700;
void DrawEconomicsPage(QPainter& painter, const EconomicsPage& page);

// Writes the page as PNG (1000 × 700) or as a one-page vector PDF, atomically. Throws
// std::runtime_error when the file cannot be written.
void WriteEconomicsFile(const QString& fileName, const EconomicsPage& page, bool pdf);

} // namespace report
