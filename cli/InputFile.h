#pragma once

#include <string>

namespace cli {

// Reads a whole input file, "-" standard input. On failure returns false with the reason.
bool ReadWholeFile(const std::string& name, std::string& content, std::string& error);

} // namespace cli
