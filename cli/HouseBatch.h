#pragma once

#include "NumberFormat.h"
#include "ProjectParameters.h"
#include "SimulationResult.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace cli {

// What the results page shows of one calculated house: the calculation's figures without its day
// series, and the flats they are shared among.
struct HouseFigures {
    model::SimulationResult Result; // ExistingDays and PlannedDays empty
    double Flats = 1;
};

// Calculates one house as "Вперед " does: daily energy, then the simulation with this seed.
// `days` is working memory.
HouseFigures CalculateHouse(const model::ProjectParameters& p, std::uint32_t seed,
                            model::SimulationResult& days);

// Calculates every house with the same seed on `jobs` threads; figures[i] belongs to houses[i],
// whatever the threads' order. `done` counts finished houses for a progress display. An exception
// of a calculation is raised again here once every thread has ended.
std::vector<HouseFigures> CalculateHouses(std::span<const model::ProjectParameters> houses,
                                          std::uint32_t seed, unsigned jobs,
                                          std::atomic<std::size_t>* done = nullptr);

// The names of the result columns, in order.
std::vector<std::string> ResultColumns();

struct HouseRowSource {
    std::string File;
    std::size_t Line = 0;
    std::string Address;
};

// One row of results: the figures rounded as the report rounds them, written plainly (no digit
// grouping, no leading zeros) with the locale's decimal separator. Without figures (a rejected
// house) or without payback the figures or the payback cells stay empty.
std::vector<std::string> ResultCells(const HouseRowSource& source,
                                     const std::optional<HouseFigures>& figures, std::uint32_t seed,
                                     const model::NumberLocale& locale);

} // namespace cli
