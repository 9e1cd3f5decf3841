#pragma once

#include <array>
#include <cstdint>

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

    // The next `count` draws into `out`.
    void Take(std::int64_t count, std::uint8_t* out);

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
