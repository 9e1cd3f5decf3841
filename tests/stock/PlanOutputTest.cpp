#include "PlanRun.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace stock;

TEST(PlanOutput, BudgetsReadAsCells) {
    struct Case {
        const char* text;
        double amount;
        const char* message; // empty: read
    };
    const Case cases[] = {
        {"5000000", 5e6, ""},     {"5 000 000,50", 5000000.5, ""},
        {"2.5", 2.5, ""},         {" 0 ", 0, ""},
        {"1e6", 1e6, ""},         {"-1", 0, "меньше 0"},
        {"пять", 0, "не число"},  {"", 0, "не число"},
        {"1,2,3", 0, "не число"}, {"inf", 0, "не число"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        double amount = -7;
        const std::optional<std::string> message = ReadBudget(c.text, amount);
        if (*c.message == '\0') {
            ASSERT_FALSE(message) << *message;
            EXPECT_DOUBLE_EQ(amount, c.amount);
        } else {
            ASSERT_TRUE(message);
            EXPECT_NE(message->find(c.message), std::string::npos) << *message;
        }
    }
    EXPECT_EQ(ObjectiveNamed("NPV"), plan::Objective::NetPresentValue);
    EXPECT_EQ(ObjectiveNamed("energy"), plan::Objective::Energy);
    EXPECT_EQ(ObjectiveNamed("Co2"), plan::Objective::CO2);
    EXPECT_FALSE(ObjectiveNamed("payback"));
}

// The register's PlanYear cells: empty, a year, "исключить", "обязательно", any case and blanks.
TEST(PlanOutput, PlanYearCells) {
    using Kind = model::PlanYearRule::Kind;
    struct Case {
        const char* text;
        Kind rule;
        int year;
        bool refused;
    };
    const Case cases[] = {
        {"", Kind::PlanDecides, 0, false},    {"  ", Kind::PlanDecides, 0, false},
        {"1", Kind::InYear, 0, false},        {" 10 ", Kind::InYear, 9, false},
        {"Исключить", Kind::Never, 0, false}, {"ОБЯЗАТЕЛЬНО", Kind::Required, 0, false},
        {"0", Kind::PlanDecides, 0, true},    {"11", Kind::PlanDecides, 0, true},
        {"2,5", Kind::PlanDecides, 0, true},  {"-1", Kind::PlanDecides, 0, true},
        {"да", Kind::PlanDecides, 0, true},   {"007", Kind::PlanDecides, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        model::PlanYearRule rule{Kind::Never, 5};
        const std::optional<std::string> message = model::ReadPlanYear(c.text, rule);
        EXPECT_EQ(message.has_value(), c.refused);
        if (message) {
            EXPECT_NE(message->find("от 1 до 10"), std::string::npos) << *message;
        }
        EXPECT_EQ(rule.Rule, c.rule);
        EXPECT_EQ(rule.Year, c.year);
    }
    EXPECT_TRUE(model::IsPlanYearHeading("Год плана"));
    EXPECT_TRUE(model::IsPlanYearHeading("plan_year"));
    EXPECT_FALSE(model::IsPlanYearHeading("Год"));
}

// The plan file: by year then line, carried cells safe from formulas, decimal commas.
TEST(PlanOutput, PlanFileRows) {
    plan::Problem problem;
    problem.Budgets = {100, 50};
    problem.HouseCount = 3;
    problem.Spend = {40, 44, 30, 33, 60, 66};
    problem.Value = {10, 9.5, 7.25, 7, 1, 0.5};
    plan::Plan chosen{{{2, 0}, {0, 1}, {1, 0}}, 0};
    const std::vector<PlanHouseSource> sources = {
        {7, {"=1+2"}, "ул. Мира 1"}, {3, {"A"}, "-ул. Ленина"}, {5, {""}, "ул. Труда 5"}};
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("plan.csv"));
    SavePlan(file, problem, chosen, plan::Objective::NetPresentValue, sources, {"№"});
    QFile read(file);
    ASSERT_TRUE(read.open(QIODevice::ReadOnly));
    EXPECT_EQ(read.readAll().toStdString(), "\xEF\xBB\xBFPlanYear;Line;№;Address;Spend;Value\r\n"
                                            "1;3;A;'-ул. Ленина;30,00;7,25\r\n"
                                            "1;5;;ул. Труда 5;60,00;1,00\r\n"
                                            "2;7;'=1+2;ул. Мира 1;44,00;9,50\r\n");
}

TEST(PlanOutput, SummaryOfAnEmptyPlanAndOfAStoppedOne) {
    plan::Problem problem;
    problem.Budgets = {0};
    plan::Solution none;
    std::string text =
        PlanSummary(problem, none, plan::Objective::Energy, model::NumberLocale{",", " "});
    EXPECT_NE(text.find("Ни один дом не выбран"), std::string::npos) << text;
    EXPECT_NE(text.find("План оптимален"), std::string::npos) << text;

    problem.Budgets = {1000000, 0};
    problem.HouseCount = 1;
    problem.Spend = {999999.5, 1};
    problem.Value = {2, 1};
    plan::Solution stopped;
    stopped.Best = {{{0, 0}}, 2};
    stopped.Ranking = {{}, 0};
    stopped.Status = plan::SolveStatus::Stopped;
    stopped.Gap = 0.0123;
    text = PlanSummary(problem, stopped, plan::Objective::CO2, model::NumberLocale{",", " "});
    EXPECT_NE(text.find("Год 1: домов 1, расходы 999 999,50 руб. при бюджете 1 000 000,00 руб., "
                        "остаток 0,50 руб."),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Ценность плана: 2,000 т"), std::string::npos) << text;
    EXPECT_NE(text.find("Поиск остановлен"), std::string::npos) << text;
    EXPECT_NE(text.find("1,230 %"), std::string::npos) << text;
}
