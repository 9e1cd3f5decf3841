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
        if (next_ == StateSize) {
            Refill();
        }
        return percent_[next_++];
    }

    void Skip(std::int64_t count);

private:
    static constexpr int StateSize = 624;

    void Twist();
    void Refill();

    std::array<std::uint32_t, StateSize> state_;
    std::array<std::uint8_t, StateSize> percent_;
    int next_ = StateSize;
};

} // namespace model
