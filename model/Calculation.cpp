#include "Calculation.h"

#include "Simulation.h"

namespace model {

void Calculate(const ProjectParameters& p, std::uint32_t seed, SimulatedDays days,
               SimulationResult& result) {
    ComputeDailyEnergy(p, result);
    if (days == SimulatedDays::All) {
        RunSimulation(p, result, seed);
    } else {
        RunSimulationUntilPayback(p, result, seed);
    }
}

} // namespace model
