#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>

namespace model {

// The draws of DrawLifePercent (a std::mt19937 seeded with the same seed, each output shifted to
// 31 bits and taken modulo 100) in the same order, produced a whole generator state of 624
// outputs at a time so that the work vectorises. Draws that nobody reads can be skipped cheaply.
class LifePercentDraws {
public:
    explicit LifePercentDraws(std::uint32_t seed);

    std::int32_t Next() {
        if (next_ == percent_.data() + StateSize) {
            Refill();
        }
        return *next_++;
    }

    // The next draws, as many as are ready but no more than `count` (at least one when `count` is
    // positive): they are taken, and stay readable until this object is next used.
    std::span<const std::uint8_t> TakeReady(std::int64_t count) {
        if (next_ == percent_.data() + StateSize) {
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
        if (next_ == percent_.data() + StateSize) {
            Refill();
        }
        return {next_, percent_.data() + StateSize};
    }
    void Take(std::size_t count) { next_ += count; }

    void Skip(std::int64_t count);

private:
    static constexpr int StateSize = 624;

    void Twist();
    void Refill();

    std::array<std::uint32_t, StateSize> state_;
    std::array<std::uint8_t, StateSize> percent_;
    // A pointer rather than an index, so that the compiler can keep it in a register while the
    // caller stores integers.
    const std::uint8_t* next_ = percent_.data() + StateSize;
};

} // namespace model
