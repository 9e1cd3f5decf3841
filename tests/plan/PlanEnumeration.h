#pragma once

#include "PlanProblem.h"

#include <vector>

namespace plan_test {

// The best plan's value by trying every assignment of every house to a year or to none: an
// independent check of the solver for small problems ((years + 1) ^ houses assignments).
class Enumeration {
public:
    explicit Enumeration(const plan::Problem& problem) : problem_(problem) {
        spend_.assign(problem.Budgets.size(), 0);
    }

    double BestValue() {
        best_ = 0;
        Try(0, 0);
        return best_;
    }

private:
    void Try(std::size_t house, double value) {
        if (house == problem_.HouseCount) {
            double budget = 0;
            double spent = 0;
            for (std::size_t k = 0; k < spend_.size(); ++k) {
                budget += problem_.Budgets[k];
                spent += spend_[k];
                if (spent > budget * (1 + 1e-12)) {
                    return;
                }
            }
            best_ = std::max(best_, value);
            return;
        }
        Try(house + 1, value);
        for (int k = 0; k < problem_.Years(); ++k) {
            spend_[static_cast<std::size_t>(k)] += problem_.SpendOf(house, k);
            Try(house + 1, value + problem_.ValueOf(house, k));
            spend_[static_cast<std::size_t>(k)] -= problem_.SpendOf(house, k);
        }
    }

    const plan::Problem& problem_;
    std::vector<double> spend_;
    double best_ = 0;
};

} // namespace plan_test
