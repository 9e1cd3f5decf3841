// The program's simulation against the plain day loop on the largest house, the same house with
// lamps that live 0 months, and the default project.
//
// Peak memory: run one benchmark alone under /usr/bin/time -v, e.g.
//   /usr/bin/time -v build/bench/simulation_bench --benchmark_filter='Largest/Product'

#include "Simulation.h"
#include "SimulationReference.h"
#include "StartUpProject.h"
#include "TrafficEstimate.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

using namespace model;

namespace {

ProjectParameters DefaultProject() {
    return test_support::StartUpCalculation();
}

ProjectParameters LargestHouse() {
    ProjectParameters p = DefaultProject();
    p.EntranceCount = 40;
    p.FloorCount = 40;
    p.ExistingLampsLanding = p.ExistingLampsBetween = p.ExistingLampsVestibule = 10;
    p.PlannedLampsLanding = p.PlannedLampsBetween = p.PlannedLampsVestibule = 10;
    p.PlannedBlocksLanding = p.PlannedBlocksBetween = p.PlannedBlocksVestibule = 10;
    EstimatePlannedBurnHours(p);
    return p;
}

ProjectParameters LargestHouseLifeZero() {
    ProjectParameters p = LargestHouse();
    p.ExistingLampLife = 0;
    p.PlannedLampLife = 0;
    return p;
}

double PeakResidentMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

template <void (*Run)(const ProjectParameters&, SimulationResult&, std::uint32_t)>
void Simulate(benchmark::State& state, ProjectParameters (*project)()) {
    const ProjectParameters p = project();
    SimulationResult result;
    ComputeDailyEnergy(p, result);
    std::uint32_t seed = 1;
    for (auto _ : state) {
        Run(p, result, seed++);
        benchmark::DoNotOptimize(result.ExistingDays.data());
        benchmark::ClobberMemory();
    }
    state.counters["replaced"] = result.ExistingDays.back().ReplacedLamps +
                                 static_cast<double>(result.PlannedDays.back().ReplacedLamps);
    state.counters["peak_rss_MB"] = PeakResidentMegabytes();
}

void Product(benchmark::State& state, ProjectParameters (*project)()) {
    Simulate<RunSimulation>(state, project);
}

void Reference(benchmark::State& state, ProjectParameters (*project)()) {
    Simulate<reference::RunSimulationReference>(state, project);
}

} // namespace

BENCHMARK_CAPTURE(Product, Largest, LargestHouse)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Reference, Largest, LargestHouse)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Product, LargestLifeZero, LargestHouseLifeZero)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Reference, LargestLifeZero, LargestHouseLifeZero)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Product, Default, DefaultProject)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Reference, Default, DefaultProject)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
