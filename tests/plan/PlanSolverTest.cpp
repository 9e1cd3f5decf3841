#include "PlanSolver.h"
#include "PlanEnumeration.h"
#include "YearRefill.h"

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

// Rules laid on a table problem: years offered ('.' not offered, by house then year), required
// houses, carry-over and crews.
Problem WithRules(Problem p, const std::vector<std::string>& offered,
                  const std::vector<char>& required, bool carryOver, std::vector<int> crews) {
    for (const std::string& years : offered) {
        for (char c : years) {
            p.Offered.push_back(c == '.' ? 0 : 1);
        }
    }
    p.Required = required;
    p.CarryOver = carryOver;
    p.MaxHouses = std::move(crews);
    return p;
}

// A house whose value over its years is `energy` of energy, shared evenly by its years, and
// `prices` of prices.
HouseOffer Valued(double install, double energy, double prices, int horizon = 10) {
    HouseOffer o;
    o.InstallCost = install;
    o.HorizonYears = horizon;
    for (int k = 0; k < horizon && k < MaxYears; ++k) {
        o.ValueEndingEarlier[static_cast<std::size_t>(k)] = {energy * (horizon - k) / horizon,
                                                             prices};
    }
    return o;
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
        const double install = money(random);
        o = Valued(install, money(random) * 3, -install);
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
        // Without carry-over the 4 left of year 1 cannot help year 2 pay for the house of 8.
        {"money not carried over",
         WithRules(TableProblem({12, 4}, {{8, 8}, {4, 4}, {8, 8}}, {{10, 9}, {3, 2.5}, {9, 8}}), {},
                   {}, false, {}),
         13, "0@1 1@1 ", 13},
        // One house a year: the two best go one a year although the money pays for all three.
        {"crews",
         WithRules(TableProblem({100, 0}, {{1, 1}, {1, 1}, {1, 1}}, {{5, 3}, {3, 2}, {4, 3}}), {},
                   {}, true, {1, 1}),
         8, "0@1 2@2 ", 8},
        // The office fixes the poorest house in year 2 and excludes the best: the rest gets the
        // money left.
        {"fixed and excluded",
         WithRules(TableProblem({10, 10}, {{10, 10}, {10, 10}, {10, 10}}, {{9, 8}, {1, 1}, {5, 4}}),
                   {"..", ".x", "xx"}, {0, 1, 0}, true, {}),
         6, "2@1 1@2 ", 6},
        // A required house worth less than nothing is fitted where it loses least.
        {"required at a loss",
         WithRules(TableProblem({10, 10}, {{10, 10}, {10, 10}}, {{-3, -1}, {5, 4}}), {}, {1, 0},
                   true, {}),
         4, "1@1 0@2 ", 1},
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
                const double install = money(random);
                o = Valued(install, money(random) * 2 - 30, -install * money(random) / 200,
                           1 + static_cast<int>(money(random)) % 12);
                o.LampPriceGrowth = money(random) / 5 - 5;
                o.TariffGrowth = money(random) / 5 - 5;
                o.DiscountRate = money(random) / 10;
            }
            std::vector<double> budgets;
            for (int k = 0; k < years; ++k) {
                budgets.push_back(money(random) * houses / (2 * years) * (n % 3));
            }
            // Every third problem with the rules: no carry-over, crews of 1 or 2 a year, a house
            // fixed in the last year and one excluded.
            BudgetRules rules;
            std::vector<HouseRule> houseRules;
            if (n % 3 == 2) {
                rules.CarryOver = false;
                rules.MaxHouses = {1 + n % 2};
                houseRules.resize(offers.size());
                houseRules[0] = {HouseRule::Kind::Never, 0};
                houseRules[1] = {HouseRule::Kind::InYear, years - 1};
                offers[1].InstallCost = 0.5;
            }
            const Problem problem =
                MakeProblem(offers, budgets, Objective::NetPresentValue, rules, houseRules);
            SCOPED_TRACE(std::to_string(years) + " years, problem " + std::to_string(n));
            const Solution s = SolvePlan(problem);
            const double optimum = plan_test::Enumeration(problem).BestValue();
            EXPECT_NEAR(s.Best.Value, optimum, 1e-9 * std::max(optimum, 1.0));
            EXPECT_TRUE(Fits(problem, s.Best));
            EXPECT_TRUE(Fits(problem, s.Ranking));
            EXPECT_GE(s.Best.Value, s.Ranking.Value);
            for (const Choice& c : s.Ranking.Choices) {
                if (!problem.IsRequired(
                        c.House)) { // the office's houses go in whatever they are worth
                    EXPECT_GT(problem.ValueOf(c.House, c.Year), 0) << c.House << "@" << c.Year + 1;
                }
            }
            EXPECT_EQ(s.Status, SolveStatus::Optimal);
            EXPECT_GE(s.Bound, s.Best.Value);
            EXPECT_LE(s.Gap, 1e-4);
            // Each year's houses chosen again from the ranking plan: a plan that fits, no worse;
            // with one year, the best.
            const Plan refilled =
                RefilledByYear(problem, s.Ranking, optimum, 0, [] { return true; });
            EXPECT_TRUE(Fits(problem, refilled));
            EXPECT_GE(refilled.Value, s.Ranking.Value);
            if (years == 1) {
                EXPECT_NEAR(refilled.Value, optimum, 1e-9 * std::max(optimum, 1.0));
            }
        }
    }
}

// Each year chosen again from an empty plan, where that reaches the best plan: the money a year may
// spend (its own budget, or with carry-over what every later year's running sum leaves) and its
// crews. Houses of 6, 5 and 5 roubles worth 6, 4 and 4, in either of two years.
TEST(YearRefill, EachYearsMoneyAndCrews) {
    struct Case {
        std::vector<double> budgets;
        bool carryOver;
        std::vector<int> crews;
        double best;
    };
    for (const Case& c : {Case{{0, 10}, true, {}, 8}, Case{{5, 10}, false, {}, 10},
                          Case{{0, 10}, true, {1, 1}, 6}, Case{{10, 0}, true, {}, 8}}) {
        const Problem p =
            WithRules(TableProblem(c.budgets, {{6, 6}, {5, 5}, {5, 5}}, {{6, 6}, {4, 4}, {4, 4}}),
                      {}, {}, c.carryOver, c.crews);
        SCOPED_TRACE(::testing::PrintToString(c.budgets) + (c.carryOver ? " carried" : ""));
        ASSERT_EQ(plan_test::Enumeration(p).BestValue(), c.best);
        const Plan refilled = RefilledByYear(p, {}, c.best, 0, [] { return true; });
        EXPECT_EQ(refilled.Value, c.best) << ChoicesText(refilled);
        EXPECT_TRUE(Fits(p, refilled));
    }
}

// The most valuable items within the money and a count, against every subset: items free of
// spend, items that alone exceed the money, counts that bind and that do not.
TEST(YearRefill, MostValuableWithinAgreesWithEverySubset) {
    std::mt19937 random(20261208);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int n = 0; n < 60; ++n) {
        std::vector<KnapsackItem> items(1 + static_cast<std::size_t>(n % 12));
        for (KnapsackItem& item : items) {
            item = {1 + 99 * unit(random),
                    n % 7 == 0 && unit(random) < 0.2 ? 0 : 1 + 99 * unit(random)};
        }
        const double money = 150 * unit(random) * static_cast<double>(items.size()) / 3;
        const double most = n % 3 == 0 ? 2 : std::numeric_limits<double>::infinity();
        double best = 0;
        for (std::size_t set = 0; set < (std::size_t{1} << items.size()); ++set) {
            double value = 0, spend = 0, count = 0;
            for (std::size_t i = 0; i < items.size(); ++i) {
                if ((set >> i & 1) != 0) {
                    value += items[i].Value, spend += items[i].Spend, ++count;
                }
            }
            if (spend <= money && count <= most) {
                best = std::max(best, value);
            }
        }
        SCOPED_TRACE("problem " + std::to_string(n));
        const auto chosen = MostValuableWithin(items, money, most, 0, 1'000'000);
        ASSERT_EQ(chosen.has_value(), best > 0);
        double value = 0, spend = 0;
        for (std::size_t i : chosen.value_or(std::vector<std::size_t>{})) {
            value += items[i].Value, spend += items[i].Spend;
        }
        EXPECT_NEAR(value, best, 1e-9 * best);
        EXPECT_LE(spend, money);
        EXPECT_LE(static_cast<double>(chosen.value_or(std::vector<std::size_t>{}).size()), most);
        EXPECT_FALSE(MostValuableWithin(items, money, most, best, 1'000'000).has_value());
    }
    // Many items: those far above the margin are taken without a search; still within the money
    // and the count, and worth at least what taking them in order of value per rouble gives.
    std::vector<KnapsackItem> items(1000);
    for (KnapsackItem& item : items) {
        item = {1 + 99 * unit(random), 1 + 99 * unit(random)};
    }
    for (const double most : {std::numeric_limits<double>::infinity(), 300.0}) {
        std::vector<KnapsackItem> byRatio = items;
        std::sort(byRatio.begin(), byRatio.end(), [](const auto& a, const auto& b) {
            return a.Value / a.Spend > b.Value / b.Spend;
        });
        double greedy = 0, left = 20'000, count = 0;
        for (const KnapsackItem& item : byRatio) {
            if (item.Spend <= left && count < most) {
                greedy += item.Value, left -= item.Spend, ++count;
            }
        }
        const std::vector<std::size_t> chosen =
            MostValuableWithin(items, 20'000, most, 0, 100'000).value();
        double value = 0, spend = 0;
        for (std::size_t i : chosen) {
            value += items[i].Value, spend += items[i].Spend;
        }
        EXPECT_GE(value, greedy);
        EXPECT_LE(spend, 20'000);
        EXPECT_LE(static_cast<double>(chosen.size()), most);
    }
}

// Spend and value of houses × years, every objective, pinned by hand. Both end their horizon
// 4 and 2 years after the start of plan year 1; fitted k years later a house earns the value of
// its first (horizon - k) years at that year's tariff and prices, discounted k years.
// The first: install 1000 roubles, prices +10 %, tariff +20 %, discount 5 %, energy parts of
// 300, 225, 150 and 75 over 4 .. 1 years and -100 of prices, 2000 kWh and 0,8 t a year.
// The second: install 500, no rates, 500 and 250 of energy over 2 and 1 years, -300 of prices.
TEST(PlanProblem, SpendAndValueByYear) {
    HouseOffer first = Valued(1000, 300, -100, 4);
    first.LampPriceGrowth = 10;
    first.TariffGrowth = 20;
    first.DiscountRate = 5;
    first.EnergySavedPerYear = 2000;
    first.CO2AvoidedPerYear = 0.8;
    HouseOffer second = Valued(500, 500, -300, 2);
    second.EnergySavedPerYear = 100;
    struct Case {
        std::size_t house;
        int year;
        bool offered;
        double spend;
        double npv;
        double energy;
        double co2;
    };
    const Case cases[] = {
        {0, 0, true, 1000, 200, 8000, 3.2},
        {0, 1, true, 1100, (270 - 110) / 1.05, 6000, 2.4},
        {0, 3, true, 1331, (129.6 - 133.1) / 1.157625, 2000, 0.8},
        {0, 4, false, 1464.1, 0, 0, 0},
        {1, 0, true, 500, 200, 200, 0},
        {1, 1, true, 500, -50, 100, 0},
        {1, 2, false, 500, 0, 0, 0},
    };
    const std::vector<HouseOffer> houses{first, second};
    const std::vector<double> budgets(5, 1);
    for (const auto objective : {Objective::NetPresentValue, Objective::Energy, Objective::CO2}) {
        const Problem problem = MakeProblem(houses, budgets, objective);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::to_string(c.house) + " in " + std::to_string(c.year));
            const double value = objective == Objective::NetPresentValue ? c.npv
                                 : objective == Objective::Energy        ? c.energy
                                                                         : c.co2;
            EXPECT_NEAR(problem.SpendOf(c.house, c.year), c.spend, 1e-9);
            EXPECT_NEAR(problem.ValueOf(c.house, c.year), value, 1e-9);
            EXPECT_EQ(problem.OfferedIn(c.house, c.year), c.offered);
        }
    }
}

// The office's rules of houses: fixed in a year (even after the horizon's end), excluded,
// required in a year the plan chooses; and which fixed year is short by how much.
TEST(PlanProblem, HouseRulesAndFixedHousesShort) {
    const std::vector<HouseOffer> houses{Valued(60, 100, 0, 2), Valued(50, 100, 0, 2),
                                         Valued(40, 100, 0, 2), Valued(10, 100, 0, 2)};
    const std::vector<HouseRule> rules{{HouseRule::Kind::InYear, 2},
                                       {HouseRule::Kind::Never, 0},
                                       {HouseRule::Kind::Required, 0},
                                       {HouseRule::Kind::InYear, 0}};
    const auto money = [](double amount) { return std::to_string(static_cast<int>(amount)); };
    const Problem p = MakeProblem(houses, {20, 20, 20}, Objective::Energy, {}, rules);
    EXPECT_EQ(p.OfferedIn(0, 2), true);
    EXPECT_EQ(p.OfferedIn(0, 0), false);
    EXPECT_DOUBLE_EQ(p.ValueOf(0, 2), 0); // after its horizon's end
    EXPECT_EQ(p.OfferedIn(1, 0) || p.OfferedIn(1, 1) || p.OfferedIn(1, 2), false);
    EXPECT_EQ(p.OfferedIn(2, 0) && p.OfferedIn(2, 1), true);
    EXPECT_EQ(p.OfferedIn(2, 2), false);
    EXPECT_TRUE(p.IsRequired(2) && p.IsFixed(0) && p.IsFixed(3));
    EXPECT_FALSE(p.IsFixed(2) || p.IsRequired(1));
    // 10 in year 1 and 60 in year 3 against 20 a year: carried over, 60 is 70 of 60.
    EXPECT_EQ(FixedHousesError(p, money).value_or(""),
              "год плана 3: домам, закреплённым за годами 1–3, нужно 70 руб., а бюджет этих лет "
              "60 руб.: не хватает 10 руб.");
    const Problem own = MakeProblem(houses, {20, 20, 70}, Objective::Energy, {false, {}}, rules);
    EXPECT_FALSE(FixedHousesError(own, money));
    const Problem ownShort =
        MakeProblem(houses, {5, 20, 70}, Objective::Energy, {false, {}}, rules);
    EXPECT_EQ(FixedHousesError(ownShort, money).value_or(""),
              "год плана 1: домам, закреплённым за годом 1, нужно 10 руб., а бюджет года 5 руб.: "
              "не хватает 5 руб.");
    const Problem crews =
        MakeProblem(houses, {100, 100, 100}, Objective::Energy, {true, {1, 1, 0}}, rules);
    EXPECT_EQ(FixedHousesError(crews, money).value_or(""),
              "год плана 3: закреплено домов 1, а в год можно не более 0");
    EXPECT_TRUE(RulesError({true, {1, 2}}, 3));
    EXPECT_TRUE(RulesError({true, {-1}}, 3));
    EXPECT_FALSE(RulesError({true, {1, 2, 0}}, 3));
}

// Each objective picks its own houses: the house of most value for the money differs.
TEST(PlanSolver, EveryObjective) {
    std::vector<HouseOffer> houses{Valued(100, 500, -100, 3), Valued(100, 150, -100, 3),
                                   Valued(100, 200, -100, 3)};
    const double saved[][2] = {{1000, 0.1}, {3000, 0.2}, {2000, 0.9}};
    for (std::size_t h = 0; h < 3; ++h) {
        houses[h].DiscountRate = 10;
        houses[h].EnergySavedPerYear = saved[h][0];
        houses[h].CO2AvoidedPerYear = saved[h][1];
    }
    struct Case {
        Objective objective;
        std::size_t house;
        double value;
    };
    for (const Case& c : {Case{Objective::NetPresentValue, 0, 400},
                          Case{Objective::Energy, 1, 9000}, Case{Objective::CO2, 2, 2.7}}) {
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
// least the ranking plan, with a bound above every plan; progress reports never claim more than
// the bound.
TEST(PlanSolver, StopKeepsTheBestPlanSoFar) {
    const Problem problem =
        MakeProblem(RandomOffers(11, 100), {150, 200, 100}, Objective::NetPresentValue);
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
    options.RelativeGap = 1e-3;
    const Solution finished = SolvePlan(problem, options);
    EXPECT_EQ(finished.Status, SolveStatus::Optimal);
    EXPECT_LE(finished.Gap, 1e-3);
    EXPECT_GE(finished.Best.Value, s.Best.Value);
    EXPECT_GE(s.Bound, finished.Best.Value); // the stopped search's bound bounds every plan
}

// Two stock windows may plan at once: searches on two threads each reach the plan one search
// alone reaches, each within its own time.
TEST(PlanSolver, SearchesOnTwoThreadsAgree) {
    const Problem problem =
        MakeProblem(RandomOffers(11, 100), {150, 200, 100}, Objective::NetPresentValue);
    SolveOptions options;
    options.RelativeGap = 1e-3;
    const Solution alone = SolvePlan(problem, options);
    ASSERT_EQ(alone.Status, SolveStatus::Optimal);
    std::vector<Solution> together(4);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < 2; ++t) {
        threads.emplace_back([&, t] {
            together[t] = SolvePlan(problem, options);
            together[t + 2] = SolvePlan(problem, options);
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    for (const Solution& s : together) {
        EXPECT_EQ(s.Status, SolveStatus::Optimal);
        EXPECT_NEAR(s.Best.Value, alone.Best.Value, 1e-3 * alone.Best.Value);
        EXPECT_TRUE(Fits(problem, s.Best));
    }
}

// Stocks of identical houses, which the search takes as one column a year for each group (with
// the gap 0 the search runs on each): the plan equals the enumeration's, each house at most once,
// a house the office fixed or required kept apart from its twins.
TEST(PlanSolver, IdenticalHousesAsGroups) {
    const std::vector<double> twin{7, 7, 7};
    const std::vector<double> twinWorth{9, 6, 3}; // proportional to the years left, as energy is
    const std::vector<std::vector<double>> spend{twin, twin, twin, twin, twin, {5, 5, 5}, twin};
    const std::vector<std::vector<double>> worth{twinWorth, twinWorth, twinWorth, twinWorth,
                                                 twinWorth, {6, 4, 2}, twinWorth};
    struct Case {
        const char* name;
        Problem problem;
        double optimum;
    };
    const Case cases[] = {
        {"carried over", TableProblem({10, 10, 12}, spend, worth), 22},
        {"one fixed in year 2",
         WithRules(TableProblem({10, 10, 12}, spend, worth),
                   {"xxx", "xxx", ".x.", "xxx", "xxx", "xxx", "xxx"}, {0, 0, 1, 0, 0, 0, 0}, true,
                   {}),
         22},
        {"not carried over, one required, crews",
         WithRules(TableProblem({15, 14, 20}, spend, worth), {}, {0, 0, 0, 0, 0, 0, 1}, false,
                   {2, 2, 1}),
         33},
    };
    SolveOptions exact;
    exact.RelativeGap = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Solution s = SolvePlan(c.problem, exact);
        EXPECT_DOUBLE_EQ(plan_test::Enumeration(c.problem).BestValue(), c.optimum);
        EXPECT_DOUBLE_EQ(s.Best.Value, c.optimum) << ChoicesText(s.Best);
        EXPECT_TRUE(Fits(c.problem, s.Best));
        EXPECT_EQ(s.Status, SolveStatus::Optimal);
        EXPECT_GE(s.Bound, s.Best.Value);
    }
}

// Required houses that fit no plan together: no plan, with the reason; a required house that
// fits alone is fitted even where it is worth nothing.
TEST(PlanSolver, RequiredHousesThatDoNotFitMakeNoPlan) {
    struct Case {
        const char* name;
        Problem problem;
        SolveStatus status;
    };
    const Case cases[] = {
        {"money for one of two",
         WithRules(TableProblem({10, 0}, {{10, 10}, {10, 10}}, {{1, 1}, {1, 1}}), {}, {1, 1}, true,
                   {}),
         SolveStatus::Infeasible},
        {"one crew a year for three",
         WithRules(TableProblem({10, 10}, {{1, 1}, {1, 1}, {1, 1}}, {{1, 1}, {1, 1}, {1, 1}}), {},
                   {1, 1, 1}, true, {1, 1}),
         SolveStatus::Infeasible},
        {"year 1's money is not carried",
         WithRules(TableProblem({10, 5}, {{6, 6}, {6, 6}}, {{1, 1}, {1, 1}}), {}, {1, 1}, false,
                   {}),
         SolveStatus::Infeasible},
        {"carried, both fit",
         WithRules(TableProblem({10, 5}, {{6, 6}, {6, 6}}, {{1, 1}, {0, -1}}), {}, {1, 1}, true,
                   {}),
         SolveStatus::Optimal},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Solution s = SolvePlan(c.problem);
        EXPECT_EQ(s.Status, c.status);
        EXPECT_EQ(s.HasPlan(), c.status == SolveStatus::Optimal);
        if (s.HasPlan()) {
            EXPECT_TRUE(Fits(c.problem, s.Best));
            EXPECT_EQ(s.Best.Choices.size(), 2u);
            EXPECT_DOUBLE_EQ(s.Best.Value, plan_test::Enumeration(c.problem).BestValue());
        } else {
            EXPECT_NE(s.Message.find("не помещаются"), std::string::npos) << s.Message;
            EXPECT_TRUE(s.Best.Choices.empty());
        }
    }
}
