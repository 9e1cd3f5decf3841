// The first sheet of an .xlsx workbook as virasvet-calc reads it: any bytes given as the file.
// Only SheetError leaves the reading; rows come in rising order, none wider than a sheet, none
// empty; a header comes before any row.
#include "FuzzCheck.h"
#include "XlsxSheet.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string_view>

using fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        const std::unique_ptr<sheet::XlsxSheet> book = sheet::XlsxSheet::FromBytes(bytes);
        book->ReadHeader();
        Require(std::any_of(book->Header().begin(), book->Header().end(),
                            [](const std::string& cell) { return !cell.empty(); }),
                "the header has a cell that is not empty");
        std::size_t previous = book->HeaderLine();
        bool more = true;
        while (more) {
            std::vector<sheet::SheetRecord> records;
            more = book->ReadRecords(16, records);
            for (const sheet::SheetRecord& record : records) {
                Require(record.Line > previous, "rows come in rising order after the header");
                Require(record.Cells.size() <= 16384, "a row is no wider than a sheet");
                Require(std::any_of(record.Cells.begin(), record.Cells.end(),
                                    [](const std::string& cell) { return !cell.empty(); }),
                        "a row has a cell that is not empty");
                previous = record.Line;
            }
        }
    } catch (const sheet::SheetError& e) {
        Require(std::string_view(e.what()).size() > 0, "a refused workbook says why");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        Require(false, "reading a workbook raises only SheetError");
    }
    return 0;
}
