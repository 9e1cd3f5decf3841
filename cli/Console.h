#pragma once

// What differs between Unix and Windows at the program's terminal and standard streams: one side
// in ConsolePosix.cpp, the other in ConsoleWindows.cpp.

#include <cstddef>
#include <string>

namespace cli {

// Makes the standard streams carry the program's bytes as they are, UTF-8 text and results
// alike: on Windows no CR is added before LF, reading does not stop at Ctrl+Z, and the console
// shows UTF-8 until the program ends. Nothing to do on Unix.
void PrepareStandardStreams();

bool OutputIsTerminal();
bool ErrorIsTerminal();

// The width of the terminal standard output shows in, in columns; 0 when unknown.
std::size_t TerminalColumns();

// Whether standard input is redirected from the file of that name (UTF-8).
bool StandardInputIs(const std::string& name);

} // namespace cli
