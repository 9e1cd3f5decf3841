#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>

namespace model {

// The draws of DrawLifePercent (a std::mt19937 seeded with the same seed, each output shifted to
// 31 bits and taken modulo 100) in the same order, produced a whole generator state of 624
// outputs at a time so that the work vectorises. Draws that nobody reads can be skipped cheaply:
// a state skipped into is worked out into draws only when one of them is read.
class LifePercentDraws {
public:
    explicit LifePercentDraws(std::uint32_t seed);

    std::int32_t Next() {
        if (next_ == ready_) {
            Refill();
        }
        return *next_++;
    }

    // The next draws, as many as are ready but no more than `count` (at least one when `count` is
    // positive): they are taken, and stay readable until this object is next used.
    std::span<const std::uint8_t> TakeReady(std::int64_t count) {
        if (next_ == ready_) {
            Refill();
        }
        const std::size_t part = static_cast<std::size_t>(
            std::min<std::int64_t>(count, percent_.data() + StateSize - next_));
        const std::span<const std::uint8_t> ready(next_, part);
        next_ += part;
        return ready;
    }

    // The draws ready to be read, at least one, left where they are until Take takes the first
    // `count` of them (no more than were ready).
    std::span<const std::uint8_t> Ready() {
        if (next_ == ready_) {
            Refill();
        }
        return {next_, percent_.data() + StateSize};
    }
    void Take(std::size_t count) { next_ += count; }

    void Skip(std::int64_t count);

private:
    static constexpr int StateSize = 624;

    void Twist();
    // Works out the state's draws, after a new state when all are read.
    void Refill();
    void Temper();

    std::array<std::uint32_t, StateSize> state_;
    std::array<std::uint8_t, StateSize> percent_;
    // Pointers rather than indices, so that the compiler can keep them in registers while the
    // caller stores integers. The draws worked out and not yet read are those from next_ to ready_,
    // which is the end of the state or, after a skip into a state, next_ itself.
    const std::uint8_t* next_ = percent_.data() + StateSize;
    const std::uint8_t* ready_ = percent_.data() + StateSize;
};

} // namespace model
