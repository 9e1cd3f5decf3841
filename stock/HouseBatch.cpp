#include "HouseBatch.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <thread>

namespace stock {

void ForEachOnThreads(std::size_t count, unsigned jobs,
                      const std::function<void(std::size_t, model::CalculationMemory&)>& work,
                      const std::atomic<bool>* stop) {
    std::atomic<std::size_t> next{0};
    std::exception_ptr failure;
    std::mutex failureLock;
    const auto run = [&] {
        try {
            model::CalculationMemory memory; // day series, calendars and discount factors reused
            for (std::size_t i = next++; i < count; i = next++) {
                if (stop != nullptr && *stop) {
                    break;
                }
                work(i, memory);
            }
        } catch (...) {
            next = count; // the other threads stop after their current item
            const std::lock_guard lock(failureLock);
            if (!failure) {
                failure = std::current_exception();
            }
        }
    };
    const unsigned threads =
        static_cast<unsigned>(std::clamp<std::size_t>(jobs, 1, std::max<std::size_t>(count, 1)));
    {
        // Joined at the end of this block, before the caller reads what the work made.
        std::vector<std::jthread> helpers;
        for (unsigned t = 1; t < threads; ++t) {
            helpers.emplace_back(run);
        }
        run();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

std::vector<model::HouseFigures> CalculateHouses(std::span<const model::ProjectParameters> houses,
                                                 std::uint32_t seed, unsigned jobs,
                                                 std::atomic<std::size_t>* done, bool economics) {
    std::vector<model::HouseFigures> figures(houses.size());
    ForEachOnThreads(houses.size(), jobs, [&](std::size_t i, model::CalculationMemory& memory) {
        figures[i] = model::CalculateFigures(houses[i], seed, memory, economics);
        if (done != nullptr) {
            ++*done;
        }
    });
    return figures;
}

} // namespace stock
