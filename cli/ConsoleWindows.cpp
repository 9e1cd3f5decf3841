#include "Console.h"

#include "FileSystem.h"

#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace cli {
namespace {

UINT consoleCodePage = 0;

void RestoreConsoleCodePage() {
    SetConsoleOutputCP(consoleCodePage);
}

bool IsConsole(DWORD stream) {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(stream), &mode) != 0;
}

} // namespace

void PrepareStandardStreams() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // The console's code page is the console's, shared with the shell: given back at the end.
    consoleCodePage = GetConsoleOutputCP();
    if (consoleCodePage != 0 && consoleCodePage != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) {
        std::atexit(RestoreConsoleCodePage);
    }
}

bool OutputIsTerminal() {
    return IsConsole(STD_OUTPUT_HANDLE);
}

bool ErrorIsTerminal() {
    return IsConsole(STD_ERROR_HANDLE);
}

std::size_t TerminalColumns() {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info)) {
        return 0;
    }
    const int columns = info.srWindow.Right - info.srWindow.Left + 1;
    return columns > 0 ? static_cast<std::size_t>(columns) : 0;
}

// The same file: the same volume and the same index on it. A file system that gives no index
// (Wine's gives zero) tells nothing.
bool StandardInputIs(const std::string& name) {
    const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    BY_HANDLE_FILE_INFORMATION inInfo{};
    if (GetFileType(in) != FILE_TYPE_DISK || !GetFileInformationByHandle(in, &inInfo) ||
        (inInfo.nFileIndexHigh == 0 && inInfo.nFileIndexLow == 0)) {
        return false;
    }
    const HANDLE file = CreateFileW(report::WideText(name).c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION fileInfo{};
    const bool same = GetFileInformationByHandle(file, &fileInfo) &&
                      fileInfo.dwVolumeSerialNumber == inInfo.dwVolumeSerialNumber &&
                      fileInfo.nFileIndexHigh == inInfo.nFileIndexHigh &&
                      fileInfo.nFileIndexLow == inInfo.nFileIndexLow;
    CloseHandle(file);
    return same;
}

} // namespace cli
