#include "Economics.h"
#include "Calculation.h"
#include "StartUpProject.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

using namespace model;

namespace {

// A run made by hand: constant daily energy costs, installation costs, and lamps replaced on the
// given days (each entry one lamp) of the existing scheme.
SimulationResult HandRun(double existingDaily, double plannedDaily, double existingInstall,
                         double plannedInstall, std::vector<int> existingReplacementDays = {}) {
    SimulationResult r;
    r.DailyEnergyCostExisting = existingDaily;
    r.DailyEnergyCostPlanned = plannedDaily;
    r.InstallCostExisting = existingInstall;
    r.InstallCostPlanned = plannedInstall;
    r.ExistingDays.resize(SimulationDays);
    r.PlannedDays.resize(SimulationDays);
    for (int day = 0; day < SimulationDays; ++day) {
        std::int32_t replaced = 0;
        for (int at : existingReplacementDays) {
            replaced += at <= day ? 1 : 0;
        }
        r.ExistingDays[day].ReplacedLamps = replaced;
    }
    return r;
}

ProjectParameters LampPrices(double existing, double planned) {
    ProjectParameters p;
    p.ExistingLampPrice = existing;
    p.PlannedLampPrice = planned;
    p.Tariff = 2;
    return p;
}

} // namespace

TEST(Economics, NeutralRatesReproduceTheReportsCostsAndPayback) {
    ProjectParameters p = test_support::StartUpCalculation();
    for (const double blockPrice : {350.0, 900.0, 90000.0}) {
        p.BlockPrice = blockPrice;
        SimulationResult r;
        Calculate(p, 4242, SimulatedDays::All, r);
        const EconomicsFigures f = CalculateEconomics(p, r, EconomicsInputs{});
        ASSERT_EQ(f.ExistingCosts.size(), static_cast<std::size_t>(SimulationDays));
        for (int day = 0; day < SimulationDays; ++day) {
            ASSERT_EQ(f.ExistingCosts[day], r.ExistingDays[day].CumulativeCost) << day;
            ASSERT_EQ(f.PlannedCosts[day], r.PlannedDays[day].CumulativeCost) << day;
        }
        EXPECT_EQ(f.DiscountedPaybackFound, r.PaybackFound) << blockPrice;
        EXPECT_EQ(f.DiscountedPaybackDay, r.PaybackDay) << blockPrice;
        const int last = HorizonLastDay(10);
        EXPECT_EQ(f.NetPresentValue,
                  r.ExistingDays[last].CumulativeCost - r.PlannedDays[last].CumulativeCost);
    }
}

TEST(Economics, OneYearOfTariffGrowthAndAPriceRise) {
    // Existing 10 roubles a day against a planned scheme that costs 3700 to install: undiscounted
    // the existing scheme is dearer from day 370 (3710), payback day 369. With 10 % a year the
    // days of the second year cost 11: day 369 costs 3650 + 5 × 11 = 3705, payback day 368.
    const ProjectParameters p = LampPrices(100, 0);
    const SimulationResult r = HandRun(10, 0, 0, 3700);
    EXPECT_EQ(CalculateEconomics(p, r, {}).DiscountedPaybackDay, 369);
    EconomicsInputs growth;
    growth.TariffGrowth = 10;
    const EconomicsFigures f = CalculateEconomics(p, r, growth);
    EXPECT_EQ(f.DiscountedPaybackDay, 368);
    EXPECT_DOUBLE_EQ(f.ExistingCosts[364], 3650);
    EXPECT_DOUBLE_EQ(f.ExistingCosts[369], 3705);
    // A lamp bought on day 400 costs its price raised by a year of growth.
    const SimulationResult lamp = HandRun(0, 0, 0, 0, {400});
    EconomicsInputs dearer;
    dearer.LampPriceGrowth = 20;
    EXPECT_DOUBLE_EQ(CalculateEconomics(p, lamp, dearer).ExistingCosts[400], 120);
    EXPECT_DOUBLE_EQ(CalculateEconomics(p, lamp, dearer).ExistingCosts[399], 0);
}

TEST(Economics, DiscountingMovesThePaybackAndTheValue) {
    // 10 roubles a day saved against 1000 installed: undiscounted dearer from day 100 (1010).
    // At 100 % a year day d is worth 2^(-d/365), and the saving reaches 1000 only later.
    const ProjectParameters p = LampPrices(0, 0);
    const SimulationResult r = HandRun(10, 0, 0, 1000);
    EconomicsInputs rate;
    rate.DiscountRate = 100;
    const EconomicsFigures f = CalculateEconomics(p, r, rate);
    double saved = 0;
    int dearer = 0;
    for (int day = 0; saved <= 1000; ++day) {
        saved += 10 * std::pow(2.0, -day / 365.0);
        dearer = day;
    }
    EXPECT_EQ(dearer, 110);
    EXPECT_EQ(f.DiscountedPaybackDay, dearer - 1);
    EXPECT_EQ(CalculateEconomics(p, r, {}).DiscountedPaybackDay, 99);
    // The horizon's value: one year of 10 a day is 3650 undiscounted, less at a rate.
    EconomicsInputs oneYear;
    oneYear.HorizonYears = 1;
    EXPECT_DOUBLE_EQ(CalculateEconomics(p, r, oneYear).NetPresentValue, 3650 - 1000);
    oneYear.DiscountRate = 100;
    EXPECT_LT(CalculateEconomics(p, r, oneYear).NetPresentValue, 3650 * 0.75 - 1000);
    EXPECT_EQ(HorizonLastDay(27), 9854);
    EXPECT_EQ(HorizonLastDay(28), SimulationDays - 1);
}

TEST(Economics, ReturnRateOfTwoFlows) {
    // The planned scheme costs 1000 today and saves a lamp of 1500 bought after exactly one year:
    // the value 1500 / (1 + r) - 1000 is 0 at r = 50 %.
    const ProjectParameters p = LampPrices(1500, 0);
    const SimulationResult r = HandRun(0, 0, 0, 1000, {365});
    const EconomicsFigures f = CalculateEconomics(p, r, {});
    ASSERT_EQ(f.InternalRateOfReturn.Found, ReturnRate::Kind::Found);
    EXPECT_NEAR(f.InternalRateOfReturn.Percent, 50, 0.005);
    // No saving at all: no rate; a saving far above the cost: above the highest rate.
    EXPECT_EQ(CalculateEconomics(LampPrices(900, 0), r, {}).InternalRateOfReturn.Found,
              ReturnRate::Kind::None);
    EXPECT_EQ(CalculateEconomics(LampPrices(20000, 0), r, {}).InternalRateOfReturn.Found,
              ReturnRate::Kind::AboveHighest);
}

TEST(Economics, YearlySavingsAndEmissions) {
    ProjectParameters p = LampPrices(0, 0);
    p.Tariff = 1.5;
    SimulationResult r = HandRun(0, 0, 0, 0);
    r.DailyEnergyExisting = 12;
    r.DailyEnergyPlanned = 2;
    EconomicsInputs inputs;
    inputs.EmissionFactor = 0.5;
    const EconomicsFigures f = CalculateEconomics(p, r, inputs);
    EXPECT_DOUBLE_EQ(f.EnergySavedPerYear, 3650);
    EXPECT_DOUBLE_EQ(f.MoneySavedFirstYear, 5475);
    EXPECT_DOUBLE_EQ(f.CO2AvoidedPerYear, 1.825);
}

namespace {

struct RatesCase {
    double TariffGrowth, LampPriceGrowth, DiscountRate;
    std::int32_t HorizonYears;
    double BlockPrice; // roubles: moves the payback from days to never
    std::int32_t EntranceCount = 5;
};

} // namespace

// The calculation of a house's figures stops its simulation as soon as the economics have what
// they need; its figures must be those of the whole run priced day by day, bit for bit, whether
// the discounted payback falls before the horizon's end, after it, or never, and whether it comes
// before the report's payback (a growing tariff undiscounted) or after it.
TEST(Economics, FiguresOfAShortenedRunEqualThoseOfTheWholeRun) {
    const RatesCase cases[] = {
        {0, 0, 0, 10, 350},    {5, 3, 8, 10, 350},       {5, 3, 8, 1, 350},
        {0, 0, 30, 1, 2000},   {-20, 10, 0, 2, 350},     {10, -5, 12, 3, 5000},
        {0, 0, 5, 10, 90000},  {100, 100, 100, 27, 350}, {0, 0, 100, 27, 9000},
        {20, 0, 0, 1, 350, 1}, {50, 0, 0, 1, 350, 1},    {100, 0, 0, 1, 350, 1},
    };
    CalculationMemory memory; // kept from case to case, as the batch keeps it
    for (const RatesCase& c : cases) {
        ProjectParameters p = test_support::StartUpCalculation();
        p.TariffGrowth = c.TariffGrowth;
        p.LampPriceGrowth = c.LampPriceGrowth;
        p.DiscountRate = c.DiscountRate;
        p.HorizonYears = c.HorizonYears;
        p.BlockPrice = c.BlockPrice;
        p.EntranceCount = c.EntranceCount;
        SimulationResult whole;
        Calculate(p, 2718, SimulatedDays::All, whole);
        const EconomicsFigures expected = CalculateEconomics(p, whole, EconomicsInputsOf(p));
        const HouseFigures figures = CalculateFigures(p, 2718, memory, true);
        ASSERT_TRUE(figures.Economics);
        const EconomicsFigures& f = *figures.Economics;
        const std::string label =
            std::to_string(c.TariffGrowth) + "% tariff, " + std::to_string(c.DiscountRate) + "% " +
            std::to_string(c.HorizonYears) + " years, block " + std::to_string(c.BlockPrice);
        EXPECT_EQ(f.DiscountedPaybackFound, expected.DiscountedPaybackFound) << label;
        EXPECT_EQ(f.DiscountedPaybackDay, expected.DiscountedPaybackDay) << label;
        EXPECT_EQ(f.NetPresentValue, expected.NetPresentValue) << label;
        EXPECT_EQ(f.InternalRateOfReturn.Found, expected.InternalRateOfReturn.Found) << label;
        EXPECT_EQ(f.InternalRateOfReturn.Percent, expected.InternalRateOfReturn.Percent) << label;
        EXPECT_EQ(figures.Result.PaybackFound, whole.PaybackFound) << label;
        EXPECT_EQ(figures.Result.PaybackDay, whole.PaybackDay) << label;
        EXPECT_EQ(figures.Result.PaybackCostExisting, whole.PaybackCostExisting) << label;
        EXPECT_TRUE(f.ExistingCosts.empty()) << "the batch keeps no day series";
        // The chart's series end where the run ends, with the horizon's value on its last day.
        const int horizon = HorizonLastDay(c.HorizonYears);
        EXPECT_EQ(expected.NetPresentValue,
                  expected.ExistingCosts[horizon] - expected.PlannedCosts[horizon]);
    }
}

// The value of the house with its tariff scaled by a and its prices by b, from one run, against
// a whole calculation of the house scaled by hand.
TEST(Economics, ValueWithScaledTariffAndPricesFollowsFromOneRun) {
    ProjectParameters p = test_support::StartUpCalculation();
    p.TariffGrowth = 4;
    p.LampPriceGrowth = 6;
    p.DiscountRate = 9;
    p.HorizonYears = 7;
    CalculationMemory memory;
    const NetPresentValueParts parts = CalculateFigures(p, 99, memory, true).Economics->ValueParts;
    const auto valueAt = [&parts](double tariff, double prices) {
        return tariff * parts.Energy + prices * parts.Prices;
    };
    EXPECT_NEAR(valueAt(1, 1), CalculateFigures(p, 99, memory, true).Economics->NetPresentValue,
                1e-6);
    for (const auto& [tariff, prices] :
         std::vector<std::pair<double, double>>{{1.04, 1.06}, {1.2167, 1.4185}, {0.5, 2}}) {
        ProjectParameters scaled = p;
        scaled.Tariff *= tariff;
        for (double* price :
             {&scaled.ExistingLampPrice, &scaled.PlannedLampPrice, &scaled.ExistingFittingPrice,
              &scaled.ExistingFittingInstallPrice, &scaled.PlannedFittingPrice,
              &scaled.PlannedFittingInstallPrice, &scaled.BlockPrice, &scaled.BlockInstallPrice}) {
            *price *= prices;
        }
        const double whole = CalculateFigures(scaled, 99, memory, true).Economics->NetPresentValue;
        EXPECT_NEAR(valueAt(tariff, prices), whole, 1e-9 * std::abs(whole) + 1e-6)
            << tariff << " " << prices;
    }
    // The parts at the end of each whole year are those of the same house over that many years.
    const std::vector<NetPresentValueParts> ends =
        CalculateFigures(p, 99, memory, true).Economics->YearEndParts;
    ASSERT_EQ(ends.size(), 7u);
    for (int years = 1; years <= 7; ++years) {
        ProjectParameters shorter = p;
        shorter.HorizonYears = years;
        const NetPresentValueParts whole =
            CalculateFigures(shorter, 99, memory, true).Economics->ValueParts;
        EXPECT_DOUBLE_EQ(ends[static_cast<std::size_t>(years - 1)].Energy, whole.Energy) << years;
        EXPECT_DOUBLE_EQ(ends[static_cast<std::size_t>(years - 1)].Prices, whole.Prices) << years;
    }
}
