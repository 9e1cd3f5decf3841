#include "LampPower.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using model::SnapLampPower;

TEST(SnapLampPower, OneWattOffAStandardPowerMovesToItsNeighbour) {
    EXPECT_EQ(SnapLampPower(39), 35);
    EXPECT_EQ(SnapLampPower(41), 50);
    EXPECT_EQ(SnapLampPower(23), 12);
    EXPECT_EQ(SnapLampPower(25), 35);
    EXPECT_EQ(SnapLampPower(13), 24);
    EXPECT_EQ(SnapLampPower(149), 100);
    EXPECT_EQ(SnapLampPower(99), 75);
    EXPECT_EQ(SnapLampPower(101), 150);
}

TEST(SnapLampPower, EndsAndOtherValuesStay) {
    EXPECT_EQ(SnapLampPower(11), 11);   // below the smallest standard power
    EXPECT_EQ(SnapLampPower(151), 151); // above the largest
    for (int value : {-5, 0, 1, 10, 12, 40, 45, 150, 152, 500}) {
        EXPECT_EQ(SnapLampPower(value), value) << value;
    }
    // Values near 10 are not snapped even when one off a standard power would say so.
    EXPECT_EQ(SnapLampPower(10), 10);
}

TEST(SnapLampPower, ArrowStepsWalkTheStandardPowers) {
    int power = 12;
    std::vector<int> upward;
    while (power < 151) {
        power = SnapLampPower(power + 1);
        upward.push_back(power);
    }
    EXPECT_EQ(upward, (std::vector<int>{24, 35, 40, 50, 60, 75, 100, 150, 151}));
    power = 150;
    std::vector<int> downward;
    while (power > 11) {
        power = SnapLampPower(power - 1);
        downward.push_back(power);
    }
    EXPECT_EQ(downward, (std::vector<int>{100, 75, 60, 50, 40, 35, 24, 12, 11}));
}

} // namespace
