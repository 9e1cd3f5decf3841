#pragma once

#include <string>

namespace cli {

// The part of --help after the options: every column with its unit, range and default, how row
// values are taken, the result columns and the exit statuses.
std::string ColumnsHelp();

} // namespace cli
