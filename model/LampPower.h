#pragma once

#include <array>
#include <cstdint>

namespace model {

// The lamp powers sold, in watts, smallest first.
inline constexpr std::array<std::int32_t, 9> StandardLampPowers = {12, 24, 35,  40, 50,
                                                                   60, 75, 100, 150};

// A power one watt off a standard power jumps on to the neighbouring standard power in the
// direction it moved, so a field stepped by one walks from standard power to standard power. At
// or below 10 W, and one step beyond either end of the list, the value stays as it is.
std::int32_t SnapLampPower(std::int32_t value);

} // namespace model
