#include "Simulation.h"
#include "StartUpProject.h"

#include <gtest/gtest.h>

#include <random>

using namespace model;

// The run that stops on the payback day gives every figure of the full run.
TEST(RunSimulationUntilPayback, SameFiguresAsTheFullRun) {
    std::mt19937 random(2026);
    const auto upTo = [&](int n) { return static_cast<std::int32_t>(random() % (n + 1)); };
    int paidBack = 0;
    for (int i = 0; i < 300; ++i) {
        ProjectParameters p = test_support::StartUpCalculation();
        p.EntranceCount = 1 + upTo(39);
        p.FloorCount = 1 + upTo(39);
        p.ExistingLampsLanding = upTo(10);
        p.ExistingLampsVestibule = upTo(10);
        p.PlannedLampsBetween = upTo(10);
        p.PlannedBlocksLanding = upTo(10);
        p.ExistingLampLife = upTo(24);
        p.PlannedLampLife = upTo(36);
        p.BlockPrice = upTo(3000);
        p.PlannedHoursLanding = upTo(240) / 10.0;
        p.Tariff = 0.5 + upTo(50) / 10.0;
        const std::uint32_t seed = random();

        SimulationResult full;
        ComputeDailyEnergy(p, full);
        RunSimulation(p, full, seed);
        SimulationResult early = full;
        RunSimulationUntilPayback(p, early, seed);
        SCOPED_TRACE(i);
        ASSERT_EQ(early.PaybackFound, full.PaybackFound);
        paidBack += full.PaybackFound ? 1 : 0;
        EXPECT_EQ(early.PaybackDay, full.PaybackDay);
        EXPECT_EQ(early.PaybackCostExisting, full.PaybackCostExisting);
        EXPECT_EQ(early.PaybackCostPlanned, full.PaybackCostPlanned);
        EXPECT_EQ(early.PaybackReplacedExisting, full.PaybackReplacedExisting);
        EXPECT_EQ(early.PaybackReplacedPlanned, full.PaybackReplacedPlanned);
        EXPECT_EQ(early.InstallCostPlanned, full.InstallCostPlanned);
        EXPECT_EQ(early.BlockCount, full.BlockCount);
        if (!full.PaybackFound) {
            EXPECT_EQ(early.ExistingDays, full.ExistingDays);
            EXPECT_EQ(early.PlannedDays, full.PlannedDays);
        }
    }
    // Both kinds of house were met.
    EXPECT_GT(paidBack, 30);
    EXPECT_LT(paidBack, 270);
}
