#include "HouseOffer.h"

#include <Economics.h>

namespace plan {

ValueParts ValuePartsOf(const model::ProjectParameters& p, const model::HouseFigures& figures,
                        model::SimulationResult& days) {
    // The energy part is the value of the same run with every price at 0. The day series stay in
    // `days`; only the money figures that the value reads are set aside and put back.
    const model::EconomicsInputs inputs = model::EconomicsInputsOf(p);
    model::ProjectParameters free = p;
    free.ExistingLampPrice = 0;
    free.PlannedLampPrice = 0;
    const double installExisting = days.InstallCostExisting;
    const double installPlanned = days.InstallCostPlanned;
    days.InstallCostExisting = 0;
    days.InstallCostPlanned = 0;
    const double energy = model::NetPresentValue(free, days, inputs, inputs.DiscountRate);
    days.InstallCostExisting = installExisting;
    days.InstallCostPlanned = installPlanned;
    return {energy, figures.Economics->NetPresentValue - energy};
}

HouseOffer OfferOf(const model::ProjectParameters& p, const model::HouseFigures& figures,
                   model::SimulationResult& days) {
    const ValueParts parts = ValuePartsOf(p, figures, days);
    HouseOffer offer;
    offer.InstallCost = figures.Result.InstallCostPlanned;
    offer.TariffGrowth = p.TariffGrowth;
    offer.LampPriceGrowth = p.LampPriceGrowth;
    offer.DiscountRate = p.DiscountRate;
    offer.ValueEnergy = parts.Energy;
    offer.ValuePrices = parts.Prices;
    offer.EnergySavedPerYear = figures.Economics->EnergySavedPerYear;
    offer.CO2AvoidedPerYear = figures.Economics->CO2AvoidedPerYear;
    return offer;
}

HouseOffer CalculateOffer(const model::ProjectParameters& p, std::uint32_t seed,
                          model::SimulationResult& days) {
    const model::HouseFigures figures = model::CalculateFigures(p, seed, days, true);
    return OfferOf(p, figures, days);
}

} // namespace plan
