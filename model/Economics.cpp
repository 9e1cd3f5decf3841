#include "Economics.h"

#include <algorithm>
#include <cmath>

namespace model {
namespace {

constexpr int DaysPerYear = 365;
constexpr double HighestReturnRate = 1000; // percent a year
constexpr double ReturnRateStep = 0.01;    // percent

struct Scheme {
    double InstallCost;
    double DailyEnergyCost;
    double LampPrice;
    const std::vector<DayRecord>& Days;
};

// Discounted cumulative costs of both schemes for days 0 .. lastDay, in day order. With every rate
// at 0 the sums are the simulation's own, bit for bit: A grows by the same daily energy cost, B by
// the replaced lamps, and the cost of a day is A + B × lamp price.
void DiscountedCosts(const Scheme& existing, const Scheme& planned, const EconomicsInputs& inputs,
                     double discountRate, int lastDay, std::vector<double>* existingCosts,
                     std::vector<double>* plannedCosts, double& existingLast, double& plannedLast,
                     std::optional<int>* firstDearerDay, bool stepwiseDiscount = false) {
    const double tariffBase = 1 + inputs.TariffGrowth / 100;
    const double priceBase = 1 + inputs.LampPriceGrowth / 100;
    const double discountBase = 1 + discountRate / 100;
    // The search for the return rate values the days step by step, a day's factor at a time: its
    // values differ from std::pow's in the last bits only, and it takes a fraction of the time.
    const double dayFactor = std::pow(discountBase, -1.0 / DaysPerYear);
    double stepped = 1;
    int factorsYear = -1;
    double tf = 1;
    double pf = 1;
    double existingEnergy = existing.InstallCost;
    double plannedEnergy = planned.InstallCost;
    double existingLamps = 0;
    double plannedLamps = 0;
    std::int32_t existingBefore = 0;
    std::int32_t plannedBefore = 0;
    // A run cut short prices the days it has.
    lastDay = std::min({lastDay, static_cast<int>(existing.Days.size()) - 1,
                        static_cast<int>(planned.Days.size()) - 1});
    for (int day = 0; day <= lastDay; ++day) {
        const int year = day / DaysPerYear;
        if (year != factorsYear) {
            tf = std::pow(tariffBase, year);
            pf = std::pow(priceBase, year);
            factorsYear = year;
        }
        const double v = stepwiseDiscount
                             ? stepped
                             : std::pow(discountBase, -static_cast<double>(day) / DaysPerYear);
        stepped *= dayFactor;
        const std::int32_t existingReplaced = existing.Days[day].ReplacedLamps;
        const std::int32_t plannedReplaced = planned.Days[day].ReplacedLamps;
        existingEnergy += existing.DailyEnergyCost * tf * v;
        plannedEnergy += planned.DailyEnergyCost * tf * v;
        existingLamps += static_cast<double>(existingReplaced - existingBefore) * pf * v;
        plannedLamps += static_cast<double>(plannedReplaced - plannedBefore) * pf * v;
        existingBefore = existingReplaced;
        plannedBefore = plannedReplaced;
        existingLast = existingEnergy + existingLamps * existing.LampPrice;
        plannedLast = plannedEnergy + plannedLamps * planned.LampPrice;
        if (existingCosts != nullptr) {
            existingCosts->push_back(existingLast);
            plannedCosts->push_back(plannedLast);
        }
        if (firstDearerDay != nullptr && !*firstDearerDay && existingLast > plannedLast) {
            *firstDearerDay = day;
        }
    }
}

Scheme ExistingScheme(const ProjectParameters& p, const SimulationResult& r) {
    return {r.InstallCostExisting, r.DailyEnergyCostExisting, p.ExistingLampPrice, r.ExistingDays};
}

Scheme PlannedScheme(const ProjectParameters& p, const SimulationResult& r) {
    return {r.InstallCostPlanned, r.DailyEnergyCostPlanned, p.PlannedLampPrice, r.PlannedDays};
}

} // namespace

int HorizonLastDay(std::int32_t horizonYears) {
    const std::int64_t days = static_cast<std::int64_t>(DaysPerYear) * std::max(horizonYears, 1);
    return static_cast<int>(std::min<std::int64_t>(days, SimulationDays)) - 1;
}

namespace {

// The net present value at a rate; the search for the return rate values the days step by step.
double ValueAt(const ProjectParameters& p, const SimulationResult& result,
               const EconomicsInputs& inputs, double discountRate, bool stepwise) {
    double existing = 0;
    double planned = 0;
    DiscountedCosts(ExistingScheme(p, result), PlannedScheme(p, result), inputs, discountRate,
                    HorizonLastDay(inputs.HorizonYears), nullptr, nullptr, existing, planned,
                    nullptr, stepwise);
    return existing - planned;
}

} // namespace

double NetPresentValue(const ProjectParameters& p, const SimulationResult& result,
                       const EconomicsInputs& inputs, double discountRate) {
    return ValueAt(p, result, inputs, discountRate, false);
}

EconomicsFigures CalculateEconomics(const ProjectParameters& p, const SimulationResult& result,
                                    const EconomicsInputs& inputs) {
    EconomicsFigures f;
    const int lastDay =
        static_cast<int>(std::min(result.ExistingDays.size(), result.PlannedDays.size())) - 1;
    double existing = 0;
    double planned = 0;
    std::optional<int> firstDearer;
    f.ExistingCosts.reserve(static_cast<std::size_t>(lastDay + 1));
    f.PlannedCosts.reserve(static_cast<std::size_t>(lastDay + 1));
    DiscountedCosts(ExistingScheme(p, result), PlannedScheme(p, result), inputs,
                    inputs.DiscountRate, lastDay, &f.ExistingCosts, &f.PlannedCosts, existing,
                    planned, &firstDearer);
    if (firstDearer) {
        f.DiscountedPaybackFound = true;
        f.DiscountedPaybackDay = std::max(*firstDearer - 1, 0);
    }
    const int horizon = std::min(HorizonLastDay(inputs.HorizonYears), lastDay);
    if (horizon >= 0) {
        f.NetPresentValue = f.ExistingCosts[static_cast<std::size_t>(horizon)] -
                            f.PlannedCosts[static_cast<std::size_t>(horizon)];
    }

    // The rate at which the net present value falls to 0, by halving the interval to 0.01 %.
    const auto npv = [&](double rate) { return ValueAt(p, result, inputs, rate, true); };
    if (npv(0) > 0) {
        if (npv(HighestReturnRate) > 0) {
            f.InternalRateOfReturn.Found = ReturnRate::Kind::AboveHighest;
        } else {
            double low = 0;
            double high = HighestReturnRate;
            while (high - low > ReturnRateStep / 2) {
                const double middle = (low + high) / 2;
                (npv(middle) > 0 ? low : high) = middle;
            }
            f.InternalRateOfReturn.Found = ReturnRate::Kind::Found;
            f.InternalRateOfReturn.Percent =
                std::round((low + high) / 2 / ReturnRateStep) * ReturnRateStep;
        }
    }

    f.EnergySavedPerYear = (result.DailyEnergyExisting - result.DailyEnergyPlanned) * DaysPerYear;
    f.MoneySavedFirstYear = f.EnergySavedPerYear * p.Tariff;
    f.CO2AvoidedPerYear = f.EnergySavedPerYear * inputs.EmissionFactor / 1000;
    return f;
}

} // namespace model
