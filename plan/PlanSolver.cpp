#include "PlanSolver.h"

#include <CbcEventHandler.hpp>
#include <CbcModel.hpp>
#include <CbcSolver.hpp>
#include <OsiClpSolverInterface.hpp>

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <limits>
#include <mutex>
#include <numeric>
#include <string>
#include <thread>

namespace plan {
namespace {

using Clock = std::chrono::steady_clock;

// One 0/1 variable of the program: fitting a house in a year.
struct Column {
    std::size_t House;
    int Year;
};

// The choices worth a variable: a positive value, a spend the budgets up to that year can pay, and
// no later year of the same house that is worth as much for as little money (fitting it later
// leaves every earlier year more money).
std::vector<Column> Columns(const Problem& problem) {
    const int years = problem.Years();
    std::vector<double> cumulative(problem.Budgets.size());
    std::partial_sum(problem.Budgets.begin(), problem.Budgets.end(), cumulative.begin());
    std::vector<Column> columns;
    for (std::size_t h = 0; h < problem.HouseCount; ++h) {
        for (int k = 0; k < years; ++k) {
            const double value = problem.ValueOf(h, k);
            const double spend = problem.SpendOf(h, k);
            if (value <= 0 || spend > cumulative[static_cast<std::size_t>(k)]) {
                continue;
            }
            bool dominated = false;
            for (int later = k + 1; later < years && !dominated; ++later) {
                dominated =
                    problem.ValueOf(h, later) >= value && problem.SpendOf(h, later) <= spend;
            }
            if (!dominated) {
                columns.push_back({h, k});
            }
        }
    }
    return columns;
}

// Rows 0 .. years-1: the spend of years 0 .. k within the budgets of years 0 .. k (knapsack rows,
// which the solver's cover cuts tighten). Then one row a house with more than one possible year:
// the house at most once.
void LoadProgram(const Problem& problem, const std::vector<Column>& columns,
                 OsiClpSolverInterface& solver) {
    const int years = problem.Years();
    std::vector<int> houseRow(problem.HouseCount, -1);
    std::vector<int> perHouse(problem.HouseCount, 0);
    for (const Column& c : columns) {
        ++perHouse[c.House];
    }
    int rows = years;
    for (std::size_t h = 0; h < problem.HouseCount; ++h) {
        if (perHouse[h] > 1) {
            houseRow[h] = rows++;
        }
    }
    // Column by column, in arrays: the solver copies them once.
    std::vector<CoinBigIndex> starts{0};
    std::vector<int> index;
    std::vector<double> element;
    std::vector<double> objective;
    starts.reserve(columns.size() + 1);
    objective.reserve(columns.size());
    for (const Column& c : columns) {
        const double spend = problem.SpendOf(c.House, c.Year);
        if (spend != 0) {
            for (int j = c.Year; j < years; ++j) {
                index.push_back(j);
                element.push_back(spend);
            }
        }
        if (houseRow[c.House] >= 0) {
            index.push_back(houseRow[c.House]);
            element.push_back(1);
        }
        starts.push_back(static_cast<CoinBigIndex>(index.size()));
        objective.push_back(-problem.ValueOf(c.House, c.Year)); // the solver minimises
    }
    const double infinity = solver.getInfinity();
    std::vector<double> rowLower(static_cast<std::size_t>(rows), -infinity);
    std::vector<double> rowUpper(static_cast<std::size_t>(rows), 1);
    std::partial_sum(problem.Budgets.begin(), problem.Budgets.end(), rowUpper.begin());
    const std::vector<double> colLower(columns.size(), 0);
    const std::vector<double> colUpper(columns.size(), 1);
    solver.loadProblem(static_cast<int>(columns.size()), rows, starts.data(), index.data(),
                       element.data(), colLower.data(), colUpper.data(), objective.data(),
                       rowLower.data(), rowUpper.data());
    for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
        solver.setInteger(i);
    }
    solver.messageHandler()->setLogLevel(0);
}

// Reports progress and answers the stop flag at the search's events.
class SearchEvents : public CbcEventHandler {
public:
    SearchEvents(const SolveOptions& options, Clock::time_point start)
        : options_(options), start_(start) {}

    CbcAction event(CbcEvent) override {
        if (options_.Stop != nullptr && options_.Stop->load()) {
            return stop;
        }
        const auto now = Clock::now();
        if (options_.Progress && model_ != nullptr && now - lastReport_ > Interval) {
            lastReport_ = now;
            SolveProgress progress;
            progress.BestValue = model_->bestSolution() != nullptr ? -model_->getObjValue() : 0;
            progress.Bound = -model_->getBestPossibleObjValue();
            progress.Seconds = std::chrono::duration<double>(now - start_).count();
            options_.Progress(progress);
        }
        return noAction;
    }

    CbcEventHandler* clone() const override { return new SearchEvents(*this); }

private:
    static constexpr std::chrono::milliseconds Interval{200};
    const SolveOptions& options_;
    Clock::time_point start_;
    Clock::time_point lastReport_{};
};

// Drops the chosen houses of least value per rouble from the first year whose cumulative budget
// the plan exceeds, until it fits: the solver's tolerances allow excesses of a fraction of a
// kopeck that the budgets do not.
void MakeFit(const Problem& problem, Plan& plan) {
    Complete(problem, plan);
    while (!Fits(problem, plan)) {
        const std::vector<YearTotals> totals = TotalsByYear(problem, plan);
        int year = 0;
        while (year < problem.Years() && totals[static_cast<std::size_t>(year)].Left >= 0) {
            ++year;
        }
        auto worst = plan.Choices.end();
        double worstScore = std::numeric_limits<double>::infinity();
        for (auto c = plan.Choices.begin(); c != plan.Choices.end(); ++c) {
            const double spend = problem.SpendOf(c->House, c->Year);
            if (c->Year <= year && spend > 0 &&
                problem.ValueOf(c->House, c->Year) / spend < worstScore) {
                worstScore = problem.ValueOf(c->House, c->Year) / spend;
                worst = c;
            }
        }
        if (worst == plan.Choices.end()) {
            plan.Choices.clear();
        } else {
            plan.Choices.erase(worst);
        }
        Complete(problem, plan);
    }
}

bool CloseEnough(double value, double bound, double relativeGap) {
    return bound - value <= relativeGap * std::max(std::abs(bound), 1e-9);
}

// Spend left in every year for a house fitted in year k: the least money left of years k .. end.
class Slack {
public:
    explicit Slack(const Problem& problem) : slack_(problem.Budgets.size()) {
        std::partial_sum(problem.Budgets.begin(), problem.Budgets.end(), slack_.begin());
    }
    bool Fits(double spend, int year) const {
        return std::all_of(slack_.begin() + year, slack_.end(),
                           [spend](double s) { return spend <= s; });
    }
    void Take(double spend, int year) {
        for (auto s = slack_.begin() + year; s != slack_.end(); ++s) {
            *s -= spend;
        }
    }

private:
    std::vector<double> slack_;
};

// The houses the relaxation fits whole, then the others by value per rouble, each in its most
// valuable year that the money left still pays for.
Plan FilledPlan(const Problem& problem, const std::vector<Column>& columns, const double* x) {
    Plan plan;
    Slack slack(problem);
    std::vector<char> chosen(problem.HouseCount, 0);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const Column& c = columns[i];
        const double spend = problem.SpendOf(c.House, c.Year);
        if (x[i] > 1 - 1e-6 && chosen[c.House] == 0 && slack.Fits(spend, c.Year)) {
            slack.Take(spend, c.Year);
            chosen[c.House] = 1;
            plan.Choices.push_back({c.House, c.Year});
        }
    }
    std::vector<std::pair<double, std::size_t>> rest; // value per rouble, column
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const Column& c = columns[i];
        if (chosen[c.House] == 0) {
            const double spend = problem.SpendOf(c.House, c.Year);
            const double value = problem.ValueOf(c.House, c.Year);
            rest.emplace_back(spend > 0 ? value / spend : std::numeric_limits<double>::infinity(),
                              i);
        }
    }
    std::stable_sort(rest.begin(), rest.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& [score, i] : rest) {
        const Column& c = columns[i];
        const double spend = problem.SpendOf(c.House, c.Year);
        if (chosen[c.House] == 0 && slack.Fits(spend, c.Year)) {
            slack.Take(spend, c.Year);
            chosen[c.House] = 1;
            plan.Choices.push_back({c.House, c.Year});
        }
    }
    MakeFit(problem, plan);
    return plan;
}

// A number as the solver's options read it, whatever the program's locale.
std::string OptionNumber(double value) {
    std::array<char, 64> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(), value).ptr;
    return std::string(text.data(), end);
}

// The solver's standard branch and cut, as its own program runs it: preprocessing, its cut
// generators and heuristics. Plain branch and bound with cover cuts took the whole time limit on
// stocks of 1,000 to 4,000 houses, whose budgets only a few houses fill exactly enough.
void RunSolver(CbcModel& model, double relativeGap, double seconds) {
    CbcSolverUsefulData data; // the solver's settings of this run only
    CbcMain0(model, data);
    const std::string gap = OptionNumber(relativeGap);
    const std::string time = OptionNumber(seconds);
    // Silent: virasvet-calc's results go to standard output.
    const std::array<const char*, 13> arguments = {
        "plan",     "-log",       "0",         "-slog",     "0",      "-timeMode", "elapsed",
        "-seconds", time.c_str(), "-ratioGap", gap.c_str(), "-solve", "-quit"};
    CbcMain1(
        static_cast<int>(arguments.size()), const_cast<const char**>(arguments.data()), model,
        [](CbcModel*, int) { return 0; }, data);
}

// Branch and bound from the best plan so far, within the time left; keeps what it improves.
void Search(const Problem& problem, const std::vector<Column>& columns,
            OsiClpSolverInterface& solver, const SolveOptions& options, Clock::time_point start,
            Solution& solution) {
    CbcModel model(solver);
    model.setLogLevel(0);
    model.messageHandler()->setLogLevel(0);

    std::vector<double> first(columns.size(), 0);
    {
        std::vector<int> columnOf(problem.HouseCount * problem.Budgets.size(), -1);
        for (std::size_t i = 0; i < columns.size(); ++i) {
            columnOf[problem.Index(columns[i].House, columns[i].Year)] = static_cast<int>(i);
        }
        for (const Choice& c : solution.Best.Choices) {
            const int i = columnOf[problem.Index(c.House, c.Year)];
            if (i >= 0) {
                first[static_cast<std::size_t>(i)] = 1;
            }
        }
    }
    model.setBestSolution(first.data(), static_cast<int>(first.size()), -solution.Best.Value,
                          false);
    SearchEvents events(options, start);
    model.passInEventHandler(&events);
    // The solver's program reads its arguments through globals of its library: one search at a
    // time (two stock windows may plan at once); a search waiting for its turn can still be
    // stopped or run out of time.
    static std::mutex turns;
    std::unique_lock<std::mutex> turn(turns, std::defer_lock);
    while (!turn.try_lock()) {
        const bool stopped = options.Stop != nullptr && options.Stop->load();
        if (stopped ||
            Clock::now() - start > std::chrono::duration<double>(options.TimeLimitSeconds)) {
            solution.Status = stopped ? SolveStatus::Stopped : SolveStatus::TimeLimit;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    RunSolver(model, options.RelativeGap, std::max(options.TimeLimitSeconds - elapsed, 0.01));

    if (const double* x = model.bestSolution(); x != nullptr) {
        Plan found;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (x[i] > 0.5) {
                found.Choices.push_back({columns[i].House, columns[i].Year});
            }
        }
        MakeFit(problem, found);
        if (found.Value > solution.Best.Value) {
            solution.Best = std::move(found);
        }
    }
    const bool stopped = options.Stop != nullptr && options.Stop->load();
    if (model.isProvenOptimal() && !stopped) {
        solution.Status = SolveStatus::Optimal;
        solution.Bound = std::max(std::min(solution.Bound, -model.getBestPossibleObjValue()),
                                  solution.Best.Value);
    } else {
        solution.Status = stopped ? SolveStatus::Stopped : SolveStatus::TimeLimit;
        solution.Bound = std::max(std::min(solution.Bound, -model.getBestPossibleObjValue()),
                                  solution.Best.Value);
    }
}

} // namespace

Solution SolvePlan(const Problem& problem, const SolveOptions& options) {
    const auto start = Clock::now();
    Solution solution;
    solution.Ranking = RankingPlan(problem);
    solution.Best = solution.Ranking;
    solution.Bound = solution.Ranking.Value;
    const std::vector<Column> columns = Columns(problem);
    if (columns.empty()) {
        return solution;
    }

    OsiClpSolverInterface solver;
    LoadProgram(problem, columns, solver);
    solver.initialSolve();
    if (!solver.isProvenOptimal()) {
        solution.Status = SolveStatus::TimeLimit;
        solution.Bound = std::numeric_limits<double>::infinity();
        solution.Gap = 1;
        return solution;
    }
    // The linear relaxation bounds every plan; rounded down and filled up it is a plan.
    const double relaxed = -solver.getObjValue();
    Plan rounded = FilledPlan(problem, columns, solver.getColSolution());
    if (rounded.Value > solution.Best.Value) {
        solution.Best = std::move(rounded);
    }
    solution.Bound = std::max(relaxed, solution.Best.Value);
    if (!CloseEnough(solution.Best.Value, solution.Bound, options.RelativeGap)) {
        Search(problem, columns, solver, options, start, solution);
    }
    solution.Gap = solution.Bound > 0 ? (solution.Bound - solution.Best.Value) / solution.Bound : 0;
    return solution;
}

} // namespace plan
