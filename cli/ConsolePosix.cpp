#include "Console.h"

#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cli {

void PrepareStandardStreams() {}

bool OutputIsTerminal() {
    return isatty(STDOUT_FILENO) != 0;
}

bool ErrorIsTerminal() {
    return isatty(STDERR_FILENO) != 0;
}

std::size_t TerminalColumns() {
    winsize size{};
    return ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

bool StandardInputIs(const std::string& name) {
    struct stat in {};
    struct stat out {};
    return ::fstat(STDIN_FILENO, &in) == 0 && S_ISREG(in.st_mode) &&
           ::stat(name.c_str(), &out) == 0 && in.st_dev == out.st_dev && in.st_ino == out.st_ino;
}

} // namespace cli
