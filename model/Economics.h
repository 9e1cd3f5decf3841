#pragma once

#include "ProjectParameters.h"
#include "SimulationResult.h"

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace model {

// The economics count years of 365 days.
inline constexpr int DaysPerYear = 365;

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

// The net present value split by what it is made of, so that the value of the same house with
// its tariff scaled by a and every price (lamps, fittings, blocks, their installation) scaled by
// b is a × Energy + b × Prices: prices and tariff change no lamp's life.
struct NetPresentValueParts {
    double Energy = 0; // roubles: the discounted energy the planned scheme saves
    double Prices = 0; // roubles: installation and discounted lamps, existing minus planned
};

struct EconomicsFigures {
    // The report's payback rule on the discounted costs: the day before the first day on which
    // the existing scheme has cost more, 0 when that is day 0.
    bool DiscountedPaybackFound = false;
    std::int32_t DiscountedPaybackDay = 0;
    double NetPresentValue = 0; // roubles, existing minus planned cost at the horizon's end
    NetPresentValueParts ValueParts;
    // The parts over the first m whole years of the horizon at [m - 1], m = 1 .. its years: a
    // house fitted k years later and valued to the same end earns the first (years - k) of them.
    std::vector<NetPresentValueParts> YearEndParts;
    ReturnRate InternalRateOfReturn;
    double EnergySavedPerYear = 0;  // kWh
    double MoneySavedFirstYear = 0; // roubles at today's tariff
    double CO2AvoidedPerYear = 0;   // tonnes
    // Discounted cumulative costs of every day simulated, for the chart of the saving; empty
    // where the figures were calculated without them.
    std::vector<double> ExistingCosts;
    std::vector<double> PlannedCosts;
};

// The economics inputs a house holds.
inline EconomicsInputs EconomicsInputsOf(const ProjectParameters& p) {
    return {p.TariffGrowth, p.LampPriceGrowth, p.DiscountRate, p.HorizonYears, p.EmissionFactor};
}

// The last day the horizon covers: min(365 × years, SimulationDays) - 1.
int HorizonLastDay(std::int32_t horizonYears);

// The discount factors (1 + rate / 100)^(-day / 365) of one rate, each as std::pow gives it,
// made as days ask for them. Kept from house to house, houses of one rate compute them once.
class DiscountFactors {
public:
    void UseRate(double ratePercent);
    // The factors of days 0 .. at least `day`, indexed by day.
    const double* Through(int day);

private:
    void Extend(int day);

    double base_ = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> factors_;
};

// Working memory of the economics, kept from house to house on one thread.
struct EconomicsMemory {
    DiscountFactors Discount;
    std::vector<double> NetFlows; // roubles saved each day of the horizon, undiscounted
};

// The economics of a calculated house, with the discounted costs of every day of `result` for
// the chart. `result` must hold the day series of a whole run (SimulatedDays::All) of the same
// house: the same replacements are priced.
EconomicsFigures CalculateEconomics(const ProjectParameters& p, const SimulationResult& result,
                                    const EconomicsInputs& inputs);

// The economics while a run goes on: the simulation hands over each day as it is simulated, and
// says when the figures need no more days.
class EconomicsRun {
public:
    // `run` is the simulation's result being filled; every reference must outlive this object.
    EconomicsRun(const ProjectParameters& p, const SimulationResult& run,
                 const EconomicsInputs& inputs, EconomicsMemory& memory);

    // Prices the days of the run after those already priced, up to `lastDay`. Returns whether the
    // figures need more days: until the horizon's last day and the discounted payback are both
    // reached.
    bool AddDays(int lastDay);

    // The first day whose pricing can end the run: the horizon's last.
    int HorizonLastDay() const { return horizonLastDay_; }

    // The figures of the days added, without day series.
    EconomicsFigures Figures() const;

private:
    const ProjectParameters& p_;
    const SimulationResult& run_;
    EconomicsInputs inputs_;
    EconomicsMemory& memory_;
    int horizonLastDay_;
    double tariffBase_;
    double priceBase_;
    double existingEnergy_ = 0; // roubles, installation included
    double plannedEnergy_ = 0;
    double existingLamps_ = 0; // lamps, discounted and indexed
    double plannedLamps_ = 0;
    std::int32_t existingBefore_ = 0;
    std::int32_t plannedBefore_ = 0;
    // Prices days from .. to, all of year `year`.
    void AddDaysOfYear(int year, int from, int to);

    std::optional<int> firstDearerDay_;
    int lastDay_ = -1;
    double flowScale_ = 0; // roubles: both schemes' undiscounted costs over the horizon
    struct RunningSums {
        double ExistingEnergy, ExistingLamps, PlannedEnergy, PlannedLamps;
    };
    RunningSums Sums() const {
        return {existingEnergy_, existingLamps_, plannedEnergy_, plannedLamps_};
    }
    RunningSums horizonSums_{};
    // The sums at the end of each whole year of the horizon priced so far.
    std::array<RunningSums, SimulationDays / DaysPerYear> yearEndSums_{};
    int yearEnds_ = 0;
    NetPresentValueParts PartsOf(const RunningSums& at) const;
    std::vector<double>* existingCosts_ = nullptr;
    std::vector<double>* plannedCosts_ = nullptr;

    friend EconomicsFigures CalculateEconomics(const ProjectParameters&, const SimulationResult&,
                                               const EconomicsInputs&);
};

} // namespace model
