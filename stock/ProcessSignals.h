#pragma once

// What the system does to the process, in one place: its signals when it writes too much or is
// told to stop while a file is being put in place, its standard error while a library talks, and
// the temporary files a process killed outright left. Signals are POSIX: on Windows the guards
// do nothing (ProcessSignalsPosix.cpp, ProcessSignalsWindows.cpp).

#include <string>

namespace stock {

// A write past the process's file-size limit (ulimit -f) fails with its error, reported as any
// failed write, instead of ending the program by the system's signal. Called once at start.
void FailOversizeWrites();

// While one lives, a request to stop (SIGINT, SIGTERM, SIGHUP) waits: a file being packed and
// renamed is finished or removed first, then the request takes effect. Outside, such a request
// ends the program as it would without.
class DeferredStops {
public:
    DeferredStops();
    ~DeferredStops();
    DeferredStops(const DeferredStops&) = delete;
    DeferredStops& operator=(const DeferredStops&) = delete;
};

// While one lives, what is written to standard error goes nowhere: a library's own messages
// (English lines on a full disk) do not reach the user, its failures do as the program's.
class QuietStandardError {
public:
    QuietStandardError();
    ~QuietStandardError();
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

private:
    int saved_ = -1;
};

// The name of a temporary file of this program beside `target` in `folder` (a hidden name, the
// program's and the process's marks, then `suffix`), and the removal of those that a program
// killed outright left in `folder` (their process gone).
std::string TemporaryNameBeside(const std::string& folder, const std::string& target,
                                const std::string& suffix);
void RemoveStaleTemporaries(const std::string& folder);

// Whether no process of this number runs (another's that took the number counts as running).
bool ProcessGone(unsigned long number);

} // namespace stock
