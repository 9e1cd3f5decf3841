#pragma once

#include "ProjectParameters.h"
#include "TrafficEstimate.h"

#include <cmath>

namespace test_support {

// The project as the program holds it after start-up: the defaults and the house the input page
// starts with (5 entrances, 9 floors, a lift, 4 residents in each of 3 flats a floor, 1,38 a kWh).
inline model::ProjectParameters StartUpHouse() {
    model::ProjectParameters p;
    model::SetDefaultParameters(p);
    p.Address = "ул.   д. ";
    p.EntranceCount = 5;
    p.FloorCount = 9;
    p.HasLift = true;
    p.ResidentsPerFlat = 4;
    p.FlatsPerFloor = 3;
    p.Tariff = 1.38;
    return p;
}

// What "Вперед " calculates when nothing was changed: one sensor block in every zone and the
// estimated burn hours as the page shows them, with two decimals (1.46, 0.49 and 1.05).
inline model::ProjectParameters StartUpCalculation() {
    model::ProjectParameters p = StartUpHouse();
    p.PlannedBlocksLanding = p.PlannedBlocksBetween = p.PlannedBlocksVestibule = 1;
    model::EstimatePlannedBurnHours(p);
    for (double* hours :
         {&p.PlannedHoursLanding, &p.PlannedHoursBetween, &p.PlannedHoursVestibule}) {
        *hours = std::round(*hours * 100) / 100;
    }
    return p;
}

} // namespace test_support
