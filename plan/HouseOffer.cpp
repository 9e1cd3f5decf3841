#include "HouseOffer.h"

#include <algorithm>

namespace plan {

HouseOffer OfferOf(const model::EconomicsInputs& inputs, const model::HouseFigures& figures) {
    const model::EconomicsFigures& economics = *figures.Economics;
    HouseOffer offer;
    offer.InstallCost = figures.Result.InstallCostPlanned;
    offer.TariffGrowth = inputs.TariffGrowth;
    offer.LampPriceGrowth = inputs.LampPriceGrowth;
    offer.DiscountRate = inputs.DiscountRate;
    const std::vector<model::NetPresentValueParts>& ends = economics.YearEndParts;
    offer.HorizonYears = std::max(static_cast<int>(ends.size()), 1);
    for (std::size_t k = 0; k < ends.size() && k < offer.ValueEndingEarlier.size(); ++k) {
        const model::NetPresentValueParts& parts = ends[ends.size() - 1 - k];
        offer.ValueEndingEarlier[k] = {parts.Energy, parts.Prices};
    }
    offer.EnergySavedPerYear = economics.EnergySavedPerYear;
    offer.CO2AvoidedPerYear = economics.CO2AvoidedPerYear;
    return offer;
}

HouseOffer CalculateOffer(const model::ProjectParameters& p, std::uint32_t seed,
                          model::CalculationMemory& memory) {
    return OfferOf(model::EconomicsInputsOf(p), model::CalculateFigures(p, seed, memory, true));
}

} // namespace plan
