#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace model {

// A real becomes a count by truncation toward zero; values beyond the 32-bit range stick at its
// ends and not-a-number counts as 0, so absurd inputs never overflow.
constexpr std::int32_t SaturatingTrunc(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= 2147483647.0) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value <= -2147483648.0) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

constexpr std::int32_t SaturateToInt32(std::int64_t value) {
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

constexpr std::int32_t SaturatingSub(std::int32_t a, std::int32_t b) {
    return SaturateToInt32(static_cast<std::int64_t>(a) - b);
}

constexpr std::int32_t SaturatingAdd(std::int32_t a, std::int32_t b) {
    return SaturateToInt32(static_cast<std::int64_t>(a) + b);
}

} // namespace model
