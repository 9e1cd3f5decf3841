#include "MonthlyChart.h"

#include "Fonts.h"
#include "ResultFigures.h"
#include "Saturate.h"

#include <algorithm>
#include <cmath>

namespace report {
namespace {

constexpr int Baseline = 250;
const QColor BaselineColour(0, 150, 0);
const QColor ExistingColour(255, 0, 0);
const QColor PlannedColour(0, 255, 0);

struct Bar {
    int Left;
    int Right;
    int CaptionX;
    int SchemeWordX;
    int ValueX;
    QColor Colour;
    QString Caption;
    double DailyEnergy;
    double DailyCost;
};

QString Shown(model::Figure figure, double value, const model::NumberLocale& locale) {
    return QString::fromStdString(model::ShownFigure(figure, value, locale));
}

void DrawBar(Canvas& chart, const Bar& bar, std::int32_t kwhPerPixel,
             const model::NumberLocale& locale) {
    const double height = model::MonthlyAmount(bar.DailyEnergy) / kwhPerPixel;
    const double top = Baseline - height;
    chart.SetOutlineColour(bar.Colour);
    chart.SetFill(bar.Colour);
    chart.SetTextColour(Qt::white);
    chart.Rectangle(bar.Left, ToPixel(top), bar.Right, Baseline);
    if (height > 30) {
        chart.Text(bar.CaptionX, 220, bar.Caption);
        chart.Text(bar.SchemeWordX, 235, QStringLiteral("схема"));
    } else {
        chart.SetTextColour(bar.Colour);
        chart.SetFill(Qt::white);
        chart.Text(bar.CaptionX, ToPixel(top - 60), bar.Caption);
        chart.Text(bar.SchemeWordX, ToPixel(top - 45), QStringLiteral("схема"));
    }
    chart.SetTextColour(Qt::black);
    chart.SetFill(Qt::white);
    chart.Text(bar.ValueX, ToPixel(top - 30),
               Shown(model::Figure::MonthlyEnergy, model::MonthlyAmount(bar.DailyEnergy), locale) +
                   QStringLiteral(" КВт."));
    chart.Text(
        bar.ValueX, ToPixel(top - 15),
        Shown(model::Figure::MonthlyEnergyCost, model::MonthlyAmount(bar.DailyCost), locale) +
            QStringLiteral(" Руб."));
}

} // namespace

std::int32_t KwhPerPixel(double dailyEnergyExisting, double dailyEnergyPlanned) {
    const double larger = std::fmax(dailyEnergyExisting, dailyEnergyPlanned);
    const std::int32_t scale =
        model::SaturatingAdd(model::SaturatingTrunc(model::MonthlyAmount(larger) * 0.005), 1);
    return std::max(scale, 1);
}

void DrawMonthlyBars(Canvas& chart, const model::SimulationResult& result,
                     const model::NumberLocale& locale) {
    chart.SetOutlineColour(Qt::white);
    chart.SetFill(Qt::white);
    chart.SetOutlineWidth(1);
    chart.SetOutlineDotted(false);
    chart.Rectangle(0, 0, 700, Baseline);

    chart.SetOutlineColour(BaselineColour);
    chart.SetFill(Qt::white);
    chart.SetTextColour(Qt::black);
    chart.SetFont(PictureFont(12));
    chart.Line(100, Baseline, 350, Baseline);
    chart.Text(70, 5, QStringLiteral("Затраты на электроэнергию в месяц (на дом)"));

    chart.SetFont(PictureFont(8));
    const std::int32_t kwhPerPixel =
        KwhPerPixel(result.DailyEnergyExisting, result.DailyEnergyPlanned);
    // The existing-scheme caption begins with a Latin C, as the program has always shown it.
    DrawBar(chart,
            {120, 210, 125, 145, 125, ExistingColour, QStringLiteral("Cуществующая"),
             result.DailyEnergyExisting, result.DailyEnergyCostExisting},
            kwhPerPixel, locale);
    DrawBar(chart,
            {220, 310, 230, 245, 225, PlannedColour, QStringLiteral("Планируемая"),
             result.DailyEnergyPlanned, result.DailyEnergyCostPlanned},
            kwhPerPixel, locale);
}

} // namespace report
