#include "PlanRun.h"
#include "WorkbookParts.h"

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
        {"5000000", 5e6, ""},
        {"5 000 000,50", 5000000.5, ""},
        {"2.5", 2.5, ""},
        {" 0 ", 0, ""},
        {"1e6", 1e6, ""},
        {"-1", 0, "меньше 0"},
        {"пять", 0, "не число"},
        {"", 0, "не число"},
        {"1,2,3", 0, "не число"},
        {"inf", 0, "не число"},
        {"10 000 000 000 000", 1e13, ""},
        {"10000000000000,01", 0, "больше 10 000 000 000 000 руб."},
        {"1e308", 0, "больше 10 000 000 000 000 руб."},
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

namespace {

// Three houses, two years; the plan takes the second and third this year, the first the next.
struct SmallPlan {
    plan::Problem problem;
    plan::Solution solution;
    // The third on a sheet that continues the register's first.
    std::vector<PlanHouseSource> sources = {{7, {"=1+2"}, "ул. Мира 1", "УК «Юг»", ""},
                                            {3, {"A"}, "-ул. Ленина", "ТСЖ 5", ""},
                                            {5, {""}, "ул. Труда 5", "УК «Юг»", "Дома 2"}};
    std::vector<std::string> carried{"№"};
    PlanRules rules;

    SmallPlan() {
        problem.Budgets = {100, 50};
        problem.HouseCount = 3;
        problem.Spend = {40, 44, 30, 33, 60, 66};
        problem.Value = {10, 200971.05, 7.25, 7, 1, 0.5};
        solution.Best = {{{2, 0}, {0, 1}, {1, 0}}, 200979.3};
        solution.Ranking = {{{1, 0}}, 7.25};
        rules.Budgets = problem.Budgets;
    }
    PlanDocument Document() const { return {problem, solution, sources, carried, rules}; }
};

std::string Part(const QString& file, const std::string& name) {
    const sheet::Archive archive = sheet::OpenArchive(file.toStdString(), "");
    return sheet::SmallPartText(archive.get(), name, 1 << 20);
}

} // namespace

// The plan file: by year then line, carried cells safe from formulas, decimal commas in CSV; the
// register's own plan year column carried under a heading of its own beside the plan's year; a
// workbook holds numbers as numbers, to the kopeck, and the sheet "Итоги".
TEST(PlanOutput, PlanFileRows) {
    struct Case {
        const char* carried; // the carried column's heading
        const char* header;  // the file's, after "PlanYear;Line;"
    };
    const Case cases[] = {
        {"№", "№;"},
        {"PlanYear", "PlanYear (реестр);"},
        {"год  плана", "год  плана (реестр);"},
    };
    SmallPlan small;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("plan.csv"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.carried);
        small.carried = {c.carried};
        SavePlan(file, small.Document());
        QFile read(file);
        ASSERT_TRUE(read.open(QIODevice::ReadOnly));
        EXPECT_EQ(read.readAll().toStdString(),
                  std::string("\xEF\xBB\xBFPlanYear;Line;") + c.header +
                      "Address;ManagementCompany;Spend;Value\r\n"
                      "1;3;A;'-ул. Ленина;ТСЖ 5;30,00;7,25\r\n"
                      "1;5, лист «Дома 2»;;ул. Труда 5;УК «Юг»;60,00;1,00\r\n"
                      "2;7;'=1+2;ул. Мира 1;УК «Юг»;44,00;200971,05\r\n");
    }
    small.carried = {"№"};

    const QString book = dir.filePath(QStringLiteral("plan.xlsx"));
    SavePlan(book, small.Document());
    const std::string plan = Part(book, "xl/worksheets/sheet1.xml");
    EXPECT_NE(plan.find("<v>200971.05</v>"), std::string::npos) << plan;
    EXPECT_NE(plan.find("<v>44</v>"), std::string::npos) << plan;
    const std::string totals = Part(book, "xl/worksheets/sheet2.xml");
    // Year 2: one house, 44 spent of its 50, 16 left of the 150 of both years (carried), its value.
    EXPECT_NE(totals.find("<row r=\"3\"><c r=\"A3\"><v>2</v></c><c r=\"B3\"><v>1</v></c><c "
                          "r=\"C3\"><v>44</v></c><c r=\"D3\"><v>50</v></c><c "
                          "r=\"E3\"><v>16</v></c><c r=\"F3\"><v>200971.05</v></c></row>"),
              std::string::npos)
        << totals;
    EXPECT_NE(Part(book, "xl/workbook.xml").find("name=\"Итоги\""), std::string::npos);

    const QString ods = dir.filePath(QStringLiteral("plan.ods"));
    small.rules.Filter = "Мира";
    SavePlan(ods, small.Document());
    const std::string content = Part(ods, "content.xml");
    EXPECT_NE(content.find("office:value=\"200971.05\""), std::string::npos) << content;
    EXPECT_NE(content.find("table:name=\"Итоги\""), std::string::npos) << content;
    EXPECT_NE(content.find("<text:p>Дома: только показанные по отбору «Мира»</text:p>"),
              std::string::npos)
        << content;
    // Year 1 × "УК «Юг»": one house, 60 spent, worth 1.
    EXPECT_NE(content.find("<text:p>УК «Юг»</text:p></table:table-cell><table:table-cell "
                           "office:value-type=\"float\" office:value=\"1\""),
              std::string::npos)
        << content;
}

// The report's list: year by year, houses by company then line, each company's subtotal after
// its houses, the year's total.
TEST(PlanOutput, ListByYearAndCompany) {
    const SmallPlan small;
    const std::vector<PlanListRow> rows = PlanList(small.Document(), {",", " "});
    using K = PlanListRow::Kind;
    const std::vector<std::pair<K, std::array<std::string, 5>>> expected = {
        {K::Year, {"Год 1 — бюджет 100,00 руб.", "", "", "", ""}},
        {K::House, {"3", "-ул. Ленина", "ТСЖ 5", "30,00", "7,25"}},
        {K::CompanyTotal, {"", "Итого ТСЖ 5: домов 1", "", "30,00", "7,25"}},
        {K::House, {"5, лист «Дома 2»", "ул. Труда 5", "УК «Юг»", "60,00", "1,00"}},
        {K::CompanyTotal, {"", "Итого УК «Юг»: домов 1", "", "60,00", "1,00"}},
        {K::YearTotal, {"", "Итого за год 1: домов 2", "", "90,00", "8,25"}},
        {K::Year, {"Год 2 — бюджет 50,00 руб.", "", "", "", ""}},
        {K::House, {"7", "ул. Мира 1", "УК «Юг»", "44,00", "200 971,05"}},
        {K::CompanyTotal, {"", "Итого УК «Юг»: домов 1", "", "44,00", "200 971,05"}},
        {K::YearTotal, {"", "Итого за год 2: домов 1", "", "44,00", "200 971,05"}},
    };
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i].What, expected[i].first);
        EXPECT_EQ(rows[i].Cells, expected[i].second);
    }
}

TEST(PlanOutput, SummaryOfAnEmptyPlanAndOfAStoppedOne) {
    const std::vector<PlanHouseSource> sources(1);
    const std::vector<std::string> carried;
    PlanRules rules;
    // Why no house is taken: none given, none worth anything under the objective, none paid for.
    struct Empty {
        plan::Objective objective;
        std::size_t houses;
        double value;
        const char* why;
    };
    const Empty empties[] = {
        {plan::Objective::Energy, 0, 0, "плану не дано ни одного рассчитанного дома"},
        {plan::Objective::CO2, 1, 0, "коэффициенте выбросов (EmissionFactor) 0"},
        {plan::Objective::NetPresentValue, 1, -5, "ни один дом не окупается"},
        {plan::Objective::Energy, 1, 3,
         "бюджета не хватает ни на один дом с положительной "
         "ценностью (самый дешёвый из них стоит 2 000,00 руб.)"},
    };
    for (const Empty& e : empties) {
        SCOPED_TRACE(e.why);
        plan::Problem problem;
        problem.Budgets = {1000};
        problem.HouseCount = e.houses;
        problem.Spend.assign(e.houses, 2000);
        problem.Value.assign(e.houses, e.value);
        rules.Objective = e.objective;
        const plan::Solution none;
        const std::string text =
            PlanSummary({problem, none, sources, carried, rules}, model::NumberLocale{",", " "});
        EXPECT_NE(text.find(e.why), std::string::npos) << text;
        EXPECT_NE(text.find("План оптимален"), std::string::npos) << text;
        // Without a ranking plan's value the line ends in its unit, with one full stop.
        EXPECT_EQ(text.find("руб.."), std::string::npos) << text;
    }

    plan::Problem problem;
    problem.Budgets = {1000000, 0};
    problem.HouseCount = 1;
    problem.Spend = {999999.5, 1};
    problem.Value = {2, 1};
    plan::Solution stopped;
    stopped.Best = {{{0, 0}}, 2};
    stopped.Ranking = {{}, 0};
    stopped.Status = plan::SolveStatus::Stopped;
    stopped.Gap = 0.0123;
    rules.Objective = plan::Objective::CO2;
    rules.Filter = "Мира";
    const std::string text =
        PlanSummary({problem, stopped, sources, carried, rules}, model::NumberLocale{",", " "});
    EXPECT_NE(text.find("Год 1: домов 1, расходы 999 999,50 руб. при бюджете 1 000 000,00 руб., "
                        "остаток 0,50 руб."),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Дома плана — 1, показанные по отбору «Мира»."), std::string::npos) << text;
    EXPECT_NE(text.find("Ценность плана: 2,000 т"), std::string::npos) << text;
    EXPECT_NE(text.find("Поиск остановлен"), std::string::npos) << text;
    EXPECT_NE(text.find("1,230 %"), std::string::npos) << text;

    // Without a plan the summary names the outcome and shows no year of a plan.
    for (const auto& [status, said] :
         {std::pair{plan::SolveStatus::Infeasible, "Плана нет: дома не помещаются."},
          std::pair{plan::SolveStatus::Failed,
                    "Решатель не справился: дома не помещаются. Плана нет."}}) {
        plan::Solution none = stopped;
        none.Status = status;
        none.Message = "дома не помещаются";
        const std::string no =
            PlanSummary({problem, none, sources, carried, rules}, model::NumberLocale{",", " "});
        EXPECT_NE(no.find(said), std::string::npos) << no;
        EXPECT_EQ(no.find("Год 1"), std::string::npos) << no;
        EXPECT_EQ(no.find("Ценность"), std::string::npos) << no;
    }
}

// The gain is in % of the ranking plan: 125 against 120 is 4,17 % (of the plan it would be 4,00).
TEST(PlanOutput, GainInPercentOfTheRankingPlan) {
    const SmallPlan small;
    plan::Solution solution = small.solution;
    solution.Best.Value = 125;
    solution.Ranking.Value = 120;
    const std::vector<std::string> carried;
    const std::string text =
        PlanSummary({small.problem, solution, small.sources, carried, small.rules},
                    model::NumberLocale{",", " "});
    EXPECT_NE(text.find("выигрыш 5,00 руб. (4,17 %)"), std::string::npos) << text;
}

// The rules as the report lists them: what was asked, and the rates found in the houses.
TEST(PlanOutput, RulesNamed) {
    PlanRules rules;
    rules.Budgets = {5000000, 2500000.5};
    rules.CarryOver = false;
    rules.FixedHouses = 2;
    rules.ExcludedHouses = 1;
    rules.MostHouses = {40, 30};
    rules.Objective = plan::Objective::Energy;
    rules.Take({5, 3, 0, 10, 0});
    rules.Take({9, 3, 2.5, 12, 0});
    rules.GapPercent = 0.01;
    const std::vector<std::string> lines = PlanRuleLines(rules, {",", " "});
    const std::vector<std::string> expected = {
        "Цель: сэкономленная энергия, кВт·ч",
        "Бюджеты по годам, руб.: 1-й — 5 000 000,00; 2-й — 2 500 000,50",
        "Остаток бюджета не переносится: расходы года — в пределах его бюджета",
        "Дома, год которых задан: 2; обязательные: 0; исключённые: 1",
        "Домов в год, не более: 1-й — 40; 2-й — 30",
        "Рост тарифа, % в год: от 5,0 до 9,0; рост цен, % в год: 3,0; ставка дисконтирования, % "
        "в год: от 0,0 до 2,5",
        "Срок оценки: до конца 10-го — 12-го года от начала плана, один для домов любого года "
        "оснащения (оснащённый позже экономит меньше лет); после него ничего не учитывается",
        "Поиск: не дольше 60 с, до отставания от лучшего возможного плана не более 0,01 %",
        "Дома: все рассчитанные",
    };
    EXPECT_EQ(lines, expected);
}
