#include "HouseBatch.h"

#include "Calculation.h"
#include "ResultFigures.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <thread>

namespace cli {
HouseFigures CalculateHouse(const model::ProjectParameters& p, std::uint32_t seed,
                            model::SimulationResult& r) {
    // The days after payback change none of the figures.
    model::Calculate(p, seed, model::SimulatedDays::UntilPayback, r);
    // The day series stay with the working memory, for the thread's next house.
    std::vector<model::DayRecord> existingDays = std::move(r.ExistingDays);
    std::vector<model::DayRecord> plannedDays = std::move(r.PlannedDays);
    HouseFigures f{r, model::FlatCount(p)};
    r.ExistingDays = std::move(existingDays);
    r.PlannedDays = std::move(plannedDays);
    return f;
}

std::vector<HouseFigures> CalculateHouses(std::span<const model::ProjectParameters> houses,
                                          std::uint32_t seed, unsigned jobs,
                                          std::atomic<std::size_t>* done) {
    std::vector<HouseFigures> figures(houses.size());
    std::atomic<std::size_t> next{0};
    std::exception_ptr failure;
    std::mutex failureLock;
    const auto work = [&] {
        try {
            model::SimulationResult days; // its day series are reused from house to house
            for (std::size_t i = next++; i < houses.size(); i = next++) {
                figures[i] = CalculateHouse(houses[i], seed, days);
                if (done != nullptr) {
                    ++*done;
                }
            }
        } catch (...) {
            next = houses.size(); // the other threads stop after their current house
            const std::lock_guard lock(failureLock);
            if (!failure) {
                failure = std::current_exception();
            }
        }
    };
    const unsigned threads = static_cast<unsigned>(
        std::clamp<std::size_t>(jobs, 1, std::max<std::size_t>(houses.size(), 1)));
    {
        // Joined at the end of this block, before the figures are read or returned.
        std::vector<std::jthread> helpers;
        for (unsigned t = 1; t < threads; ++t) {
            helpers.emplace_back(work);
        }
        work();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    return figures;
}

std::vector<std::string> ResultColumns() {
    return {"File",
            "Line",
            "Address",
            "PaybackFound",
            "PaybackDay",
            "PaybackMonths",
            "PaybackCostExisting",
            "PaybackCostPlanned",
            "InstallCostExisting",
            "InstallCostPlanned",
            "InstallCostPerFlatExisting",
            "InstallCostPerFlatPlanned",
            "FittingCountExisting",
            "FittingCountPlanned",
            "BlockCountExisting",
            "BlockCountPlanned",
            "DailyEnergyExisting",
            "DailyEnergyPlanned",
            "MonthlyEnergyExisting",
            "MonthlyEnergyPlanned",
            "MonthlyEnergyCostExisting",
            "MonthlyEnergyCostPlanned",
            "PaybackReplacedExisting",
            "PaybackReplacedPlanned",
            "Seed"};
}

std::vector<std::string> ResultCells(const HouseRowSource& source,
                                     const std::optional<HouseFigures>& figures, std::uint32_t seed,
                                     const model::NumberLocale& locale) {
    std::vector<std::string> cells = {source.File, std::to_string(source.Line), source.Address};
    cells.reserve(ResultColumns().size());
    const auto number = [&](model::Figure figure, double value) {
        return model::CellFigure(figure, value, locale);
    };
    if (figures) {
        using model::Figure;
        const model::SimulationResult& r = figures->Result;
        const bool payback = r.PaybackFound;
        const auto ifPayback = [payback](std::string text) { return payback ? text : ""; };
        cells.push_back(payback ? "1" : "0");
        cells.push_back(ifPayback(std::to_string(r.PaybackDay)));
        cells.push_back(ifPayback(number(Figure::PaybackMonths, model::PaybackMonths(r))));
        cells.push_back(ifPayback(number(Figure::Cost, r.PaybackCostExisting)));
        cells.push_back(ifPayback(number(Figure::Cost, r.PaybackCostPlanned)));
        cells.push_back(number(Figure::Cost, r.InstallCostExisting));
        cells.push_back(number(Figure::Cost, r.InstallCostPlanned));
        cells.push_back(number(Figure::Cost, r.InstallCostExisting / figures->Flats));
        cells.push_back(number(Figure::Cost, r.InstallCostPlanned / figures->Flats));
        cells.push_back(number(Figure::Count, r.FittingCountExisting));
        cells.push_back(number(Figure::Count, r.FittingCountPlanned));
        cells.push_back(number(Figure::Count, 0)); // the existing scheme has no blocks
        cells.push_back(number(Figure::Count, r.BlockCount));
        cells.push_back(number(Figure::DailyEnergy, r.DailyEnergyExisting));
        cells.push_back(number(Figure::DailyEnergy, r.DailyEnergyPlanned));
        cells.push_back(number(Figure::MonthlyEnergy, model::MonthlyAmount(r.DailyEnergyExisting)));
        cells.push_back(number(Figure::MonthlyEnergy, model::MonthlyAmount(r.DailyEnergyPlanned)));
        cells.push_back(
            number(Figure::MonthlyEnergyCost, model::MonthlyAmount(r.DailyEnergyCostExisting)));
        cells.push_back(
            number(Figure::MonthlyEnergyCost, model::MonthlyAmount(r.DailyEnergyCostPlanned)));
        cells.push_back(ifPayback(number(Figure::ReplacedLamps, r.PaybackReplacedExisting)));
        cells.push_back(ifPayback(number(Figure::ReplacedLamps, r.PaybackReplacedPlanned)));
    }
    cells.resize(ResultColumns().size() - 1);
    cells.push_back(std::to_string(seed));
    return cells;
}

} // namespace cli
