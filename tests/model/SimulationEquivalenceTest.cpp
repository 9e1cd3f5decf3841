// The program's simulation against the plain day loop that wears every lamp every day: both must
// give the same result bit for bit, and the shortcuts the program takes must give what the plain
// loop computes.

#include "LampLife.h"
#include "LifePercentDraws.h"
#include "Simulation.h"
#include "SimulationPlan.h"
#include "SimulationReference.h"
#include "StartUpProject.h"
#include "TrafficEstimate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <limits>
#include <optional>
#include <random>
#include <sstream>
#include <string>

using namespace model;

namespace {

constexpr double Infinity = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// Seed of a whole run: VIRASVET_EQUIVALENCE_SEED when set, so that a failing run can be replayed.
std::uint64_t RunSeed() {
    if (const char* text = std::getenv("VIRASVET_EQUIVALENCE_SEED")) {
        return std::strtoull(text, nullptr, 10);
    }
    std::random_device device;
    return (std::uint64_t{device()} << 32) | device();
}

// VIRASVET_EQUIVALENCE_CASE replays the one random project with that case seed.
std::optional<std::uint64_t> ReplayedCase() {
    if (const char* text = std::getenv("VIRASVET_EQUIVALENCE_CASE")) {
        return std::strtoull(text, nullptr, 10);
    }
    return std::nullopt;
}

std::int32_t LiteralHoursDays(double hours, double daily, std::int32_t limit) {
    for (std::int32_t day = 1; day <= limit; ++day) {
        hours -= daily;
        if (hours < 0) {
            return day;
        }
    }
    return NotWithin;
}

std::int32_t LiteralSwitchingDays(std::int32_t switchings, std::int32_t daily, std::int32_t limit) {
    for (std::int32_t day = 1; day <= limit; ++day) {
        switchings = SaturatingSub(switchings, daily);
        if (switchings < 0) {
            return day;
        }
    }
    return NotWithin;
}

bool SameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// Describes the first difference between two results, or returns an empty text.
std::string Difference(const SimulationResult& a, const SimulationResult& b) {
    std::ostringstream out;
    out.precision(17);
    const auto real = [&](const char* name, double x, double y) {
        if (!SameBits(x, y)) {
            out << name << ": " << x << " against " << y << "\n";
        }
    };
    const auto whole = [&](const char* name, std::int64_t x, std::int64_t y) {
        if (x != y) {
            out << name << ": " << x << " against " << y << "\n";
        }
    };
    real("InstallCostExisting", a.InstallCostExisting, b.InstallCostExisting);
    real("InstallCostPlanned", a.InstallCostPlanned, b.InstallCostPlanned);
    whole("FittingCountExisting", a.FittingCountExisting, b.FittingCountExisting);
    whole("FittingCountPlanned", a.FittingCountPlanned, b.FittingCountPlanned);
    whole("BlockCount", a.BlockCount, b.BlockCount);
    whole("PaybackFound", a.PaybackFound, b.PaybackFound);
    whole("PaybackDay", a.PaybackDay, b.PaybackDay);
    real("PaybackCostExisting", a.PaybackCostExisting, b.PaybackCostExisting);
    real("PaybackCostPlanned", a.PaybackCostPlanned, b.PaybackCostPlanned);
    whole("PaybackReplacedExisting", a.PaybackReplacedExisting, b.PaybackReplacedExisting);
    whole("PaybackReplacedPlanned", a.PaybackReplacedPlanned, b.PaybackReplacedPlanned);
    whole("ExistingDays size", a.ExistingDays.size(), b.ExistingDays.size());
    whole("PlannedDays size", a.PlannedDays.size(), b.PlannedDays.size());
    if (!out.str().empty()) {
        return out.str();
    }
    const auto series = [&](const char* name, const std::vector<DayRecord>& x,
                            const std::vector<DayRecord>& y) {
        for (std::size_t d = 0; d < x.size(); ++d) {
            if (!SameBits(x[d].CumulativeCost, y[d].CumulativeCost) ||
                x[d].ReplacedLamps != y[d].ReplacedLamps) {
                out << name << " day " << d << ": " << x[d].CumulativeCost << " / "
                    << x[d].ReplacedLamps << " against " << y[d].CumulativeCost << " / "
                    << y[d].ReplacedLamps << "\n";
                return;
            }
        }
    };
    series("ExistingDays", a.ExistingDays, b.ExistingDays);
    series("PlannedDays", a.PlannedDays, b.PlannedDays);
    return out.str();
}

// Runs both on the same project and seed, starting from the same earlier result (whose payback
// fields a run must clear), and describes any difference. The run until payback works in `kept`,
// kept from project to project as a batch run keeps it.
std::string CompareWithReference(const ProjectParameters& p, std::uint32_t seed,
                                 SimulationMemory& kept) {
    SimulationResult earlier;
    earlier.PaybackFound = true;
    earlier.PaybackDay = 77;
    earlier.PaybackCostExisting = 1;
    earlier.PaybackReplacedPlanned = 3;
    earlier.ExistingDays.assign(5, DayRecord{1, 1});
    ComputeDailyEnergy(p, earlier);
    SimulationResult product = earlier;
    SimulationResult reference = earlier;
    RunSimulation(p, product, seed);
    reference::RunSimulationReference(p, reference, seed);
    const std::string difference = Difference(product, reference);
    if (!difference.empty()) {
        return difference;
    }
    // The run that stops on its payback day gives every figure; only the later days are missing.
    SimulationResult untilPayback = earlier;
    RunSimulationUntilPayback(p, untilPayback, seed, kept);
    if (reference.PaybackFound) {
        untilPayback.ExistingDays = reference.ExistingDays;
        untilPayback.PlannedDays = reference.PlannedDays;
    }
    const std::string early = Difference(untilPayback, reference);
    return early.empty() ? early : "until payback: " + early;
}

ProjectParameters House(std::int32_t floors, std::int32_t entrances) {
    ProjectParameters p = test_support::StartUpHouse();
    p.EntranceCount = entrances;
    p.FloorCount = floors;
    p.PlannedBlocksLanding = p.PlannedBlocksBetween = p.PlannedBlocksVestibule = 1;
    return p;
}

// A random project; most are small so that the plain loop stays quick, a few are large.
class ProjectMaker {
public:
    explicit ProjectMaker(std::uint64_t seed) : random_(seed) {}

    ProjectParameters Make() {
        const std::int32_t floors = Pick({{3, 1}, {1, 40}}, 2, 6);
        const std::int32_t entrances = Pick({{3, 1}, {1, 40}}, 2, 4);
        ProjectParameters p = House(floors, entrances);
        p.HasLift = Chance(0.5);
        p.LiftModel = Chance(0.5) ? LiftModelLinear : LiftModelExponential;
        // Lamps per zone: up to 10, fewer in big houses so that the plain loop stays quick, except
        // in a few houses of one entrance or one floor.
        const std::int64_t zones = std::int64_t{entrances} * (2 * floors);
        const std::int64_t budget = Chance(0.03) && zones <= 80 ? 800 : 60;
        const auto most =
            static_cast<std::int32_t>(std::clamp<std::int64_t>(budget / zones, 1, 10));
        for (std::int32_t* count :
             {&p.ExistingLampsLanding, &p.ExistingLampsBetween, &p.ExistingLampsVestibule,
              &p.PlannedLampsLanding, &p.PlannedLampsBetween, &p.PlannedLampsVestibule}) {
            *count = Whole(0, most);
        }
        for (std::int32_t* count :
             {&p.PlannedBlocksLanding, &p.PlannedBlocksBetween, &p.PlannedBlocksVestibule}) {
            *count = Whole(0, 10);
        }
        p.ResidentsPerFlat = Factor();
        p.FlatsPerFloor = Factor();
        p.IndividualityCoefficient = Factor();
        p.PassagesPerResident = Chance(0.1) ? 0 : Factor() * 3;
        p.HoldTimeLanding = HoldTime();
        p.HoldTimeBetween = HoldTime();
        p.HoldTimeVestibule = HoldTime();
        p.ExistingLampLife = Life();
        p.PlannedLampLife = Life();
        p.ExistingHoursLanding = Hours();
        p.ExistingHoursBetween = Hours();
        p.ExistingHoursVestibule = Hours();
        if (Chance(0.7)) {
            EstimatePlannedBurnHours(p);
        } else {
            p.PlannedHoursLanding = Hours();
            p.PlannedHoursBetween = Hours();
            p.PlannedHoursVestibule = Hours();
        }
        // Money: from nothing to install (so that day 0 may already pay back) to dear blocks.
        p.Tariff = Chance(0.1) ? 0 : Real(0, 10);
        for (double* price : {&p.ExistingLampPrice, &p.PlannedLampPrice, &p.ExistingFittingPrice,
                              &p.ExistingFittingInstallPrice, &p.PlannedFittingPrice,
                              &p.PlannedFittingInstallPrice, &p.BlockPrice, &p.BlockInstallPrice}) {
            *price = Chance(0.3) ? 0 : Real(0, 500);
        }
        return p;
    }

private:
    bool Chance(double p) { return std::bernoulli_distribution(p)(random_); }
    double Real(double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random_);
    }
    std::int32_t Whole(std::int32_t low, std::int32_t high) {
        return std::uniform_int_distribution<std::int32_t>(low, high)(random_);
    }
    // One of the fixed values (weight, value), or else a value in [low, high].
    std::int32_t Pick(std::initializer_list<std::pair<int, std::int32_t>> fixed, std::int32_t low,
                      std::int32_t high) {
        int roll = Whole(0, 9);
        for (const auto& [weight, value] : fixed) {
            if (roll < weight) {
                return value;
            }
            roll -= weight;
        }
        return Whole(low, high);
    }
    double Factor() {
        const int kind = Whole(0, 9);
        return kind == 0 ? 0 : kind == 1 ? -Real(0, 3) : kind == 2 ? Whole(1, 5) : Real(0, 5);
    }
    double HoldTime() {
        const int kind = Whole(0, 9);
        return kind == 0   ? 0
               : kind == 1 ? -Real(0, 60) / 3600
               : kind == 2 ? Whole(1, 120) / 3600.0
                           : Real(0, 180) / 3600;
    }
    double Life() {
        switch (Whole(0, 19)) {
        case 0:
        case 1:
            return 0;
        case 2:
            return 1e7;
        case 3:
            return Real(1e6, 1e13);
        case 4:
            return -Real(0, 10);
        case 5:
            return Real(0, 0.1);
        case 6:
            return Chance(0.5) ? Infinity : NaN;
        case 7:
        case 8:
            return Whole(1, 24);
        default:
            return Real(0, 30);
        }
    }
    double Hours() {
        switch (Whole(0, 19)) {
        case 0:
        case 1:
            return 0;
        case 2:
            return -Real(0, 5);
        case 3:
            return 24;
        case 4:
            return Chance(0.5) ? 20 : 13;
        case 5:
            return Real(0, 1e-6);
        case 6:
            return Whole(0, 1) ? NaN : Infinity;
        case 7:
            return Whole(1, 48) * 0.5;
        default:
            return Real(0, 24);
        }
    }

    std::mt19937_64 random_;
};

// The fixed cases: the worked examples and extremes of the day loop.
std::vector<std::pair<std::string, ProjectParameters>> FixedProjects() {
    std::vector<std::pair<std::string, ProjectParameters>> projects;
    const auto add = [&](std::string name, ProjectParameters p) {
        projects.emplace_back(std::move(name), std::move(p));
    };
    ProjectParameters p = House(9, 5);
    EstimatePlannedBurnHours(p);
    add("default house", p);
    p.HasLift = false;
    add("default house without lift", p);
    p = House(1, 1);
    p.ExistingHoursLanding = 20; // exactly zero hours left on day 53
    add("life exactly used up", p);
    p = House(9, 1);
    p.PlannedLampLife = 18;
    add("planned switch-ons run out first", p);
    p = House(4, 1);
    p.ResidentsPerFlat = p.FlatsPerFloor = p.IndividualityCoefficient = 1;
    p.PassagesPerResident = 3.5;
    add("fractional passages", p);
    p = House(1, 1);
    p.ExistingLampsBetween = p.ExistingLampsVestibule = p.PlannedLampsBetween = 0;
    p.PlannedLampsVestibule = 0;
    p.PlannedBlocksLanding = p.PlannedBlocksBetween = p.PlannedBlocksVestibule = 0;
    p.PlannedHoursLanding = 1;
    add("payback on day 0", p);
    p = House(3, 2);
    p.ExistingLampsLanding = p.ExistingLampsBetween = p.ExistingLampsVestibule = 0;
    p.PlannedLampsLanding = p.PlannedLampsBetween = p.PlannedLampsVestibule = 0;
    p.PlannedBlocksLanding = p.PlannedBlocksBetween = p.PlannedBlocksVestibule = 0;
    add("nothing at all", p);
    p = House(40, 40);
    p.ExistingLampLife = p.PlannedLampLife = 0;
    p.ExistingLampsBetween = p.PlannedLampsLanding = p.PlannedLampsBetween = 0;
    add("life 0 in the largest house", p);
    p = House(9, 5);
    p.PassagesPerResident = 0;
    p.PlannedLampLife = 0;
    add("no traffic", p);
    p.PassagesPerResident = 3.5;
    p.IndividualityCoefficient = 0;
    add("no individuality", p);
    p = House(9, 5);
    p.ExistingLampLife = 1e300;
    p.PlannedLampLife = -1e300;
    p.PassagesPerResident = 1e300;
    p.HoldTimeLanding = -5;
    p.HoldTimeBetween = 0;
    add("absurd lives and traffic", p);
    p = House(9, 5);
    p.IndividualityCoefficient = -1e300;
    p.ExistingLampLife = std::numeric_limits<double>::max();
    add("absurd coefficient", p);
    p = House(40, 1);
    p.ExistingLampLife = p.PlannedLampLife = 1e7;
    p.ExistingLampsLanding = p.PlannedLampsLanding = 10;
    add("huge lives", p);
    p = House(2, 40); // 1200 landing and flight lamps
    p.ExistingLampsLanding = p.ExistingLampsBetween = p.ExistingLampsVestibule = 10;
    // 13.5 to 22.4 hours at 13 a day: every landing and flight lamp lasts exactly two days, and
    // every vestibule lamp (half the hours) one.
    p.ExistingLampLife = 0.1;
    add("thousands of lamps going on the same day", p);
    p.ExistingLampsVestibule = 0;
    add("thousands of lamps going on the same day, none every day", p);
    // A negative life worn by negative traffic: a higher draw means fewer switch-ons, so some
    // sensor lamps' lives fall with the draw, from never going to going the next day.
    p = House(3, 2);
    p.PlannedSchemeType = 1; // sensor blocks
    p.PlannedLampLife = -6;
    p.PassagesPerResident = -1000;
    add("lives falling with the draw", p);
    return projects;
}

} // namespace

TEST(SimulationEquivalence, LifePercentDrawsFollowTheStandardGenerator) {
    std::mt19937_64 random(RunSeed());
    for (std::uint32_t seed : {0u, 1u, 5489u, 0xffffffffu, static_cast<std::uint32_t>(random())}) {
        std::mt19937 engine(seed);
        LifePercentDraws draws(seed);
        std::int64_t drawn = 0;
        for (int round = 0; round < 3000; ++round) {
            const auto skip = static_cast<std::int64_t>(random() % 5 == 0 ? random() % 2000 : 0);
            // In two parts: the second may start in a state the first skipped into.
            const auto part = static_cast<std::int64_t>(random() % (skip + 1));
            draws.Skip(part);
            draws.Skip(skip - part);
            for (std::int64_t i = 0; i < skip; ++i) {
                DrawLifePercent(engine);
            }
            ASSERT_EQ(draws.Next(), DrawLifePercent(engine))
                << "seed " << seed << " after " << drawn << " draws";
            drawn += skip + 1;
        }
    }
}

TEST(SimulationEquivalence, LampLivesAreWhatRepeatedSubtractionGives) {
    const std::uint64_t runSeed = RunSeed();
    std::mt19937_64 random(runSeed);
    const auto real = [&](double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random);
    };
    const double oddValues[] = {0.0,      -0.0,  Infinity, -Infinity, NaN,    1e-310,
                                -1e-310,  1e300, -1e300,   0x1p-1022, 0x1p52, 0x1p53 - 1,
                                0x1p1023, 1080,  13,       0.5,       0.7,    1.5};
    for (int i = 0; i < 40000; ++i) {
        double hours = 0;
        double daily = 0;
        switch (random() % 8) {
        case 0: // ordinary lives
            hours = real(0, 5000);
            daily = real(0, 30);
            break;
        case 1: // long lives for little wear
            hours = real(0, 1e6);
            daily = real(0, 1e3);
            break;
        case 2: // wear exactly halfway between two units of the hours
        {
            const int exponent = static_cast<int>(random() % 60) - 20;
            hours = std::ldexp(1 + real(0, 1), exponent);
            const double unit = std::ldexp(1.0, exponent - 52);
            const auto units = random() % 2 ? random() % 4 : random() % (1u << 20);
            daily = unit * (static_cast<double>(units) + 0.5);
            break;
        }
        case 3: // wear around half a unit of the hours: stuck or not
        {
            const int exponent = static_cast<int>(random() % 40);
            hours = std::ldexp(1.0, exponent) * (random() % 2 ? 1 : 1 + real(0, 1));
            daily = std::ldexp(1.0, exponent - 53) * real(0.2, 1.2);
            break;
        }
        case 4: // exact binary fractions
            hours = static_cast<double>(random() % 100000) / 64;
            daily = static_cast<double>(random() % 4096 + 1) / 256;
            break;
        case 5: // extremes and non-numbers
            hours = oddValues[random() % std::size(oddValues)];
            daily = oddValues[random() % std::size(oddValues)];
            break;
        case 6: // negative lives and gains
            hours = real(-100, 100);
            daily = real(-10, 10);
            break;
        default: // tiny numbers near the subnormal range
            hours = std::ldexp(real(0, 1), -1000 - static_cast<int>(random() % 70));
            daily = std::ldexp(real(0, 1), -1010 - static_cast<int>(random() % 70));
            break;
        }
        const auto limit = static_cast<std::int32_t>(random() % 4 == 0 ? random() % 50 : 10000);
        ASSERT_EQ(DaysUntilHoursRunOut(hours, daily, limit), LiteralHoursDays(hours, daily, limit))
            << std::hexfloat << "hours " << hours << " daily " << daily << " limit " << limit
            << " (run seed " << runSeed << ")";
    }

    const std::int32_t extremes[] = {INT32_MIN, INT32_MIN + 1, -5, -1, 0, 1, 5, 378, INT32_MAX};
    for (int i = 0; i < 20000; ++i) {
        const std::int32_t switchings = random() % 3 == 0
                                            ? extremes[random() % std::size(extremes)]
                                            : static_cast<std::int32_t>(random() % 200000) - 1000;
        const std::int32_t daily = random() % 3 == 0
                                       ? extremes[random() % std::size(extremes)]
                                       : static_cast<std::int32_t>(random() % 500) - 20;
        const auto limit = static_cast<std::int32_t>(random() % 4 == 0 ? random() % 50 : 10000);
        ASSERT_EQ(DaysUntilSwitchingsRunOut(switchings, daily, limit),
                  LiteralSwitchingDays(switchings, daily, limit))
            << switchings << " " << daily << " " << limit;
    }
}

TEST(SimulationEquivalence, FixedProjectsMatchThePlainDayLoop) {
    SimulationMemory kept;
    for (const auto& [name, project] : FixedProjects()) {
        for (std::uint32_t seed : {7u, 12345u}) {
            const std::string difference = CompareWithReference(project, seed, kept);
            EXPECT_TRUE(difference.empty()) << name << ", seed " << seed << ":\n" << difference;
        }
    }
}

TEST(SimulationEquivalence, RandomProjectsMatchThePlainDayLoop) {
    const std::uint64_t runSeed = RunSeed();
    std::cout << "run seed " << runSeed << " (replay: VIRASVET_EQUIVALENCE_SEED=" << runSeed
              << ")\n";
    std::mt19937_64 seeds(runSeed);
    const std::optional<std::uint64_t> replayed = ReplayedCase();
    int failures = 0;
    SimulationMemory kept;
    for (int i = 0; i < (replayed ? 1 : 500) && failures < 5; ++i) {
        const std::uint64_t caseSeed = replayed ? *replayed : seeds();
        const ProjectParameters p = ProjectMaker(caseSeed).Make();
        const std::string difference =
            CompareWithReference(p, static_cast<std::uint32_t>(caseSeed >> 32), kept);
        if (!difference.empty()) {
            ++failures;
            ADD_FAILURE() << "project " << i << " of run seed " << runSeed
                          << " differs (replay it alone: VIRASVET_EQUIVALENCE_CASE=" << caseSeed
                          << "):\n"
                          << difference;
        }
    }
}
