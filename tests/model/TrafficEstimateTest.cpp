#include "TrafficEstimate.h"
#include "StartUpProject.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

using namespace model;

namespace {

ProjectParameters StartUpProject() {
    return test_support::StartUpHouse();
}

} // namespace

TEST(TrafficEstimate, StartUpHouseInTheThreeLiftCases) {
    struct Case {
        bool lift;
        std::uint8_t model;
        double landing;
        double between;
    };
    for (const Case& c : {Case{false, LiftModelExponential, 3.5, 1.166667},
                          Case{true, LiftModelLinear, 1.944444, 0.648148},
                          Case{true, LiftModelExponential, 1.458289, 0.486096}}) {
        ProjectParameters p = StartUpProject();
        p.HasLift = c.lift;
        p.LiftModel = c.model;
        bool refreshed = false;
        EstimatePlannedBurnHours(p, [&] { refreshed = true; });
        EXPECT_TRUE(refreshed);
        EXPECT_NEAR(p.PlannedHoursLanding, c.landing, 5e-7);
        EXPECT_NEAR(p.PlannedHoursBetween, c.between, 5e-7);
        EXPECT_NEAR(p.PlannedHoursVestibule, 1.05, 1e-12);
    }
    EXPECT_NEAR(LandingWeightSum(9, true, LiftModelExponential), 18.749433, 5e-7);
    EXPECT_DOUBLE_EQ(LandingWeightSum(9, true, LiftModelLinear), 25);
    EXPECT_DOUBLE_EQ(LandingWeightSum(9, false, LiftModelLinear), 45);
}

TEST(TrafficEstimate, WeightSumsOfLowHouses) {
    for (std::uint8_t model : {LiftModelLinear, LiftModelExponential}) {
        EXPECT_DOUBLE_EQ(LandingWeightSum(1, true, model), 2);
        EXPECT_DOUBLE_EQ(LandingWeightSum(2, true, model), 4);
    }
    EXPECT_DOUBLE_EQ(LandingWeightSum(1, false, LiftModelLinear), 1);
    EXPECT_DOUBLE_EQ(LandingWeightSum(2, false, LiftModelLinear), 3);
    EXPECT_DOUBLE_EQ(LandingWeightSum(3, true, LiftModelLinear), 6);
    EXPECT_DOUBLE_EQ(LandingWeightSum(3, false, LiftModelLinear), 6);
    // Any model code other than 1 is the linear model.
    EXPECT_DOUBLE_EQ(LandingWeightSum(9, true, 7), 25);

    ProjectParameters p = StartUpProject();
    p.FloorCount = 1;
    EstimatePlannedBurnHours(p);
    EXPECT_DOUBLE_EQ(p.PlannedHoursLanding, 2 * 42 * (60.0 / 3600));
    p.HasLift = false;
    EstimatePlannedBurnHours(p);
    EXPECT_DOUBLE_EQ(p.PlannedHoursLanding, 42 * (60.0 / 3600));
}

TEST(TrafficEstimate, NoTrafficGivesZeroAndBusyHousesAreCappedAt24) {
    for (int which = 0; which < 2; ++which) {
        ProjectParameters p = StartUpProject();
        (which == 0 ? p.PassagesPerResident : p.IndividualityCoefficient) = 0;
        EstimatePlannedBurnHours(p);
        EXPECT_EQ(p.PlannedHoursLanding, 0);
        EXPECT_EQ(p.PlannedHoursBetween, 0);
        EXPECT_EQ(p.PlannedHoursVestibule, 0);
    }

    ProjectParameters p = StartUpProject();
    p.FloorCount = 40;
    p.HasLift = false;
    p.ResidentsPerFlat = 40;
    p.FlatsPerFloor = 40;
    EstimatePlannedBurnHours(p);
    EXPECT_EQ(p.PlannedHoursLanding, 24);
    EXPECT_EQ(p.PlannedHoursVestibule, 24);

    // Exactly 24 stays, just above becomes 24: b = 20.5 P with 60 s on landings.
    p.ResidentsPerFlat = 1;
    p.FlatsPerFloor = 1;
    p.IndividualityCoefficient = 1;
    p.PassagesPerResident = 1440 / 20.5;
    EstimatePlannedBurnHours(p);
    EXPECT_NEAR(p.PlannedHoursLanding, 24, 1e-12);
    p.PassagesPerResident = 71;
    EstimatePlannedBurnHours(p);
    EXPECT_EQ(p.PlannedHoursLanding, 24);

    // Coefficients whose product overflows: the hours stay numbers the page can read back.
    p.IndividualityCoefficient = 1e300;
    p.PassagesPerResident = 1e300;
    p.HoldTimeLanding = 0;
    p.HoldTimeVestibule = -1;
    EstimatePlannedBurnHours(p);
    EXPECT_EQ(p.PlannedHoursLanding, 0);
    EXPECT_EQ(p.PlannedHoursBetween, 24);
    EXPECT_EQ(p.PlannedHoursVestibule, std::numeric_limits<double>::lowest());

    // An overflowed product met by a zero factor is still no traffic.
    p.ResidentsPerFlat = 40;
    p.IndividualityCoefficient = 1e308;
    p.PassagesPerResident = 0;
    p.HoldTimeLanding = p.HoldTimeBetween = p.HoldTimeVestibule = 60.0 / 3600;
    EstimatePlannedBurnHours(p);
    EXPECT_EQ(p.PlannedHoursLanding, 0);
    EXPECT_EQ(p.PlannedHoursBetween, 0);
    EXPECT_EQ(p.PlannedHoursVestibule, 0);
}

TEST(TrafficEstimate, EachOfTheThreeBurnTimesIsCappedAtExactly24AndOnlyAbove) {
    ProjectParameters p = StartUpProject();
    // Burn hours per hour of hold time in each zone, from an estimate far below the cap.
    constexpr double tiny = 1e-6;
    p.HoldTimeLanding = p.HoldTimeBetween = p.HoldTimeVestibule = tiny;
    EstimatePlannedBurnHours(p);
    const double landing = p.PlannedHoursLanding / tiny;
    const double between = p.PlannedHoursBetween / tiny;
    const double vestibule = p.PlannedHoursVestibule / tiny;

    for (const double wanted : {23.9, 23.999, 24.001, 24.5, 1000.0}) {
        SCOPED_TRACE(wanted);
        // One zone at a time above or below the cap, the others well below it.
        for (int zone = 0; zone < 3; ++zone) {
            p.HoldTimeLanding = (zone == 0 ? wanted : 10) / landing;
            p.HoldTimeBetween = (zone == 1 ? wanted : 10) / between;
            p.HoldTimeVestibule = (zone == 2 ? wanted : 10) / vestibule;
            EstimatePlannedBurnHours(p);
            const double hours[] = {p.PlannedHoursLanding, p.PlannedHoursBetween,
                                    p.PlannedHoursVestibule};
            for (int other = 0; other < 3; ++other) {
                const double expected = other == zone ? std::min(wanted, 24.0) : 10;
                if (expected == 24) {
                    EXPECT_EQ(hours[other], 24) << zone;
                } else {
                    EXPECT_NEAR(hours[other], expected, 1e-9) << zone << ' ' << other;
                }
            }
        }
    }
}
