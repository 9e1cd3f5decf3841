#include "HouseOffer.h"
#include "StartUpProject.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace plan;

namespace {

// The house with its tariff × a and every price × b, as a user would type it.
model::ProjectParameters Scaled(model::ProjectParameters p, double a, double b) {
    p.Tariff *= a;
    for (double* price :
         {&p.ExistingLampPrice, &p.ExistingFittingPrice, &p.ExistingFittingInstallPrice,
          &p.PlannedLampPrice, &p.PlannedFittingPrice, &p.PlannedFittingInstallPrice, &p.BlockPrice,
          &p.BlockInstallPrice}) {
        *price *= b;
    }
    return p;
}

} // namespace

// The value of fitting a house in a later plan year is the full calculation of the same house
// with its tariff and prices raised by hand for that year and its horizon shortened by the years
// waited (one end for every plan year), discounted to this year; its spend is that calculation's
// installation cost. No year at or after the horizon's end is offered.
TEST(HouseOffer, LaterYearsEqualAFullCalculationAtThatYearsPrices) {
    struct Case {
        double tariffGrowth;
        double priceGrowth;
        double discount;
        int horizon;
    };
    const std::uint32_t seed = 7;
    for (const Case& c : {Case{5, 3, 8, 10}, Case{-10, 20, 0, 3}, Case{12, -5, 15, 27}}) {
        model::ProjectParameters p = test_support::StartUpCalculation();
        p.TariffGrowth = c.tariffGrowth;
        p.LampPriceGrowth = c.priceGrowth;
        p.DiscountRate = c.discount;
        p.HorizonYears = c.horizon;
        p.EmissionFactor = 0.4;
        model::CalculationMemory days;
        const HouseOffer offer = CalculateOffer(p, seed, days);
        EXPECT_EQ(offer.HorizonYears, c.horizon);
        for (int k : {0, 1, 2, 3, 4, 9}) {
            SCOPED_TRACE(std::to_string(c.tariffGrowth) + " % tariff, year " + std::to_string(k));
            if (k >= c.horizon) {
                EXPECT_FALSE(OfferedInYear(offer, k));
                EXPECT_EQ(ValueInYear(offer, Objective::NetPresentValue, k), 0);
                EXPECT_EQ(ValueInYear(offer, Objective::Energy, k), 0);
                continue;
            }
            EXPECT_TRUE(OfferedInYear(offer, k));
            const double a = std::pow(1 + c.tariffGrowth / 100, k);
            const double b = std::pow(1 + c.priceGrowth / 100, k);
            model::ProjectParameters later = Scaled(p, a, b);
            later.HorizonYears = c.horizon - k;
            const model::HouseFigures full = model::CalculateFigures(later, seed, days, true);
            const double expected =
                full.Economics->NetPresentValue * std::pow(1 + c.discount / 100, -k);
            const double value = ValueInYear(offer, Objective::NetPresentValue, k);
            EXPECT_NEAR(value, expected, 1e-9 * std::abs(expected));
            EXPECT_NEAR(SpendInYear(offer, k), full.Result.InstallCostPlanned,
                        1e-12 * full.Result.InstallCostPlanned);
        }
        // Energy and CO2 do not depend on money: the yearly saving over the years left.
        EXPECT_NEAR(offer.EnergySavedPerYear, 18238.32, 0.01);
        EXPECT_NEAR(ValueInYear(offer, Objective::CO2, 2), (c.horizon - 2) * 18238.32 * 0.4 / 1000,
                    1e-4);
    }
}

// With no rates at all a house that saves is worth strictly less every year it waits, under every
// objective: the same end, fewer years of savings.
TEST(HouseOffer, WithoutRatesWaitingLosesValue) {
    model::ProjectParameters p = test_support::StartUpCalculation();
    p.TariffGrowth = p.LampPriceGrowth = p.DiscountRate = 0;
    p.HorizonYears = 10;
    p.EmissionFactor = 0.4;
    model::CalculationMemory days;
    const HouseOffer offer = CalculateOffer(p, 3, days);
    for (const auto objective : {Objective::NetPresentValue, Objective::Energy, Objective::CO2}) {
        for (int k = 1; k < MaxYears; ++k) {
            EXPECT_LT(ValueInYear(offer, objective, k), ValueInYear(offer, objective, k - 1))
                << static_cast<int>(objective) << " year " << k;
        }
    }
}
