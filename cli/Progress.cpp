#include "Progress.h"

#include "Console.h"

#include <algorithm>
#include <cstdio>

namespace cli {

double HousesShare(const ProgressCounts& counts) {
    if (counts.TotalBytes == 0 || counts.BytesRead == 0) {
        return 0;
    }
    const double rows = static_cast<double>(counts.RowsRead);
    const double total = std::max(rows, rows * static_cast<double>(counts.TotalBytes) /
                                            static_cast<double>(counts.BytesRead));
    return total > 0 ? std::min(1.0, static_cast<double>(counts.HousesDone) / total) : 0;
}

std::string ProgressText(const ProgressCounts& counts, double seconds) {
    const double rate = seconds > 0 ? static_cast<double>(counts.HousesDone) / seconds : 0;
    char text[160];
    if (counts.TotalBytes == 0) {
        std::snprintf(text, sizeof text, "прочитано %.1f МБ, посчитано домов: %zu, %.0f домов/с",
                      static_cast<double>(counts.BytesRead) / (1 << 20), counts.HousesDone, rate);
        return text;
    }
    const double share = HousesShare(counts);
    int length =
        std::snprintf(text, sizeof text, "готово %.0f%%, посчитано домов: %zu, %.0f домов/с",
                      share * 100, counts.HousesDone, rate);
    if (share > 0 && length > 0) {
        std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length),
                      ", осталось %.0f с", seconds * (1 - share) / share);
    }
    return text;
}

Progress::Progress(std::uint64_t totalBytes)
    : totalBytes_(totalBytes), shown_(false), start_(std::chrono::steady_clock::now()),
      terminal_(ErrorIsTerminal()) {}

void Progress::Update(std::uint64_t bytesRead, std::size_t rowsRead, std::size_t housesDone) {
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    if (!terminal_ || seconds < 1) {
        return;
    }
    const std::string text = ProgressText({bytesRead, totalBytes_, rowsRead, housesDone}, seconds);
    std::fprintf(stderr, "\r%s\033[K", text.c_str());
    std::fflush(stderr);
    shown_ = true;
}

void Progress::Clear() {
    if (shown_) {
        std::fprintf(stderr, "\r\033[K");
        std::fflush(stderr);
        shown_ = false;
    }
}

Progress::~Progress() {
    Clear();
}

} // namespace cli
