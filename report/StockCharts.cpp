#include "StockCharts.h"

#include "Fonts.h"

#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace report {
namespace {

QFont ChartFont(double textSize) {
    QFont font(SansFace);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(textSize))));
    return font;
}

// A step of 1, 2 or 5 times a power of ten that divides `highest` into at most `most` steps.
double NiceStep(double highest, int most) {
    if (!(highest > 0) || !std::isfinite(highest)) {
        return 1;
    }
    const double rough = highest / most;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
        if (factor * power >= rough) {
            return factor * power;
        }
    }
    return 10 * power;
}

// An axis label: whole and grouped by thousands; "0,0" alone would write zero as "00".
QString Number(double value, const model::NumberLocale& locale) {
    return value == 0 ? QStringLiteral("0")
                      : QString::fromStdString(model::FormatNumber(value, "0,0", locale));
}

// The plot within a chart's area: room for the value labels on the left and the axis labels
// below.
QRectF PlotOf(const QRectF& area, double textSize) {
    return area.adjusted(textSize * 7, textSize * 2.4, -textSize * 4, -textSize * 3.2);
}

struct Scale {
    double XStep = 1;
    double XHighest = 1;
    double YStep = 1;
    double YHighest = 1;
};

Scale CurveScale(const std::vector<InvestmentPoint>& curve) {
    Scale scale;
    const double cost = curve.empty() ? 0 : curve.back().Cost;
    double saving = 0;
    for (const InvestmentPoint& point : curve) {
        saving = std::max(saving, point.Saving);
    }
    scale.XStep = NiceStep(cost, 5);
    scale.XHighest = std::max(scale.XStep, std::ceil(cost / scale.XStep) * scale.XStep);
    scale.YStep = NiceStep(saving, 5);
    scale.YHighest = std::max(scale.YStep, std::ceil(saving / scale.YStep) * scale.YStep);
    return scale;
}

// Grid lines and value labels of the vertical axis, and the axis caption.
void DrawValueAxis(QPainter& painter, const QRectF& plot, double step, double highest,
                   double textSize, const model::NumberLocale& locale, const QString& caption) {
    painter.setPen(QPen(QColor(220, 220, 220), 0));
    for (double value = 0; value <= highest * (1 + 1e-9); value += step) {
        const double y = plot.bottom() - value / highest * plot.height();
        painter.setPen(QPen(QColor(220, 220, 220), 0));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(Qt::black);
        painter.drawText(
            QRectF(plot.left() - textSize * 7, y - textSize, textSize * 6.6, textSize * 2),
            Qt::AlignRight | Qt::AlignVCenter, Number(value, locale));
    }
    painter.drawText(QRectF(plot.left() - textSize * 7, plot.top() - textSize * 2.4,
                            plot.width() + textSize * 7, textSize * 1.3),
                     Qt::AlignLeft | Qt::AlignVCenter, caption);
}

} // namespace

void DrawPaybackBars(QPainter& painter, const QRectF& area, const PaybackBars& bars,
                     double textSize, const model::NumberLocale& locale) {
    painter.save();
    painter.setFont(ChartFont(textSize));
    const QRectF plot = PlotOf(area, textSize);
    std::size_t highest = bars.WithoutPayback;
    for (const std::size_t count : bars.Counts) {
        highest = std::max(highest, count);
    }
    const double step = std::max(1.0, NiceStep(static_cast<double>(highest), 5));
    const double top = std::max(step, std::ceil(static_cast<double>(highest) / step) * step);
    DrawValueAxis(painter, plot, step, top, textSize, locale, QStringLiteral("Домов"));
    const std::size_t barCount = bars.Counts.size() + 1;
    const double width = plot.width() / static_cast<double>(barCount);
    const std::size_t labelEvery = std::max<std::size_t>(
        1, static_cast<std::size_t>(std::ceil(textSize * 4 / std::max(width, 1e-9))));
    for (std::size_t i = 0; i < barCount; ++i) {
        const bool none = i == bars.Counts.size();
        const double count = static_cast<double>(none ? bars.WithoutPayback : bars.Counts[i]);
        const double height = count / top * plot.height();
        const QRectF bar(plot.left() + width * static_cast<double>(i) + width * 0.1,
                         plot.bottom() - height, width * 0.8, height);
        painter.fillRect(bar, none ? QColor(170, 170, 170) : QColor(52, 101, 164));
        if (none || i % labelEvery == 0) {
            const QString label =
                none ? QStringLiteral("нет")
                     : QString::number(static_cast<long long>(i) * bars.MonthsPerBar);
            painter.setPen(Qt::black);
            painter.drawText(QRectF(bar.center().x() - textSize * 3, plot.bottom() + 2,
                                    textSize * 6, textSize * 1.4),
                             Qt::AlignHCenter | Qt::AlignTop, label);
        }
    }
    painter.setPen(QPen(Qt::black, 0));
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.drawText(
        QRectF(plot.left(), plot.bottom() + textSize * 1.6, plot.width(), textSize * 1.4),
        Qt::AlignHCenter | Qt::AlignTop,
        QStringLiteral("Срок окупаемости, мес. (столбец — %1 мес.)").arg(bars.MonthsPerBar));
    painter.restore();
}

std::optional<std::size_t> PaybackBarAt(const QRectF& area, const PaybackBars& bars,
                                        double textSize, double x) {
    const QRectF plot = PlotOf(area, textSize);
    const double barCount = static_cast<double>(bars.Counts.size() + 1);
    const double at = (x - plot.left()) / plot.width() * barCount;
    if (!(at >= 0 && at < barCount)) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(at);
}

QPointF CurvePointPosition(const QRectF& area, const std::vector<InvestmentPoint>& curve,
                           double textSize, std::size_t i) {
    const QRectF plot = PlotOf(area, textSize);
    const Scale scale = CurveScale(curve);
    return {plot.left() + curve[i].Cost / scale.XHighest * plot.width(),
            plot.bottom() - curve[i].Saving / scale.YHighest * plot.height()};
}

void DrawInvestmentCurve(QPainter& painter, const QRectF& area,
                         const std::vector<InvestmentPoint>& curve, double textSize,
                         const model::NumberLocale& locale, std::optional<std::size_t> marked) {
    painter.save();
    painter.setFont(ChartFont(textSize));
    const QRectF plot = PlotOf(area, textSize);
    const Scale scale = CurveScale(curve);
    DrawValueAxis(painter, plot, scale.YStep, scale.YHighest, textSize, locale,
                  QStringLiteral("Экономия в год нарастающим итогом, руб."));
    for (double value = 0; value <= scale.XHighest * (1 + 1e-9); value += scale.XStep) {
        const double x = plot.left() + value / scale.XHighest * plot.width();
        painter.setPen(QPen(QColor(220, 220, 220), 0));
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(x - textSize * 5, plot.bottom() + 2, textSize * 10, textSize * 1.4),
                         Qt::AlignHCenter | Qt::AlignTop, Number(value, locale));
    }
    painter.drawText(
        QRectF(plot.left(), plot.bottom() + textSize * 1.6, plot.width(), textSize * 1.4),
        Qt::AlignHCenter | Qt::AlignTop,
        QStringLiteral("Затраты на установку нарастающим итогом, руб."));
    QPainterPath path(QPointF(plot.left(), plot.bottom()));
    for (std::size_t i = 0; i < curve.size(); ++i) {
        path.lineTo(CurvePointPosition(area, curve, textSize, i));
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(52, 101, 164), std::max(1.0, textSize / 6)));
    painter.drawPath(path);
    painter.setPen(QPen(Qt::black, 0));
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.drawLine(plot.bottomLeft(), plot.topLeft());
    if (marked && *marked < curve.size()) {
        const QPointF at = CurvePointPosition(area, curve, textSize, *marked);
        painter.setPen(QPen(QColor(204, 0, 0), 0, Qt::DashLine));
        painter.drawLine(QPointF(at.x(), plot.top()), QPointF(at.x(), plot.bottom()));
        painter.setBrush(QColor(204, 0, 0));
        painter.drawEllipse(at, textSize / 3, textSize / 3);
    }
    painter.restore();
}

std::optional<std::size_t> CurvePointAt(const QRectF& area,
                                        const std::vector<InvestmentPoint>& curve, double textSize,
                                        double x) {
    const QRectF plot = PlotOf(area, textSize);
    if (curve.empty() || x < plot.left() - textSize || x > plot.right() + textSize) {
        return std::nullopt;
    }
    const Scale scale = CurveScale(curve);
    const double cost = (x - plot.left()) / plot.width() * scale.XHighest;
    const auto after = std::lower_bound(
        curve.begin(), curve.end(), cost,
        [](const InvestmentPoint& point, double value) { return point.Cost < value; });
    std::size_t i = static_cast<std::size_t>(after - curve.begin());
    if (i == curve.size() || (i > 0 && cost - curve[i - 1].Cost < curve[i].Cost - cost)) {
        --i;
    }
    return i;
}

} // namespace report
