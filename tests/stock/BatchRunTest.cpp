// The batch run as a library: rows handed out in input order with their counts, a stop that keeps
// the rows before it, a reading failure that keeps the rows calculated before it, and carried
// columns of a second input matched by name; a request to stop that waits for a file.
#include "BatchRun.h"
#include "HouseStore.h"
#include "ProblemTable.h"
#include "ProcessSignals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>

namespace {

namespace fs = std::filesystem;

class Collector : public stock::BatchReceiver {
public:
    void FileMessage(const std::string& message) override { messages.push_back(message); }
    void HeaderMessage(const std::string& message) override { messages.push_back(message); }
    void Houses(std::vector<stock::BatchHouse>& block) override {
        blocks.push_back(block.size());
        for (stock::BatchHouse& house : block) {
            houses.push_back(std::move(house));
        }
        if (afterBlock) {
            afterBlock();
        }
    }
    std::vector<std::string> messages;
    std::vector<std::size_t> blocks;
    std::vector<stock::BatchHouse> houses;
    std::function<void()> afterBlock;
};

class BatchRunTest : public testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("batch-run-" +
                std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // A register of `rows` houses: every seventh has no entrances and is rejected.
    std::string Register(const std::string& name, int rows, const std::string& tail = "") {
        const std::string path = (dir_ / name).string();
        std::ofstream out(path, std::ios::binary);
        out << "№;Address;EntranceCount\n";
        for (int i = 1; i <= rows; ++i) {
            out << i << ";дом " << i << ";" << (i % 7 == 0 ? 0 : 1 + i % 5) << "\n";
        }
        out << tail;
        return path;
    }

    stock::BatchOptions Options(std::vector<std::string> files) {
        stock::BatchOptions options;
        options.Files = std::move(files);
        options.Seed = 3;
        options.Jobs = 2;
        options.FirstBlock = 16;
        return options;
    }

    fs::path dir_;
};

TEST_F(BatchRunTest, EveryRowIsHandedOutInInputOrderAndCounted) {
    const std::string file = Register("a.csv", 600);
    stock::BatchRun run(Options({file}));
    Collector collector;
    ASSERT_TRUE(run.Open(collector));
    EXPECT_EQ(run.CarriedColumns(), std::vector<std::string>{"№"});
    EXPECT_EQ(run.Run(collector), stock::BatchEnd::Complete);
    ASSERT_EQ(collector.houses.size(), 600u);
    EXPECT_EQ(collector.blocks.front(), 16u); // the first block as asked, the rest after it
    for (std::size_t i = 0; i < 600; ++i) {
        const stock::BatchHouse& house = collector.houses[i];
        EXPECT_EQ(house.Source.Line, i + 2);
        EXPECT_EQ(house.Carried, std::vector<std::string>{std::to_string(i + 1)});
        EXPECT_EQ(house.Figures.has_value(), (i + 1) % 7 != 0) << i;
        EXPECT_EQ(house.Messages.empty(), house.Figures.has_value());
    }
    EXPECT_EQ(run.Calculated(), 515u);
    EXPECT_EQ(run.Rejected(), 85u);
    EXPECT_EQ(run.RowsRead(), 600u);
    EXPECT_EQ(run.HousesDone(), 600u);
    EXPECT_EQ(run.BytesRead(), run.TotalBytes());
}

TEST_F(BatchRunTest, RowsPastTheMostEndTheRunAfterThem) {
    stock::BatchOptions options = Options({Register("a.csv", 600), Register("b.csv", 10)});
    options.MostRows = 500;
    stock::BatchRun run(options);
    Collector collector;
    ASSERT_TRUE(run.Open(collector));
    EXPECT_EQ(run.Run(collector), stock::BatchEnd::ReadingFailed);
    EXPECT_EQ(collector.houses.size(), 500u);
    EXPECT_EQ(collector.houses.back().Source.Line, 501u);
    EXPECT_EQ(run.RowsRead(), 500u);
    EXPECT_NE(run.Failure().find("a.csv: строк больше 500 — столько окно жилого фонда не держит"),
              std::string::npos)
        << run.Failure();
}

// Empty cells counted as filled rows, a stock-wide value named as the one taken; strict, the same
// rows rejected. The problems table names the file when a run has several.
TEST_F(BatchRunTest, EmptyCellsAreCountedOrRejectedAndTabled) {
    const std::string path = (dir_ / "e.csv").string();
    std::ofstream(path, std::ios::binary) << "Address;Tariff;EntranceCount;DiscountRate\n"
                                             "a;;2;5\n"
                                             "b;1,5;;\n"
                                             "c;1,5;2;5\n";
    for (const bool strict : {false, true}) {
        SCOPED_TRACE(strict);
        stock::BatchOptions options = Options({path});
        options.Strict = strict;
        ASSERT_FALSE(sheet::AddFieldDefault("DiscountRate=8", options.Defaults));
        stock::BatchRun run(options);
        Collector collector;
        ASSERT_TRUE(run.Open(collector));
        EXPECT_EQ(run.Run(collector), stock::BatchEnd::Complete);
        EXPECT_EQ(run.Calculated(), strict ? 1u : 3u);
        EXPECT_EQ(run.Filled(), strict ? 0u : 2u);
        ASSERT_EQ(collector.houses.size(), 3u);
        std::vector<std::vector<std::string>> rows;
        for (const stock::BatchHouse& house : collector.houses) {
            EXPECT_EQ(stock::HasFilledCells(house), !strict && house.Source.Address != "c");
            for (std::vector<std::string>& row : stock::ProblemRows(house, true)) {
                rows.push_back(std::move(row));
            }
        }
        const std::string outcome =
            strict ? "строка отклонена" : "посчитана со значением по умолчанию";
        const auto what = [&](const std::string& taken) {
            return strict ? std::string("пустая ячейка (строгая проверка)") : taken;
        };
        const std::vector<std::vector<std::string>> expected = {
            {path, "2", "a", "Tariff", "Стоимость кВт электроэнергии", "",
             what("пустая ячейка — взято значение при запуске: 1,38"), outcome},
            {path, "3", "b", "EntranceCount", "Подъездов", "",
             what("пустая ячейка — взято значение при запуске: 5"), outcome},
            {path, "3", "b", "DiscountRate", "Экономика: ставка дисконтирования", "",
             what("пустая ячейка — взято значение для всех домов: 8"), outcome},
        };
        EXPECT_EQ(rows, expected);
    }
}

// Every field of a house, its figures to the last bit.
auto FieldsOf(const stock::BatchHouse& h) {
    const model::HouseFigures f = h.Figures.value_or(model::HouseFigures{});
    const model::SimulationResult& r = f.Result;
    const model::EconomicsFigures e = f.Economics.value_or(model::EconomicsFigures{});
    std::vector<double> parts;
    for (const model::NetPresentValueParts& p : e.YearEndParts) {
        parts.insert(parts.end(), {p.Energy, p.Prices});
    }
    const std::vector<double> figures = {r.DailyEnergyExisting,
                                         r.DailyEnergyPlanned,
                                         r.DailyEnergyCostExisting,
                                         r.DailyEnergyCostPlanned,
                                         r.InstallCostExisting,
                                         r.InstallCostPlanned,
                                         double(r.FittingCountExisting),
                                         double(r.FittingCountPlanned),
                                         double(r.BlockCount),
                                         double(r.PaybackFound),
                                         double(r.PaybackDay),
                                         r.PaybackCostExisting,
                                         r.PaybackCostPlanned,
                                         double(r.PaybackReplacedExisting),
                                         double(r.PaybackReplacedPlanned),
                                         f.Flats,
                                         double(f.Economics.has_value()),
                                         double(e.DiscountedPaybackFound),
                                         double(e.DiscountedPaybackDay),
                                         e.NetPresentValue,
                                         e.ValueParts.Energy,
                                         e.ValueParts.Prices,
                                         double(e.InternalRateOfReturn.Found),
                                         e.InternalRateOfReturn.Percent,
                                         e.EnergySavedPerYear,
                                         e.MoneySavedFirstYear,
                                         e.CO2AvoidedPerYear};
    const model::EconomicsInputs& in = h.EconomicsInputs;
    return std::make_tuple(h.Source.File, h.Source.Line, h.Source.Address,
                           h.Source.ManagementCompany, h.Rows, h.Carried, h.CarriedNumbers,
                           int(h.PlanYear.Rule), h.PlanYear.Year, h.DecimalMark, h.Messages,
                           stock::ProblemRows(h), h.Figures.has_value(), figures, parts,
                           std::vector<double>{in.TariffGrowth, in.LampPriceGrowth, in.DiscountRate,
                                               double(in.HorizonYears), in.EmissionFactor});
}

// The window holds its houses compactly: each one given back is the one it was given.
TEST_F(BatchRunTest, HousesHeldCompactlyAreGivenBackWhole) {
    stock::BatchOptions options = Options({Register("a.csv", 40)});
    options.EconomicsFigures = true;
    stock::BatchRun run(options);
    Collector collector;
    ASSERT_TRUE(run.Open(collector));
    ASSERT_EQ(run.Run(collector), stock::BatchEnd::Complete);
    std::vector<stock::BatchHouse>& houses = collector.houses;
    ASSERT_TRUE(houses[0].Figures && houses[0].Figures->Economics);
    EXPECT_FALSE(houses[0].Figures->Economics->YearEndParts.empty());
    ASSERT_FALSE(houses[6].Figures);
    // What a workbook and a register's other columns give: numbers among the carried cells, a
    // plan year, a company, a rejected row for many lines.
    houses[1].Carried = {"12.5", "x", ""};
    houses[1].CarriedNumbers = {true, false, false};
    houses[1].Source.ManagementCompany = "УК «Дом»";
    houses[1].PlanYear = {model::PlanYearRule::Kind::InYear, 2};
    houses[1].DecimalMark = ',';
    houses[6].Rows = 5;
    stock::HouseStore store;
    for (const stock::BatchHouse& house : houses) {
        store.Add(house);
    }
    ASSERT_EQ(store.Size(), houses.size());
    for (std::size_t i = 0; i < houses.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(FieldsOf(store.House(i)), FieldsOf(houses[i]));
        EXPECT_EQ(store.Address(i), houses[i].Source.Address);
        EXPECT_EQ(store.Problems(i).size(), houses[i].Problems.size());
    }
    EXPECT_EQ(store.Carried(1, 0), "12.5");
    EXPECT_EQ(store.Carried(1, 2), "");
}

TEST_F(BatchRunTest, StopKeepsTheRowsBeforeItAndNoneAfter) {
    const std::string file = Register("a.csv", 5000);
    stock::BatchRun run(Options({file}));
    Collector collector;
    collector.afterBlock = [&] { run.Stop(); }; // once the first block is out
    ASSERT_TRUE(run.Open(collector));
    EXPECT_EQ(run.Run(collector), stock::BatchEnd::Stopped);
    ASSERT_GE(collector.houses.size(), 16u);
    EXPECT_LT(collector.houses.size(), 5000u);
    for (std::size_t i = 0; i < collector.houses.size(); ++i) {
        EXPECT_EQ(collector.houses[i].Source.Line, i + 2); // no gap
    }
    EXPECT_EQ(run.Calculated() + run.Rejected(), collector.houses.size());
}

TEST_F(BatchRunTest, ReceiverFailureStopsTheBlockBeingCalculated) {
    // A results writer that fails (a closed pipe) on the first block: the next block, already on
    // the threads, must not be calculated to its end before the failure comes out.
    const std::string file = Register("a.csv", 5000);
    stock::BatchOptions options = Options({file});
    options.Jobs = 1;
    stock::BatchRun run(options);
    Collector collector;
    collector.afterBlock = [] { throw std::runtime_error("write failed"); };
    ASSERT_TRUE(run.Open(collector));
    EXPECT_THROW(run.Run(collector), std::runtime_error);
    EXPECT_EQ(collector.houses.size(), 16u);
    EXPECT_LT(run.HousesDone(), 16u + 1000u); // the second block holds 4096 rows
}

TEST_F(BatchRunTest, ReadingFailureKeepsTheRowsCalculatedBeforeIt) {
    // A quote that opens a cell of more than a megabyte: the reading stops there.
    const std::string file = Register("a.csv", 5000, "5001;\"" + std::string(1100000, 'x') + "\n");
    stock::BatchRun run(Options({file}));
    Collector collector;
    ASSERT_TRUE(run.Open(collector)) << testing::PrintToString(collector.messages);
    EXPECT_EQ(run.Run(collector), stock::BatchEnd::ReadingFailed);
    EXPECT_EQ(run.Failure().rfind(file + ": ", 0), 0u) << run.Failure();
    ASSERT_GE(collector.houses.size(), 16u);
    EXPECT_EQ(collector.houses.front().Source.Line, 2u);
}

TEST_F(BatchRunTest, SecondInputsCarriedColumnsGoByName) {
    const std::string first = Register("a.csv", 3);
    const std::string second = (dir_ / "b.csv").string();
    std::ofstream(second, std::ios::binary) << "Note;Address;№\nx;дом;42\n";
    stock::BatchRun run(Options({first, second}));
    Collector collector;
    ASSERT_TRUE(run.Open(collector));
    const std::string notCarried =
        second + ": столбец Note не переносится в результат: его нет в первом файле";
    EXPECT_NE(std::find(collector.messages.begin(), collector.messages.end(), notCarried),
              collector.messages.end())
        << testing::PrintToString(collector.messages);
    EXPECT_EQ(run.Run(collector), stock::BatchEnd::Complete);
    ASSERT_EQ(collector.houses.size(), 4u);
    EXPECT_EQ(collector.houses[3].Carried, std::vector<std::string>{"42"});
    EXPECT_EQ(collector.houses[3].Source.File, second);
}

#ifndef _WIN32 // Windows sends no POSIX signals: the guard does nothing there.
// A request to stop while a file is put in place takes effect once it is: the work after it is
// done, then the program ends as the request says.
TEST(ProcessSignals, AStopWaitsForTheFileBeingPutInPlace) {
    EXPECT_EXIT(
        {
            {
                const stock::DeferredStops stops;
                std::raise(SIGTERM);
                std::fputs("put in place\n", stderr);
            }
            std::fputs("went on\n", stderr);
        },
        testing::KilledBySignal(SIGTERM), "put in place\n$");
}
#endif

} // namespace
