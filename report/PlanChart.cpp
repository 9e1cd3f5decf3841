#include "PlanChart.h"

#include "EconomicsPage.h"
#include "Fonts.h"
#include "Saturate.h"

#include <QFontMetricsF>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace report {
namespace {

const QColor BudgetColor(200, 200, 200);
const QColor SpendColor(40, 110, 190);
const QColor ValueColor(200, 60, 30);
constexpr int AxisIntervals = 5;

QString Amount(double value, const model::NumberLocale& locale) {
    return QString::fromStdString(model::FormatNumber(value, ",0", locale));
}

void DrawLegend(QPainter& painter, QPointF at, const QString& valueUnit, double line) {
    const struct {
        QColor color;
        QString text;
        bool bar;
    } items[] = {{BudgetColor, QStringLiteral("Бюджет, руб."), true},
                 {SpendColor, QStringLiteral("Расходы, руб."), true},
                 {ValueColor, QStringLiteral("Ценность нарастающим итогом, ") + valueUnit, false}};
    for (const auto& item : items) {
        const QRectF mark(at.x(), at.y() + line * 0.2, line * 0.8, line * 0.6);
        if (item.bar) {
            painter.fillRect(mark, item.color);
        } else {
            painter.setPen(QPen(item.color, 2));
            painter.drawLine(QPointF(mark.left(), mark.center().y()),
                             QPointF(mark.right(), mark.center().y()));
        }
        painter.setPen(Qt::black);
        painter.drawText(QPointF(at.x() + line, at.y() + line * 0.8), item.text);
        at.ry() += line;
    }
}

} // namespace

QStringList PlanAxisLabels(double top, const model::NumberLocale& locale) {
    const AxisSteps axis = RoundedAxis(0, top, AxisIntervals);
    QStringList labels;
    const int steps =
        std::clamp(model::SaturatingTrunc(std::round(axis.High / axis.Step)), 1, AxisIntervals);
    for (int i = 0; i <= steps; ++i) {
        labels.append(Amount(axis.Step * i, locale));
    }
    return labels;
}

void DrawPlanChart(QPainter& painter, const QRectF& area, const PlanChartData& data,
                   const model::NumberLocale& locale) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(area, Qt::white);
    painter.setFont(PictureFont(9));
    const QFontMetricsF metrics(painter.font());
    const double line = metrics.height();
    double moneyTop = 0;
    double valueTop = 0;
    for (const PlanChartYear& y : data.Years) {
        moneyTop = std::max({moneyTop, y.Budget, y.Spend});
        valueTop = std::max(valueTop, y.CumulativeValue);
    }
    const AxisSteps money = RoundedAxis(0, moneyTop, AxisIntervals);
    const AxisSteps value = RoundedAxis(0, valueTop, AxisIntervals);
    moneyTop = money.High;
    valueTop = value.High;
    const QStringList moneyLabels = PlanAxisLabels(moneyTop, locale);
    const QStringList valueLabels = PlanAxisLabels(valueTop, locale);
    const double leftLabels = metrics.horizontalAdvance(moneyLabels.back()) + line;
    const double rightLabels = metrics.horizontalAdvance(valueLabels.back()) + line;
    const QRectF plot(area.left() + leftLabels, area.top() + line * 4,
                      std::max(area.width() - leftLabels - rightLabels, 1.0),
                      std::max(area.height() - line * 6, 1.0));

    // Axes in rounded steps, the grid at the roubles' steps.
    painter.setPen(Qt::black);
    painter.drawRect(plot);
    const auto heightAt = [&](qsizetype i, const QStringList& labels) {
        return plot.bottom() - plot.height() * static_cast<double>(i) /
                                   static_cast<double>(std::max<qsizetype>(labels.size() - 1, 1));
    };
    for (qsizetype i = 0; i < moneyLabels.size(); ++i) {
        const double y = heightAt(i, moneyLabels);
        painter.setPen(QColor(230, 230, 230));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(Qt::black);
        painter.drawText(QPointF(plot.left() - line / 3 - metrics.horizontalAdvance(moneyLabels[i]),
                                 y + line / 3),
                         moneyLabels[i]);
    }
    for (qsizetype i = 0; i < valueLabels.size(); ++i) {
        painter.drawText(QPointF(plot.right() + line / 3, heightAt(i, valueLabels) + line / 3),
                         valueLabels[i]);
    }

    const auto years = static_cast<double>(std::max<std::size_t>(data.Years.size(), 1));
    const double slot = plot.width() / years;
    QPainterPath valueLine;
    for (std::size_t k = 0; k < data.Years.size(); ++k) {
        const PlanChartYear& y = data.Years[k];
        const double left = plot.left() + slot * static_cast<double>(k);
        const double tick = left + slot / 2;
        // Both bars stand on their year's tick: the budget wide, what is spent of it inside.
        const auto bar = [&](double amount, double width, const QColor& color) {
            const double height = plot.height() * amount / moneyTop;
            painter.fillRect(
                QRectF(tick - slot * width / 2, plot.bottom() - height, slot * width, height),
                color);
        };
        bar(y.Budget, 0.6, BudgetColor);
        bar(y.Spend, 0.3, SpendColor);
        const QPointF point(tick, plot.bottom() - plot.height() * y.CumulativeValue / valueTop);
        k == 0 ? valueLine.moveTo(point) : valueLine.lineTo(point);
        painter.setPen(Qt::black);
        painter.drawLine(QPointF(tick, plot.bottom()), QPointF(tick, plot.bottom() + line / 4));
        const QString label = QString::number(k + 1);
        painter.drawText(
            QPointF(left + (slot - metrics.horizontalAdvance(label)) / 2, plot.bottom() + line),
            label);
    }
    painter.setPen(QPen(ValueColor, 2));
    painter.drawPath(valueLine);
    for (int i = 0; i < valueLine.elementCount(); ++i) {
        painter.setBrush(ValueColor);
        painter.drawEllipse(QPointF(valueLine.elementAt(i)), 3, 3);
    }
    painter.setPen(Qt::black);
    const QString title = QStringLiteral("Расходы и бюджет по годам плана");
    painter.drawText(QPointF(area.left() + (area.width() - metrics.horizontalAdvance(title)) / 2,
                             area.top() + line),
                     title);
    DrawLegend(painter, QPointF(plot.left() + line / 2, area.top() + line * 1.2), data.ValueUnit,
               line * 0.9);
    const QString axis = QStringLiteral("Год плана");
    painter.drawText(
        QPointF(plot.center().x() - metrics.horizontalAdvance(axis) / 2, plot.bottom() + line * 2),
        axis);
    painter.restore();
}

} // namespace report
