#pragma once

#include "ProjectParameters.h"
#include "SimulationResult.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace model {

// The project's money over time: tariffs and lamp prices indexed every year, money discounted
// to day 0. Rates in percent a year.
struct EconomicsInputs {
    double TariffGrowth = 0;        // -50 .. 100
    double LampPriceGrowth = 0;     // -50 .. 100
    double DiscountRate = 0;        // 0 .. 100
    std::int32_t HorizonYears = 10; // 1 .. 27
    double EmissionFactor = 0;      // kg CO2 per kWh, 0 .. 2
};

// The internal rate of return when it exists within 0 .. 1000 % a year.
struct ReturnRate {
    enum class Kind {
        None,         // the project does not pay back over the horizon even undiscounted
        Found,        // Percent holds it, to 0.01 %
        AboveHighest, // above 1000 % a year
    };
    Kind Found = Kind::None;
    double Percent = 0;
};

struct EconomicsFigures {
    // The report's payback rule on the discounted costs: the day before the first day on which
    // the existing scheme has cost more, 0 when that is day 0.
    bool DiscountedPaybackFound = false;
    std::int32_t DiscountedPaybackDay = 0;
    double NetPresentValue = 0; // roubles, existing minus planned cost at the horizon's end
    ReturnRate InternalRateOfReturn;
    double EnergySavedPerYear = 0;  // kWh
    double MoneySavedFirstYear = 0; // roubles at today's tariff
    double CO2AvoidedPerYear = 0;   // tonnes
    // Discounted cumulative costs of every day simulated, for the chart of the saving.
    std::vector<double> ExistingCosts;
    std::vector<double> PlannedCosts;
};

// The economics inputs a house holds.
inline EconomicsInputs EconomicsInputsOf(const ProjectParameters& p) {
    return {p.TariffGrowth, p.LampPriceGrowth, p.DiscountRate, p.HorizonYears, p.EmissionFactor};
}

// The last day the horizon covers: min(365 × years, SimulationDays) - 1.
int HorizonLastDay(std::int32_t horizonYears);

// The economics of a calculated house. `result` must hold the day series of a whole run
// (SimulatedDays::All) of the same house: the same replacements are priced.
EconomicsFigures CalculateEconomics(const ProjectParameters& p, const SimulationResult& result,
                                    const EconomicsInputs& inputs);

// The net present value over the horizon at one discount rate, the other inputs kept.
double NetPresentValue(const ProjectParameters& p, const SimulationResult& result,
                       const EconomicsInputs& inputs, double discountRate);

} // namespace model
