#include "Progress.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace cli {

Progress::Progress(std::uint64_t totalBytes)
    : totalBytes_(totalBytes), shown_(false), start_(std::chrono::steady_clock::now()),
      terminal_(isatty(STDERR_FILENO) != 0) {}

void Progress::Update(std::uint64_t bytesRead, std::size_t housesDone) {
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    if (!terminal_ || seconds < 1) {
        return;
    }
    const double rate = static_cast<double>(housesDone) / seconds;
    if (totalBytes_ > 0) {
        const double part =
            std::min(1.0, static_cast<double>(bytesRead) / static_cast<double>(totalBytes_));
        const double left = part > 0 ? seconds * (1 - part) / part : 0;
        std::fprintf(
            stderr, "\rпрочитано %.0f%%, посчитано домов: %zu, %.0f домов/с, осталось %.0f с\033[K",
            part * 100, housesDone, rate, left);
    } else {
        std::fprintf(stderr, "\rпрочитано %.1f МБ, посчитано домов: %zu, %.0f домов/с\033[K",
                     static_cast<double>(bytesRead) / (1 << 20), housesDone, rate);
    }
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
