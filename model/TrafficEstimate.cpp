#include "TrafficEstimate.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace model {

double LandingWeightSum(std::int32_t floorCount, bool hasLift, std::uint8_t liftModel) {
    const std::int32_t n = std::max<std::int32_t>(floorCount, 1);
    if (!hasLift) {
        return static_cast<double>(n) * (n + 1) / 2.0;
    }
    // w[1..n]: every resident passes his own landing and the ground-floor landing; a share of the
    // residents of floor k walks past the landings in between instead of riding the lift.
    std::vector<double> w(static_cast<std::size_t>(n) + 1, 0.0);
    for (std::int32_t k = n; k >= 1; --k) {
        w[k] += 1;
        w[1] += 1;
        if (k >= 3) {
            const double share = liftModel == LiftModelExponential
                                     ? 1.0 / std::pow(static_cast<double>(k), 2.0)
                                     : static_cast<double>(n - k) / static_cast<double>(n - 1);
            for (std::int32_t j = k - 1; j >= 2; --j) {
                w[j] += share;
            }
        }
    }
    double sum = 0;
    for (std::int32_t j = 1; j <= n; ++j) {
        sum += w[j];
    }
    return sum;
}

double PassagesPerFloor(const ProjectParameters& p) {
    const double passages =
        p.ResidentsPerFlat * p.FlatsPerFloor * p.IndividualityCoefficient * p.PassagesPerResident;
    return std::isnan(passages) ? 0 : passages;
}

void EstimatePlannedBurnHours(ProjectParameters& p, const std::function<void()>& refreshPage) {
    const std::int32_t n = std::max<std::int32_t>(p.FloorCount, 1);
    const double passagesPerFloor = PassagesPerFloor(p);
    const double weightSum = LandingWeightSum(n, p.HasLift, p.LiftModel);
    const double vestibulePassages = n * passagesPerFloor;
    const double landingPassages = (weightSum / n) * passagesPerFloor;

    // Huge coefficients of the settings can make the passages infinite. The hours must still be a
    // number that the page shows and reads back: no hold time keeps no lamp lit however many
    // passages there are, and an infinite negative product stops at the lowest double.
    const auto burnHours = [](double passages, double holdTime) {
        if (holdTime == 0) {
            return 0.0;
        }
        const double hours = passages * holdTime;
        return hours > 24 ? 24.0 : std::max(hours, std::numeric_limits<double>::lowest());
    };
    p.PlannedHoursLanding = burnHours(landingPassages, p.HoldTimeLanding);
    p.PlannedHoursBetween = burnHours(landingPassages, p.HoldTimeBetween);
    p.PlannedHoursVestibule = burnHours(vestibulePassages, p.HoldTimeVestibule);

    if (refreshPage) {
        refreshPage();
    }
}

} // namespace model
