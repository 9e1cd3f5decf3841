#pragma once

#include "Calculation.h"
#include "ProjectParameters.h"

#include <atomic>
#include <cstdint>
#include <span>
#include <vector>

namespace cli {

// Calculates every house with the same seed on `jobs` threads; figures[i] belongs to houses[i],
// whatever the threads' order. `done` counts finished houses for a progress display. An exception
// of a calculation is raised again here once every thread has ended.
std::vector<model::HouseFigures> CalculateHouses(std::span<const model::ProjectParameters> houses,
                                                 std::uint32_t seed, unsigned jobs,
                                                 std::atomic<std::size_t>* done = nullptr);

} // namespace cli
