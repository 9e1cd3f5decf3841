#include "ProcessSignals.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <filesystem>
#include <mutex>
#include <string_view>

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

constexpr std::string_view Mark = ".virasvet-";

} // namespace

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

std::string TemporaryNameBeside(const std::string& folder, const std::string& target,
                                const std::string& suffix) {
    return folder + "/." + target + std::string(Mark) + std::to_string(::getpid()) + suffix;
}

void RemoveStaleTemporaries(const std::string& folder) {
    std::error_code code;
    for (const auto& entry : std::filesystem::directory_iterator(folder, code)) {
        const std::string name = entry.path().filename().string();
        const std::size_t mark = name.find(Mark);
        if (name.front() != '.' || mark == std::string::npos) {
            continue;
        }
        const char* const digits = name.data() + mark + Mark.size();
        pid_t process = 0;
        const std::from_chars_result read =
            std::from_chars(digits, name.data() + name.size(), process);
        // Gone: no process of that number (another's that took it is left alone).
        if (read.ec == std::errc() && read.ptr != digits && process > 0 &&
            ::kill(process, 0) != 0 && errno == ESRCH) {
            std::filesystem::remove(entry.path(), code);
        }
    }
}

} // namespace stock
