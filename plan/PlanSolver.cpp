#include "PlanSolver.h"

#include "YearRefill.h"

#include <CbcEventHandler.hpp>
#include <CbcModel.hpp>
#include <CbcStrategy.hpp>
#include <CglTwomir.hpp>
#include <ClpEventHandler.hpp>
#include <CoinError.hpp>
#include <OsiClpSolverInterface.hpp>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <string>
#include <type_traits>

namespace plan {
namespace {

using Clock = std::chrono::steady_clock;

// A variable of the program: fitting a house in a year, 0 or 1; or in the search, how many of
// `Houses` identical houses, the first of them `House`, are fitted in the year.
struct Column {
    std::size_t House;
    int Year;
    int Houses = 1;
};

bool CrewIn(const Problem& problem, int year) {
    return problem.MaxHouses.empty() || problem.MaxHouses[static_cast<std::size_t>(year)] > 0;
}

// Whether fitting the house in `year` can be part of a plan: offered, paid for and crewed.
bool Possible(const Problem& problem, const std::vector<double>& money, std::size_t house,
              int year) {
    return problem.OfferedIn(house, year) &&
           problem.SpendOf(house, year) <= money[static_cast<std::size_t>(year)] &&
           CrewIn(problem, year);
}

// The choices worth a variable: possible, of a positive value unless the house is required, and
// where money carries over and crews are not counted, no later year of the same house worth as
// much for as little money (fitting it later leaves every earlier year more money).
std::vector<Column> Columns(const Problem& problem) {
    const int years = problem.Years();
    const std::vector<double> money = MoneyByYear(problem);
    const bool laterLeavesMore = problem.CarryOver && problem.MaxHouses.empty();
    std::vector<Column> columns;
    for (std::size_t h = 0; h < problem.HouseCount; ++h) {
        const bool required = problem.IsRequired(h);
        for (int k = 0; k < years; ++k) {
            const double value = problem.ValueOf(h, k);
            const double spend = problem.SpendOf(h, k);
            if (!Possible(problem, money, h, k) || (!required && value <= 0)) {
                continue;
            }
            bool dominated = false;
            for (int later = k + 1; later < years && laterLeavesMore && !dominated; ++later) {
                dominated = Possible(problem, money, h, later) &&
                            problem.ValueOf(h, later) >= value &&
                            problem.SpendOf(h, later) <= spend;
            }
            if (!dominated) {
                columns.push_back({h, k});
            }
        }
    }
    return columns;
}

// Houses alike in every year's spend, value and offer and in being required or not: any plan
// stays a plan of the same worth with two of them swapped, which a search over each house's own
// columns would try in vain, so the search takes one column a year for each group.
struct IdenticalHouses {
    std::vector<std::size_t> First;                // a house's group's first house
    std::vector<std::vector<std::size_t>> Members; // [first house]: its group; others: empty
};

IdenticalHouses Identical(const Problem& problem) {
    const std::size_t years = problem.Budgets.size();
    const auto row = [years](const auto& table, std::size_t h) {
        return table.begin() + static_cast<std::ptrdiff_t>(h * years);
    };
    // Numbers ordered by their bits: a total order even for a value that is not a number, which
    // the sort's comparisons would otherwise leave without one.
    const auto bitsLess = [](auto x, auto y) {
        if constexpr (std::is_floating_point_v<decltype(x)>) {
            return std::bit_cast<std::uint64_t>(x) < std::bit_cast<std::uint64_t>(y);
        } else {
            return x < y;
        }
    };
    const auto rowLess = [&](const auto& table, std::size_t a, std::size_t b) {
        return std::lexicographical_compare(row(table, a), row(table, a + 1), row(table, b),
                                            row(table, b + 1), bitsLess);
    };
    const auto less = [&](std::size_t a, std::size_t b) {
        if (problem.IsRequired(a) != problem.IsRequired(b)) {
            return problem.IsRequired(a) < problem.IsRequired(b);
        }
        for (const std::vector<double>* table : {&problem.Spend, &problem.Value}) {
            if (rowLess(*table, a, b) || rowLess(*table, b, a)) {
                return rowLess(*table, a, b);
            }
        }
        return !problem.Offered.empty() && rowLess(problem.Offered, a, b);
    };
    std::vector<std::size_t> order(problem.HouseCount);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), less);
    IdenticalHouses identical{std::vector<std::size_t>(problem.HouseCount),
                              std::vector<std::vector<std::size_t>>(problem.HouseCount)};
    for (std::size_t i = 0; i < order.size(); ++i) {
        const bool same = i > 0 && !less(order[i - 1], order[i]);
        const std::size_t first = same ? identical.First[order[i - 1]] : order[i];
        identical.First[order[i]] = first;
        identical.Members[first].push_back(order[i]);
    }
    return identical;
}

// The search's columns: those of each group's first house, standing for the whole group.
std::vector<Column> GroupColumns(const std::vector<Column>& columns,
                                 const IdenticalHouses& identical) {
    std::vector<Column> grouped;
    for (const Column& c : columns) {
        if (identical.First[c.House] == c.House) {
            grouped.push_back(
                {c.House, c.Year, static_cast<int>(identical.Members[c.House].size())});
        }
    }
    return grouped;
}

// The objective's coefficient of a column. Houses of equal worth and cost make many plans of the
// same value, which the search would have to tell apart one by one: a share of the value far
// below any gap asked for, different for every house, leaves one of them best.
double Coefficient(const Problem& problem, const Column& c) {
    const double value = problem.ValueOf(c.House, c.Year);
    const double order = static_cast<double>(c.House) / static_cast<double>(problem.HouseCount);
    return value * (1 + 1e-9 * order);
}

struct Rows {
    int Count = 0;
    std::vector<double> Lower, Upper;
};

// How money carried over is written: a row a year of its own budget, with continuous columns of
// the money carried from a year to the next, so that a house's column enters one money row (its
// relaxation solves fastest); or rows of the budgets of years 0 .. k, whose knapsack cuts are
// stronger for the search.
enum class MoneyRows { Carried, Cumulative };

// Rows 0 .. years-1: the money, each year's spend within its budget and (when money carries over)
// what it carries in less what it carries on: knapsack rows, which the solver's cuts tighten. Then
// a row a year with crews counted; then one row a house with more than one possible year or
// required: the house at most once, or exactly once (identical houses: as many times as they
// are, at most or exactly).
class ProgramRows {
public:
    ProgramRows(const Problem& problem, const std::vector<Column>& columns, MoneyRows money,
                double infinity)
        : houseRow_(problem.HouseCount, -1), crewRow_(problem.Budgets.size(), -1),
          cumulative_(money == MoneyRows::Cumulative && problem.CarryOver) {
        const int years = problem.Years();
        std::vector<int> perHouse(problem.HouseCount, 0);
        std::vector<int> houses(problem.HouseCount, 1);
        for (const Column& c : columns) {
            ++perHouse[c.House];
            houses[c.House] = c.Houses;
        }
        rows_.Upper = cumulative_ ? MoneyByYear(problem) : problem.Budgets;
        rows_.Lower.assign(rows_.Upper.size(), -infinity);
        for (int k = 0; k < years && !problem.MaxHouses.empty(); ++k) {
            crewRow_[static_cast<std::size_t>(k)] = static_cast<int>(rows_.Upper.size());
            rows_.Upper.push_back(problem.MaxHouses[static_cast<std::size_t>(k)]);
            rows_.Lower.push_back(-infinity);
        }
        for (std::size_t h = 0; h < problem.HouseCount; ++h) {
            if (perHouse[h] > 1 || (perHouse[h] == 1 && problem.IsRequired(h))) {
                houseRow_[h] = static_cast<int>(rows_.Upper.size());
                rows_.Upper.push_back(houses[h]);
                rows_.Lower.push_back(problem.IsRequired(h) ? houses[h] : -infinity);
            }
        }
        rows_.Count = static_cast<int>(rows_.Upper.size());
    }

    // The rows a column enters, with its coefficients.
    void Enter(const Problem& problem, const Column& c, std::vector<int>& index,
               std::vector<double>& element) const {
        const double spend = problem.SpendOf(c.House, c.Year);
        const int lastMoneyRow = cumulative_ ? problem.Years() - 1 : c.Year;
        for (int j = c.Year; j <= lastMoneyRow && spend != 0; ++j) {
            index.push_back(j);
            element.push_back(spend);
        }
        if (const int crew = crewRow_[static_cast<std::size_t>(c.Year)]; crew >= 0) {
            index.push_back(crew);
            element.push_back(1);
        }
        if (houseRow_[c.House] >= 0) {
            index.push_back(houseRow_[c.House]);
            element.push_back(1);
        }
    }

    const Rows& Bounds() const { return rows_; }

private:
    std::vector<int> houseRow_;
    std::vector<int> crewRow_;
    bool cumulative_; // the money rows of years 0 .. k
    Rows rows_;
};

// The continuous columns after the houses': the money carried from each year but the last into
// the next, when money carries over and the money rows are each year's.
int CarriedColumns(const Problem& problem, MoneyRows money) {
    return problem.CarryOver && money == MoneyRows::Carried ? std::max(problem.Years() - 1, 0) : 0;
}

void LoadProgram(const Problem& problem, const std::vector<Column>& columns, MoneyRows money,
                 OsiClpSolverInterface& solver) {
    const ProgramRows rows(problem, columns, money, solver.getInfinity());
    // Column by column, in arrays: the solver copies them once.
    std::vector<CoinBigIndex> starts{0};
    std::vector<int> index;
    std::vector<double> element;
    std::vector<double> objective;
    starts.reserve(columns.size() + 1);
    objective.reserve(columns.size());
    for (const Column& c : columns) {
        rows.Enter(problem, c, index, element);
        starts.push_back(static_cast<CoinBigIndex>(index.size()));
        objective.push_back(-Coefficient(problem, c)); // the solver minimises
    }
    // The money carried from year k into year k + 1: out of row k, into row k + 1.
    const int carried = CarriedColumns(problem, money);
    for (int k = 0; k < carried; ++k) {
        index.insert(index.end(), {k, k + 1});
        element.insert(element.end(), {1.0, -1.0});
        starts.push_back(static_cast<CoinBigIndex>(index.size()));
        objective.push_back(0);
    }
    const std::size_t count = columns.size() + static_cast<std::size_t>(carried);
    const std::vector<double> colLower(count, 0);
    std::vector<double> colUpper;
    colUpper.reserve(count);
    for (const Column& c : columns) {
        colUpper.push_back(c.Houses);
    }
    colUpper.resize(count, solver.getInfinity());
    solver.messageHandler()->setLogLevel(0);
    solver.loadProblem(static_cast<int>(count), rows.Bounds().Count, starts.data(), index.data(),
                       element.data(), colLower.data(), colUpper.data(), objective.data(),
                       rows.Bounds().Lower.data(), rows.Bounds().Upper.data());
    for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
        solver.setInteger(i);
    }
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

bool Stopped(const SolveOptions& options) {
    return options.Stop != nullptr && options.Stop->load();
}

// Drops chosen houses the office did not fix or require, of least value per rouble, from the
// first year whose money or crews the plan exceeds, until it fits: the solver's tolerances allow
// excesses of a fraction of a kopeck that the budgets do not. Whether the plan fits.
bool MakeFit(const Problem& problem, Plan& plan) {
    Complete(problem, plan);
    while (!Fits(problem, plan)) {
        const std::vector<YearTotals> totals = TotalsByYear(problem, plan);
        int year = 0;
        while (
            year < problem.Years() && totals[static_cast<std::size_t>(year)].Left >= 0 &&
            (problem.MaxHouses.empty() || totals[static_cast<std::size_t>(year)].Houses <=
                                              problem.MaxHouses[static_cast<std::size_t>(year)])) {
            ++year;
        }
        auto worst = plan.Choices.end();
        double worstScore = std::numeric_limits<double>::infinity();
        for (auto c = plan.Choices.begin(); c != plan.Choices.end(); ++c) {
            const double spend = problem.SpendOf(c->House, c->Year);
            const double score = spend > 0 ? problem.ValueOf(c->House, c->Year) / spend
                                           : std::numeric_limits<double>::max();
            const bool sameYearOnly = !problem.CarryOver || year >= problem.Years() ||
                                      totals[static_cast<std::size_t>(year)].Left >= 0;
            const bool counts = sameYearOnly ? c->Year == year : c->Year <= year;
            if (counts && !problem.IsRequired(c->House) && score < worstScore) {
                worstScore = score;
                worst = c;
            }
        }
        if (worst == plan.Choices.end()) {
            return false;
        }
        plan.Choices.erase(worst);
        Complete(problem, plan);
    }
    return true;
}

bool CloseEnough(double value, double bound, double relativeGap) {
    return bound - value <= relativeGap * std::max(std::abs(bound), 1e-9);
}

// The houses the relaxation fits whole, then the others by value per rouble (required ones
// first), each in its most valuable year that the money left still pays for.
Plan FilledPlan(const Problem& problem, const std::vector<Column>& columns, const double* x) {
    Plan plan;
    Slack slack(problem);
    std::vector<char> chosen(problem.HouseCount, 0);
    const auto choose = [&](std::size_t i) {
        const Column& c = columns[i];
        const double spend = problem.SpendOf(c.House, c.Year);
        if (chosen[c.House] == 0 && slack.Fits(spend, c.Year)) {
            slack.Take(spend, c.Year);
            chosen[c.House] = 1;
            plan.Choices.push_back({c.House, c.Year});
        }
    };
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (x[i] > 1 - 1e-6) {
            choose(i);
        }
    }
    // Required houses first, then value per rouble.
    std::vector<std::pair<double, std::size_t>> rest;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const Column& c = columns[i];
        if (chosen[c.House] == 0) {
            const double spend = problem.SpendOf(c.House, c.Year);
            const double value = problem.ValueOf(c.House, c.Year);
            const double score = problem.IsRequired(c.House) ? 1e300
                                 : spend > 0                 ? value / spend
                                                             : 1e299;
            rest.emplace_back(score, i);
        }
    }
    std::stable_sort(rest.begin(), rest.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& entry : rest) {
        choose(entry.second);
    }
    if (!MakeFit(problem, plan)) {
        plan.Choices.clear();
        plan.Value = -std::numeric_limits<double>::infinity();
    }
    return plan;
}

// When the search's time runs out.
Clock::time_point Deadline(const SolveOptions& options, Clock::time_point start) {
    return start + std::chrono::duration_cast<Clock::duration>(
                       std::chrono::duration<double>(options.TimeLimitSeconds));
}

// What the exchanges may still do: columns to look at, within the search's time and until it is
// stopped.
class Work {
public:
    Work(std::size_t columns, const SolveOptions& options, Clock::time_point start)
        : left_(columns), options_(options), deadline_(Deadline(options, start)) {}
    bool Left() const { return left_ > 0; }
    // One column looked at: whether there was work left for it.
    bool Use() {
        if (left_ == 0) {
            return false;
        }
        if (--left_ % 65536 == 0 && (Stopped(options_) || Clock::now() > deadline_)) {
            left_ = 0;
        }
        return true;
    }

private:
    std::size_t left_;
    const SolveOptions& options_;
    Clock::time_point deadline_;
};

// A plan improved by exchanges: a chosen house taken out and the money it leaves filled up again
// by value per rouble with houses not chosen, or with the same house in another year; kept where
// the plan gains. The first plan leaves money in every year that whole houses cannot use, and
// the relaxation's bound is close above: on larger stocks these exchanges alone bring the plan
// within the gap, where the search would take the whole time limit.
class Exchanges {
public:
    Exchanges(const Problem& problem, const std::vector<Column>& columns, const Plan& plan)
        : problem_(problem), columns_(columns), year_(problem.HouseCount, -1),
          money_(MoneyByYear(problem)),
          crews_(problem.Budgets.size(), std::numeric_limits<double>::infinity()) {
        for (std::size_t k = 0; k < problem.MaxHouses.size() && k < crews_.size(); ++k) {
            crews_[k] = problem.MaxHouses[k];
        }
        std::vector<int> columnOf(problem.HouseCount * problem.Budgets.size(), -1);
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const Column& c = columns[i];
            spend_.push_back(problem.SpendOf(c.House, c.Year));
            value_.push_back(problem.ValueOf(c.House, c.Year));
            score_.push_back(problem.IsRequired(c.House) ? 1e300
                             : spend_[i] > 0             ? value_[i] / spend_[i]
                                                         : 1e299);
            columnOf[problem.Index(c.House, c.Year)] = static_cast<int>(i);
        }
        order_.resize(columns.size());
        std::iota(order_.begin(), order_.end(), std::size_t{0});
        std::stable_sort(order_.begin(), order_.end(),
                         [&](std::size_t a, std::size_t b) { return score_[a] > score_[b]; });
        for (const Choice& c : plan.Choices) {
            if (const int i = columnOf[problem.Index(c.House, c.Year)]; i >= 0) {
                Put(static_cast<std::size_t>(i), 1);
            } else {
                fixedOutside_.push_back(c); // a choice of no column: kept as it is
                TakeMoney(problem.SpendOf(c.House, c.Year), c.Year, 1);
                total_ += problem.ValueOf(c.House, c.Year);
            }
        }
    }

    // Every chosen house the office did not fix, of least value per rouble first, once; at most
    // `work` columns looked at. Whether the plan gained.
    bool Pass(Work& work) {
        std::vector<std::size_t> out;
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            if (Chosen(i) && !problem_.IsFixed(columns_[i].House)) {
                out.push_back(i);
            }
        }
        std::stable_sort(out.begin(), out.end(),
                         [&](std::size_t a, std::size_t b) { return score_[a] < score_[b]; });
        bool gained = false;
        std::vector<std::size_t> taken;
        for (std::size_t i : out) {
            if (!work.Left()) {
                break;
            }
            gained = Exchange(i, false, taken, work) || Exchange(i, true, taken, work) || gained;
        }
        return gained;
    }

    // Pairs of the `least` chosen houses of least value per rouble out, the money filled up again
    // (first with the most valuable column that fits, if that alone does not gain). Whether the
    // plan gained.
    bool PairPass(std::size_t least, Work& work) {
        std::vector<std::size_t> out;
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            if (Chosen(i) && !problem_.IsRequired(columns_[i].House)) {
                out.push_back(i);
            }
        }
        std::stable_sort(out.begin(), out.end(),
                         [&](std::size_t a, std::size_t b) { return score_[a] < score_[b]; });
        out.resize(std::min(out.size(), least));
        bool gained = false;
        std::vector<std::size_t> taken;
        for (std::size_t a = 0; a < out.size(); ++a) {
            for (std::size_t b = a + 1; b < out.size() && work.Left(); ++b) {
                if (!Chosen(out[a]) || !Chosen(out[b])) {
                    continue;
                }
                for (bool first : {false, true}) {
                    const double before = total_;
                    Put(out[a], -1);
                    Put(out[b], -1);
                    taken.clear();
                    if (first) {
                        TakeMostValuable(out[a], taken, work);
                    }
                    Fill(out[a], taken, work);
                    if (total_ > before + 1e-12 * std::abs(before)) {
                        gained = true;
                        break;
                    }
                    for (std::size_t t : taken) {
                        Put(t, -1);
                    }
                    Put(out[a], 1);
                    Put(out[b], 1);
                }
            }
        }
        return gained;
    }

    // Column i out, the money filled up again (first with the most valuable column that fits, if
    // asked): kept if the plan gains, else undone.
    bool Exchange(std::size_t i, bool mostValuableFirst, std::vector<std::size_t>& taken,
                  Work& work) {
        const std::size_t house = columns_[i].House;
        const double before = total_;
        Put(i, -1);
        taken.clear();
        if (mostValuableFirst) {
            TakeMostValuable(i, taken, work);
        }
        Fill(i, taken, work);
        if (total_ > before + 1e-12 * std::abs(before) &&
            (!problem_.IsRequired(house) || year_[house] >= 0)) {
            return true;
        }
        for (std::size_t t : taken) {
            Put(t, -1);
        }
        Put(i, 1);
        return false;
    }

    void TakeMostValuable(std::size_t skip, std::vector<std::size_t>& taken, Work& work) {
        const double most = *std::max_element(money_.begin(), money_.end());
        std::size_t best = columns_.size();
        for (std::size_t i = 0; i < columns_.size() && work.Use(); ++i) {
            if (spend_[i] <= most && i != skip && year_[columns_[i].House] < 0 &&
                (best == columns_.size() || value_[i] > value_[best]) && Fits(i)) {
                best = i;
            }
        }
        if (best != columns_.size()) {
            Put(best, 1);
            taken.push_back(best);
        }
    }

    // Fills what the money left pays for, by value per rouble, but not with column `skip`.
    void Fill(std::size_t skip, std::vector<std::size_t>& taken, Work& work) {
        double most = *std::max_element(money_.begin(), money_.end());
        for (std::size_t i : order_) {
            if (!work.Use()) {
                return;
            }
            if (spend_[i] > most || i == skip || year_[columns_[i].House] >= 0 || !Fits(i)) {
                continue;
            }
            Put(i, 1);
            taken.push_back(i);
            most = *std::max_element(money_.begin(), money_.end());
        }
    }

    double Value() const { return total_; }

    Plan Result() const { return PlanOfYears(problem_, year_, fixedOutside_); }

private:
    bool Chosen(std::size_t i) const { return year_[columns_[i].House] == columns_[i].Year; }

    bool Fits(std::size_t i) const {
        const int year = columns_[i].Year;
        if (!(crews_[static_cast<std::size_t>(year)] >= 1)) {
            return false;
        }
        const double spend = spend_[i];
        if (!problem_.CarryOver) {
            return spend <= money_[static_cast<std::size_t>(year)];
        }
        return std::all_of(money_.begin() + year, money_.end(),
                           [spend](double m) { return spend <= m; });
    }

    // Takes (sign 1) or gives back (sign -1) a year's crew and money.
    void TakeMoney(double spend, int year, double sign) {
        const auto k = static_cast<std::size_t>(year);
        crews_[k] -= sign;
        const std::size_t last = problem_.CarryOver ? money_.size() : k + 1;
        for (std::size_t j = k; j < last; ++j) {
            money_[j] -= sign * spend;
        }
    }

    void Put(std::size_t i, double sign) {
        const Column& c = columns_[i];
        TakeMoney(spend_[i], c.Year, sign);
        total_ += sign * value_[i];
        year_[c.House] = sign > 0 ? c.Year : -1;
    }

    const Problem& problem_;
    const std::vector<Column>& columns_;
    std::vector<double> spend_, value_, score_; // a column's; score: value per rouble
    std::vector<std::size_t> order_;            // columns by score, highest first
    std::vector<int> year_;                     // a house's, -1: not chosen
    std::vector<double> money_;                 // left, as Slack keeps it
    std::vector<double> crews_;
    std::vector<Choice> fixedOutside_;
    double total_ = 0; // the plan's value
};

// Columns looked at by the exchanges at most: about a second.
constexpr std::size_t ExchangeWork = 200'000'000;
// Chosen houses of least value per rouble whose pairs are exchanged.
constexpr std::size_t PairedHouses = 40;

// The plan with exchanges, of single houses and then of pairs, until it is within the gap of the
// bound, none gains or the work is done; the plan itself if they do not make a better one that
// fits.
Plan Exchanged(const Problem& problem, const std::vector<Column>& columns, const Plan& plan,
               double bound, const SolveOptions& options, Clock::time_point start) {
    const double relativeGap = options.RelativeGap;
    Exchanges exchanges(problem, columns, plan);
    Work work(ExchangeWork, options, start);
    const auto open = [&] {
        return work.Left() && !CloseEnough(exchanges.Value(), bound, relativeGap);
    };
    std::vector<std::size_t> taken;
    exchanges.Fill(columns.size(), taken, work);
    bool gained = true;
    while (gained && open()) {
        gained = exchanges.Pass(work);
        if (!gained && open()) {
            gained = exchanges.PairPass(PairedHouses, work);
        }
    }
    Plan better = exchanges.Result();
    return MakeFit(problem, better) && better.Value > plan.Value ? better : plan;
}

// The search's first plan in the program's columns.
std::vector<double> ColumnValues(const Problem& problem, const std::vector<Column>& columns,
                                 const IdenticalHouses& identical, MoneyRows money,
                                 const Plan& plan) {
    std::vector<int> columnOf(problem.HouseCount * problem.Budgets.size(), -1);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        columnOf[problem.Index(columns[i].House, columns[i].Year)] = static_cast<int>(i);
    }
    std::vector<double> x(columns.size(), 0);
    std::vector<double> spend(problem.Budgets.size(), 0);
    for (const Choice& c : plan.Choices) {
        if (const int i = columnOf[problem.Index(identical.First[c.House], c.Year)]; i >= 0) {
            x[static_cast<std::size_t>(i)] += 1;
        }
        spend[static_cast<std::size_t>(c.Year)] += problem.SpendOf(c.House, c.Year);
    }
    double carried = 0;
    for (int k = 0; k < CarriedColumns(problem, money); ++k) {
        const auto year = static_cast<std::size_t>(k);
        carried = std::max(carried + problem.Budgets[year] - spend[year], 0.0);
        x.push_back(carried);
    }
    return x;
}

// The plan of the search's columns' values: each group's houses in turn, as many a year as its
// column counts.
Plan Expanded(const std::vector<Column>& columns, const IdenticalHouses& identical,
              const double* x) {
    Plan plan;
    std::vector<std::size_t> used(identical.Members.size(), 0);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const std::vector<std::size_t>& members = identical.Members[columns[i].House];
        std::size_t& next = used[columns[i].House];
        const auto count = static_cast<std::size_t>(std::max(std::lround(x[i]), 0L));
        for (std::size_t n = 0; n < count && next < members.size(); ++n, ++next) {
            plan.Choices.push_back({members[next], columns[i].Year});
        }
    }
    return plan;
}

// The objective of the program at a plan, with its coefficients.
double ProgramValue(const Problem& problem, const std::vector<Column>& columns,
                    const std::vector<double>& x) {
    double value = 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        value += x[i] * Coefficient(problem, columns[i]);
    }
    return value;
}

// Branch and cut from the best plan so far, within the time left: the solver's preprocessing,
// its default cut generators and heuristics, and two-step rounding cuts at the root, which close
// most of the budgets' knapsack gap (without them a stock of 100 houses took seconds where it now
// takes a fraction of one). Keeps what it improves and says how the search ended.
void Search(const Problem& problem, const std::vector<Column>& columns,
            const IdenticalHouses& identical, MoneyRows money, OsiClpSolverInterface& solver,
            const SolveOptions& options, Clock::time_point start, Solution& solution) {
    CbcModel model(solver);
    model.setLogLevel(0);
    model.messageHandler()->setLogLevel(0);
    CbcStrategyDefault strategy(0, 5, 5, 0); // cuts in the tree too
    strategy.setupPreProcessing(1, 10);
    model.setStrategy(strategy);
    CglTwomir twoStepRounding;
    model.addCutGenerator(&twoStepRounding, -99, "two-step rounding"); // at the root
    if (Fits(problem, solution.Best)) {
        const std::vector<double> first =
            ColumnValues(problem, columns, identical, money, solution.Best);
        model.setBestSolution(first.data(), static_cast<int>(first.size()),
                              -ProgramValue(problem, columns, first), false);
    }
    SearchEvents events(options, start);
    model.passInEventHandler(&events);
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    model.setUseElapsedTime(true);
    const double refill = std::min(1.0, options.TimeLimitSeconds / 20); // left for Refill
    model.setMaximumSeconds(std::max(options.TimeLimitSeconds - elapsed - refill, 0.01));
    model.setAllowableFractionGap(options.RelativeGap);
    model.setAllowableGap(0);
    model.branchAndBound();

    if (const double* x = model.bestSolution(); x != nullptr) {
        Plan found = Expanded(columns, identical, x);
        if (MakeFit(problem, found) &&
            (!Fits(problem, solution.Best) || found.Value > solution.Best.Value)) {
            solution.Best = std::move(found);
        }
    }
    const bool planFound = Fits(problem, solution.Best);
    const double bound = -model.getBestPossibleObjValue();
    solution.Bound = planFound ? std::max(std::min(solution.Bound, bound), solution.Best.Value)
                               : std::min(solution.Bound, bound);
    if (Stopped(options) || model.secondaryStatus() == 5) {
        solution.Status = SolveStatus::Stopped;
    } else if (model.isProvenInfeasible() && !planFound) {
        solution.Status = SolveStatus::Infeasible;
    } else if (model.isProvenOptimal()) {
        solution.Status = SolveStatus::Optimal;
    } else if (model.isSecondsLimitReached()) {
        solution.Status = SolveStatus::TimeLimit;
    } else {
        solution.Status = SolveStatus::Failed;
        solution.Message = "поиск прерван из-за вычислительных трудностей (состояние " +
                           std::to_string(model.status()) + "." +
                           std::to_string(model.secondaryStatus()) + ")";
    }
    if (!planFound && solution.Status != SolveStatus::Failed &&
        solution.Status != SolveStatus::Infeasible) {
        solution.Status = SolveStatus::Failed;
        solution.Message = "за отведённое время не найден ни один план, в который входят все "
                           "обязательные и закреплённые дома";
    }
}

// Stops the relaxation's simplex at the stop flag or the time limit: on a large stock it takes
// the longest part of the time.
class RelaxationEvents : public ClpEventHandler {
public:
    RelaxationEvents(const SolveOptions& options, Clock::time_point deadline)
        : options_(&options), deadline_(deadline) {}

    int event(Event whichEvent) override {
        const bool end =
            whichEvent == endOfIteration && (Stopped(*options_) || Clock::now() > deadline_);
        return end ? 0 : -1;
    }

    ClpEventHandler* clone() const override { return new RelaxationEvents(*this); }

private:
    const SolveOptions* options_;
    Clock::time_point deadline_;
};

// A bound of every plan without the relaxation: for any price r ≥ 0 of a rouble, r × all the
// budgets plus, for each house, its best value less r × its spend, if positive. The price is
// found by halving, where the money the houses would take meets the budgets'. Crews and the
// years' own budgets are left out, so it is above the relaxation's.
double PricedBound(const Problem& problem, const std::vector<Column>& columns) {
    const double money = std::accumulate(problem.Budgets.begin(), problem.Budgets.end(), 0.0);
    const auto bound = [&](double price, double& taken) {
        double value = price * money;
        taken = 0;
        for (std::size_t i = 0; i < columns.size();) {
            double best = 0;
            double spend = 0;
            const std::size_t house = columns[i].House;
            for (; i < columns.size() && columns[i].House == house; ++i) {
                const double s = problem.SpendOf(house, columns[i].Year);
                if (const double v = problem.ValueOf(house, columns[i].Year) - price * s;
                    v > best) {
                    best = v;
                    spend = s;
                }
            }
            value += best;
            taken += spend;
        }
        return value;
    };
    double low = 0;
    double high = 0;
    for (const Column& c : columns) {
        if (const double s = problem.SpendOf(c.House, c.Year); s > 0) {
            high = std::max(high, problem.ValueOf(c.House, c.Year) / s);
        }
    }
    double taken = 0;
    for (int step = 0; step < 60; ++step) {
        const double price = (low + high) / 2;
        bound(price, taken);
        (taken > money ? low : high) = price;
    }
    return std::min(bound(high, taken), bound(low, taken));
}

// The relaxation was stopped or ran out of time: the best plan so far, the priced bound.
void EndUnsolved(const Problem& problem, const std::vector<Column>& columns,
                 const SolveOptions& options, Solution& solution) {
    solution.Status = Stopped(options) ? SolveStatus::Stopped : SolveStatus::TimeLimit;
    if (!Fits(problem, solution.Best)) {
        solution.Status = SolveStatus::Failed;
        solution.Message = "за отведённое время не найден ни один план, в который входят все "
                           "обязательные и закреплённые дома";
        return;
    }
    solution.Bound = std::max(PricedBound(problem, columns), solution.Best.Value);
}

// Columns up to which the search takes the money rows of years 0 .. k when money carries over:
// their cuts close more of the gap, but beyond, their relaxation takes several seconds more.
constexpr std::size_t MostCumulativeColumns = 200'000;

// The relaxation's values of each house's own columns: of a group's column, its whole houses,
// the group's houses in turn (the first plan takes only whole houses from the relaxation).
std::vector<double> HouseValues(const Problem& problem, const std::vector<Column>& columns,
                                const std::vector<Column>& grouped,
                                const IdenticalHouses& identical, const double* x) {
    std::vector<double> whole(grouped.size());
    for (std::size_t i = 0; i < grouped.size(); ++i) {
        whole[i] = std::floor(x[i] + 1e-6);
    }
    std::vector<int> columnOf(problem.HouseCount * problem.Budgets.size(), -1);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        columnOf[problem.Index(columns[i].House, columns[i].Year)] = static_cast<int>(i);
    }
    std::vector<double> values(columns.size(), 0);
    for (const Choice& c : Expanded(grouped, identical, whole.data()).Choices) {
        if (const int i = columnOf[problem.Index(c.House, c.Year)]; i >= 0) {
            values[static_cast<std::size_t>(i)] = 1;
        }
    }
    return values;
}

// The search: when money carries over on a program small enough, on a program of its own with
// the money rows of years 0 .. k; else on the relaxation's.
void SearchFrom(const Problem& problem, const std::vector<Column>& grouped,
                const IdenticalHouses& identical, OsiClpSolverInterface& relaxed,
                const SolveOptions& options, Clock::time_point start, Solution& solution) {
    if (problem.CarryOver && grouped.size() <= MostCumulativeColumns) {
        OsiClpSolverInterface cumulative;
        LoadProgram(problem, grouped, MoneyRows::Cumulative, cumulative);
        Search(problem, grouped, identical, MoneyRows::Cumulative, cumulative, options, start,
               solution);
    } else {
        Search(problem, grouped, identical, MoneyRows::Carried, relaxed, options, start, solution);
    }
}

// The best plan so far with each year's houses chosen again, until the time runs out.
void Refill(const Problem& problem, const SolveOptions& options, Clock::time_point start,
            Solution& solution) {
    if (!Fits(problem, solution.Best) ||
        CloseEnough(solution.Best.Value, solution.Bound, options.RelativeGap)) {
        return;
    }
    const Clock::time_point deadline = Deadline(options, start);
    solution.Best = RefilledByYear(problem, solution.Best, solution.Bound, options.RelativeGap,
                                   [&] { return !Stopped(options) && Clock::now() < deadline; });
    if (solution.Status == SolveStatus::TimeLimit &&
        CloseEnough(solution.Best.Value, solution.Bound, options.RelativeGap)) {
        solution.Status = SolveStatus::Optimal;
    }
}

// Solves the program: its relaxation bounds every plan, rounded down and filled up it is a plan;
// then the search if the gap is not yet closed.
void SolveProgram(const Problem& problem, const std::vector<Column>& columns,
                  const SolveOptions& options, Clock::time_point start, Solution& solution) {
    const IdenticalHouses identical = Identical(problem);
    const std::vector<Column> grouped = GroupColumns(columns, identical);
    OsiClpSolverInterface solver;
    LoadProgram(problem, grouped, MoneyRows::Carried, solver);
    const RelaxationEvents events(options, Deadline(options, start));
    solver.getModelPtr()->passInEventHandler(&events);
    solver.initialSolve();
    const ClpEventHandler none; // the search's relaxations are stopped by the search's own events
    solver.getModelPtr()->passInEventHandler(&none);
    if (!solver.isProvenOptimal() && !solver.isProvenPrimalInfeasible() &&
        (Stopped(options) || Clock::now() > Deadline(options, start))) {
        EndUnsolved(problem, columns, options, solution);
        return;
    }
    if (solver.isProvenPrimalInfeasible()) {
        solution.Status = SolveStatus::Infeasible;
        return;
    }
    if (!solver.isProvenOptimal()) {
        solution.Status = SolveStatus::Failed;
        solution.Message =
            "линейная задача плана не решена (" +
            std::string(solver.isAbandoned() ? "вычислительные трудности" : "предел итераций") +
            ")";
        return;
    }
    Plan rounded = FilledPlan(
        problem, columns,
        HouseValues(problem, columns, grouped, identical, solver.getColSolution()).data());
    if (!Fits(problem, solution.Best) || rounded.Value > solution.Best.Value) {
        solution.Best = std::move(rounded);
    }
    solution.Bound = -solver.getObjValue();
    if (Fits(problem, solution.Best) &&
        !CloseEnough(solution.Best.Value, solution.Bound, options.RelativeGap)) {
        solution.Best = Exchanged(problem, columns, solution.Best, solution.Bound, options, start);
    }
    Refill(problem, options, start, solution);
    if (Fits(problem, solution.Best)) {
        solution.Bound = std::max(solution.Bound, solution.Best.Value);
    }
    if (!Fits(problem, solution.Best) ||
        !CloseEnough(solution.Best.Value, solution.Bound, options.RelativeGap)) {
        SearchFrom(problem, grouped, identical, solver, options, start, solution);
        Refill(problem, options, start, solution);
    }
}

} // namespace

std::optional<std::size_t> RequiredHouseFittingNowhere(const Problem& problem) {
    const std::vector<double> money = MoneyByYear(problem);
    for (std::size_t h = 0; h < problem.HouseCount; ++h) {
        bool somewhere = false;
        for (int k = 0; k < problem.Years() && !somewhere; ++k) {
            somewhere = Possible(problem, money, h, k);
        }
        if (problem.IsRequired(h) && !somewhere) {
            return h;
        }
    }
    return std::nullopt;
}

Solution SolvePlan(const Problem& problem, const SolveOptions& options) {
    const auto start = Clock::now();
    Solution solution;
    solution.Ranking = RankingPlan(problem);
    solution.Best = solution.Ranking;
    solution.Bound = solution.Ranking.Value;
    const std::vector<Column> columns = Columns(problem);
    if (!columns.empty() || !Fits(problem, solution.Best)) {
        try {
            SolveProgram(problem, columns, options, start, solution);
        } catch (const CoinError& e) {
            solution.Status = SolveStatus::Failed;
            solution.Message = "ошибка решателя: " + e.message() + " (" + e.methodName() + ")";
        }
    }
    if (solution.Status == SolveStatus::Infeasible) {
        solution.Message = "обязательные и закреплённые дома не помещаются в бюджеты" +
                           std::string(problem.MaxHouses.empty() ? "" : " и число домов в год") +
                           " ни в каком порядке";
    }
    if (!solution.HasPlan()) {
        solution.Best = {};
        solution.Bound = 0;
    }
    solution.Gap = solution.Bound > 0 ? (solution.Bound - solution.Best.Value) / solution.Bound : 0;
    return solution;
}

} // namespace plan
