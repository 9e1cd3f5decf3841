#include "Simulation.h"
#include "SimulationPlan.h"
#include "StartUpProject.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

using namespace model;

namespace {

// A house with nothing in it: tests switch on what they need.
ProjectParameters EmptyHouse(std::int32_t floors = 1, std::int32_t entrances = 1) {
    ProjectParameters p = test_support::StartUpHouse();
    p.EntranceCount = entrances;
    p.FloorCount = floors;
    p.ExistingLampsLanding = p.ExistingLampsBetween = p.ExistingLampsVestibule = 0;
    p.PlannedLampsLanding = p.PlannedLampsBetween = p.PlannedLampsVestibule = 0;
    p.BlockPrice = p.BlockInstallPrice = 0;
    return p;
}

ProjectParameters DefaultHouse() {
    return test_support::StartUpCalculation();
}

SimulationResult Simulate(const ProjectParameters& p, std::uint32_t seed = 1) {
    SimulationResult r;
    ComputeDailyEnergy(p, r);
    RunSimulation(p, r, seed);
    return r;
}

std::vector<std::int32_t> Draws(std::uint32_t seed, int count) {
    std::mt19937 engine(seed);
    std::vector<std::int32_t> r;
    for (int i = 0; i < count; ++i) {
        r.push_back(DrawLifePercent(engine));
    }
    return r;
}

std::uint32_t SeedWhere(const std::function<bool(const std::vector<std::int32_t>&)>& wanted,
                        int draws) {
    for (std::uint32_t seed = 0;; ++seed) {
        if (wanted(Draws(seed, draws))) {
            return seed;
        }
    }
}

// Day index of the first replacement in a series, or -1.
int FirstReplacement(const std::vector<DayRecord>& days) {
    for (int d = 0; d < static_cast<int>(days.size()); ++d) {
        if (days[d].ReplacedLamps > 0) {
            return d;
        }
    }
    return -1;
}

} // namespace

TEST(Simulation, DailyEnergyInstallationCostsAndCounts) {
    ProjectParameters p = EmptyHouse(2, 1);
    p.ExistingLampsLanding = p.ExistingLampsBetween = p.ExistingLampsVestibule = 1;
    p.ExistingHoursLanding = p.ExistingHoursBetween = p.ExistingHoursVestibule = 10;
    SimulationResult r;
    ComputeDailyEnergy(p, r);
    EXPECT_DOUBLE_EQ(r.DailyEnergyExisting, 1.6);
    EXPECT_DOUBLE_EQ(r.DailyEnergyCostExisting, 1.6 * 1.38);
    EXPECT_EQ(r.DailyEnergyPlanned, 0);

    p = DefaultHouse();
    p.ExistingFittingPrice = 100;
    p.ExistingFittingInstallPrice = 20;
    p.PlannedFittingPrice = 200;
    p.PlannedFittingInstallPrice = 50;
    r = Simulate(p);
    EXPECT_EQ(r.FittingCountExisting, (9 * 1 + 8 * 1 + 2) * 5);
    EXPECT_EQ(r.FittingCountPlanned, 95);
    EXPECT_EQ(r.BlockCount, (9 + 8 + 1) * 5);
    EXPECT_DOUBLE_EQ(r.InstallCostExisting, 19 * 120.0 * 5);
    EXPECT_DOUBLE_EQ(r.InstallCostPlanned, (19 * 250.0 + 18 * 450.0) * 5);
    ASSERT_EQ(r.ExistingDays.size(), static_cast<std::size_t>(SimulationDays));
    ASSERT_EQ(r.PlannedDays.size(), static_cast<std::size_t>(SimulationDays));
    // Energy adds up day by day on top of the installation.
    EXPECT_DOUBLE_EQ(r.PlannedDays[0].CumulativeCost - r.PlannedDays[0].ReplacedLamps * 10.0,
                     r.InstallCostPlanned + r.DailyEnergyCostPlanned);
}

TEST(Simulation, ExistingLandingLampOfSixMonthsBurnsOutOnDay83) {
    ProjectParameters p = EmptyHouse();
    p.ExistingLampsLanding = 1;
    const std::uint32_t seed = SeedWhere([](auto& r) { return r[0] == 50; }, 1);
    const SimulationResult r = Simulate(p, seed);
    EXPECT_EQ(r.ExistingDays[82].ReplacedLamps, 0);
    EXPECT_EQ(r.ExistingDays[83].ReplacedLamps, 1);
    EXPECT_NEAR(r.ExistingDays[83].CumulativeCost,
                84 * r.DailyEnergyCostExisting + 1 * p.ExistingLampPrice, 1e-9);
}

TEST(Simulation, PlannedGroundFloorLampRunsOutOfSwitchOnsOnDay357) {
    ProjectParameters p = EmptyHouse(9, 1);
    p.PlannedLampsLanding = 1;
    // Ground floor r = 50; the lamps above must not die earlier.
    const std::uint32_t seed =
        SeedWhere([](auto& r) { return r[0] == 50 && r[1] >= 29 && r[2] >= 7; }, 3);
    const SimulationResult r = Simulate(p, seed);
    EXPECT_EQ(FirstReplacement(r.PlannedDays), 357);
    EXPECT_EQ(r.PlannedDays[357].ReplacedLamps, 1);
}

TEST(Simulation, PlannedWearFollowsTheTrafficFromTheTopDown) {
    ProjectParameters p = EmptyHouse(4, 1);
    p.ResidentsPerFlat = 1;
    p.FlatsPerFloor = 1;
    p.IndividualityCoefficient = 1;
    p.PassagesPerResident = 3.5;
    const SchemePlan plan = PlanPlannedScheme(p, SimulationResult{});
    ASSERT_EQ(plan.Zones.size(), 4u + 3u + 1u);
    const std::int32_t ladder[] = {12, 9, 6, 3};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(plan.Zones[i].Wear.DailySwitchings, ladder[i]) << i;
        EXPECT_DOUBLE_EQ(plan.Zones[i].Wear.DailyHours, (4 - i) * 3.5 * (60.0 / 3600));
    }
    // Flights: 3 floors above the lowest flight, one above the top flight.
    EXPECT_EQ(plan.Zones[4].Wear.DailySwitchings, 9);
    EXPECT_EQ(plan.Zones[6].Wear.DailySwitchings, 3);
    // The vestibule wears like the ground-floor landing, in both schemes.
    EXPECT_EQ(plan.Zones[7].Wear.DailySwitchings, 12);
    EXPECT_TRUE(plan.Zones[7].Vestibule);
    const SchemePlan existing = PlanExistingScheme(p, SimulationResult{});
    EXPECT_EQ(existing.Zones.back().Wear.DailyHours, p.ExistingHoursLanding);
    EXPECT_EQ(existing.Zones.back().Wear.DailySwitchings, 5);
}

TEST(Simulation, RemainingLifeOfExactlyZeroDoesNotReplace) {
    const std::uint32_t seed = SeedWhere([](auto& r) { return r[0] == 50; }, 1);
    // 1080 hours at 20 a day: 0 left after day 53, negative on day 54.
    ProjectParameters p = EmptyHouse();
    p.ExistingLampsLanding = 1;
    p.ExistingHoursLanding = 20;
    SimulationResult r = Simulate(p, seed);
    EXPECT_EQ(FirstReplacement(r.ExistingDays), 54);
    // 1800 switch-ons at 5 a day: 0 left after day 359, negative on day 360.
    p.ExistingHoursLanding = 0;
    r = Simulate(p, seed);
    EXPECT_EQ(FirstReplacement(r.ExistingDays), 360);
}

TEST(Simulation, PaybackIsTheDayBeforeTheFirstStrictlyDearerExistingDay) {
    // Nothing to install, no replacement on day 0, planned cheaper per day: dearer from day 0 on,
    // and the payback day is that very day, not the one before.
    ProjectParameters p = EmptyHouse();
    p.ExistingLampsLanding = 1;
    p.PlannedLampsLanding = 1;
    p.PlannedHoursLanding = 1;
    SimulationResult r = Simulate(p);
    EXPECT_TRUE(r.PaybackFound);
    EXPECT_EQ(r.PaybackDay, 0);
    EXPECT_DOUBLE_EQ(r.PaybackCostExisting, r.ExistingDays[0].CumulativeCost);
    EXPECT_DOUBLE_EQ(r.PaybackCostPlanned, r.PlannedDays[0].CumulativeCost);

    // The default house pays back some time later; the fields describe the first dearer day.
    r = Simulate(DefaultHouse(), 7);
    ASSERT_TRUE(r.PaybackFound);
    const int first = r.PaybackDay + 1;
    EXPECT_GT(r.ExistingDays[first].CumulativeCost, r.PlannedDays[first].CumulativeCost);
    EXPECT_LE(r.ExistingDays[first - 1].CumulativeCost, r.PlannedDays[first - 1].CumulativeCost);
    EXPECT_EQ(r.PaybackReplacedExisting, r.ExistingDays[first].ReplacedLamps);
    EXPECT_EQ(r.PaybackReplacedPlanned, r.PlannedDays[first].ReplacedLamps);

    // Equal costs every day are no payback, and the previous run's figures do not stay.
    ProjectParameters equal = EmptyHouse();
    r = Simulate(equal);
    EXPECT_FALSE(r.PaybackFound);
    SimulationResult reused = Simulate(DefaultHouse(), 7);
    ASSERT_TRUE(reused.PaybackFound);
    ComputeDailyEnergy(equal, reused);
    RunSimulation(equal, reused, 7);
    EXPECT_FALSE(reused.PaybackFound);
    EXPECT_EQ(reused.PaybackDay, 0);
    EXPECT_EQ(reused.PaybackCostExisting, 0);
    EXPECT_EQ(reused.PaybackCostPlanned, 0);
    EXPECT_EQ(reused.PaybackReplacedExisting, 0);
    EXPECT_EQ(reused.PaybackReplacedPlanned, 0);
}

TEST(Simulation, LampLivesAndTrafficExtremes) {
    // Zero lamps everywhere: nothing is ever replaced.
    SimulationResult r = Simulate(EmptyHouse(40, 40));
    EXPECT_EQ(r.ExistingDays.back().ReplacedLamps, 0);
    EXPECT_EQ(r.PlannedDays.back().ReplacedLamps, 0);
    EXPECT_EQ(r.FittingCountExisting, 0);

    // A life of 0 months replaces every lamp with any wear every day.
    ProjectParameters p = DefaultHouse();
    p.ExistingLampLife = 0;
    r = Simulate(p);
    const int existingLamps = r.FittingCountExisting;
    for (int d : {0, 1, 500, SimulationDays - 1}) {
        EXPECT_EQ(r.ExistingDays[d].ReplacedLamps, (d + 1) * existingLamps) << d;
    }

    // No traffic: planned lamps lose nothing and never burn out, whatever their life.
    p = DefaultHouse();
    p.PassagesPerResident = 0;
    p.PlannedLampLife = 0;
    r = Simulate(p);
    EXPECT_EQ(r.PlannedDays.back().ReplacedLamps, 0);
    p.PassagesPerResident = 3.5;
    p.IndividualityCoefficient = 0;
    r = Simulate(p);
    EXPECT_EQ(r.PlannedDays.back().ReplacedLamps, 0);
}

TEST(Simulation, SameSeedSameResultAndTheLiftDoesNotMatter) {
    const ProjectParameters p = DefaultHouse();
    const SimulationResult a = Simulate(p, 12345);
    ProjectParameters noLift = p;
    noLift.HasLift = false;
    noLift.LiftModel = LiftModelLinear;
    const SimulationResult b = Simulate(noLift, 12345);
    EXPECT_EQ(a.ExistingDays, b.ExistingDays);
    EXPECT_EQ(a.PlannedDays, b.PlannedDays);
    EXPECT_EQ(a.PaybackDay, b.PaybackDay);
    const SimulationResult c = Simulate(p, 54321);
    EXPECT_NE(a.ExistingDays, c.ExistingDays);
}

// Stops a run after its first day.
class FirstDayOnly final : public DayObserver {
public:
    int FirstDayToAsk() const override { return 0; }
    int AfterDay(int) override { return -1; }
};

TEST(Simulation, AbsurdInputsSaturateInsteadOfOverflowing) {
    ProjectParameters p = DefaultHouse();
    p.ExistingLampLife = 1e300;
    p.PlannedLampLife = -1e300;
    p.PassagesPerResident = 1e300;
    p.HoldTimeLanding = -5;
    p.HoldTimeBetween = 0;
    SimulationResult r = Simulate(p);
    EXPECT_EQ(r.ExistingDays.back().ReplacedLamps, 0);
    // A negative life is below zero after the first day: every planned lamp goes every day.
    EXPECT_EQ(r.PlannedDays[0].ReplacedLamps, r.FittingCountPlanned);

    p = DefaultHouse();
    p.IndividualityCoefficient = -1e300;
    p.ExistingLampLife = std::numeric_limits<double>::max();
    r = Simulate(p);
    EXPECT_EQ(r.ExistingDays.back().ReplacedLamps, 0);

    // More lamps of one wear than a 32-bit count holds: two landings of 1.2 billion lamps that
    // all go every day. The first day replaces every one of them, its count saturated.
    p = EmptyHouse(2, 1);
    p.ExistingLampsLanding = 1'200'000'000;
    p.ExistingLampLife = 0;
    ComputeDailyEnergy(p, r);
    FirstDayOnly firstDay;
    SimulationMemory memory;
    RunSimulationWhile(p, r, 1, firstDay, memory);
    EXPECT_EQ(r.ExistingDays[0].ReplacedLamps, std::numeric_limits<std::int32_t>::max());

    EXPECT_EQ(SaturatingTrunc(1e20), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(SaturatingTrunc(-1e20), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(SaturatingTrunc(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(SaturatingTrunc(-2.9), -2);
}
