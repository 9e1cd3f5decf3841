#include "StockChartView.h"

#include "HouseInput.h"
#include "ResultFigures.h"
#include "StockCharts.h"

#include <QAccessible>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>

StockChartView::StockChartView(Chart chart, const model::NumberLocale& locale, QWidget* parent)
    : QWidget(parent), chart_(chart), locale_(locale) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(chart == Chart::InvestmentCurve);
    setMinimumSize(400, 220);
    setAccessibleName(chart == Chart::PaybackBars
                          ? QStringLiteral("Дома по сроку окупаемости")
                          : QStringLiteral("Кривая вложений: дома в порядке окупаемости"));
    SetHouses({});
}

double StockChartView::TextSize() const {
    return std::max(10.0, fontInfo().pixelSize() * 0.95);
}

void StockChartView::SetHouses(const report::StockHouseSource& houses) {
    // Each chart keeps what it draws and names.
    const bool curve = chart_ == Chart::InvestmentCurve;
    traced_.clear();
    texts_.clear();
    curve_.clear();
    bars_ = curve ? report::PaybackBars{} : report::BarsOf(houses);
    if (curve) {
        curve_ = report::InvestmentCurveOf(houses);
        traced_.reserve(houses.Count);
        for (std::size_t i = 0; i < houses.Count; ++i) {
            const report::StockHouse house = houses.At(i, true);
            const std::string line = model::RowLine(house.Line, house.Sheet);
            traced_.push_back(
                {house.PaybackMonths, texts_.size(), line.size(), house.Address.size()});
            texts_ += line;
            texts_ += house.Address;
        }
    }
    traced_.shrink_to_fit();
    texts_.shrink_to_fit();
    if (tracer_ && *tracer_ >= curve_.size()) {
        tracer_.reset();
    }
    setAccessibleDescription(Summary());
    update();
}

QString StockChartView::Summary() const {
    if (chart_ == Chart::PaybackBars) {
        QStringList parts;
        for (std::size_t i = 0; i < bars_.Counts.size(); ++i) {
            if (bars_.Counts[i] > 0) {
                parts << QStringLiteral("от %1 до %2 месяцев: %3")
                             .arg(static_cast<long long>(i) * bars_.MonthsPerBar)
                             .arg(static_cast<long long>(i + 1) * bars_.MonthsPerBar)
                             .arg(static_cast<qulonglong>(bars_.Counts[i]));
            }
        }
        parts << QStringLiteral("без окупаемости: %1")
                     .arg(static_cast<qulonglong>(bars_.WithoutPayback));
        return QStringLiteral("Домов по сроку окупаемости: ") + parts.join(QStringLiteral("; "));
    }
    if (curve_.empty()) {
        return QStringLiteral("Нет окупающихся домов");
    }
    return QStringLiteral("Окупающихся домов: %1, затраты на установку всего %2 руб., экономия %3 "
                          "руб. в год. Стрелки влево и вправо выбирают дом.")
        .arg(static_cast<qulonglong>(curve_.size()))
        .arg(QString::fromStdString(
            model::ShownFigure(model::Figure::Cost, curve_.back().Cost, locale_)))
        .arg(QString::fromStdString(
            model::ShownFigure(model::Figure::Money, curve_.back().Saving, locale_)));
}

QString StockChartView::TracerText() const {
    if (!tracer_ || *tracer_ >= curve_.size()) {
        return {};
    }
    const report::InvestmentPoint& point = curve_[*tracer_];
    const TracedHouse& house = traced_[point.House];
    return QStringLiteral("%1 (строка %2): окупаемость %3 мес.; вложено всего %4 руб., экономия "
                          "всего %5 руб. в год")
        .arg(QString::fromUtf8(texts_.data() + house.TextAt + house.LineSize,
                               static_cast<qsizetype>(house.AddressSize)))
        .arg(
            QString::fromUtf8(texts_.data() + house.TextAt, static_cast<qsizetype>(house.LineSize)))
        .arg(QString::fromStdString(model::ShownFigure(model::Figure::PaybackMonths,
                                                       house.PaybackMonths.value_or(0), locale_)))
        .arg(QString::fromStdString(model::ShownFigure(model::Figure::Cost, point.Cost, locale_)))
        .arg(QString::fromStdString(
            model::ShownFigure(model::Figure::Money, point.Saving, locale_)));
}

void StockChartView::SetTracer(std::optional<std::size_t> point) {
    if (point && *point >= curve_.size()) {
        point.reset();
    }
    tracer_ = point;
    setAccessibleDescription(tracer_ ? TracerText() : Summary());
    QAccessibleEvent changed(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&changed);
    update();
}

void StockChartView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    const QRectF area = QRectF(rect()).adjusted(4, 4, -4, -4);
    if (chart_ == Chart::PaybackBars) {
        report::DrawPaybackBars(painter, area, bars_, TextSize(), locale_);
    } else {
        report::DrawInvestmentCurve(painter, area, curve_, TextSize(), locale_, tracer_);
    }
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 0, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void StockChartView::mouseMoveEvent(QMouseEvent* event) {
    if (chart_ != Chart::InvestmentCurve) {
        return;
    }
    const QRectF area = QRectF(rect()).adjusted(4, 4, -4, -4);
    SetTracer(report::CurvePointAt(area, curve_, TextSize(), event->position().x()));
    QToolTip::showText(event->globalPosition().toPoint(), TracerText(), this);
}

QString StockChartView::BarText(double x) const {
    const std::optional<std::size_t> bar =
        report::PaybackBarAt(QRectF(rect()).adjusted(4, 4, -4, -4), bars_, TextSize(), x);
    if (!bar) {
        return {};
    }
    const std::size_t i = *bar;
    if (i == bars_.Counts.size()) {
        return QStringLiteral("Без окупаемости: %1")
            .arg(static_cast<qulonglong>(bars_.WithoutPayback));
    }
    return QStringLiteral("Окупаемость от %1 до %2 мес.: %3")
        .arg(static_cast<long long>(i) * bars_.MonthsPerBar)
        .arg(static_cast<long long>(i + 1) * bars_.MonthsPerBar)
        .arg(static_cast<qulonglong>(bars_.Counts[i]));
}

bool StockChartView::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && chart_ == Chart::PaybackBars) {
        auto* help = static_cast<QHelpEvent*>(event);
        QToolTip::showText(help->globalPos(), BarText(help->pos().x()), this);
        return true;
    }
    return QWidget::event(event);
}

void StockChartView::keyPressEvent(QKeyEvent* event) {
    if (chart_ != Chart::InvestmentCurve || curve_.empty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    const std::size_t last = curve_.size() - 1;
    const std::size_t at = tracer_.value_or(0);
    const std::size_t page = std::max<std::size_t>(1, curve_.size() / 20);
    switch (event->key()) {
    case Qt::Key_Right:
        SetTracer(tracer_ ? std::min(last, at + 1) : 0);
        break;
    case Qt::Key_Left:
        SetTracer(at == 0 ? 0 : at - 1);
        break;
    case Qt::Key_PageDown:
        SetTracer(std::min(last, at + page));
        break;
    case Qt::Key_PageUp:
        SetTracer(at < page ? 0 : at - page);
        break;
    case Qt::Key_Home:
        SetTracer(0);
        break;
    case Qt::Key_End:
        SetTracer(last);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    QToolTip::showText(mapToGlobal(report::CurvePointPosition(QRectF(rect()).adjusted(4, 4, -4, -4),
                                                              curve_, TextSize(), *tracer_)
                                       .toPoint()),
                       TracerText(), this);
}
