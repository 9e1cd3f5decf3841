#include "HouseBatch.h"

#include "Simulation.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <thread>

namespace cli {
namespace {

constexpr double DaysPerMonth = 30;

} // namespace

HouseFigures CalculateHouse(const model::ProjectParameters& p, std::uint32_t seed,
                            model::SimulationResult& r) {
    model::ComputeDailyEnergy(p, r);
    // The days after payback change none of the figures.
    model::RunSimulationUntilPayback(p, r, seed);
    // The page's validation keeps every factor at least 1.
    const double flats = static_cast<double>(p.EntranceCount) * p.FloorCount * p.FlatsPerFloor;
    HouseFigures f;
    f.PaybackFound = r.PaybackFound;
    f.PaybackDay = r.PaybackDay;
    f.PaybackCostExisting = r.PaybackCostExisting;
    f.PaybackCostPlanned = r.PaybackCostPlanned;
    f.InstallCostExisting = r.InstallCostExisting;
    f.InstallCostPlanned = r.InstallCostPlanned;
    f.InstallCostPerFlatExisting = r.InstallCostExisting / flats;
    f.InstallCostPerFlatPlanned = r.InstallCostPlanned / flats;
    f.FittingCountExisting = r.FittingCountExisting;
    f.FittingCountPlanned = r.FittingCountPlanned;
    f.BlockCount = r.BlockCount;
    f.DailyEnergyExisting = r.DailyEnergyExisting;
    f.DailyEnergyPlanned = r.DailyEnergyPlanned;
    f.DailyEnergyCostExisting = r.DailyEnergyCostExisting;
    f.DailyEnergyCostPlanned = r.DailyEnergyCostPlanned;
    f.PaybackReplacedExisting = r.PaybackReplacedExisting;
    f.PaybackReplacedPlanned = r.PaybackReplacedPlanned;
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
    const auto number = [&](double value, const char* pattern) {
        return model::FormatNumber(value, pattern, locale);
    };
    if (figures) {
        const HouseFigures& f = *figures;
        const bool payback = f.PaybackFound;
        const auto ifPayback = [payback](std::string text) { return payback ? text : ""; };
        cells.push_back(payback ? "1" : "0");
        cells.push_back(ifPayback(std::to_string(f.PaybackDay)));
        cells.push_back(ifPayback(number(f.PaybackDay / DaysPerMonth, "0.0")));
        cells.push_back(ifPayback(number(f.PaybackCostExisting, "0")));
        cells.push_back(ifPayback(number(f.PaybackCostPlanned, "0")));
        cells.push_back(number(f.InstallCostExisting, "0"));
        cells.push_back(number(f.InstallCostPlanned, "0"));
        cells.push_back(number(f.InstallCostPerFlatExisting, "0"));
        cells.push_back(number(f.InstallCostPerFlatPlanned, "0"));
        cells.push_back(std::to_string(f.FittingCountExisting));
        cells.push_back(std::to_string(f.FittingCountPlanned));
        cells.push_back("0"); // the existing scheme has no blocks
        cells.push_back(std::to_string(f.BlockCount));
        cells.push_back(number(f.DailyEnergyExisting, "0.00"));
        cells.push_back(number(f.DailyEnergyPlanned, "0.00"));
        cells.push_back(number(f.DailyEnergyExisting * DaysPerMonth, "0.00"));
        cells.push_back(number(f.DailyEnergyPlanned * DaysPerMonth, "0.00"));
        cells.push_back(number(f.DailyEnergyCostExisting * DaysPerMonth, "0.00"));
        cells.push_back(number(f.DailyEnergyCostPlanned * DaysPerMonth, "0.00"));
        cells.push_back(ifPayback(std::to_string(f.PaybackReplacedExisting)));
        cells.push_back(ifPayback(std::to_string(f.PaybackReplacedPlanned)));
    }
    cells.resize(ResultColumns().size() - 1);
    cells.push_back(std::to_string(seed));
    return cells;
}

} // namespace cli
