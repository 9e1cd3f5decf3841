#include "ProcessSignals.h"

#include "FileSystem.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string_view>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#endif

namespace stock {
namespace {

constexpr std::string_view Mark = ".virasvet-";

#ifndef _WIN32
// What a signal handler may touch: the signal state is the process's, so these are too.
volatile std::sig_atomic_t deferredSignal = 0;
std::mutex sectionLock;
int sections = 0; // DeferredStops alive
constexpr int Stops[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction previous[std::size(Stops)];

extern "C" void HoldStop(int signal) {
    deferredSignal = signal;
}

// Whether no process of this number runs (another's that took the number counts as running).
bool ProcessGone(unsigned long number) {
    const auto process = static_cast<pid_t>(number);
    return process > 0 && ::kill(process, 0) != 0 && errno == ESRCH;
}
#else
bool ProcessGone(unsigned long) {
    return false;
}
#endif

} // namespace

#ifndef _WIN32
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
#else
void FailOversizeWrites() {}
DeferredStops::DeferredStops() = default;
DeferredStops::~DeferredStops() = default;
QuietStandardError::QuietStandardError() = default;
QuietStandardError::~QuietStandardError() = default;
#endif

std::string TemporaryNameBeside(const std::string& folder, const std::string& target,
                                const std::string& suffix) {
    return folder + "/." + target + std::string(Mark) + std::to_string(report::ProcessNumber()) +
           suffix;
}

void RemoveStaleTemporaries(const std::string& folder) {
    std::error_code code;
    for (const auto& entry : std::filesystem::directory_iterator(report::PathOf(folder), code)) {
        const std::string name = entry.path().filename().string();
        const std::size_t mark = name.find(Mark);
        if (name.empty() || name.front() != '.' || mark == std::string::npos) {
            continue;
        }
        const char* const digits = name.data() + mark + Mark.size();
        unsigned long process = 0;
        const std::from_chars_result read =
            std::from_chars(digits, name.data() + name.size(), process);
        if (read.ec == std::errc() && read.ptr != digits && ProcessGone(process)) {
            std::filesystem::remove(entry.path(), code);
        }
    }
}

} // namespace stock
