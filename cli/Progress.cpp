#include "Progress.h"

#include <unistd.h>

#include <cstdio>

namespace cli {

Progress::Progress(std::size_t total)
    : total_(total), shown_(false), start_(std::chrono::steady_clock::now()),
      terminal_(isatty(STDERR_FILENO) != 0) {}

void Progress::Update(std::size_t done) {
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    if (!terminal_ || seconds < 1) {
        return;
    }
    const double rate = static_cast<double>(done) / seconds;
    const double left = rate > 0 ? static_cast<double>(total_ - done) / rate : 0;
    std::fprintf(stderr, "\r%zu/%zu домов, %.0f домов/с, осталось %.0f с\033[K", done, total_, rate,
                 left);
    std::fflush(stderr);
    shown_ = true;
}

Progress::~Progress() {
    if (shown_) {
        std::fprintf(stderr, "\r\033[K");
        std::fflush(stderr);
    }
}

} // namespace cli
