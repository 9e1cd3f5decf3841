#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace cli {

// Shows how much of the inputs has been read, the houses calculated, houses a second and the time
// left on a terminal, once the run has taken more than a second; clears the line at the end.
class Progress {
public:
    // totalBytes: the size of the inputs, 0 when unknown (standard input).
    explicit Progress(std::uint64_t totalBytes);

    void Update(std::uint64_t bytesRead, std::size_t housesDone);
    // Clears the line, for a message to be shown; the next update shows it again.
    void Clear();
    ~Progress();

private:
    std::uint64_t totalBytes_;
    bool shown_;
    std::chrono::steady_clock::time_point start_;
    bool terminal_;
};

} // namespace cli
