#pragma once

#include "ProjectParameters.h"
#include "SimulationResult.h"

#include <cstdint>

namespace model {

// Daily energy of both schemes and its cost at the tariff.
void ComputeDailyEnergy(const ProjectParameters& p, SimulationResult& result);

// Installation costs and counts, then SimulationDays days of lamp ageing and replacement with
// lamp lives drawn from a generator seeded with `seed`, then the payback day. Needs
// ComputeDailyEnergy for the same project first.
void RunSimulation(const ProjectParameters& p, SimulationResult& result, std::uint32_t seed);

} // namespace model
