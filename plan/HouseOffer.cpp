#include "HouseOffer.h"

namespace plan {

HouseOffer OfferOf(const model::EconomicsInputs& inputs, const model::HouseFigures& figures) {
    const model::EconomicsFigures& economics = *figures.Economics;
    HouseOffer offer;
    offer.InstallCost = figures.Result.InstallCostPlanned;
    offer.TariffGrowth = inputs.TariffGrowth;
    offer.LampPriceGrowth = inputs.LampPriceGrowth;
    offer.DiscountRate = inputs.DiscountRate;
    offer.ValueEnergy = economics.ValueParts.Energy;
    offer.ValuePrices = economics.ValueParts.Prices;
    offer.EnergySavedPerYear = economics.EnergySavedPerYear;
    offer.CO2AvoidedPerYear = economics.CO2AvoidedPerYear;
    return offer;
}

HouseOffer CalculateOffer(const model::ProjectParameters& p, std::uint32_t seed,
                          model::CalculationMemory& memory) {
    return OfferOf(model::EconomicsInputsOf(p), model::CalculateFigures(p, seed, memory, true));
}

} // namespace plan
