#pragma once

#include "Calculation.h"
#include "ProjectParameters.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace stock {

// Runs work(i, memory) for every i below count on `jobs` threads, in no particular order; `memory`
// is the thread's working memory for calculations, kept from item to item. An exception of an item
// stops the others after their current item and is raised again here once every thread has ended.
// Once `stop` is set no item is started (items run in about increasing order, so the items done
// are the first ones but for those the threads had started).
void ForEachOnThreads(std::size_t count, unsigned jobs,
                      const std::function<void(std::size_t, model::CalculationMemory&)>& work,
                      const std::atomic<bool>* stop = nullptr);

// Calculates every house with the same seed on `jobs` threads; figures[i] belongs to houses[i],
// whatever the threads' order. `done` counts finished houses for a progress display. With
// `economics` every house's economics are calculated too.
std::vector<model::HouseFigures> CalculateHouses(std::span<const model::ProjectParameters> houses,
                                                 std::uint32_t seed, unsigned jobs,
                                                 std::atomic<std::size_t>* done = nullptr,
                                                 bool economics = false);

} // namespace stock
