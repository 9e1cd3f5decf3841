#pragma once

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

// A broken promise of the code under test: names it and aborts, so that the fuzzer keeps the input
// that broke it.
inline void Require(bool holds, const char* promise) {
    if (!holds) {
        std::fprintf(stderr, "Broken: %s\n", promise);
        std::abort();
    }
}

// Bit for bit equality, which also holds between two identical not-a-numbers.
inline bool SameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

} // namespace fuzz
