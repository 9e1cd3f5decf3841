#pragma once

// What differs between Unix and Windows in opening, syncing and replacing files outside Qt.
// Names are UTF-8, as the programs hold them; errors are errno values (0: none). One side of
// each in FileSystemPosix.cpp, the other in FileSystemWindows.cpp.

#include <cstdio>
#include <filesystem>
#include <string>

namespace report {

// A UTF-8 name as a path of the standard library (a plain std::string would be read in the
// system's legacy code page on Windows).
inline std::filesystem::path PathOf(const std::string& name) {
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

#if defined(_WIN32)
// UTF-8 text as the UTF-16 text of the system's wide functions (…W), names above all.
std::wstring WideText(const std::string& text);
#endif

// std::fopen for a UTF-8 name; null with errno set.
std::FILE* OpenFile(const std::string& name, const char* mode);

// A file for reading and writing in the folder that is gone once closed (or the program ended).
// Null with errno set.
std::FILE* OpenScratchFile(const std::string& folder);

// Sends an open file's data to the disk: some file systems (network ones, quotas) report a full
// disk only then. A file system that cannot sync is no error.
int SyncToDisk(int handle);

// The number of this process, to tell apart the temporary names of two runs.
unsigned long ProcessNumber();

// The permissions a file replacing the target gets: the target's own, or the default ones of a
// new file. (Windows keeps none apart from the folder's.)
unsigned ModeForReplacing(const std::string& target);

// A complete file under a temporary name takes the target's name in one step (replacing what
// is there), with the mode and synced to the disk first. The temporary file is removed if this
// fails.
int PublishNamedFile(const std::string& named, const std::string& target, unsigned mode);

// A file beside its target that a library writes by name; Publish gives it the target's name
// once complete; otherwise it vanishes.
class PendingFile {
public:
    // Raises std::system_error (an errno value) when the folder takes no new file.
    explicit PendingFile(const std::string& target);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // The name the library opens the file by.
    const std::string& Name() const { return name_; }
    // Synced to the disk, with the mode of the file it replaces, under the target's name.
    int Publish();

private:
    std::string target_;
    std::string name_;
    unsigned mode_ = 0;
    int handle_ = -1;
    bool published_ = false;
};

} // namespace report
