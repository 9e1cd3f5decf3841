#include "LampPower.h"

#include <cstddef>

namespace model {

std::int32_t SnapLampPower(std::int32_t value) {
    if (value <= 10) {
        return value;
    }
    const std::size_t last = StandardLampPowers.size() - 1;
    for (std::size_t i = 0; i <= last; ++i) {
        const std::int32_t power = StandardLampPowers[i];
        if (value == power - 1) {
            return i == 0 ? value : StandardLampPowers[i - 1];
        }
        if (value == power + 1) {
            return i == last ? value : StandardLampPowers[i + 1];
        }
    }
    return value;
}

} // namespace model
