// The housing stock window's batch path against virasvet-calc's on the same houses, sorting and
// filtering its table, and how soon a stock shows its first rows.
//
//   build/bench/stock_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
//
// The houses come from scripts/make-houses.py mix; VIRASVET_STOCK_HOUSES sets how many (100,000).

#include "BatchResults.h"
#include "BatchRun.h"
#include "PlanTab.h"
#include "StockChartView.h"
#include "StockModel.h"
#include "StockPlan.h"
#include "StockRun.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>

#include <cstdio>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace {

constexpr unsigned Jobs = 2;

std::size_t StockHouses() {
    const char* count = std::getenv("VIRASVET_STOCK_HOUSES");
    return count != nullptr ? std::strtoul(count, nullptr, 10) : 100000;
}

// A register of `houses` rows of the realistic mix, made once per size.
std::string MixFile(std::size_t houses) {
    static QTemporaryDir dir;
    const std::string name = dir.filePath(QStringLiteral("mix-%1.csv").arg(houses)).toStdString();
    if (std::FILE* exists = std::fopen(name.c_str(), "rb")) {
        std::fclose(exists);
        return name;
    }
    const std::string command = std::string("python3 '") + VIRASVET_SOURCE_DIR +
                                "/scripts/make-houses.py' mix " + std::to_string(houses) + " > '" +
                                name + "'";
    if (std::system(command.c_str()) != 0) {
        throw std::runtime_error("make-houses.py failed");
    }
    return name;
}

// virasvet-calc's path: every row written as the program writes it, to a file.
class ProgramReceiver : public stock::BatchReceiver {
public:
    void FileMessage(const std::string&) override {}
    void HeaderMessage(const std::string&) override {}
    void Houses(std::vector<stock::BatchHouse>& houses) override { writer->Write(houses); }
    std::unique_ptr<stock::ResultWriter> writer;
};

void Program(benchmark::State& state, bool economics) {
    const std::string file = MixFile(StockHouses());
    QTemporaryDir out;
    for (auto _ : state) {
        stock::BatchOptions options;
        options.Files = {file};
        options.Seed = 1;
        options.Jobs = Jobs;
        options.Economics = economics;
        stock::BatchRun run(options);
        ProgramReceiver receiver;
        run.Open(receiver);
        receiver.writer = std::make_unique<stock::ResultWriter>(
            out.filePath(QStringLiteral("results.csv")), stock::ResultFormat{},
            run.CarriedColumns(), run.Economics(), 1);
        run.Run(receiver);
        receiver.writer->Finish();
    }
    state.counters["houses_per_s"] = benchmark::Counter(
        static_cast<double>(StockHouses() * state.iterations()), benchmark::Counter::kIsRate);
}

// The window's path: the run on its own thread, every block handed to the window's thread and
// added to the table's model and the problems' model.
void Window(benchmark::State& state) {
    const std::string file = MixFile(StockHouses());
    for (auto _ : state) {
        StockModel model(model::NumberLocale{",", " "});
        ProblemModel problems(model);
        QEventLoop loop;
        stock::BatchOptions options;
        options.Files = {file};
        options.Seed = 1;
        options.Jobs = Jobs;
        options.EconomicsFigures = true;
        options.FirstBlock = 32;
        StockRun::Handlers handlers;
        handlers.Opened = [&](bool) {};
        handlers.Message = [](const QString&) {};
        handlers.Houses = [&](std::vector<stock::BatchHouse>& houses) {
            model.Append(houses);
            problems.Follow();
        };
        handlers.Ended = [&](stock::BatchEnd, const QString&) { loop.quit(); };
        StockRun run(options, handlers);
        loop.exec();
        benchmark::DoNotOptimize(model.rowCount());
    }
    state.counters["houses_per_s"] = benchmark::Counter(
        static_cast<double>(StockHouses() * state.iterations()), benchmark::Counter::kIsRate);
}

// A table of 100,000 calculated houses with figures drawn at random.
StockModel& Table() {
    static StockModel model(model::NumberLocale{",", " "});
    if (model.rowCount() == 0) {
        model.Reset({"№"}, true);
        std::mt19937 random(7);
        std::vector<stock::BatchHouse> houses(100000);
        for (std::size_t i = 0; i < houses.size(); ++i) {
            stock::BatchHouse& house = houses[i];
            house.Source = {"mix.csv", i + 2, "ул. Тестовая д. " + std::to_string(random() % 5000),
                            "", ""};
            house.Carried = {std::to_string(i + 1)};
            model::HouseFigures figures;
            figures.Result.PaybackFound = random() % 10 != 0;
            figures.Result.PaybackDay = static_cast<std::int32_t>(random() % 3000);
            figures.Result.InstallCostPlanned = random() % 300000;
            figures.Economics.emplace();
            figures.Economics->MoneySavedFirstYear = random() % 100000;
            house.Figures = figures;
        }
        model.Append(houses);
    }
    return model;
}

void SortBy(benchmark::State& state) {
    StockModel& model = Table();
    const int column = static_cast<int>(state.range(0));
    for (auto _ : state) {
        model.sort(column, Qt::AscendingOrder);
        model.sort(column, Qt::DescendingOrder);
    }
    state.SetItemsProcessed(2 * state.iterations());
}

void Filter(benchmark::State& state) {
    StockModel& model = Table();
    model.sort(-1);
    for (auto _ : state) {
        model.SetFilter(QStringLiteral("д. 12"));
        model.SetFilter(QString());
    }
    state.SetItemsProcessed(2 * state.iterations());
}

// From opening a register of 1,000 houses to its first rows in the table.
void FirstRows(benchmark::State& state) {
    const std::string file = MixFile(1000);
    for (auto _ : state) {
        StockModel model(model::NumberLocale{",", " "});
        QEventLoop loop;
        stock::BatchOptions options;
        options.Files = {file};
        options.Seed = 1;
        options.Jobs = Jobs;
        options.EconomicsFigures = true;
        options.FirstBlock = 32;
        StockRun::Handlers handlers;
        handlers.Opened = [](bool) {};
        handlers.Message = [](const QString&) {};
        handlers.Houses = [&](std::vector<stock::BatchHouse>& houses) {
            model.Append(houses);
            loop.quit();
        };
        handlers.Ended = [&](stock::BatchEnd, const QString&) { loop.quit(); };
        StockRun run(options, handlers);
        loop.exec();
        state.PauseTiming(); // the rest of the run is stopped, not timed
        run.Stop();
        state.ResumeTiming();
    }
}

// Resident memory of this process, in bytes, what was freed given back first (0 where the system
// keeps no account of it here).
double ResidentBytes() {
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
    std::ifstream statm("/proc/self/statm");
    double pages = 0;
    double resident = 0;
    statm >> pages >> resident;
    return resident * 4096;
}

// Starts counting the peak resident memory afresh (Linux: VmHWM reset).
void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// The peak resident memory since the last ResetPeak, in bytes (0 where the system gives none).
double PeakBytes() {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == "VmHWM:") {
            double kilobytes = 0;
            status >> kilobytes;
            return kilobytes * 1024;
        }
    }
    return 0;
}

// What the window holds for a register of 1,000,000 houses: 2,000 mix houses calculated as the
// window does, then copied to a million rows (lines and addresses of their own) into the table's
// and the problems' models, block by block as the run hands them out; then the shown houses the
// curve keeps, and the plan tab's houses once a plan is asked for. Counted: the resident memory
// each adds, in MB.
void WindowMemory(benchmark::State& state) {
    constexpr std::size_t Held = 1000000;
    const std::string file = MixFile(2000);
    std::vector<stock::BatchHouse> calculated;
    {
        stock::BatchOptions options;
        options.Files = {file};
        options.Seed = 1;
        options.Jobs = Jobs;
        options.EconomicsFigures = true;
        stock::BatchRun run(options);
        struct Keep : stock::BatchReceiver {
            void FileMessage(const std::string&) override {}
            void HeaderMessage(const std::string&) override {}
            void Houses(std::vector<stock::BatchHouse>& houses) override {
                std::move(houses.begin(), houses.end(), std::back_inserter(*kept));
            }
            std::vector<stock::BatchHouse>* kept = nullptr;
        } keep;
        keep.kept = &calculated;
        run.Open(keep);
        run.Run(keep);
    }
    for (auto _ : state) {
        const double start = ResidentBytes();
        double before = start;
        const auto count = [&](const char* name) {
            const double now = ResidentBytes();
            state.counters[name] = (now - before) / 1e6;
            before = now;
        };
        StockModel model(model::NumberLocale{",", " "});
        ProblemModel problems(model);
        model.Reset({}, true);
        for (std::size_t line = 2; line < Held + 2;) {
            std::vector<stock::BatchHouse> block;
            for (; block.size() < 4096 && line < Held + 2; ++line) {
                block.push_back(calculated[line % calculated.size()]);
                block.back().Source.Line = line;
                block.back().Source.Address.append(1, ' ').append(std::to_string(line));
            }
            model.Append(block);
            problems.Follow();
        }
        count("table_MB");
        // A refresh of the window: its totals and both charts.
        const model::NumberLocale locale{",", " "};
        StockChartView bars(StockChartView::Chart::PaybackBars, locale);
        StockChartView curve(StockChartView::Chart::InvestmentCurve, locale);
        ResetPeak();
        const std::clock_t refreshStart = std::clock();
        {
            const report::StockHouseSource shown = model.ShownSource();
            benchmark::DoNotOptimize(report::TotalsOf(shown, model.RejectedCount()));
            bars.SetHouses(shown);
            curve.SetHouses(shown);
        }
        // Processor time, steadier than the clock's on a loaded machine (the refresh is one
        // thread).
        state.counters["refresh_cpu_s"] =
            static_cast<double>(std::clock() - refreshStart) / CLOCKS_PER_SEC;
        state.counters["refresh_peak_MB"] = (PeakBytes() - start) / 1e6;
        count("curve_MB");
        std::vector<std::size_t> indexes;
        const app::PlanTabHouses planned = app::ShownPlanHouses(model, indexes);
        count("plan_MB");
        // What a plan asked for costs to read its houses from the table, once (its problem, its
        // rules and a plan made's texts each read them).
        const std::clock_t readStart = std::clock();
        double installCost = 0;
        for (std::size_t i = 0; i < planned.Count; ++i) {
            installCost += planned.At(i).Offer.InstallCost;
        }
        benchmark::DoNotOptimize(installCost);
        state.counters["plan_read_cpu_s"] =
            static_cast<double>(std::clock() - readStart) / CLOCKS_PER_SEC;
        benchmark::DoNotOptimize(planned.Count);
    }
}

} // namespace

BENCHMARK(WindowMemory)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK_CAPTURE(Program, Economics, true)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK(Window)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK_CAPTURE(Program, Plain, false)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
// Columns: 0 the line, 1 the carried "№", 2 the address, 4 the payback.
BENCHMARK(SortBy)->Arg(4)->Arg(2)->Arg(1)->ArgName("column")->Unit(benchmark::kMillisecond);
BENCHMARK(Filter)->Unit(benchmark::kMillisecond);
BENCHMARK(FirstRows)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen"); // the curve is a widget, never shown
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
