#pragma once

#include "PlanProblem.h"

#include <Calculation.h>
#include <Economics.h>
#include <ProjectParameters.h>

#include <cstdint>

namespace plan {

// What the plan needs of a house calculated with its economics (`figures.Economics` set) from
// these economics inputs.
HouseOffer OfferOf(const model::EconomicsInputs& inputs, const model::HouseFigures& figures);

// Calculates the house with its economics on `seed` and makes its offer. `memory` is the thread's
// working memory.
HouseOffer CalculateOffer(const model::ProjectParameters& p, std::uint32_t seed,
                          model::CalculationMemory& memory);

} // namespace plan
