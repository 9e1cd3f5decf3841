// The simulation on fuzzed projects within the limits of the input page (1..40 entrances and
// floors, 0..10 lamps a zone, fewer in large houses, 0..10 blocks a zone, 1..500 W) and any finite
// lives, hours, prices, hold times and traffic settings, compared bit for bit with the plain day
// loop that visits every lamp every day. The payback day is the day before the first dearer day and
// never negative.
#include "FuzzCheck.h"
#include "Simulation.h"
#include "SimulationReference.h"
#include "StartUpProject.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>

namespace {

using fuzz::Require;
using fuzz::SameBits;

// A real as the page can hold it: most often a short decimal like a user types, sometimes any
// finite double.
double PageReal(FuzzedDataProvider& input, double typicalMaximum) {
    switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return input.ConsumeIntegralInRange(0, 1000) * 0.1; // a stepper position
    case 1:
        return input.ConsumeIntegralInRange(0, 100000) * 0.01 * (typicalMaximum / 1000);
    case 2:
        return input.ConsumeFloatingPointInRange(-typicalMaximum, typicalMaximum);
    default: {
        const double any = std::bit_cast<double>(input.ConsumeIntegral<std::uint64_t>());
        return std::isfinite(any) ? any : 0;
    }
    }
}

// Entrances or floors: the plain day loop takes long over a large house, so most houses are small,
// but every size of the page stays possible.
std::int32_t HouseSize(FuzzedDataProvider& input) {
    const bool large = input.ConsumeIntegralInRange(0, 3) == 0;
    return input.ConsumeIntegralInRange(1, large ? 40 : 4);
}

model::ProjectParameters FuzzedProject(FuzzedDataProvider& input) {
    model::ProjectParameters p = test_support::StartUpCalculation();
    p.EntranceCount = HouseSize(input);
    p.FloorCount = HouseSize(input);
    p.ResidentsPerFlat = input.ConsumeFloatingPointInRange(1.0, 40.0);
    p.FlatsPerFloor = input.ConsumeFloatingPointInRange(1.0, 40.0);
    p.Tariff = PageReal(input, 10);
    if (!(p.Tariff > 0)) {
        p.Tariff = 1.38;
    }
    // The plain day loop visits every lamp on each of 10,000 days: lamps a zone are bounded so
    // that a house has at most about 2,000 lamps a scheme (one a zone in the largest houses) and
    // an input takes well under a second.
    const std::int32_t zones = p.EntranceCount * (2 * p.FloorCount);
    const std::int32_t mostLamps = std::clamp(2000 / zones, 1, 10);
    for (std::int32_t* count :
         {&p.ExistingLampsLanding, &p.ExistingLampsBetween, &p.ExistingLampsVestibule,
          &p.PlannedLampsLanding, &p.PlannedLampsBetween, &p.PlannedLampsVestibule}) {
        *count = input.ConsumeIntegralInRange(0, mostLamps);
    }
    for (std::int32_t* count :
         {&p.PlannedBlocksLanding, &p.PlannedBlocksBetween, &p.PlannedBlocksVestibule}) {
        *count = input.ConsumeIntegralInRange(0, 10);
    }
    for (double* power :
         {&p.ExistingPowerLanding, &p.ExistingPowerBetween, &p.ExistingPowerVestibule,
          &p.PlannedPowerLanding, &p.PlannedPowerBetween, &p.PlannedPowerVestibule}) {
        *power = input.ConsumeIntegralInRange(1, 500);
    }
    for (double* hours :
         {&p.ExistingHoursLanding, &p.ExistingHoursBetween, &p.ExistingHoursVestibule,
          &p.PlannedHoursLanding, &p.PlannedHoursBetween, &p.PlannedHoursVestibule}) {
        *hours = PageReal(input, 100);
    }
    p.ExistingLampLife = PageReal(input, 60);
    p.PlannedLampLife = PageReal(input, 60);
    for (double* price :
         {&p.ExistingLampPrice, &p.ExistingFittingPrice, &p.ExistingFittingInstallPrice,
          &p.PlannedLampPrice, &p.PlannedFittingPrice, &p.PlannedFittingInstallPrice, &p.BlockPrice,
          &p.BlockInstallPrice}) {
        *price = PageReal(input, 1000);
    }
    p.IndividualityCoefficient = PageReal(input, 1);
    p.PassagesPerResident = PageReal(input, 100);
    for (double* hold : {&p.HoldTimeLanding, &p.HoldTimeBetween, &p.HoldTimeVestibule}) {
        *hold = PageReal(input, 600) / 3600;
    }
    return p;
}

void RequireSameDays(const std::vector<model::DayRecord>& a,
                     const std::vector<model::DayRecord>& b) {
    Require(a.size() == b.size(), "both runs record every day");
    for (std::size_t d = 0; d < a.size(); ++d) {
        Require(SameBits(a[d].CumulativeCost, b[d].CumulativeCost) &&
                    a[d].ReplacedLamps == b[d].ReplacedLamps,
                "every day agrees with the plain day loop");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const auto seed = input.ConsumeIntegral<std::uint32_t>();
    const model::ProjectParameters p = FuzzedProject(input);

    model::SimulationResult program;
    model::ComputeDailyEnergy(p, program);
    model::SimulationResult plain = program;
    model::RunSimulation(p, program, seed);
    reference::RunSimulationReference(p, plain, seed);

    RequireSameDays(program.ExistingDays, plain.ExistingDays);
    RequireSameDays(program.PlannedDays, plain.PlannedDays);
    Require(SameBits(program.InstallCostExisting, plain.InstallCostExisting) &&
                SameBits(program.InstallCostPlanned, plain.InstallCostPlanned) &&
                program.FittingCountExisting == plain.FittingCountExisting &&
                program.FittingCountPlanned == plain.FittingCountPlanned &&
                program.BlockCount == plain.BlockCount,
            "installation figures agree");
    Require(program.PaybackFound == plain.PaybackFound && program.PaybackDay == plain.PaybackDay &&
                SameBits(program.PaybackCostExisting, plain.PaybackCostExisting) &&
                SameBits(program.PaybackCostPlanned, plain.PaybackCostPlanned) &&
                program.PaybackReplacedExisting == plain.PaybackReplacedExisting &&
                program.PaybackReplacedPlanned == plain.PaybackReplacedPlanned,
            "payback figures agree");
    // Payback is the day before the first strictly dearer existing day, and never negative.
    int first = 0;
    while (first < model::SimulationDays && !(program.ExistingDays[first].CumulativeCost >
                                              program.PlannedDays[first].CumulativeCost)) {
        ++first;
    }
    Require(program.PaybackFound == (first < model::SimulationDays), "payback found when it is");
    Require(program.PaybackDay == (program.PaybackFound ? std::max(first - 1, 0) : 0),
            "the payback day is the day before the first dearer day, and never negative");
    return 0;
}
