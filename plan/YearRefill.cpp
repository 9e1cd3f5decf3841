#include "YearRefill.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace plan {
namespace {

// Items on either side of the one the money runs out at, by value per rouble, that the search
// takes or leaves freely: beyond them an exchange would lose more than a search could find.
constexpr std::size_t CoreSide = 120;

// Depth-first search of the items of the margin, in value-per-rouble order, each taken before it
// is left out, a branch cut where even its items taken in part could not beat the best so far.
class MarginSearch {
public:
    MarginSearch(std::vector<KnapsackItem> items, double best, std::size_t nodes)
        : items_(std::move(items)), taken_(items_.size(), 0), best_(best), nodes_(nodes) {
        spendBefore_.push_back(0);
        valueBefore_.push_back(0);
        for (const KnapsackItem& item : items_) {
            spendBefore_.push_back(spendBefore_.back() + item.Spend);
            valueBefore_.push_back(valueBefore_.back() + item.Value);
        }
    }

    void Run(double money, double most) { Visit(0, 0, money, most); }

    bool Found() const { return !bestTaken_.empty(); }
    const std::vector<char>& Taken() const { return bestTaken_; }

private:
    // The most items from `first` on could add with `money`, the last one taken in part.
    double Bound(std::size_t first, double money) const {
        const double reach = spendBefore_[first] + money;
        const auto end = std::upper_bound(spendBefore_.begin() + static_cast<std::ptrdiff_t>(first),
                                          spendBefore_.end(), reach);
        const auto whole = static_cast<std::size_t>(end - spendBefore_.begin()) - 1;
        double bound = valueBefore_[whole] - valueBefore_[first];
        if (whole < items_.size() && items_[whole].Spend > 0) {
            const double part = (reach - spendBefore_[whole]) / items_[whole].Spend;
            bound += part * items_[whole].Value;
        }
        return bound;
    }

    void Visit(std::size_t i, double value, double money, double most) {
        if (value > best_ * (1 + 1e-12) + 1e-9) {
            best_ = value;
            bestTaken_.assign(taken_.begin(), taken_.begin() + static_cast<std::ptrdiff_t>(i));
            bestTaken_.resize(items_.size(), 0);
        }
        if (i == items_.size() || nodes_ == 0 || value + Bound(i, money) <= best_) {
            return;
        }
        --nodes_;
        if (items_[i].Spend <= money && most >= 1) {
            taken_[i] = 1;
            Visit(i + 1, value + items_[i].Value, money - items_[i].Spend, most - 1);
            taken_[i] = 0;
        }
        Visit(i + 1, value, money, most);
    }

    std::vector<KnapsackItem> items_;
    std::vector<double> spendBefore_, valueBefore_; // sums of the items before each
    std::vector<char> taken_, bestTaken_;
    double best_;
    std::size_t nodes_;
};

} // namespace

std::optional<std::vector<std::size_t>> MostValuableWithin(const std::vector<KnapsackItem>& items,
                                                           double money, double most,
                                                           double atLeast, std::size_t nodes) {
    std::vector<std::size_t> order(items.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    const auto ratio = [&](std::size_t i) {
        return items[i].Spend > 0 ? items[i].Value / items[i].Spend
                                  : std::numeric_limits<double>::infinity();
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return ratio(a) > ratio(b); });
    // Where the money runs out taking items in that order; those well before it are taken.
    std::size_t margin = 0;
    for (double spent = 0; margin < order.size() && margin < most; ++margin) {
        spent += items[order[margin]].Spend;
        if (spent > money) {
            break;
        }
    }
    const std::size_t first = margin > CoreSide ? margin - CoreSide : 0;
    const std::size_t end = std::min(order.size(), margin + CoreSide);
    double prefixValue = 0;
    for (std::size_t k = 0; k < first; ++k) {
        prefixValue += items[order[k]].Value;
        money -= items[order[k]].Spend;
    }
    std::vector<KnapsackItem> core;
    for (std::size_t k = first; k < end; ++k) {
        core.push_back(items[order[k]]);
    }
    MarginSearch search(std::move(core), atLeast - prefixValue, nodes);
    search.Run(money, most - static_cast<double>(first));
    if (!search.Found()) {
        return std::nullopt;
    }
    std::vector<std::size_t> chosen(order.begin(),
                                    order.begin() + static_cast<std::ptrdiff_t>(first));
    for (std::size_t k = 0; k < end - first; ++k) {
        if (search.Taken()[k] != 0) {
            chosen.push_back(order[first + k]);
        }
    }
    return chosen;
}

namespace {

// Search steps a year's choice may take: a few milliseconds.
constexpr std::size_t YearNodes = 200'000;

// A plan as each house's year, with each year's spend.
class YearChoice {
public:
    YearChoice(const Problem& problem, const Plan& plan)
        : problem_(problem), year_(problem.HouseCount, -1), spend_(problem.Budgets.size(), 0) {
        for (const Choice& c : plan.Choices) {
            Move(c.House, c.Year);
        }
    }

    // Chooses the year's houses again: whether the plan gained.
    bool Refill(int year) {
        std::vector<std::size_t> candidates;
        std::vector<KnapsackItem> items;
        double current = 0;
        for (std::size_t h = 0; h < problem_.HouseCount; ++h) {
            const int now = year_[h];
            if ((now >= 0 && problem_.IsRequired(h)) || !problem_.OfferedIn(h, year)) {
                continue;
            }
            const double value =
                problem_.ValueOf(h, year) - (now >= 0 ? problem_.ValueOf(h, now) : 0);
            if (value > 0 || now == year) {
                candidates.push_back(h);
                items.push_back(
                    {now == year ? problem_.ValueOf(h, year) : value, problem_.SpendOf(h, year)});
                current += now == year ? problem_.ValueOf(h, year) : 0;
            }
        }
        const std::optional<std::vector<std::size_t>> chosen =
            MostValuableWithin(items, MoneyFor(year), CrewsFor(year), current, YearNodes);
        if (!chosen) {
            return false;
        }
        for (std::size_t h : candidates) {
            if (year_[h] == year) {
                Move(h, -1);
            }
        }
        for (std::size_t i : *chosen) {
            Move(candidates[i], year);
        }
        return true;
    }

    Plan Result() const { return PlanOfYears(problem_, year_); }

private:
    void Move(std::size_t house, int year) {
        if (const int now = year_[house]; now >= 0) {
            spend_[static_cast<std::size_t>(now)] -= problem_.SpendOf(house, now);
        }
        year_[house] = year;
        if (year >= 0) {
            spend_[static_cast<std::size_t>(year)] += problem_.SpendOf(house, year);
        }
    }

    // The money for the year's houses not required: its budget less the required houses', and
    // with money carried over, no more than every later year's sums leave.
    double MoneyFor(int year) const {
        const auto y = static_cast<std::size_t>(year);
        double own = 0; // the spend of the year's houses that may change
        for (std::size_t h = 0; h < year_.size(); ++h) {
            if (year_[h] == year && !problem_.IsRequired(h)) {
                own += problem_.SpendOf(h, year);
            }
        }
        if (!problem_.CarryOver) {
            return problem_.Budgets[y] - (spend_[y] - own);
        }
        double money = std::numeric_limits<double>::infinity();
        double budgets = 0;
        double spent = -own;
        for (std::size_t k = 0; k < spend_.size(); ++k) {
            budgets += problem_.Budgets[k];
            spent += spend_[k];
            if (k >= y) {
                money = std::min(money, budgets - spent);
            }
        }
        return money;
    }

    double CrewsFor(int year) const {
        if (problem_.MaxHouses.empty()) {
            return std::numeric_limits<double>::infinity();
        }
        int required = 0;
        for (std::size_t h = 0; h < year_.size(); ++h) {
            required += year_[h] == year && problem_.IsRequired(h) ? 1 : 0;
        }
        return problem_.MaxHouses[static_cast<std::size_t>(year)] - required;
    }

    const Problem& problem_;
    std::vector<int> year_; // a house's, -1: not chosen
    std::vector<double> spend_;
};

} // namespace

Plan RefilledByYear(const Problem& problem, const Plan& plan, double bound, double relativeGap,
                    const std::function<bool()>& goOn) {
    YearChoice choice(problem, plan);
    Plan best = plan;
    bool gained = true;
    while (gained && goOn() && bound - best.Value > relativeGap * std::max(std::abs(bound), 1e-9)) {
        gained = false;
        for (int year = 0; year < problem.Years() && goOn(); ++year) {
            if (choice.Refill(year)) {
                Plan refilled = choice.Result();
                if (Fits(problem, refilled) && refilled.Value > best.Value) {
                    best = std::move(refilled);
                    gained = true;
                }
            }
        }
    }
    return best;
}

} // namespace plan
