#include "MonthlyChart.h"
#include "PixelHelpers.h"
#include "Rendering.h"
#include "Simulation.h"
#include "StartUpProject.h"

#include <gtest/gtest.h>

#include <limits>

using namespace report;

namespace {

const QColor White(255, 255, 255);
const QColor Red(255, 0, 0);
const QColor Green(0, 255, 0);
const QColor Baseline(0, 150, 0);

const model::NumberLocale Comma{",", " "};

QImage Bars(double existingKwh, double plannedKwh) {
    model::SimulationResult r;
    r.DailyEnergyExisting = existingKwh;
    r.DailyEnergyPlanned = plannedKwh;
    r.DailyEnergyCostExisting = existingKwh * 1.38;
    r.DailyEnergyCostPlanned = plannedKwh * 1.38;
    QImage image = WhiteImage(550, 350);
    Canvas canvas(image);
    DrawMonthlyBars(canvas, r, Comma);
    return image;
}

// Area a caption inside a bar occupies: the bar's lower 30 pixels.
QRect InnerCaptionArea(int barLeft) {
    return QRect(barLeft, 220, 90, 30);
}

} // namespace

TEST(MonthlyChart, KwhPerPixelKeepsTheTallerBarBelow200PixelsAndIsAtLeastOne) {
    EXPECT_EQ(KwhPerPixel(100, 10), 16);
    EXPECT_EQ(KwhPerPixel(10, 100), 16);
    EXPECT_EQ(KwhPerPixel(20, 0), 4);
    EXPECT_EQ(KwhPerPixel(6, 6), 1);
    EXPECT_EQ(KwhPerPixel(0, 0), 1);
    EXPECT_EQ(KwhPerPixel(-1e9, -5), 1);
    EXPECT_EQ(KwhPerPixel(1e300, 0), std::numeric_limits<std::int32_t>::max());
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(KwhPerPixel(nan, nan), 1);
    EXPECT_EQ(KwhPerPixel(nan, 100), 16);
    EXPECT_GE(KwhPerPixel(-std::numeric_limits<double>::infinity(), 0), 1);
}

TEST(MonthlyChart, TallBarCarriesItsCaptionInsideAndShortBarAbove) {
    // 3000 and 300 kWh a month at 16 kWh per pixel: 187.5 and 18.75 pixels.
    const QImage image = Bars(100, 10);
    // Existing bar x 120..209, from y trunc(62.5) = 62 down to 249.
    EXPECT_EQ(PixelAt(image, 205, 62), Red);
    EXPECT_EQ(PixelAt(image, 205, 61), White);
    EXPECT_EQ(PixelAt(image, 120, 100), Red);
    EXPECT_EQ(PixelAt(image, 209, 249), Red);
    EXPECT_EQ(PixelAt(image, 119, 100), White);
    EXPECT_EQ(PixelAt(image, 210, 100), White);
    EXPECT_EQ(PixelAt(image, 205, 250), Baseline);
    EXPECT_GT(CountInk(image, InnerCaptionArea(120), White), 30);
    EXPECT_EQ(CountInk(image, QRect(120, 0, 90, 62), Red), 0);
    // Planned bar x 220..309 from y trunc(231.25) = 231; caption above it in green.
    EXPECT_EQ(PixelAt(image, 305, 231), Green);
    EXPECT_EQ(PixelAt(image, 305, 230), White);
    EXPECT_EQ(PixelAt(image, 305, 250), Baseline);
    EXPECT_EQ(CountInk(image, QRect(220, 231, 90, 19), White), 0);
    EXPECT_GT(CountInk(image, QRect(230, 171, 80, 30), Green), 30);
    // Values are black, 30 and 15 pixels above each bar.
    EXPECT_GT(CountInk(image, QRect(125, 32, 80, 30), Qt::black), 30);
    EXPECT_GT(CountInk(image, QRect(225, 201, 80, 30), Qt::black), 30);
    // Title and baseline x 100..349.
    EXPECT_GT(CountInk(image, QRect(70, 5, 300, 18), Qt::black), 100);
    EXPECT_EQ(CountPixels(image, QRect(0, 250, 550, 1), Baseline), 250);
    EXPECT_EQ(PixelAt(image, 100, 250), Baseline);
    EXPECT_EQ(PixelAt(image, 350, 250), White);
}

TEST(MonthlyChart, BarOfExactly30PixelsHasItsCaptionAbove) {
    // 1 kWh a day: 30 kWh a month at 1 kWh per pixel.
    const QImage image = Bars(1, 1);
    EXPECT_EQ(PixelAt(image, 205, 220), Red);
    EXPECT_EQ(PixelAt(image, 205, 219), White);
    EXPECT_EQ(CountInk(image, InnerCaptionArea(120), White), 0);
    EXPECT_EQ(CountInk(image, InnerCaptionArea(220), White), 0);
    EXPECT_GT(CountInk(image, QRect(125, 160, 85, 30), Red), 30);
    EXPECT_GT(CountInk(image, QRect(230, 160, 80, 30), Green), 30);
}

TEST(MonthlyChart, ZeroConsumptionShowsNoBarAndCaptionsJustAboveTheBaseline) {
    const QImage image = Bars(0, 0);
    EXPECT_EQ(CountInk(image, QRect(120, 236, 190, 14), Red), 0);
    EXPECT_EQ(CountInk(image, QRect(120, 236, 190, 14), Green), 0);
    EXPECT_EQ(PixelAt(image, 205, 249), White);
    EXPECT_EQ(CountPixels(image, QRect(120, 250, 190, 1), Baseline), 190);
    // Captions at 60 and 45 pixels above the baseline, values at 30 and 15.
    EXPECT_GT(CountInk(image, QRect(125, 190, 85, 30), Red), 30);
    EXPECT_GT(CountInk(image, QRect(230, 190, 80, 30), Green), 30);
    EXPECT_GT(CountInk(image, QRect(125, 220, 85, 30), Qt::black), 30);
}

TEST(MonthlyChart, EqualConsumptionGivesBarsOfEqualHeight) {
    const QImage image = Bars(50, 50); // 8 kWh per pixel, 187.5 pixels
    for (const int y : {61, 62, 249}) {
        EXPECT_EQ(PixelAt(image, 205, y) == Red, PixelAt(image, 305, y) == Green) << y;
    }
    EXPECT_EQ(PixelAt(image, 305, 62), Green);
}

TEST(MonthlyChart, DrawMonthlyChartClearsDownToTheBaseline) {
    const model::ProjectParameters p = test_support::StartUpHouse();
    model::SimulationResult r;
    model::ComputeDailyEnergy(p, r);
    QImage image = WhiteImage(550, 350);
    image.fill(Qt::blue);
    DrawMonthlyChart(image, r, Comma);
    EXPECT_EQ(PixelAt(image, 0, 0), White);
    EXPECT_EQ(PixelAt(image, 549, 249), White);
    EXPECT_EQ(PixelAt(image, 549, 250), QColor(Qt::blue));
}

TEST(MonthlyChart, AbsurdEnergiesAreDrawnWithoutOverflow) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (const double kwh : {nan, inf, -inf, 1e300, -1e300, -5.0}) {
        EXPECT_EQ(Bars(kwh, 1).size(), QSize(550, 350));
        EXPECT_EQ(Bars(1, kwh).size(), QSize(550, 350));
    }
}
