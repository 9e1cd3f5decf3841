// The process's signals and standard error on POSIX systems.
#include "ProcessSignals.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iterator>
#include <mutex>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace stock {
namespace {

// What a signal handler may touch: the signal state is the process's, so these are too.
volatile std::sig_atomic_t deferredSignal = 0;
std::mutex sectionLock;
int sections = 0; // DeferredStops alive
constexpr int Stops[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction previous[std::size(Stops)];

extern "C" void HoldStop(int signal) {
    deferredSignal = signal;
}

} // namespace

bool ProcessGone(unsigned long number) {
    const auto process = static_cast<pid_t>(number);
    return process > 0 && ::kill(process, 0) != 0 && errno == ESRCH;
}

void FailOversizeWrites() {
    std::signal(SIGXFSZ, SIG_IGN);
}

DeferredStops::DeferredStops() {
    const std::lock_guard lock(sectionLock);
    if (sections++ > 0) {
        return;
    }
    struct sigaction hold {};
    hold.sa_handler = HoldStop;
    sigemptyset(&hold.sa_mask);
    for (std::size_t i = 0; i < std::size(Stops); ++i) {
        sigaction(Stops[i], &hold, &previous[i]);
    }
}

DeferredStops::~DeferredStops() {
    const std::lock_guard lock(sectionLock);
    if (--sections > 0) {
        return;
    }
    for (std::size_t i = 0; i < std::size(Stops); ++i) {
        sigaction(Stops[i], &previous[i], nullptr);
    }
    if (const int signal = deferredSignal; signal != 0) {
        deferredSignal = 0;
        std::raise(signal); // as it would have been handled without the wait
    }
}

QuietStandardError::QuietStandardError() {
    std::fflush(stderr);
    saved_ = ::dup(STDERR_FILENO);
    const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved_ >= 0 && nowhere >= 0) {
        ::dup2(nowhere, STDERR_FILENO);
    }
    if (nowhere >= 0) {
        ::close(nowhere);
    }
}

QuietStandardError::~QuietStandardError() {
    std::fflush(stderr);
    if (saved_ >= 0) {
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
    }
}

} // namespace stock
