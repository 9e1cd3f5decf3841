#pragma once

#include "ProjectParameters.h"
#include "ReplacementCalendar.h"
#include "SimulationResult.h"

#include <cstdint>

namespace model {

// Daily energy of both schemes and its cost at the tariff.
void ComputeDailyEnergy(const ProjectParameters& p, SimulationResult& result);

// Working memory of the simulations of one thread, kept from house to house: the calendars'
// rings are taken from the system once, not house after house.
struct SimulationMemory {
    ReplacementCalendar Existing;
    ReplacementCalendar Planned;
};

// Installation costs and counts, then SimulationDays days of lamp ageing and replacement with
// lamp lives drawn from a generator seeded with `seed`, then the payback day. Needs
// ComputeDailyEnergy for the same project first.
void RunSimulation(const ProjectParameters& p, SimulationResult& result, std::uint32_t seed);

// RunSimulation stopped at the end of the payback day: every figure but the day series is the
// same, and the day series are written up to that day only (all days when there is no payback):
// later days keep what `result` held.
void RunSimulationUntilPayback(const ProjectParameters& p, SimulationResult& result,
                               std::uint32_t seed);
void RunSimulationUntilPayback(const ProjectParameters& p, SimulationResult& result,
                               std::uint32_t seed, SimulationMemory& memory);

// Asked, on the days it names, whether a run should go on.
class DayObserver {
public:
    virtual ~DayObserver() = default;
    // The first day after whose simulation the observer is asked.
    virtual int FirstDayToAsk() const = 0;
    // Days up to `day` are in the result's day series. Returns the next day to be asked after,
    // or a negative number to stop the run here.
    virtual int AfterDay(int day) = 0;
};

// RunSimulation stopped after the day on which `observer` says so: the figures of the days
// simulated are RunSimulation's, the day series are written up to that day.
void RunSimulationWhile(const ProjectParameters& p, SimulationResult& result, std::uint32_t seed,
                        DayObserver& observer, SimulationMemory& memory);

} // namespace model
