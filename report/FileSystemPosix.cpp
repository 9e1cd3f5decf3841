// Files on Unix: an unnamed file beside the target, named once complete (see FileSystem.h).
#include "FileSystem.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace report {
namespace {

std::string FolderOf(const std::string& target) {
    const std::size_t slash = target.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
}

} // namespace

std::FILE* OpenFile(const std::string& name, const char* mode) {
    return std::fopen(name.c_str(), mode);
}

std::FILE* OpenScratchFile(const std::string& folder) {
    const int handle = ::open(folder.c_str(), O_TMPFILE | O_RDWR, 0600);
    if (handle < 0) {
        return nullptr;
    }
    std::FILE* file = ::fdopen(handle, "w+b");
    if (file == nullptr) {
        const int reason = errno;
        ::close(handle);
        errno = reason;
    }
    return file;
}

int SyncToDisk(int handle) {
    return ::fsync(handle) != 0 && errno != EINVAL ? errno
                                                   : 0; // EINVAL: a file system that cannot sync
}

unsigned long ProcessNumber() {
    return static_cast<unsigned long>(::getpid());
}

unsigned ModeForReplacing(const std::string& target) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat old {};
    return ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : (0666 & ~mask);
}

int PublishNamedFile(const std::string& named, const std::string& target, unsigned mode) {
    const int handle = ::open(named.c_str(), O_RDONLY);
    int reason = handle < 0 ? errno : ::fchmod(handle, mode) != 0 ? errno : SyncToDisk(handle);
    if (handle >= 0) {
        ::close(handle);
    }
    if (reason == 0 && std::rename(named.c_str(), target.c_str()) != 0) {
        reason = errno;
    }
    if (reason != 0) {
        ::unlink(named.c_str());
    }
    return reason;
}

// Written by the library through /proc, the file has no name until it is complete: nothing is
// left behind, whatever stops the program.
PendingFile::PendingFile(const std::string& target)
    : target_(target), mode_(ModeForReplacing(target)) {
    handle_ = ::open(FolderOf(target).c_str(), O_TMPFILE | O_RDWR, 0600);
    if (handle_ < 0) {
        throw std::system_error(errno, std::generic_category());
    }
    name_ = "/proc/self/fd/" + std::to_string(handle_);
}

PendingFile::~PendingFile() {
    ::close(handle_);
}

int PendingFile::Publish() {
    if (const int reason = SyncToDisk(handle_)) {
        return reason;
    }
    if (::fchmod(handle_, mode_) != 0) {
        return errno;
    }
    // A name of its own beside the target, then the target's name in one step.
    const std::size_t slash = target_.rfind('/') + 1;
    const std::string base = target_.substr(0, slash) + "." + target_.substr(slash);
    std::string named;
    for (unsigned attempt = 0; named.empty(); ++attempt) {
        const std::string candidate =
            base + "." + std::to_string(ProcessNumber()) + "-" + std::to_string(attempt);
        if (::linkat(AT_FDCWD, name_.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW) ==
            0) {
            named = candidate;
        } else if (errno != EEXIST || attempt > 100) {
            return errno;
        }
    }
    if (std::rename(named.c_str(), target_.c_str()) != 0) {
        const int reason = errno;
        ::unlink(named.c_str());
        return reason;
    }
    published_ = true;
    return 0;
}

} // namespace report
