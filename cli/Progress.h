#pragma once

#include <chrono>
#include <cstddef>

namespace cli {

// Shows done/total, houses a second and the time left on a terminal, once the run has taken more
// than a second; clears the line at the end.
class Progress {
public:
    explicit Progress(std::size_t total);

    void Update(std::size_t done);
    ~Progress();

private:
    std::size_t total_;
    bool shown_;
    std::chrono::steady_clock::time_point start_;
    bool terminal_;
};

} // namespace cli
