#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace cli {

// The counters of a run at one moment, as the batch run gives them.
struct ProgressCounts {
    std::uint64_t BytesRead = 0;
    std::uint64_t TotalBytes = 0; // 0 when unknown (standard input)
    std::size_t RowsRead = 0;
    std::size_t HousesDone = 0; // rows checked and calculated
};

// The share of the houses done, 0..1: the houses calculated out of the rows the inputs hold, which
// are estimated from the rows read in the bytes read (reading runs a block or two ahead of the
// calculation, so the bytes read alone would say "done" too soon). None when the size is unknown.
double HousesShare(const ProgressCounts& counts);

// The progress line's text after `seconds` (s) of the run: the share, the houses calculated, houses
// a second and the seconds left; the megabytes read instead of the share when the size is unknown.
std::string ProgressText(const ProgressCounts& counts, double seconds);

// Shows the progress line on a terminal once the run has taken more than a second; clears the
// line at the end.
class Progress {
public:
    // totalBytes: the size of the inputs, 0 when unknown (standard input).
    explicit Progress(std::uint64_t totalBytes);

    void Update(std::uint64_t bytesRead, std::size_t rowsRead, std::size_t housesDone);
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
