#include "Economics.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace model {
namespace {

constexpr double HighestReturnRate = 1000; // percent a year
constexpr double ReturnRateStep = 0.01;    // percent

// The net present value over days 0 .. lastDay at `rate`, the days valued step by step, a day's
// factor at a time, as the search for the return rate has always valued them.
double SteppedValue(const ProjectParameters& p, const SimulationResult& run,
                    const EconomicsInputs& inputs, double rate, int lastDay) {
    const double tariffBase = 1 + inputs.TariffGrowth / 100;
    const double priceBase = 1 + inputs.LampPriceGrowth / 100;
    const double dayFactor = std::pow(1 + rate / 100, -1.0 / DaysPerYear);
    double stepped = 1;
    int factorsYear = -1;
    double tf = 1;
    double pf = 1;
    double existingEnergy = run.InstallCostExisting;
    double plannedEnergy = run.InstallCostPlanned;
    double existingLamps = 0;
    double plannedLamps = 0;
    std::int32_t existingBefore = 0;
    std::int32_t plannedBefore = 0;
    for (int day = 0; day <= lastDay; ++day) {
        const int year = day / DaysPerYear;
        if (year != factorsYear) {
            tf = std::pow(tariffBase, year);
            pf = std::pow(priceBase, year);
            factorsYear = year;
        }
        const double v = stepped;
        stepped *= dayFactor;
        const std::int32_t existingReplaced = run.ExistingDays[day].ReplacedLamps;
        const std::int32_t plannedReplaced = run.PlannedDays[day].ReplacedLamps;
        existingEnergy += run.DailyEnergyCostExisting * tf * v;
        plannedEnergy += run.DailyEnergyCostPlanned * tf * v;
        existingLamps += static_cast<double>(existingReplaced - existingBefore) * pf * v;
        plannedLamps += static_cast<double>(plannedReplaced - plannedBefore) * pf * v;
        existingBefore = existingReplaced;
        plannedBefore = plannedReplaced;
    }
    return (existingEnergy + existingLamps * p.ExistingLampPrice) -
           (plannedEnergy + plannedLamps * p.PlannedLampPrice);
}

// The money the planned scheme saves on each day of the horizon, undiscounted: the value at a
// rate is a polynomial in the day's factor, cheap to evaluate many times.
struct NetFlows {
    double Initial = 0;                        // roubles: installation, existing minus planned
    const std::vector<double>* Days = nullptr; // roubles saved on each day
    double Scale = 0; // roubles: both schemes' costs, undiscounted, as magnitudes
};

// Two days' numbers side by side: these sums answer signs only where they are clearly away
// from 0, so their rounding may differ from the day-by-day valuation's, and pairs halve the work.
using Pair = double __attribute__((vector_size(16)));

Pair LoadPair(const double* from) {
    Pair pair;
    std::memcpy(&pair, from, sizeof pair);
    return pair;
}

// The value of the flows at `rate`, four days at a time so that the products do not wait on
// each other.
double FlowValue(const NetFlows& flows, double rate) {
    const double x = std::pow(1 + rate / 100, -1.0 / DaysPerYear);
    const double x2 = x * x;
    const double x4 = x2 * x2;
    const std::vector<double>& c = *flows.Days;
    const std::size_t n = c.size();
    const Pair step = {x4, x4};
    Pair low = {0, 0};
    Pair high = {0, 0};
    Pair w = {1, x};
    std::size_t d = 0;
    for (; d + 4 <= n; d += 4) {
        low += LoadPair(c.data() + d) * w;
        high += LoadPair(c.data() + d + 2) * w;
        w *= step;
    }
    double tail = 0;
    double lastW = w[0];
    for (; d < n; ++d) {
        tail += c[d] * lastW;
        lastW *= x;
    }
    return flows.Initial + low[0] + low[1] + x2 * (high[0] + high[1]) + tail;
}

// Whether the value can only fall as the rate rises: nothing after day 0 costs the planned
// scheme more than it saves.
bool FallsWithRate(const NetFlows& flows) {
    const std::vector<double>& c = *flows.Days;
    return std::all_of(c.begin() + (c.empty() ? 0 : 1), c.end(), [](double v) { return v >= 0; });
}

// S(x) = the sum of c_d x^d over the days after day 0, and its derivative by ln x,
// the sum of d c_d x^d, four days at a time.
struct Sums {
    double Value, Slope;
};

Sums LaterFlowSums(const std::vector<double>& c, double x) {
    const double x2 = x * x;
    const double x4 = x2 * x2;
    const Pair step = {x4, x4};
    const Pair four = {4, 4};
    Pair value[2] = {{0, 0}, {0, 0}};
    Pair slope[2] = {{0, 0}, {0, 0}};
    Pair w[2] = {{x, x2}, {x2 * x, x4}};
    // The days as reals, counted along, so that no day is converted from an integer.
    Pair days[2] = {{1, 2}, {3, 4}};
    std::size_t d = 1;
    for (; d + 4 <= c.size(); d += 4) {
        for (std::size_t j = 0; j < 2; ++j) {
            const Pair term = LoadPair(c.data() + d + 2 * j) * w[j];
            value[j] += term;
            slope[j] += days[j] * term;
            w[j] *= step;
            days[j] += four;
        }
    }
    double lastW = w[0][0];
    double day = days[0][0];
    double tailValue = 0;
    double tailSlope = 0;
    for (; d < c.size(); ++d) {
        tailValue += c[d] * lastW;
        tailSlope += day * c[d] * lastW;
        lastW *= x;
        day += 1;
    }
    const Pair values = value[0] + value[1];
    const Pair slopes = slope[0] + slope[1];
    return {values[0] + values[1] + tailValue, slopes[0] + slopes[1] + tailSlope};
}

struct Bracket {
    double Low, High; // percent: the value is surely above 0 at Low and below at High
};

// Where no day after day 0 costs the planned scheme more than it saves, the value is
// Initial + c_0 + S(x), and the root is where ln S(x) = ln K, K = -(Initial + c_0). ln S is a
// convex increasing, nearly straight function of ln x: Newton's steps from x = 1 (rate 0) approach
// its root from above without passing it, in a few steps where halving takes twenty. Returns a
// narrow bracket around the root whose ends are checked, or nothing.
std::optional<Bracket> BracketFallingValue(const NetFlows& flows, double doubt) {
    const std::vector<double>& c = *flows.Days;
    const double k = -(flows.Initial + (c.empty() ? 0 : c[0]));
    if (!(k > 0)) {
        return std::nullopt;
    }
    const double logK = std::log(k);
    double u = 0; // ln x
    for (int step = 0; step < 60; ++step) {
        const Sums at = LaterFlowSums(c, std::exp(u));
        if (!(at.Value > 0) || !(at.Slope > 0)) {
            return std::nullopt;
        }
        const double next = u - (std::log(at.Value) - logK) * at.Value / at.Slope;
        if (!(next < u)) {
            break;
        }
        const bool settled = u - next <= 1e-10 * -next;
        u = next;
        if (settled) {
            break; // the next step would move the rate by far less than its margin below
        }
    }
    const double rate = std::expm1(-static_cast<double>(DaysPerYear) * u) * 100;
    const double margin = 1e-6 * std::max(1.0, rate);
    const Bracket b{rate - margin, rate + margin};
    if (FlowValue(flows, b.Low) > doubt && FlowValue(flows, b.High) < -doubt) {
        return b;
    }
    return std::nullopt;
}

// The rate at which the net present value falls to 0, by halving the interval to 0.01 %, each
// halving asking the sign of the value with the days valued step by step. The flows' polynomial
// answers wherever it is clearly away from 0, the days decide the rest; and where the value falls
// with the rate, a bracket narrowed beforehand answers the halvings outside it. The rate found is
// the one the day-by-day halving finds.
ReturnRate SearchReturnRate(const ProjectParameters& p, const SimulationResult& run,
                            const EconomicsInputs& inputs, const NetFlows& flows, int lastDay) {
    // Both valuations round; they differ by far less than this share of the costs.
    const double doubt = flows.Scale * 1e-9;
    const auto positive = [&](double rate, double value) {
        if (std::abs(value) > doubt) {
            return value > 0;
        }
        return SteppedValue(p, run, inputs, rate, lastDay) > 0;
    };
    ReturnRate found;
    const double atZero = FlowValue(flows, 0);
    if (!positive(0, atZero)) {
        return found;
    }
    const double atHighest = FlowValue(flows, HighestReturnRate);
    if (positive(HighestReturnRate, atHighest)) {
        found.Found = ReturnRate::Kind::AboveHighest;
        return found;
    }
    std::optional<Bracket> known;
    if (FallsWithRate(flows) && atZero > doubt && atHighest < -doubt) {
        known = BracketFallingValue(flows, doubt);
    }
    const auto positiveAt = [&](double rate) {
        if (known && rate <= known->Low) {
            return true;
        }
        if (known && rate >= known->High) {
            return false;
        }
        return positive(rate, FlowValue(flows, rate));
    };
    double low = 0;
    double high = HighestReturnRate;
    while (high - low > ReturnRateStep / 2) {
        const double middle = (low + high) / 2;
        (positiveAt(middle) ? low : high) = middle;
    }
    found.Found = ReturnRate::Kind::Found;
    found.Percent = std::round((low + high) / 2 / ReturnRateStep) * ReturnRateStep;
    return found;
}

} // namespace

int HorizonLastDay(std::int32_t horizonYears) {
    const std::int64_t days = static_cast<std::int64_t>(DaysPerYear) * std::max(horizonYears, 1);
    return static_cast<int>(std::min<std::int64_t>(days, SimulationDays)) - 1;
}

void DiscountFactors::UseRate(double ratePercent) {
    const double base = 1 + ratePercent / 100;
    if (!(base == base_)) {
        base_ = base;
        factors_.clear();
    }
}

const double* DiscountFactors::Through(int day) {
    if (static_cast<std::size_t>(day) >= factors_.size()) {
        Extend(day);
    }
    return factors_.data();
}

void DiscountFactors::Extend(int day) {
    // A year at a time: most houses ask for whole years.
    const int last = std::min(std::max(day, static_cast<int>(factors_.size()) + DaysPerYear - 1),
                              SimulationDays - 1);
    factors_.reserve(SimulationDays);
    for (int d = static_cast<int>(factors_.size()); d <= std::max(last, day); ++d) {
        factors_.push_back(std::pow(base_, -static_cast<double>(d) / DaysPerYear));
    }
}

EconomicsRun::EconomicsRun(const ProjectParameters& p, const SimulationResult& run,
                           const EconomicsInputs& inputs, EconomicsMemory& memory)
    : p_(p), run_(run), inputs_(inputs), memory_(memory),
      horizonLastDay_(model::HorizonLastDay(inputs.HorizonYears)),
      tariffBase_(1 + inputs.TariffGrowth / 100), priceBase_(1 + inputs.LampPriceGrowth / 100) {
    memory_.Discount.UseRate(inputs.DiscountRate);
}

bool EconomicsRun::AddDays(int lastDay) {
    if (lastDay_ < 0 && lastDay >= 0) {
        existingEnergy_ = run_.InstallCostExisting;
        plannedEnergy_ = run_.InstallCostPlanned;
        memory_.NetFlows.resize(static_cast<std::size_t>(horizonLastDay_ + 1));
        flowScale_ = std::abs(run_.InstallCostExisting) + std::abs(run_.InstallCostPlanned);
    }
    // A year at a time, its factors and the sums in registers while its days go by.
    for (int from = lastDay_ + 1; from <= lastDay;) {
        const int year = from / DaysPerYear;
        const int to = std::min(lastDay, (year + 1) * DaysPerYear - 1);
        AddDaysOfYear(year, from, to);
        from = to + 1;
    }
    lastDay_ = std::max(lastDay_, lastDay);
    if (lastDay_ < horizonLastDay_) {
        memory_.NetFlows.resize(static_cast<std::size_t>(lastDay_ + 1));
    }
    return lastDay_ < horizonLastDay_ || !firstDearerDay_;
}

void EconomicsRun::AddDaysOfYear(int year, int from, int to) {
    // With every rate at 0 the sums are the simulation's own, bit for bit: the energy grows by
    // the same daily cost, the lamps by the replaced ones, and a day costs energy + lamps × price.
    const double tf = std::pow(tariffBase_, year);
    const double pf = std::pow(priceBase_, year);
    const double existingDaily = run_.DailyEnergyCostExisting;
    const double plannedDaily = run_.DailyEnergyCostPlanned;
    const double energyFlow = (existingDaily - plannedDaily) * tf;
    const double energyScale = (std::abs(existingDaily) + std::abs(plannedDaily)) * tf;
    const double existingPrice = p_.ExistingLampPrice;
    const double plannedPrice = p_.PlannedLampPrice;
    const DayRecord* const existingDays = run_.ExistingDays.data();
    const DayRecord* const plannedDays = run_.PlannedDays.data();
    const double* const factors = memory_.Discount.Through(to);
    double* const flows = memory_.NetFlows.data();
    RunningSums sums = Sums();
    std::int32_t existingBefore = existingBefore_;
    std::int32_t plannedBefore = plannedBefore_;
    double flowScale = flowScale_;
    bool dearerFound = firstDearerDay_.has_value();
    for (int day = from; day <= to; ++day) {
        const double v = factors[day];
        const std::int32_t existingReplaced = existingDays[day].ReplacedLamps;
        const std::int32_t plannedReplaced = plannedDays[day].ReplacedLamps;
        sums.ExistingEnergy += existingDaily * tf * v;
        sums.PlannedEnergy += plannedDaily * tf * v;
        double flow = energyFlow;
        double lampScale = 0;
        // A day without replacements would add +0 to the lamps' sums, which are never -0.
        if (existingReplaced != existingBefore || plannedReplaced != plannedBefore) {
            const double existingNew = static_cast<double>(existingReplaced - existingBefore);
            const double plannedNew = static_cast<double>(plannedReplaced - plannedBefore);
            sums.ExistingLamps += existingNew * pf * v;
            sums.PlannedLamps += plannedNew * pf * v;
            const double existingLamps = existingNew * existingPrice * pf;
            const double plannedLamps = plannedNew * plannedPrice * pf;
            flow += existingLamps - plannedLamps;
            lampScale = std::abs(existingLamps) + std::abs(plannedLamps);
            existingBefore = existingReplaced;
            plannedBefore = plannedReplaced;
        }
        if (day <= horizonLastDay_) {
            flowScale += energyScale;
            flowScale += lampScale;
            flows[day] = flow;
            if (day == horizonLastDay_) {
                horizonSums_ = sums;
            }
        }
        if (existingCosts_ != nullptr || !dearerFound) {
            const double existingCost = sums.ExistingEnergy + sums.ExistingLamps * existingPrice;
            const double plannedCost = sums.PlannedEnergy + sums.PlannedLamps * plannedPrice;
            if (existingCosts_ != nullptr) {
                existingCosts_->push_back(existingCost);
                plannedCosts_->push_back(plannedCost);
            }
            if (!dearerFound && existingCost > plannedCost) {
                firstDearerDay_ = day;
                dearerFound = true;
            }
        }
    }
    if (to == (year + 1) * DaysPerYear - 1 && to <= horizonLastDay_) {
        yearEndSums_[static_cast<std::size_t>(year)] = sums;
        yearEnds_ = year + 1;
    }
    existingEnergy_ = sums.ExistingEnergy;
    existingLamps_ = sums.ExistingLamps;
    plannedEnergy_ = sums.PlannedEnergy;
    plannedLamps_ = sums.PlannedLamps;
    existingBefore_ = existingBefore;
    plannedBefore_ = plannedBefore;
    flowScale_ = flowScale;
}

NetPresentValueParts EconomicsRun::PartsOf(const RunningSums& at) const {
    NetPresentValueParts parts;
    parts.Energy = (at.ExistingEnergy - run_.InstallCostExisting) -
                   (at.PlannedEnergy - run_.InstallCostPlanned);
    parts.Prices = (run_.InstallCostExisting - run_.InstallCostPlanned) +
                   at.ExistingLamps * p_.ExistingLampPrice - at.PlannedLamps * p_.PlannedLampPrice;
    return parts;
}

EconomicsFigures EconomicsRun::Figures() const {
    EconomicsFigures f;
    if (firstDearerDay_) {
        f.DiscountedPaybackFound = true;
        f.DiscountedPaybackDay = std::max(*firstDearerDay_ - 1, 0);
    }
    // A day series that ends before the horizon is valued up to its last day.
    const RunningSums at = lastDay_ >= horizonLastDay_ ? horizonSums_ : Sums();
    f.NetPresentValue = (at.ExistingEnergy + at.ExistingLamps * p_.ExistingLampPrice) -
                        (at.PlannedEnergy + at.PlannedLamps * p_.PlannedLampPrice);
    if (lastDay_ < 0) {
        f.NetPresentValue = 0;
    }
    f.ValueParts = PartsOf(at);
    // Years the day series does not reach are valued up to its last day, as the whole horizon is.
    const int years = (horizonLastDay_ + 1) / DaysPerYear;
    f.YearEndParts.reserve(static_cast<std::size_t>(years));
    for (int y = 0; y < years; ++y) {
        f.YearEndParts.push_back(y < yearEnds_ ? PartsOf(yearEndSums_[static_cast<std::size_t>(y)])
                                               : f.ValueParts);
    }
    const NetFlows flows{run_.InstallCostExisting - run_.InstallCostPlanned, &memory_.NetFlows,
                         flowScale_};
    f.InternalRateOfReturn =
        SearchReturnRate(p_, run_, inputs_, flows, std::min(lastDay_, horizonLastDay_));
    f.EnergySavedPerYear = (run_.DailyEnergyExisting - run_.DailyEnergyPlanned) * DaysPerYear;
    f.MoneySavedFirstYear = f.EnergySavedPerYear * p_.Tariff;
    f.CO2AvoidedPerYear = f.EnergySavedPerYear * inputs_.EmissionFactor / 1000;
    return f;
}

EconomicsFigures CalculateEconomics(const ProjectParameters& p, const SimulationResult& result,
                                    const EconomicsInputs& inputs) {
    EconomicsMemory memory;
    EconomicsRun run(p, result, inputs, memory);
    const int lastDay =
        static_cast<int>(std::min(result.ExistingDays.size(), result.PlannedDays.size())) - 1;
    std::vector<double> existingCosts;
    std::vector<double> plannedCosts;
    existingCosts.reserve(static_cast<std::size_t>(lastDay + 1));
    plannedCosts.reserve(static_cast<std::size_t>(lastDay + 1));
    run.existingCosts_ = &existingCosts;
    run.plannedCosts_ = &plannedCosts;
    run.AddDays(lastDay);
    EconomicsFigures f = run.Figures();
    f.ExistingCosts = std::move(existingCosts);
    f.PlannedCosts = std::move(plannedCosts);
    return f;
}

} // namespace model
