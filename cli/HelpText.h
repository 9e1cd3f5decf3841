#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cli {

// The part of --help after the options: every column with its unit, range and default, how row
// values are taken, the result columns and the exit statuses.
// The columns as a table: name, then the field's label, unit, range and default.
std::string ColumnsHelp();

// The text with every line longer than `width` characters broken at blanks; the next lines of an
// indented "name  text" row start under its text.
std::string WrapText(std::string_view text, std::size_t width);

// The width --help is wrapped to: the terminal's (COLUMNS, else the terminal's own), 80 when the
// output is not a terminal (a pipe, as help2man reads it).
std::size_t HelpWidth();

} // namespace cli
