#pragma once

#include "PlanProblem.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace plan_test {

// The best plan's value by trying every assignment of every house to a year or to none: an
// independent check of the solver for small problems ((years + 1) ^ houses assignments), with
// the problem's rules: years offered, required houses, carry-over and crews. -1 when no
// assignment keeps them.
class Enumeration {
public:
    explicit Enumeration(const plan::Problem& problem) : problem_(problem) {
        spend_.assign(problem.Budgets.size(), 0);
        houses_.assign(problem.Budgets.size(), 0);
    }

    double BestValue() {
        best_ = -std::numeric_limits<double>::infinity();
        Try(0, 0);
        return best_;
    }

private:
    bool Keeps() const {
        double budget = 0;
        double spent = 0;
        for (std::size_t k = 0; k < spend_.size(); ++k) {
            budget = (problem_.CarryOver ? budget : 0) + problem_.Budgets[k];
            spent = (problem_.CarryOver ? spent : 0) + spend_[k];
            if (spent > budget * (1 + 1e-12) ||
                (!problem_.MaxHouses.empty() && houses_[k] > problem_.MaxHouses[k])) {
                return false;
            }
        }
        return true;
    }

    void Try(std::size_t house, double value) {
        if (house == problem_.HouseCount) {
            if (Keeps()) {
                best_ = std::max(best_, value);
            }
            return;
        }
        const bool required = !problem_.Required.empty() && problem_.Required[house] != 0;
        if (!required) {
            Try(house + 1, value);
        }
        for (int k = 0; k < problem_.Years(); ++k) {
            if (!problem_.Offered.empty() && problem_.Offered[problem_.Index(house, k)] == 0) {
                continue;
            }
            const auto year = static_cast<std::size_t>(k);
            spend_[year] += problem_.SpendOf(house, k);
            ++houses_[year];
            Try(house + 1, value + problem_.ValueOf(house, k));
            spend_[year] -= problem_.SpendOf(house, k);
            --houses_[year];
        }
    }

    const plan::Problem& problem_;
    std::vector<double> spend_;
    std::vector<int> houses_;
    double best_ = 0;
};

} // namespace plan_test
