#include "Economics.h"

#include <algorithm>
#include <array>
#include <cmath>

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

// The value of the flows at `rate`, four days at a time so that the products do not wait on
// each other.
double FlowValue(const NetFlows& flows, double rate) {
    const double x = std::pow(1 + rate / 100, -1.0 / DaysPerYear);
    const double x2 = x * x;
    const double x4 = x2 * x2;
    const std::vector<double>& c = *flows.Days;
    const std::size_t n = c.size();
    double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
    double w = 1;
    std::size_t d = 0;
    for (; d + 4 <= n; d += 4) {
        s0 += c[d] * w;
        s1 += c[d + 1] * w;
        s2 += c[d + 2] * w;
        s3 += c[d + 3] * w;
        w *= x4;
    }
    double tail = 0;
    for (; d < n; ++d) {
        tail += c[d] * w;
        w *= x;
    }
    return flows.Initial + s0 + x * s1 + x2 * s2 + x2 * x * s3 + tail;
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
    const double x4 = (x * x) * (x * x);
    std::array<double, 4> value{};
    std::array<double, 4> slope{};
    std::array<double, 4> w = {x, x * x, x * x * x, x4};
    std::size_t d = 1;
    for (; d + 4 <= c.size(); d += 4) {
        for (std::size_t j = 0; j < 4; ++j) {
            const double term = c[d + j] * w[j];
            value[j] += term;
            slope[j] += static_cast<double>(d + j) * term;
            w[j] *= x4;
        }
    }
    double lastW = w[0];
    for (; d < c.size(); ++d) {
        value[0] += c[d] * lastW;
        slope[0] += static_cast<double>(d) * c[d] * lastW;
        lastW *= x;
    }
    return {value[0] + value[1] + value[2] + value[3], slope[0] + slope[1] + slope[2] + slope[3]};
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

void EconomicsRun::StartYear(int year) {
    tariffFactor_ = std::pow(tariffBase_, year);
    priceFactor_ = std::pow(priceBase_, year);
    energyFlow_ = (run_.DailyEnergyCostExisting - run_.DailyEnergyCostPlanned) * tariffFactor_;
    energyScale_ =
        (std::abs(run_.DailyEnergyCostExisting) + std::abs(run_.DailyEnergyCostPlanned)) *
        tariffFactor_;
}

bool EconomicsRun::AddDays(int lastDay) {
    if (lastDay_ < 0 && lastDay >= 0) {
        existingEnergy_ = run_.InstallCostExisting;
        plannedEnergy_ = run_.InstallCostPlanned;
        memory_.NetFlows.clear();
        flowScale_ = std::abs(run_.InstallCostExisting) + std::abs(run_.InstallCostPlanned);
    }
    // The sums live in registers while the days go by. With every rate at 0 they are the
    // simulation's own, bit for bit: the energy grows by the same daily cost, the lamps by the
    // replaced ones, and a day costs energy + lamps × price.
    RunningSums sums = Sums();
    const double existingDaily = run_.DailyEnergyCostExisting;
    const double plannedDaily = run_.DailyEnergyCostPlanned;
    const double existingPrice = p_.ExistingLampPrice;
    const double plannedPrice = p_.PlannedLampPrice;
    const DayRecord* const existingDays = run_.ExistingDays.data();
    const DayRecord* const plannedDays = run_.PlannedDays.data();
    for (int day = lastDay_ + 1; day <= lastDay; ++day) {
        if (day % DaysPerYear == 0) {
            StartYear(day / DaysPerYear);
        }
        const double v = memory_.Discount.OfDay(day);
        const std::int32_t existingReplaced = existingDays[day].ReplacedLamps;
        const std::int32_t plannedReplaced = plannedDays[day].ReplacedLamps;
        sums.ExistingEnergy += existingDaily * tariffFactor_ * v;
        sums.PlannedEnergy += plannedDaily * tariffFactor_ * v;
        sums.ExistingLamps +=
            static_cast<double>(existingReplaced - existingBefore_) * priceFactor_ * v;
        sums.PlannedLamps +=
            static_cast<double>(plannedReplaced - plannedBefore_) * priceFactor_ * v;
        if (day <= horizonLastDay_) {
            double flow = energyFlow_;
            flowScale_ += energyScale_;
            if (existingReplaced != existingBefore_ || plannedReplaced != plannedBefore_) {
                const double existingLamps =
                    static_cast<double>(existingReplaced - existingBefore_) * existingPrice *
                    priceFactor_;
                const double plannedLamps = static_cast<double>(plannedReplaced - plannedBefore_) *
                                            plannedPrice * priceFactor_;
                flow += existingLamps - plannedLamps;
                flowScale_ += std::abs(existingLamps) + std::abs(plannedLamps);
            }
            memory_.NetFlows.push_back(flow);
            if (day == horizonLastDay_) {
                horizonSums_ = sums;
            }
        }
        existingBefore_ = existingReplaced;
        plannedBefore_ = plannedReplaced;
        if (existingCosts_ != nullptr || !firstDearerDay_) {
            const double existingCost = sums.ExistingEnergy + sums.ExistingLamps * existingPrice;
            const double plannedCost = sums.PlannedEnergy + sums.PlannedLamps * plannedPrice;
            if (existingCosts_ != nullptr) {
                existingCosts_->push_back(existingCost);
                plannedCosts_->push_back(plannedCost);
            }
            if (!firstDearerDay_ && existingCost > plannedCost) {
                firstDearerDay_ = day;
            }
        }
    }
    existingEnergy_ = sums.ExistingEnergy;
    existingLamps_ = sums.ExistingLamps;
    plannedEnergy_ = sums.PlannedEnergy;
    plannedLamps_ = sums.PlannedLamps;
    lastDay_ = std::max(lastDay_, lastDay);
    return lastDay_ < horizonLastDay_ || !firstDearerDay_;
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
    f.ValueParts.Energy = (at.ExistingEnergy - run_.InstallCostExisting) -
                          (at.PlannedEnergy - run_.InstallCostPlanned);
    f.ValueParts.Prices = (run_.InstallCostExisting - run_.InstallCostPlanned) +
                          at.ExistingLamps * p_.ExistingLampPrice -
                          at.PlannedLamps * p_.PlannedLampPrice;
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
