#pragma once

#include "ProjectParameters.h"

#include <functional>

namespace model {

// Estimates how many hours a day one planned lamp burns on a landing, in a flight and in the
// vestibule from the residents' traffic and the sensor hold times, and stores the three figures
// (each at most 24) as the planned burn hours. refreshPage, when given, runs afterwards so that the
// input page can show the new values.
void EstimatePlannedBurnHours(ProjectParameters& p, const std::function<void()>& refreshPage = {});

// Passages a day that the residents of one floor make: 0 where a zero factor met an overflowed
// product (not a number), as no traffic at all.
double PassagesPerFloor(const ProjectParameters& p);

// The sum over all landings of how many floors' worth of passages cross each landing.
double LandingWeightSum(std::int32_t floorCount, bool hasLift, std::uint8_t liftModel);

} // namespace model
