#include "PlanChart.h"

#include "Fonts.h"

#include <QFontMetricsF>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace report {
namespace {

const QColor BudgetColor(200, 200, 200);
const QColor SpendColor(40, 110, 190);
const QColor ValueColor(200, 60, 30);

// A round top for an axis: 1, 2 or 5 × 10^n at or above `value`.
double AxisTop(double value) {
    if (!(value > 0)) {
        return 1;
    }
    const double power = std::pow(10.0, std::floor(std::log10(value)));
    for (double step : {1.0, 2.0, 5.0, 10.0}) {
        if (step * power >= value) {
            return step * power;
        }
    }
    return 10 * power;
}

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
    moneyTop = AxisTop(moneyTop);
    valueTop = AxisTop(valueTop);
    const double leftLabels = metrics.horizontalAdvance(Amount(moneyTop, locale)) + line;
    const double rightLabels = metrics.horizontalAdvance(Amount(valueTop, locale)) + line;
    const QRectF plot(area.left() + leftLabels, area.top() + line * 4,
                      std::max(area.width() - leftLabels - rightLabels, 1.0),
                      std::max(area.height() - line * 6, 1.0));

    // Axes with five ticks each side.
    painter.setPen(Qt::black);
    painter.drawRect(plot);
    for (int i = 0; i <= 5; ++i) {
        const double y = plot.bottom() - plot.height() * i / 5;
        painter.setPen(QColor(230, 230, 230));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(Qt::black);
        const QString money = Amount(moneyTop * i / 5, locale);
        painter.drawText(
            QPointF(plot.left() - line / 3 - metrics.horizontalAdvance(money), y + line / 3),
            money);
        painter.drawText(QPointF(plot.right() + line / 3, y + line / 3),
                         Amount(valueTop * i / 5, locale));
    }

    const auto years = static_cast<double>(std::max<std::size_t>(data.Years.size(), 1));
    const double slot = plot.width() / years;
    QPainterPath value;
    for (std::size_t k = 0; k < data.Years.size(); ++k) {
        const PlanChartYear& y = data.Years[k];
        const double left = plot.left() + slot * static_cast<double>(k);
        const auto bar = [&](double amount, double offset, const QColor& color) {
            const double height = plot.height() * amount / moneyTop;
            painter.fillRect(
                QRectF(left + slot * offset, plot.bottom() - height, slot * 0.35, height), color);
        };
        bar(y.Budget, 0.12, BudgetColor);
        bar(y.Spend, 0.53, SpendColor);
        const QPointF point(left + slot / 2,
                            plot.bottom() - plot.height() * y.CumulativeValue / valueTop);
        k == 0 ? value.moveTo(point) : value.lineTo(point);
        painter.setPen(Qt::black);
        const QString label = QString::number(k + 1);
        painter.drawText(
            QPointF(left + (slot - metrics.horizontalAdvance(label)) / 2, plot.bottom() + line),
            label);
    }
    painter.setPen(QPen(ValueColor, 2));
    painter.drawPath(value);
    for (int i = 0; i < value.elementCount(); ++i) {
        painter.setBrush(ValueColor);
        painter.drawEllipse(QPointF(value.elementAt(i)), 3, 3);
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
