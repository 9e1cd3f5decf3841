// Windows sends a console program no POSIX signals: the guards do nothing, and a stale temporary
// file is not told from one in use.
#include "ProcessSignals.h"

namespace stock {

bool ProcessGone(unsigned long) {
    return false;
}

void FailOversizeWrites() {}
DeferredStops::DeferredStops() = default;
DeferredStops::~DeferredStops() = default;
QuietStandardError::QuietStandardError() = default;
QuietStandardError::~QuietStandardError() = default;

} // namespace stock
