#pragma once

#include "FuzzCheck.h"
#include "ProjectParameters.h"

#include <cmath>
#include <cstdint>

namespace fuzz {

// What a reading by the page's rules promises of the house whatever the texts: the fourteen
// checked fields stay within the page's limits.
inline void RequirePageRanges(const model::ProjectParameters& p) {
    const auto between = [](double value, double low, double high) {
        return value >= low && value <= high;
    };
    Require(between(p.EntranceCount, 1, 40) && between(p.FloorCount, 1, 40),
            "entrances and floors stay within 1..40");
    Require(between(p.ResidentsPerFlat, 1, 40) && between(p.FlatsPerFloor, 1, 40),
            "residents and flats stay within 1..40");
    Require(std::isfinite(p.Tariff) && p.Tariff > 0, "the tariff stays above 0");
    for (const std::int32_t count :
         {p.ExistingLampsLanding, p.ExistingLampsBetween, p.ExistingLampsVestibule,
          p.PlannedLampsLanding, p.PlannedLampsBetween, p.PlannedLampsVestibule,
          p.PlannedBlocksLanding, p.PlannedBlocksBetween, p.PlannedBlocksVestibule}) {
        Require(between(count, 0, 10), "lamp and block counts stay within 0..10");
    }
}

} // namespace fuzz
