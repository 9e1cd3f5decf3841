#include "LifePercentDraws.h"

namespace model {
namespace {

constexpr int Shift = 397;
constexpr std::uint32_t MatrixA = 0x9908b0dfu;
constexpr std::uint32_t UpperMask = 0x80000000u;
constexpr std::uint32_t LowerMask = 0x7fffffffu;

inline std::uint32_t Mix(std::uint32_t current, std::uint32_t following, std::uint32_t far) {
    const std::uint32_t y = (current & UpperMask) | (following & LowerMask);
    return far ^ (y >> 1) ^ ((0u - (y & 1u)) & MatrixA);
}

} // namespace

// The generator is a good part of a long run's time and runs twice as fast on 256-bit vectors. The
// release target does not assume them, so where the platform can choose at load time there is also
// an AVX2 variant, taken only on processors that have it. The work is on integers only: every
// variant gives the same draws. Clang takes the variants only on a function's first declaration,
// which is inline in the header here; its builds (the fuzz targets) go without. So do sanitizer
// builds: the variant is chosen by a loader hook that runs before a sanitizer's runtime is ready.
#if defined(__x86_64__) && defined(__linux__) && defined(__GNUC__) && !defined(__clang__) &&       \
    !defined(VIRASVET_NO_CPU_VARIANTS) && !defined(__SANITIZE_ADDRESS__) &&                        \
    !defined(__SANITIZE_THREAD__)
#define WITH_AVX2_VARIANT __attribute__((target_clones("avx2", "default")))
#else
#define WITH_AVX2_VARIANT
#endif

LifePercentDraws::LifePercentDraws(std::uint32_t seed) {
    state_[0] = seed;
    for (int i = 1; i < StateSize; ++i) {
        const std::uint32_t previous = state_[i - 1];
        state_[i] = 1812433253u * (previous ^ (previous >> 30)) + static_cast<std::uint32_t>(i);
    }
}

WITH_AVX2_VARIANT void LifePercentDraws::Twist() {
    std::uint32_t* s = state_.data();
    for (int i = 0; i < StateSize - Shift; ++i) {
        s[i] = Mix(s[i], s[i + 1], s[i + Shift]);
    }
    for (int i = StateSize - Shift; i < StateSize - 1; ++i) {
        s[i] = Mix(s[i], s[i + 1], s[i + Shift - StateSize]);
    }
    s[StateSize - 1] = Mix(s[StateSize - 1], s[0], s[Shift - 1]);
}

WITH_AVX2_VARIANT void LifePercentDraws::Refill() {
    if (next_ == percent_.data() + StateSize) {
        Twist();
        next_ = percent_.data();
    }
    Temper();
    ready_ = percent_.data() + StateSize;
}

WITH_AVX2_VARIANT void LifePercentDraws::Temper() {
    for (int i = 0; i < StateSize; ++i) {
        std::uint32_t y = state_[i];
        y ^= y >> 11;
        y ^= (y << 7) & 0x9d2c5680u;
        y ^= (y << 15) & 0xefc60000u;
        y ^= y >> 18;
        percent_[i] = static_cast<std::uint8_t>((y >> 1) % 100);
    }
}

void LifePercentDraws::Skip(std::int64_t count) {
    const std::int64_t left = percent_.data() + StateSize - next_;
    if (count <= left) {
        next_ += count;
        ready_ = std::max(ready_, next_);
        return;
    }
    count -= left;
    while (count > StateSize) {
        Twist();
        count -= StateSize;
    }
    Twist();
    next_ = percent_.data() + count;
    ready_ = next_;
}

} // namespace model
