#pragma once

// The process's signals, in one place: what the system does to a program that writes too much or
// is told to stop while a file is being put in place. POSIX only; another system has none of
// these signals.

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

// The name of a temporary file of this program beside `target` (a hidden name, the program's and
// the process's marks, then `suffix`), and the removal of those a program killed outright left in
// `folder` (their process gone).
std::string TemporaryNameBeside(const std::string& folder, const std::string& target,
                                const std::string& suffix);
void RemoveStaleTemporaries(const std::string& folder);

} // namespace stock
