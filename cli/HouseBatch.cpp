#include "HouseBatch.h"

#include "Calculation.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <thread>

namespace cli {
std::vector<model::HouseFigures> CalculateHouses(std::span<const model::ProjectParameters> houses,
                                                 std::uint32_t seed, unsigned jobs,
                                                 std::atomic<std::size_t>* done) {
    std::vector<model::HouseFigures> figures(houses.size());
    std::atomic<std::size_t> next{0};
    std::exception_ptr failure;
    std::mutex failureLock;
    const auto work = [&] {
        try {
            model::SimulationResult days; // its day series are reused from house to house
            for (std::size_t i = next++; i < houses.size(); i = next++) {
                figures[i] = model::CalculateFigures(houses[i], seed, days);
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

} // namespace cli
