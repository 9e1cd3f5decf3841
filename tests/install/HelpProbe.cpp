// Prints where the program finds its user guide when its executable is in the given folder.
// Used by install_test.sh on the installed bin/.

#include "Help.h"

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: help_probe <folder of the executable>\n");
        return 2;
    }
    std::puts(HelpTarget(QString::fromLocal8Bit(argv[1])).toString().toLocal8Bit().constData());
    return 0;
}
