#include "Tracer.h"

#include "Canvas.h"
#include "CostChart.h"
#include "Fonts.h"
#include "Rendering.h"
#include "Saturate.h"

#include <algorithm>

namespace report {
namespace {

QString F(double value, const char* pattern, const model::NumberLocale& locale) {
    return QString::fromStdString(model::FormatNumber(value, pattern, locale));
}

} // namespace

int TracerDay(int tracerX, double xScale) {
    const double day = (static_cast<double>(tracerX) - (CostChartWindowX + ChartOriginX)) / xScale;
    return std::clamp(model::SaturatingTrunc(day), 0, model::SimulationDays - 1);
}

QStringList TracerReadout(const model::SimulationResult& result, int day,
                          const model::NumberLocale& locale) {
    const auto index = static_cast<std::size_t>(day);
    return {
        QStringLiteral("День:      ") + F(day, "0", locale),
        QStringLiteral("Т. сумма:  ") +
            F(result.ExistingDays[index].CumulativeCost, "0.00", locale),
        QStringLiteral("П. сумма:  ") + F(result.PlannedDays[index].CumulativeCost, "0.00", locale),
        QStringLiteral("Т. л. пер: ") + F(result.ExistingDays[index].ReplacedLamps, "0.00", locale),
        QStringLiteral("П. л. пер: ") + F(result.PlannedDays[index].ReplacedLamps, "0.00", locale)};
}

void DrawTracer(QPainter& window, const ChartView& view, const model::SimulationResult& result,
                const model::NumberLocale& locale) {
    if (!view.TracerOn || !view.TracerX) {
        return;
    }
    const int x = *view.TracerX;
    Canvas canvas(window);
    canvas.SetOutlineColour(QColor(0, 0, 150));
    canvas.SetOutlineWidth(1);
    canvas.SetOutlineDotted(true);
    canvas.SetFill(Qt::white);
    canvas.Line(x, 550, x, 50);
    canvas.SetOutlineDotted(false);

    const int day = TracerDay(x, view.XScale);
    const auto available = std::min(result.ExistingDays.size(), result.PlannedDays.size());
    if (static_cast<std::size_t>(day) >= available) {
        return; // no calculation has filled the series yet
    }
    canvas.SetFont(PictureFont(6));
    canvas.SetTextColour(Qt::black);
    const int textX = x < 870 ? x + 5 : x - 105;
    const QStringList lines = TracerReadout(result, day, locale);
    for (int i = 0; i < lines.size(); ++i) {
        canvas.Text(textX, 430 + 15 * i, lines[i]);
    }
}

} // namespace report
