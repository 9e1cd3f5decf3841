#pragma once

#include "HouseSheet.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sheet {

// The houses of an .xlsx workbook, read row by row: the first visible sheet, then every later
// visible sheet whose header is the same (a continuation, as virasvet-calc writes a million rows
// and more). A sheet's first row that is not empty is its header, each later one a record whose
// Line is the row's number. Cells hold text as written, numbers as the workbook stores them (a
// decimal point) or as they are shown when formatted as a percent ("5%") or a date
// ("05.01.2024"), true and false as 1 and 0; a formula cell holds its saved value, and one saved
// without a value is a problem of its record. A record has the header's number of cells, unless
// it holds a value past the header (its Width says how many). Throws SheetError for a file that
// is not such a workbook.
class XlsxSheet {
public:
    explicit XlsxSheet(const std::string& fileName);
    // A workbook held in memory, for tests and fuzzing.
    static std::unique_ptr<XlsxSheet> FromBytes(std::string_view bytes);
    ~XlsxSheet();
    XlsxSheet(const XlsxSheet&) = delete;
    XlsxSheet& operator=(const XlsxSheet&) = delete;

    void ReadHeader();
    // Adds the next records, at least `wanted` unless the sheets end first; false once they have.
    bool ReadRecords(std::size_t wanted, std::vector<SheetRecord>& records);

    const std::vector<std::string>& Header() const;
    std::size_t HeaderLine() const;
    std::uint64_t BytesRead() const;
    // The sheets not read and why (hidden, another header), or empty.
    std::string Note() const;

    struct State;

private:
    XlsxSheet();
    std::unique_ptr<State> state_;
};

} // namespace sheet
