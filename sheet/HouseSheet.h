#pragma once

#include "NumberFormat.h"

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sheet {

// A spreadsheet that cannot be read at all; the message says why.
class SheetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct SheetRecord {
    std::size_t Line = 0; // physical line (from 1) on which the record starts
    std::vector<std::string> Cells;
};

// A CSV file as office spreadsheets save it: a header row of column names, then one record a row.
struct Sheet {
    char Delimiter = ',';
    std::vector<std::string> Header;
    std::size_t HeaderLine = 1; // physical line (from 1) of the header: blank lines may come first
    std::vector<SheetRecord> Records; // rows whose cells are all empty are left out
};

// The delimiter of a header line: ';' when the line has one outside quotes, else ','.
char DetectDelimiter(std::string_view headerLine);

// Parses the whole text of a file. A leading UTF-8 byte-order mark and blank lines before the
// header are skipped; quoted fields may hold delimiters, doubled quotes and line breaks; lines end
// in LF, CRLF or a lone CR. Throws SheetError for an empty file, text that is not UTF-8 (binary
// data), a quote inside an unquoted field or after a closing quote, and a quoted field left open at
// the end.
Sheet ParseSheet(std::string_view content);

// The house field of each column of a header, as an index into model::HouseFields(), the names
// matched without regard to ASCII case; none for a column without a name. A column whose name is
// no field, or a field an earlier column took, is a problem, listed in column order.
struct HeaderProblem {
    std::size_t Column = 0;
    std::optional<std::size_t> RepeatedField; // none: the name is no field
};
struct HeaderFields {
    std::vector<std::optional<std::size_t>> FieldOfColumn;
    std::vector<HeaderProblem> Problems;
};
HeaderFields MapHeader(const std::vector<std::string>& header);

// How the numbers of a sheet are read: with ';' between cells a decimal comma or point, with ','
// only a point.
std::vector<model::NumberLocale> NumberLocalesOf(const Sheet& sheet);

// One field written for a CSV file: quoted, with quotes doubled, when it needs it.
std::string CsvField(std::string_view text, char delimiter);

// One row of a CSV file, ended by CR LF as spreadsheets write it.
std::string CsvRow(const std::vector<std::string>& cells, char delimiter);

// The messages of a header's problems, as "file:line: column: what is wrong".
std::vector<std::string> HeaderMessages(const Sheet& sheet, const HeaderFields& header,
                                        std::string_view fileName);

} // namespace sheet
