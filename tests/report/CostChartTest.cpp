#include "CostChart.h"
#include "PixelHelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

using namespace report;

namespace {

const QColor White(255, 255, 255);
const QColor Axis(0, 180, 0);
const QColor Existing(250, 0, 0);
const QColor Planned(0, 250, 0);
const QColor Payback(0, 0, 255);

const model::NumberLocale Comma{",", " "};

std::vector<model::DayRecord> Series(const std::function<double(int)>& cost) {
    std::vector<model::DayRecord> days(model::SimulationDays);
    for (int i = 0; i < model::SimulationDays; ++i) {
        days[i].CumulativeCost = cost(i);
    }
    return days;
}

QImage Chart(const model::SimulationResult& result, double xScale = 0.5, double yScale = 5) {
    QImage image = WhiteImage(450, 650);
    Canvas canvas(image);
    DrawChartFrame(canvas, xScale, yScale);
    DrawCostCurves(canvas, result, xScale, yScale, Comma);
    return image;
}

// The payback marker alone, on an empty chart.
model::SimulationResult PaybackAt(int day, double cost) {
    model::SimulationResult r;
    r.PaybackFound = true;
    r.PaybackDay = day;
    r.PaybackCostExisting = cost;
    return r;
}

} // namespace

TEST(CostChart, FrameClearsThePictureAndDrawsAxesAndTicksInGreen) {
    QImage image = WhiteImage(450, 650);
    image.fill(Qt::blue);
    {
        Canvas canvas(image);
        DrawChartFrame(canvas, 0.5, 5);
    }
    EXPECT_EQ(PixelAt(image, 0, 0), White);
    EXPECT_EQ(PixelAt(image, 449, 649), White);
    // Vertical axis x 10 from y 550 up to 51 (the top cost tick starts at 50); horizontal axis y
    // 550 from x 10 to 409.
    EXPECT_EQ(CountPixels(image, QRect(10, 51, 1, 500), Axis), 500);
    EXPECT_EQ(PixelAt(image, 10, 49), White);
    EXPECT_EQ(CountPixels(image, QRect(10, 550, 400, 1), Axis), 400);
    EXPECT_EQ(PixelAt(image, 411, 550), White);
    EXPECT_EQ(CountPixels(image, QRect(0, 551, 450, 1), Axis), 5);  // five tick columns
    EXPECT_EQ(CountPixels(image, QRect(0, 450, 450, 1), Axis), 10); // axis and a cost tick
    EXPECT_EQ(CountPixels(image, QRect(0, 449, 450, 1), Axis), 1);
    // Day ticks: x 10, 110, ... 410 from y 550 down to 559.
    for (int k = 0; k <= 4; ++k) {
        EXPECT_EQ(CountPixels(image, QRect(10 + 100 * k, 550, 1, 10), Axis), 10) << k;
    }
    // Cost ticks: y 550, 450, ... 50 from x 10 to 19.
    for (int k = 0; k <= 5; ++k) {
        EXPECT_EQ(CountPixels(image, QRect(10, 550 - 100 * k, 10, 1), Axis), 10) << k;
        if (k > 0) {
            EXPECT_NE(PixelAt(image, 20, 550 - 100 * k), Axis) << k;
        }
    }
    // Labels are black on white.
    EXPECT_GT(CountInk(image, QRect(100, 560, 30, 14), Qt::black), 5);
    EXPECT_GT(CountInk(image, QRect(20, 440, 50, 14), Qt::black), 5);
    EXPECT_GT(CountInk(image, QRect(393, 533, 40, 14), Qt::black), 5);
    EXPECT_GT(CountInk(image, QRect(5, 25, 30, 14), Qt::black), 5);
}

TEST(CostChart, ScaleLabelsAreTruncatedWholeNumbersOfTheScale) {
    EXPECT_EQ(DayTickLabels(0.5), QStringList({"200", "400", "600", "800"}));
    EXPECT_EQ(DayTickLabels(0.0625), QStringList({"1600", "3200", "4800", "6400"}));
    EXPECT_EQ(DayTickLabels(128), QStringList({"0", "1", "2", "3"}));
    EXPECT_EQ(DayTickLabels(3), QStringList({"33", "66", "100", "133"}));
    EXPECT_EQ(CostTickLabels(5), QStringList({"20000", "40000", "60000", "80000", "100000"}));
    EXPECT_EQ(CostTickLabels(160), QStringList({"625", "1250", "1875", "2500", "3125"}));
    EXPECT_EQ(CostTickLabels(0.078125),
              QStringList({"1280000", "2560000", "3840000", "5120000", "6400000"}));
    // Absurd scales saturate instead of overflowing.
    EXPECT_EQ(DayTickLabels(1e-300).front(), "2147483647");
    EXPECT_EQ(CostTickLabels(-1e-300).front(), "-2147483648");
    EXPECT_EQ(CostTickLabels(std::nan("")).front(), "0");
}

TEST(CostChart, CurvesFollowTheirSeriesInRedAndGreenUpToTheRightEndOfThePlot) {
    model::SimulationResult r;
    r.ExistingDays = Series([](int i) { return 100.0 * i; });         // 0.5 px per day up
    r.PlannedDays = Series([](int i) { return 50000.0 + 20.0 * i; }); // from 250 px, 0.1 per day
    const QImage image = Chart(r);
    for (const int day : {20, 200, 390, 780}) {
        const int x = 10 + day / 2;
        if (day <= 790) {
            EXPECT_TRUE(NearPixel(image, x, static_cast<int>(550 - 0.5 * day), Existing)) << day;
        }
        EXPECT_TRUE(NearPixel(image, x, static_cast<int>(550 - 250 - 0.1 * day), Planned)) << day;
    }
    // The loop ends at day 800, x 410.
    EXPECT_EQ(CountPixels(image, QRect(412, 0, 38, 560), Existing), 0);
    EXPECT_EQ(CountPixels(image, QRect(412, 0, 38, 560), Planned), 0);
    // Legend lines at y 580.
    EXPECT_TRUE(NearPixel(image, 105, 580, Existing));
    EXPECT_TRUE(NearPixel(image, 245, 580, Planned));
    EXPECT_GT(CountInk(image, QRect(125, 573, 80, 14), Qt::black), 10);
    EXPECT_GT(CountInk(image, QRect(265, 573, 100, 14), Qt::black), 10);
    // No payback marker without payback.
    EXPECT_EQ(CountPixels(image, image.rect(), Payback), 0);
}

TEST(CostChart, CurveRisingAboveThePlotEndsAtItsLastPointInside) {
    model::SimulationResult r;
    r.ExistingDays = Series([](int i) { return 1000.0 * i; }); // 5 px per day: 500 px on day 100
    r.PlannedDays = Series([](int) { return 0.0; });
    const QImage image = Chart(r);
    EXPECT_TRUE(NearPixel(image, 35, 300, Existing)); // day 50
    EXPECT_TRUE(NearPixel(image, 59, 60, Existing));  // day 98
    EXPECT_EQ(CountPixels(image, QRect(63, 0, 387, 560), Existing), 0);
    EXPECT_EQ(CountPixels(image, QRect(0, 0, 450, 48), Existing), 0);
}

TEST(CostChart, PaybackMarkerDropsToTheAxesFromThePaybackPoint) {
    // Day 300 at x 160, 50 000 roubles at y 300.
    const QImage image = Chart(PaybackAt(300, 50000));
    EXPECT_EQ(PixelAt(image, 160, 300), Payback);
    EXPECT_GT(CountPixels(image, QRect(160, 300, 1, 250), Payback), 60);
    EXPECT_GT(CountPixels(image, QRect(11, 300, 150, 1), Payback), 40);
    EXPECT_EQ(PixelAt(image, 10, 300), Axis);  // the line leaves out its end on the axis
    EXPECT_EQ(PixelAt(image, 160, 550), Axis); // and on the day axis
    EXPECT_EQ(CountPixels(image, QRect(161, 0, 289, 550), Payback), 0);
    EXPECT_EQ(CountPixels(image, QRect(0, 0, 450, 300), Payback), 0);
    // Day and cost texts.
    EXPECT_GT(CountInk(image, QRect(165, 535, 30, 13), Qt::black), 5);
    EXPECT_GT(CountInk(image, QRect(20, 285, 40, 13), Qt::black), 5);
    // The dotted marker is opaque: its gaps take the white fill over the curve it crosses.
    model::SimulationResult crossed = PaybackAt(300, 50000);
    crossed.PlannedDays = Series([](int) { return 20000.0; });
    const QImage over = Chart(crossed);
    EXPECT_GT(CountPixels(over, QRect(159, 440, 1, 20), Planned), 0);
    EXPECT_EQ(CountPixels(over, QRect(160, 301, 1, 249), Planned), 0);
}

TEST(CostChart, PaybackBeyondThePlotKeepsOnlyTheMarkerThatFits) {
    {
        SCOPED_TRACE("day beyond the plotted days");
        const QImage image = Chart(PaybackAt(5000, 50000));
        EXPECT_EQ(PixelAt(image, 410, 300), Payback);
        EXPECT_GT(CountPixels(image, QRect(11, 300, 400, 1), Payback), 100);
        EXPECT_EQ(CountPixels(image, QRect(0, 301, 450, 349), Payback), 0);
        EXPECT_EQ(CountPixels(image, QRect(0, 0, 450, 300), Payback), 0);
    }
    {
        SCOPED_TRACE("cost above the plot");
        const QImage image = Chart(PaybackAt(300, 500000));
        EXPECT_EQ(PixelAt(image, 160, 50), Payback);
        EXPECT_GT(CountPixels(image, QRect(160, 50, 1, 500), Payback), 150);
        EXPECT_EQ(CountPixels(image, QRect(0, 0, 160, 650), Payback), 0);
        EXPECT_EQ(CountPixels(image, QRect(161, 0, 289, 650), Payback), 0);
    }
    {
        SCOPED_TRACE("both beyond");
        const QImage image = Chart(PaybackAt(5000, 500000));
        EXPECT_EQ(CountPixels(image, image.rect(), Payback), 0);
    }
}

TEST(CostChart, AbsurdFiguresAreDrawnWithoutOverflow) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (const double cost : {nan, inf, -inf, 1e300, -1e300}) {
        model::SimulationResult r = PaybackAt(std::numeric_limits<std::int32_t>::min(), cost);
        r.ExistingDays = Series([cost](int i) { return i % 2 ? cost : -cost; });
        r.PlannedDays = Series([cost](int i) { return cost * i; });
        for (const double scale : {1e-300, 0.0, 1e300, -5.0}) {
            const QImage image = Chart(r, scale, scale);
            EXPECT_EQ(image.size(), QSize(450, 650));
        }
        r.PaybackDay = std::numeric_limits<std::int32_t>::max();
        Chart(r, 128, 160);
    }
}
