#pragma once

#include "HouseSheet.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sheet {

// The houses of an OpenDocument spreadsheet (.ods), read row by row as XlsxSheet reads a
// workbook: the first visible sheet, then every later visible sheet with the same header. Cells
// hold text as written, numbers with a decimal point, percentages as shown ("5%"), dates as
// "05.01.2024", true and false as 1 and 0; a formula saved without a value is a problem of its
// record; rows and cells the file marks as repeated are read as often as they repeat (a sheet
// holds at most 1,048,576 rows). Throws SheetError for a file that is not such a spreadsheet.
class OdsSheet {
public:
    explicit OdsSheet(const std::string& fileName);
    // A spreadsheet held in memory, for tests and fuzzing.
    static std::unique_ptr<OdsSheet> FromBytes(std::string_view bytes);
    ~OdsSheet();
    OdsSheet(const OdsSheet&) = delete;
    OdsSheet& operator=(const OdsSheet&) = delete;

    // Adds the next records, at least `wanted` unless the sheets end first; false once they have.
    bool ReadRecords(std::size_t wanted, std::vector<SheetRecord>& records);

    const std::vector<std::string>& Header() const;
    std::size_t HeaderLine() const;
    std::uint64_t BytesRead() const;
    // The sheets not read and why (hidden, another header), or empty.
    std::string Note() const;

    struct State;

private:
    OdsSheet();
    std::unique_ptr<State> state_;
};

} // namespace sheet
