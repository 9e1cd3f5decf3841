// Houses a second of the batch calculation behind virasvet-calc, with 1 and 2 jobs:
// 10,000 houses as the page starts, 1,000 random houses within the page's limits, and 2,000
// houses as the page starts without the economics, with them at the template's values and with
// rates.
//
//   build/bench/batch_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true

#include "HouseBatch.h"
#include "HouseInput.h"

#include <benchmark/benchmark.h>

#include <random>
#include <stdexcept>

using namespace model;

namespace {

std::vector<ProjectParameters> DefaultHouses() {
    return std::vector<ProjectParameters>(10000, StartUpProject());
}

// Houses read as the program reads them, every checked count anywhere in its range.
std::vector<ProjectParameters> RandomHouses() {
    std::mt19937 random(42);
    const auto between = [&](int low, int high) {
        return std::to_string(low + static_cast<int>(random() % (high - low + 1)));
    };
    const std::vector<NumberLocale> locales = {NumberLocale{".", ""}};
    std::vector<ProjectParameters> houses;
    while (houses.size() < 1000) {
        std::vector<std::string> cells;
        for (const HouseField& field : HouseFields()) {
            std::string text;
            if (field.Check && !field.Check->LowExclusive) {
                text = between(static_cast<int>(field.Check->Low),
                               static_cast<int>(field.Check->High));
            } else if (field.Name.find("Hours") != std::string_view::npos &&
                       field.Name.starts_with("Existing")) {
                text = between(0, 24);
            } else if (field.Name.find("LampLife") != std::string_view::npos) {
                text = between(1, 36);
            } else if (field.Name.find("HoldTime") != std::string_view::npos) {
                text = between(5, 120);
            } else if (field.Name.find("Price") != std::string_view::npos) {
                text = between(0, 500);
            } else if (field.Name == "Tariff") {
                text = "1." + between(0, 99);
            }
            cells.push_back(text);
        }
        std::vector<std::optional<std::string_view>> texts;
        for (const std::string& cell : cells) {
            texts.emplace_back(cell.empty() ? std::nullopt : std::optional<std::string_view>(cell));
        }
        ProjectParameters p;
        if (!ReadHouse(texts, locales, p).empty()) {
            throw std::logic_error("a random house out of the page's limits");
        }
        houses.push_back(p);
    }
    return houses;
}

// 2,000 default houses, the same rows calculated three ways side by side: without the economics,
// with the economics at the template's values, and with rates.
std::vector<ProjectParameters> PlainHouses() {
    std::vector<ProjectParameters> houses = DefaultHouses();
    houses.resize(2000);
    return houses;
}

std::vector<ProjectParameters> TemplateHouses() {
    return PlainHouses();
}

// The default houses with the economics: tariffs up 5 % and lamps 3 % a year, money at 8 %.
std::vector<ProjectParameters> EconomicsHouses() {
    std::vector<ProjectParameters> houses = PlainHouses();
    for (ProjectParameters& p : houses) {
        p.TariffGrowth = 5;
        p.LampPriceGrowth = 3;
        p.DiscountRate = 8;
    }
    return houses;
}

void Batch(benchmark::State& state, std::vector<ProjectParameters> (*make)()) {
    const std::vector<ProjectParameters> houses = make();
    const auto jobs = static_cast<unsigned>(state.range(0));
    const bool economics = make == EconomicsHouses || make == TemplateHouses;
    std::uint32_t seed = 1;
    for (auto _ : state) {
        std::vector<model::HouseFigures> figures =
            stock::CalculateHouses(houses, seed++, jobs, nullptr, economics);
        benchmark::DoNotOptimize(figures.data());
    }
    state.counters["houses_per_s"] = benchmark::Counter(
        static_cast<double>(houses.size() * state.iterations()), benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK_CAPTURE(Batch, DefaultHouses, DefaultHouses)
    ->Arg(1)
    ->Arg(2)
    ->ArgName("jobs")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(Batch, RandomHouses, RandomHouses)
    ->Arg(1)
    ->Arg(2)
    ->ArgName("jobs")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(Batch, PlainHouses, PlainHouses)
    ->Arg(1)
    ->Arg(2)
    ->ArgName("jobs")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(Batch, TemplateHouses, TemplateHouses)
    ->Arg(1)
    ->Arg(2)
    ->ArgName("jobs")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(Batch, EconomicsHouses, EconomicsHouses)
    ->Arg(1)
    ->Arg(2)
    ->ArgName("jobs")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_MAIN();
