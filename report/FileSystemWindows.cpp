// Files on Windows: names in UTF-16, a named temporary file beside the target that replaces it
// in one step once complete (see FileSystem.h).
#include "FileSystem.h"

#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace report {
namespace {

// The system's error as the errno value the program's messages know.
int ErrnoOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_NETWORK_ACCESS_DENIED:
        return EACCES;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return EBUSY;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_TOO_MANY_OPEN_FILES:
        return EMFILE;
    default:
        return EIO;
    }
}

std::string FolderOf(const std::string& target) {
    const std::size_t slash = target.find_last_of("/\\");
    return slash == std::string::npos ? "." : target.substr(0, slash);
}

// Sends a closed file's data to the disk through a handle of its own.
int SyncNamed(const std::wstring& name) {
    const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return ErrnoOf(GetLastError());
    }
    const int reason = FlushFileBuffers(file) ? 0 : ErrnoOf(GetLastError());
    CloseHandle(file);
    return reason;
}

} // namespace

std::wstring WideText(const std::string& text) {
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

std::FILE* OpenFile(const std::string& name, const char* mode) {
    return _wfopen(WideText(name).c_str(), WideText(mode).c_str());
}

std::FILE* OpenScratchFile(const std::string& folder) {
    for (unsigned attempt = 0; attempt <= 100; ++attempt) {
        const std::wstring name =
            WideText(folder + "/~virasvet-" + std::to_string(ProcessNumber()) + "-" +
                     std::to_string(attempt) + ".tmp");
        const int handle =
            _wopen(name.c_str(), _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY | _O_TEMPORARY,
                   _S_IREAD | _S_IWRITE);
        if (handle >= 0) {
            std::FILE* file = _fdopen(handle, "w+b");
            if (file == nullptr) {
                _close(handle);
            }
            return file;
        }
        if (errno != EEXIST) {
            return nullptr;
        }
    }
    return nullptr;
}

int SyncToDisk(int handle) {
    return _commit(handle) == 0 ? 0 : errno;
}

unsigned long ProcessNumber() {
    return GetCurrentProcessId();
}

unsigned ModeForReplacing(const std::string&) {
    return 0;
}

int PublishNamedFile(const std::string& named, const std::string& target, unsigned) {
    const std::wstring from = WideText(named);
    int reason = SyncNamed(from);
    if (reason == 0 && !MoveFileExW(from.c_str(), WideText(target).c_str(),
                                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        reason = ErrnoOf(GetLastError());
    }
    if (reason != 0) {
        DeleteFileW(from.c_str());
    }
    return reason;
}

// Windows has no unnamed files: the file has a name of its own beside the target from the start
// (left behind only if the program is killed while writing it).
PendingFile::PendingFile(const std::string& target) : target_(target) {
    const std::size_t slash = target.find_last_of("/\\") + 1;
    const std::string base = FolderOf(target) + "/." + target.substr(slash) + ".";
    for (unsigned attempt = 0; name_.empty(); ++attempt) {
        const std::string candidate =
            base + std::to_string(ProcessNumber()) + "-" + std::to_string(attempt);
        const HANDLE file = CreateFileW(WideText(candidate).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            name_ = candidate;
        } else if (GetLastError() != ERROR_FILE_EXISTS || attempt > 100) {
            throw std::system_error(ErrnoOf(GetLastError()), std::generic_category());
        }
    }
}

PendingFile::~PendingFile() {
    if (!published_) {
        DeleteFileW(WideText(name_).c_str());
    }
}

int PendingFile::Publish() {
    const int reason = PublishNamedFile(name_, target_, mode_);
    published_ = reason == 0;
    return reason;
}

} // namespace report
