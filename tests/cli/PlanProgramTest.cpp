#include "ProgramRun.h"

using cli_test::Lines;
using cli_test::ProgramRun;

namespace {

// Four houses of 1 to 4 entrances, 9 floors, the page's lamps: installations of 8 100 roubles an
// entrance. The third discounts at its own 50 %.
const char* const Houses = "№;Address;EntranceCount;FloorCount;DiscountRate\n"
                           "a;ул. Мира 1;1;9;\n"
                           "b;ул. Мира 2;2;9;\n"
                           "c;ул. Мира 3;3;9;50\n"
                           "d;=HYPERLINK(1);4;9;\n";

} // namespace

class PlanProgram : public ProgramRun {};

// Options that cannot make a plan stop the run before anything is written.
TEST_F(PlanProgram, UsageErrors) {
    File("h.csv", Houses);
    cli_test::fs::create_directory(dir_ / "folder.csv");
    cli_test::fs::create_symlink("/dev/null", dir_ / "null.csv");
    struct Case {
        const char* arguments;
        const char* message;
    };
    const Case cases[] = {
        {"--budget -1 h.csv", "бюджет «-1» — меньше 0"},
        {"--budget 1e3x h.csv", "не число"},
        {"--budget 1e308 h.csv", "бюджет «1e308» — больше 10 000 000 000 000 руб."},
        {"--budget 1 --budget 1 --budget 1 --budget 1 --budget 1 --budget 1 --budget 1 "
         "--budget 1 --budget 1 --budget 1 --budget 1 h.csv",
         "не более 10"},
        {"--plan p.csv h.csv", "нужен бюджет"},
        {"--objective energy h.csv", "нужен бюджет"},
        {"--budget 1 --objective payback h.csv", "npv, energy или co2"},
        {"--budget 1 --plan h.csv h.csv", "это исходный файл"},
        {"--budget 1 --plan r.csv -o r.csv h.csv", "пишутся результаты"},
        {"--budget 1 --plan h.csv - <h.csv", "-: это исходный файл, план в него не записывается"},
        {"--budget 1 --plan p.pdf h.csv",
         "p.pdf: план (--plan) пишется в файл .csv, .xlsx или .ods"},
        {"--budget 1 --plan p h.csv", "p: план (--plan) пишется в файл .csv, .xlsx или .ods"},
        {"--budget 1 --plan folder.csv h.csv", "folder.csv: это каталог, а план (--plan)"},
        {"--budget 1 --plan null.csv h.csv", "null.csv: это не обычный файл, а устройство"},
        {"--budget 1 --plan ./r.csv -o r.csv h.csv", "пишутся результаты"},
        {"--budget 1 --plan ./h.csv h.csv", "это исходный файл"},
        {"--set DiscountRate=101 h.csv", "DiscountRate: 101"},
        {"--budget 1 --max-houses -1 h.csv", "--max-houses: «-1» — ожидается число от 0"},
        {"--budget 1 --max-houses 1,5 h.csv", "целое число домов"},
        {"--budget 1 --budget 1 --budget 1 --max-houses 1 --max-houses 2 h.csv",
         "задано для 2 лет, а бюджетов 3"},
        {"--budget 1 --time-limit 0 h.csv", "--time-limit: «0» — ожидается число от 1 до 86400"},
        {"--budget 1 --gap 101 h.csv", "--gap: «101» — ожидается число от 0 до 100"},
        {"--budget 1 --gap 1 --gap 2 h.csv", "--gap задан несколько раз"},
        {"--set Colour=1 h.csv", "нет такого поля"},
        {"--budget 1 --objective energy --objective co2 h.csv", "--objective задан несколько раз"},
        {"--budget 1 --plan p.csv --plan q.csv h.csv", "--plan задан несколько раз"},
        {"--set DiscountRate=5 --set discount_rate=6 h.csv",
         "DiscountRate: значение уже задано («5»)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const auto run = Calc(c.arguments);
        EXPECT_EQ(run.Status, 2);
        EXPECT_NE(run.Err.find(c.message), std::string::npos) << run.Err;
        EXPECT_EQ(run.Out, "");
        EXPECT_FALSE(cli_test::fs::exists(dir_ / "p.csv"));
    }
}

// 35 000 this year and 40 000 the next pay for three of the four houses (81 000 in all): the
// plan leaves out the third, worth least at its 50 %, and fits the dearest this year, as the
// ranking does; the results' economics columns come with the set discount rate. Fitted in year 2
// a house earns one year less to the same end: 9 of its 10 years.
TEST_F(PlanProgram, PlanFileAndSummary) {
    File("h.csv", Houses);
    const auto run = Calc("--seed 1 --set DiscountRate=0 --budget 35000 --budget 40000 "
                          "--plan p.csv h.csv");
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(Lines(Read("p.csv")),
              (std::vector<std::string>{
                  "\xEF\xBB\xBFPlanYear;Line;№;Address;ManagementCompany;Spend;Value",
                  "1;5;d;'=HYPERLINK(1);;32400,00;200971,05", "2;2;a;ул. Мира 1;;8100,00;44323,99",
                  "2;3;b;ул. Мира 2;;16200,00;88757,97"}));
    EXPECT_NE(Lines(run.Out).front().find("NetPresentValue"), std::string::npos);
    for (const char* line :
         {"Год 1: домов 1, расходы 32 400,00 руб. при бюджете 35 000,00 руб., остаток 2 600,00 "
          "руб.",
          "Год 2: домов 2, расходы 24 300,00 руб. при бюджете 40 000,00 руб., остаток 18 300,00 "
          "руб.",
          "Ценность плана: 334 053,01 руб.", "План оптимален"}) {
        EXPECT_NE(run.Err.find(line), std::string::npos) << run.Err;
    }
}

// A budget that pays for no house is a valid, empty plan.
TEST_F(PlanProgram, NoHouseChosen) {
    File("h.csv", Houses);
    const auto run =
        Calc("--seed 1 --budget 0 --budget 100 --objective energy --plan p.xlsx h.csv");
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Err.find("Ни один дом не выбран"), std::string::npos) << run.Err;
    EXPECT_TRUE(cli_test::fs::exists(dir_ / "p.xlsx"));
}

// Budgets that pay for every house in year 1: every objective fits every house in year 1, since
// a house fitted later earns fewer years to the same end, whatever the tariff's growth.
TEST_F(PlanProgram, MoneyEnoughFitsEveryHouseInTheFirstYear) {
    File("h.csv", "№;Address;EntranceCount;FloorCount\n"
                  "a;ул. Мира 1;1;9\nb;ул. Мира 2;2;9\nc;ул. Мира 3;3;9\nd;ул. Мира 4;4;9\n");
    for (const char* objective : {"npv", "energy", "co2"}) {
        SCOPED_TRACE(objective);
        const auto run = Calc(std::string("--seed 1 --set TariffGrowth=5 --set EmissionFactor=0.4 "
                                          "--budget 1000000 --budget 1000000 --budget 1000000 "
                                          "--budget 1000000 --budget 1000000 --objective ") +
                              objective + " --plan p.csv h.csv");
        ASSERT_EQ(run.Status, 0) << run.Err;
        const std::vector<std::string> lines = Lines(Read("p.csv"));
        ASSERT_EQ(lines.size(), 5u);
        for (std::size_t i = 1; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].substr(0, 2), "1;") << lines[i];
        }
    }
}

// The office's decisions in the register's "Год плана" column: a house fixed in year 2, one
// excluded, one required; a cell of no meaning rejects its row. Money not carried over and one
// house a year change the plan; fixed houses that the budgets cannot pay make no plan and say
// which year is short by how much.
TEST_F(PlanProgram, BudgetRulesAndTheOfficesDecisions) {
    File("h.csv", "№;Address;EntranceCount;FloorCount;Год плана\n"
                  "a;ул. Мира 1;1;9;2\nb;ул. Мира 2;2;9;исключить\nc;ул. Мира 3;3;9;обязательно\n"
                  "d;ул. Мира 4;4;9;\ne;ул. Мира 5;1;9;когда-нибудь\n");
    struct Case {
        const char* options;
        int status;
        std::vector<std::string> plan; // year;line of each plan row
        const char* message;
    };
    const Case cases[] = {
        // 8 100 an entrance: a (8 100) in year 2, c (24 300) required, d (32 400) if it fits.
        {"--budget 60000 --budget 10000", 1, {"1;4", "1;5", "2;2"}, "h.csv:6: Год плана: «"},
        {"--budget 30000 --budget 40000", 1, {"1;4", "2;2", "2;5"}, "Год 2: домов 2"},
        {"--budget 30000 --budget 40000 --no-carry-over", 1, {"1;4", "2;2"}, "Год 2: домов 1"},
        {"--budget 90000 --budget 90000 --max-houses 1", 1, {"1;4", "2;2"}, "Год 1: домов 1"},
        {"--budget 90000 --budget 5000 --no-carry-over", 2, {}, "не хватает 3 100,00 руб."},
        {"--budget 90000", 2, {}, "после последнего года плана"},
        {"--budget 1000 --budget 100000 --max-houses 1", 2, {}, "не помещаются"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        cli_test::fs::remove(dir_ / "p.csv");
        const auto run = Calc(std::string("--seed 1 ") + c.options + " --plan p.csv h.csv");
        EXPECT_EQ(run.Status, c.status) << run.Err;
        EXPECT_NE(run.Err.find(c.message), std::string::npos) << run.Err;
        if (c.status == 2) {
            EXPECT_FALSE(cli_test::fs::exists(dir_ / "p.csv"));
            continue;
        }
        std::vector<std::string> plan;
        const std::vector<std::string> lines = Lines(Read("p.csv"));
        for (std::size_t i = 1; i < lines.size(); ++i) {
            plan.push_back(lines[i].substr(0, lines[i].find(';', 2)));
        }
        EXPECT_EQ(plan, c.plan);
    }
}

// The plan takes the options' objective and values for the whole stock, and only houses that were
// calculated: 9 000 roubles pay for the first house alone, the last row is rejected.
TEST_F(PlanProgram, PlanFollowsTheOptions) {
    File("h.csv", std::string(Houses) + "x;ул. Мира 5;0;9;\n");
    struct Case {
        const char* arguments;
        const char* value; // of the first house, the plan's only one
    };
    const Case cases[] = {
        {"", "50227,76"},
        {"--set DiscountRate=50", "6040,14"},
        {"--objective energy", "36476,64"}, // the yearly saving over the horizon's 10 years
        {"--objective CO2 --set EmissionFactor=0,5", "18,238"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const auto run =
            Calc(std::string("--seed 1 ") + c.arguments + " --budget 9000 --plan p.csv h.csv");
        EXPECT_EQ(run.Status, 1) << run.Err;
        EXPECT_NE(run.Err.find("h.csv:6: EntranceCount"), std::string::npos) << run.Err;
        EXPECT_EQ(Lines(Read("p.csv")),
                  (std::vector<std::string>{
                      "\xEF\xBB\xBFPlanYear;Line;№;Address;ManagementCompany;Spend;Value",
                      std::string("1;2;a;ул. Мира 1;;8100,00;") + c.value}));
    }
}
