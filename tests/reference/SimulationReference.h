#pragma once

#include "ProjectParameters.h"
#include "SimulationResult.h"

#include <cstdint>

namespace reference {

// The simulation as a plain day loop: every day every lamp of both schemes is worn by its zone's
// daily hours and switch-ons and replaced by a freshly drawn lamp when either runs below zero.
// Fills the same fields as model::RunSimulation and must agree with it bit for bit.
void RunSimulationReference(const model::ProjectParameters& p, model::SimulationResult& result,
                            std::uint32_t seed);

} // namespace reference
