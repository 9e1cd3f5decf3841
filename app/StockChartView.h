#pragma once

#include "NumberFormat.h"
#include "StockFigures.h"

#include <QWidget>

#include <optional>
#include <string>
#include <vector>

// One chart of the housing stock on the screen, drawn by the report's vector drawing (sharp at
// any pixel ratio). On the investment curve the pointer, or the arrow keys, Home and End, move a
// tracer whose house is named in a tool tip and read by a screen reader; on the bars the tool tip
// gives the bar's houses.
class StockChartView : public QWidget {
    Q_OBJECT
public:
    enum class Chart { PaybackBars, InvestmentCurve };
    StockChartView(Chart chart, const model::NumberLocale& locale, QWidget* parent = nullptr);

    void SetHouses(const report::StockHouseSource& houses);
    // The tracer's point on the curve, an index into the curve.
    std::optional<std::size_t> Tracer() const { return tracer_; }
    void SetTracer(std::optional<std::size_t> point);
    // What the tracer's point says: the house, its payback and the sums up to it.
    QString TracerText() const;
    const std::vector<report::InvestmentPoint>& Curve() const { return curve_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    double TextSize() const;
    QString Summary() const;
    QString BarText(double x) const;

    Chart chart_;
    model::NumberLocale locale_;
    // What the curve's tracer names of each house (the bars keep none): a stock may hold a
    // million, their addresses side by side in one text.
    struct TracedHouse {
        std::optional<double> PaybackMonths;
        std::size_t TextAt = 0; // in texts_: its line (with its sheet), then its address
        std::size_t LineSize = 0;
        std::size_t AddressSize = 0;
    };
    std::vector<TracedHouse> traced_;
    std::string texts_;
    report::PaybackBars bars_;
    std::vector<report::InvestmentPoint> curve_;
    std::optional<std::size_t> tracer_;
};
