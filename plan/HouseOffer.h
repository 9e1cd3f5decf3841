#pragma once

#include "PlanProblem.h"

#include <Calculation.h>
#include <ProjectParameters.h>

#include <cstdint>

namespace plan {

// The net present value of a house at today's tariff and prices, split into the part the tariff
// scales (energy) and the part the prices scale (installations and lamps): at tariff × a and every
// price × b it is a × Energy + b × Prices. Roubles.
struct ValueParts {
    double Energy = 0;
    double Prices = 0;
};

// The parts of a house calculated with its economics: `days` holds the whole run
// (SimulatedDays::All) that gave `figures`.
ValueParts ValuePartsOf(const model::ProjectParameters& p, const model::HouseFigures& figures,
                        model::SimulationResult& days);

// What the plan needs of a house calculated with its economics.
HouseOffer OfferOf(const model::ProjectParameters& p, const model::HouseFigures& figures,
                   model::SimulationResult& days);

// Calculates the house with its economics on `seed` and makes its offer. `days` is working memory.
HouseOffer CalculateOffer(const model::ProjectParameters& p, std::uint32_t seed,
                          model::SimulationResult& days);

} // namespace plan
