#include "PlanSolver.h"
#include "PlanEnumeration.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>

using namespace plan;

namespace {

// A problem from spend and value tables: rows are houses, columns plan years.
Problem TableProblem(std::vector<double> budgets, const std::vector<std::vector<double>>& spend,
                     const std::vector<std::vector<double>>& value) {
    Problem p;
    p.Budgets = std::move(budgets);
    p.HouseCount = spend.size();
    for (std::size_t h = 0; h < spend.size(); ++h) {
        p.Spend.insert(p.Spend.end(), spend[h].begin(), spend[h].end());
        p.Value.insert(p.Value.end(), value[h].begin(), value[h].end());
    }
    return p;
}

std::string ChoicesText(const Plan& plan) {
    std::string text;
    for (const Choice& c : plan.Choices) {
        text += std::to_string(c.House) + "@" + std::to_string(c.Year + 1) + " ";
    }
    return text;
}

// `count` houses of random costs between 1 and 100 whose value is about three times their cost.
std::vector<HouseOffer> RandomOffers(std::uint32_t seed, std::size_t count) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> money(1, 100);
    std::vector<HouseOffer> offers(count);
    for (HouseOffer& o : offers) {
        o.InstallCost = money(random);
        o.ValueEnergy = money(random) * 3;
        o.ValuePrices = -o.InstallCost;
    }
    return offers;
}

} // namespace

// Small problems whose best plans are known by hand and by enumeration.
TEST(PlanSolver, KnownOptima) {
    struct Case {
        const char* name;
        Problem problem;
        double optimum;
        const char* choices; // house@plan year
        double ranking;
    };
    const Case cases[] = {
        // Value per rouble fills 6 of 10 with the best ratio and leaves 4 idle.
        {"ranking leaves money idle", TableProblem({10}, {{6}, {5}, {5}}, {{7}, {5.5}, {5.5}}), 11,
         "1@1 2@1 ", 7},
        // 4 a year pays for the house of 8 only when the first year's money carries over.
        {"money carried over", TableProblem({4, 4}, {{8, 8}, {3, 3}}, {{10, 10}, {2, 2}}), 10,
         "0@2 ", 10},
        // Both fit, one a year; the one that loses less by waiting waits.
        {"delaying costs value", TableProblem({10, 10}, {{10, 10}, {10, 10}}, {{10, 5}, {10, 9}}),
         19, "0@1 1@2 ", 19},
        // The best ratio of this year fits only next year, where it is worth little, and takes
        // the money of both.
        {"ranking takes a poor year", TableProblem({5, 5}, {{10, 10}, {5, 5}}, {{30, 1}, {12, 11}}),
         12, "1@1 ", 1},
        // A house worth nothing in any year is never chosen, even with money to spare.
        {"no value, not chosen", TableProblem({100, 100}, {{1, 1}, {1, 1}}, {{0, -1}, {3, 2}}), 3,
         "1@1 ", 3},
        // The best ratio of this year fits only next year, where it is worth nothing: ranking
        // leaves it out and keeps the money for a house worth something.
        {"ranking skips a year worth nothing",
         TableProblem({5, 5}, {{10, 10}, {5, 5}}, {{30, 0}, {2, 1}}), 2, "1@1 ", 2},
        // Prices that rise make the same house cheaper this year.
        {"a rising price chooses the earlier year",
         TableProblem({10, 0}, {{10, 11}, {1, 1.1}}, {{5, 6}, {1, 1}}), 5, "0@1 ", 1},
        {"no budget", TableProblem({0, 0, 0}, {{1, 1, 1}}, {{1, 1, 1}}), 0, "", 0},
        {"a free house with no budget", TableProblem({0}, {{0}}, {{4}}), 4, "0@1 ", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The search says nothing: virasvet-calc writes its results to standard output.
        testing::internal::CaptureStdout();
        const Solution s = SolvePlan(c.problem);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_DOUBLE_EQ(plan_test::Enumeration(c.problem).BestValue(), c.optimum);
        EXPECT_DOUBLE_EQ(s.Best.Value, c.optimum);
        EXPECT_EQ(ChoicesText(s.Best), c.choices);
        EXPECT_DOUBLE_EQ(s.Ranking.Value, c.ranking);
        EXPECT_EQ(s.Status, SolveStatus::Optimal);
        EXPECT_TRUE(Fits(c.problem, s.Best));
        EXPECT_TRUE(Fits(c.problem, s.Ranking));
    }
}

// Random small problems of 1, 3 and 10 years against enumeration: the solver's plan is worth the
// enumerated optimum, fits the cumulative budgets and is never worse than the ranking plan, which
// takes no house in a year where it is worth nothing or less.
TEST(PlanSolver, AgreesWithEnumeration) {
    std::mt19937 random(20261207);
    std::uniform_real_distribution<double> money(1, 100);
    for (const auto& [years, houses, problems] :
         {std::tuple{1, 9, 15}, std::tuple{3, 6, 15}, std::tuple{10, 3, 8}}) {
        for (int n = 0; n < problems; ++n) {
            std::vector<HouseOffer> offers(static_cast<std::size_t>(houses));
            for (HouseOffer& o : offers) {
                o.InstallCost = money(random);
                o.LampPriceGrowth = money(random) / 5 - 5;
                o.TariffGrowth = money(random) / 5 - 5;
                o.DiscountRate = money(random) / 10;
                o.ValueEnergy = money(random) * 2 - 30;
                o.ValuePrices = -o.InstallCost * money(random) / 200;
            }
            std::vector<double> budgets;
            for (int k = 0; k < years; ++k) {
                budgets.push_back(money(random) * houses / (2 * years) * (n % 3));
            }
            const Problem problem = MakeProblem(offers, budgets, Objective::NetPresentValue);
            SCOPED_TRACE(std::to_string(years) + " years, problem " + std::to_string(n));
            const Solution s = SolvePlan(problem);
            const double optimum = plan_test::Enumeration(problem).BestValue();
            EXPECT_NEAR(s.Best.Value, optimum, 1e-9 * std::max(optimum, 1.0));
            EXPECT_TRUE(Fits(problem, s.Best));
            EXPECT_TRUE(Fits(problem, s.Ranking));
            EXPECT_GE(s.Best.Value, s.Ranking.Value);
            for (const Choice& c : s.Ranking.Choices) {
                EXPECT_GT(problem.ValueOf(c.House, c.Year), 0) << c.House << "@" << c.Year + 1;
            }
            EXPECT_EQ(s.Status, SolveStatus::Optimal);
            EXPECT_GE(s.Bound, s.Best.Value);
            EXPECT_LE(s.Gap, 1e-4);
        }
    }
}

// Spend and value of a year, every objective, pinned by hand: install 1000 roubles, prices +10 %,
// tariff +20 %, discount 5 %, value 300 of energy and -100 of prices, 2000 kWh and 0,8 t a year.
TEST(PlanProblem, SpendAndValueByYear) {
    HouseOffer house;
    house.InstallCost = 1000;
    house.LampPriceGrowth = 10;
    house.TariffGrowth = 20;
    house.DiscountRate = 5;
    house.ValueEnergy = 300;
    house.ValuePrices = -100;
    house.EnergySavedPerYear = 2000;
    house.CO2AvoidedPerYear = 0.8;
    struct Case {
        int year;
        double spend;
        double npv;
        double energy;
        double co2;
    };
    const Case cases[] = {
        {0, 1000, 200, 8000, 3.2},
        {1, 1100, (360 - 110) / 1.05, 6000, 2.4},
        {3, 1331, (518.4 - 133.1) / 1.157625, 2000, 0.8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.year);
        EXPECT_NEAR(SpendInYear(house, c.year), c.spend, 1e-9);
        EXPECT_NEAR(ValueInYear(house, Objective::NetPresentValue, c.year, 4), c.npv, 1e-9);
        EXPECT_NEAR(ValueInYear(house, Objective::Energy, c.year, 4), c.energy, 1e-9);
        EXPECT_NEAR(ValueInYear(house, Objective::CO2, c.year, 4), c.co2, 1e-12);
    }
}

// Each objective picks its own houses: the house of most value for the money differs.
TEST(PlanSolver, EveryObjective) {
    std::vector<HouseOffer> houses(3);
    houses[0] = {100, 0, 0, 10, 500, -100, 1000, 0.1};
    houses[1] = {100, 0, 0, 10, 150, -100, 3000, 0.2};
    houses[2] = {100, 0, 0, 10, 200, -100, 2000, 0.9};
    struct Case {
        Objective objective;
        std::size_t house;
        double value;
    };
    for (const Case& c : {Case{Objective::NetPresentValue, 0, 400},
                          Case{Objective::Energy, 1, 6000}, Case{Objective::CO2, 2, 1.8}}) {
        const Problem problem = MakeProblem(houses, {100, 0}, c.objective);
        const Solution s = SolvePlan(problem);
        ASSERT_EQ(s.Best.Choices.size(), 1u);
        EXPECT_EQ(s.Best.Choices[0].House, c.house);
        EXPECT_EQ(s.Best.Choices[0].Year, 0);
        EXPECT_NEAR(s.Best.Value, c.value, 1e-9);
    }
}

TEST(PlanProblem, BudgetsThatCannotMakeAPlan) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (const auto& budgets : std::vector<std::vector<double>>{
             {}, {-1}, {1, -0.01}, {nan}, {inf}, std::vector<double>(11, 1)}) {
        EXPECT_TRUE(BudgetsError(budgets).has_value()) << budgets.size();
    }
    for (const auto& budgets :
         std::vector<std::vector<double>>{{0}, {1e12}, std::vector<double>(10, 0)}) {
        EXPECT_FALSE(BudgetsError(budgets).has_value()) << budgets.size();
    }
}

// Totals by year: spend, value, houses and the money carried on.
TEST(PlanProblem, TotalsByYear) {
    const Problem problem = TableProblem({10, 5, 0}, {{4, 4, 4}, {8, 8, 8}, {2, 2, 2}},
                                         {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}});
    Plan plan{{{0, 0}, {2, 0}, {1, 1}}, 0};
    Complete(problem, plan);
    const std::vector<YearTotals> t = TotalsByYear(problem, plan);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].Houses, 2);
    EXPECT_DOUBLE_EQ(t[0].Spend, 6);
    EXPECT_DOUBLE_EQ(t[0].Left, 4);
    EXPECT_DOUBLE_EQ(t[0].Value, 4);
    EXPECT_EQ(t[1].Houses, 1);
    EXPECT_DOUBLE_EQ(t[1].Left, 1);
    EXPECT_DOUBLE_EQ(t[2].Left, 1);
    EXPECT_DOUBLE_EQ(plan.Value, 6);
    EXPECT_TRUE(Fits(problem, plan));
    plan.Choices.push_back({0, 2}); // twice
    EXPECT_FALSE(Fits(problem, plan));
    plan.Choices.pop_back();
    plan.Choices.push_back({1, 0}); // beyond the budget
    EXPECT_FALSE(Fits(problem, plan));
}

// A stop asked for before the search keeps the best plan found so far, which fits and is worth at
// least the ranking plan; progress reports never claim more than the bound.
TEST(PlanSolver, StopKeepsTheBestPlanSoFar) {
    const Problem problem =
        MakeProblem(RandomOffers(7, 300), {500, 700, 300}, Objective::NetPresentValue);
    std::atomic<bool> stop{true};
    SolveOptions options;
    options.RelativeGap = 0;
    options.Stop = &stop;
    const Solution s = SolvePlan(problem, options);
    EXPECT_EQ(s.Status, SolveStatus::Stopped);
    EXPECT_TRUE(Fits(problem, s.Best));
    EXPECT_GE(s.Best.Value, s.Ranking.Value);
    EXPECT_GE(s.Bound, s.Best.Value);
    EXPECT_GT(s.Gap, 0);

    stop = false;
    int reports = 0;
    options.Progress = [&](const SolveProgress& p) {
        ++reports;
        EXPECT_LE(p.BestValue, p.Bound + 1e-6);
    };
    options.RelativeGap = 1e-4;
    const Solution finished = SolvePlan(problem, options);
    EXPECT_EQ(finished.Status, SolveStatus::Optimal);
    EXPECT_LE(finished.Gap, 1e-4);
    EXPECT_GE(finished.Best.Value, s.Best.Value);
}

// Two stock windows may plan at once: searches on two threads each reach the plan one search
// alone reaches.
TEST(PlanSolver, SearchesOnTwoThreadsAgree) {
    const Problem problem =
        MakeProblem(RandomOffers(11, 200), {400, 500, 300}, Objective::NetPresentValue);
    const Solution alone = SolvePlan(problem);
    ASSERT_EQ(alone.Status, SolveStatus::Optimal);
    std::vector<Solution> together(4);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < 2; ++t) {
        threads.emplace_back([&, t] {
            together[t] = SolvePlan(problem);
            together[t + 2] = SolvePlan(problem);
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    for (const Solution& s : together) {
        EXPECT_EQ(s.Status, SolveStatus::Optimal);
        EXPECT_NEAR(s.Best.Value, alone.Best.Value, 1e-4 * alone.Best.Value);
        EXPECT_TRUE(Fits(problem, s.Best));
    }
}
