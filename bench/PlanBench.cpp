// The capital plan of a large stock: houses of random size and worth, five plan years whose
// budgets pay for about a fifth of the stock, solved within a relative gap, under each objective
// and budget rule.
#include "PlanSolver.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

std::vector<plan::HouseOffer> RandomStock(std::size_t houses) {
    std::mt19937 random(20261207);
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<plan::HouseOffer> stock(houses);
    for (plan::HouseOffer& h : stock) {
        // 1 to 12 entrances of 5 to 25 floors: installations of about 20,000 to 600,000 roubles.
        const double size = (1 + 11 * unit(random)) * (5 + 20 * unit(random));
        h.InstallCost = 200 * size * (0.8 + 0.4 * unit(random));
        h.TariffGrowth = 2 + 8 * unit(random);
        h.LampPriceGrowth = 1 + 6 * unit(random);
        h.DiscountRate = 4 + 8 * unit(random);
        // Horizons of 8 to 20 years, the energy saved evenly over them.
        h.HorizonYears = 8 + static_cast<int>(13 * unit(random));
        const double energy = h.InstallCost * (0.5 + 3 * unit(random));
        const double prices = -h.InstallCost * (0.9 + 0.3 * unit(random));
        for (int k = 0; k < plan::MaxYears; ++k) {
            h.ValueEndingEarlier[static_cast<std::size_t>(k)] = {
                energy * (h.HorizonYears - k) / h.HorizonYears, prices};
        }
        h.EnergySavedPerYear = size * 30 * (0.5 + unit(random));
        h.CO2AvoidedPerYear = h.EnergySavedPerYear * 0.4 / 1000;
    }
    return stock;
}

enum Rules { CarryOver, NoCarryOver, OfficeDecides };

// Every 40th house fixed in a year and every 40th excluded: 5 % of the stock decided.
std::vector<plan::HouseRule> OfficeRules(std::size_t houses) {
    std::vector<plan::HouseRule> rules(houses);
    for (std::size_t h = 0; h < houses; h += 20) {
        rules[h] = {plan::HouseRule::Kind::InYear, static_cast<int>(h / 20 % 5)};
        if (h + 10 < houses) {
            rules[h + 10] = {plan::HouseRule::Kind::Never, 0};
        }
    }
    return rules;
}

// A stock made from a template: `houses` copies of four kinds of house, in turn.
std::vector<plan::HouseOffer> TemplateStock(std::size_t houses) {
    const std::vector<plan::HouseOffer> kinds = RandomStock(4);
    std::vector<plan::HouseOffer> stock(houses);
    for (std::size_t h = 0; h < houses; ++h) {
        stock[h] = kinds[h % kinds.size()];
    }
    return stock;
}

// The plan of `stock`; arguments from the second: relative gap in millionths, objective, rules.
void Solve(benchmark::State& state, const std::vector<plan::HouseOffer>& stock) {
    const std::size_t houses = stock.size();
    const double gap = static_cast<double>(state.range(1)) / 1e6;
    const auto objective = static_cast<plan::Objective>(state.range(2));
    const auto rules = static_cast<Rules>(state.range(3));
    double total = 0;
    for (const plan::HouseOffer& h : stock) {
        total += h.InstallCost;
    }
    const std::vector<double> budgets = {0.06 * total, 0.04 * total, 0.04 * total, 0.03 * total,
                                         0.03 * total};
    const plan::BudgetRules budgetRules{rules != NoCarryOver, {}};
    const plan::Problem problem = plan::MakeProblem(
        stock, budgets, objective, budgetRules,
        rules == OfficeDecides ? OfficeRules(houses) : std::vector<plan::HouseRule>{});
    plan::SolveOptions options;
    options.RelativeGap = gap;
    options.TimeLimitSeconds = 30;
    plan::Solution solution;
    for (auto _ : state) {
        solution = plan::SolvePlan(problem, options);
        // Not the plan's value: DoNotOptimize of a double in a register altered it (GCC 12).
        benchmark::DoNotOptimize(solution.Best.Choices.data());
    }
    state.counters["gap_percent"] = solution.Gap * 100;
    state.counters["optimal"] = solution.Status == plan::SolveStatus::Optimal ? 1 : 0;
    state.counters["gain_over_ranking_percent"] =
        (solution.Best.Value / solution.Ranking.Value - 1) * 100;
    state.counters["houses_chosen"] = static_cast<double>(solution.Best.Choices.size());
}

// Arguments: houses, relative gap in millionths, objective, rules.
void SolveStock(benchmark::State& state) {
    Solve(state, RandomStock(static_cast<std::size_t>(state.range(0))));
}

// The same arguments, the stock made from a template.
void SolveTemplateStock(benchmark::State& state) {
    Solve(state, TemplateStock(static_cast<std::size_t>(state.range(0))));
}

} // namespace

// Houses, relative gap in millionths, objective (0 npv, 1 energy, 2 co2), rules (0 carry-over,
// 1 none, 2 carry-over with 5 % of the houses fixed or excluded); at most 30 s each.
BENCHMARK(SolveStock)
    ->ArgsProduct({{1000, 3000, 10000}, {100}, {0, 1, 2}, {0, 1, 2}})
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
BENCHMARK(SolveStock)
    ->ArgsProduct({{100000}, {100}, {0, 1, 2}, {0, 1, 2}})
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

BENCHMARK(SolveTemplateStock)
    ->ArgsProduct({{1000, 10000}, {100}, {0, 1, 2}, {0, 1, 2}})
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

BENCHMARK_MAIN();
