// The sheets of a workbook as virasvet-calc reads them: any bytes given as the file, read as an
// .xlsx workbook (fuzz_xlsx) or an OpenDocument spreadsheet (fuzz_ods, built with
// FUZZ_OPEN_DOCUMENT). Only SheetError leaves the reading; rows are numbered within a sheet's
// bounds, none holds more cells than its header (their count past it is only counted), none is
// empty.
#include "FuzzCheck.h"
#include "WorkbookSheet.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string_view>

using fuzz::Require;

namespace {
#ifdef FUZZ_OPEN_DOCUMENT
constexpr sheet::WorkbookFormat Format = sheet::WorkbookFormat::OpenDocument;
#else
constexpr sheet::WorkbookFormat Format = sheet::WorkbookFormat::Xlsx;
#endif
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        const std::unique_ptr<sheet::WorkbookSheet> book = sheet::WorkbookFromBytes(bytes, Format);
        Require(std::any_of(book->Header().begin(), book->Header().end(),
                            [](const std::string& cell) { return !cell.empty(); }),
                "the header has a cell that is not empty");
        bool more = true;
        while (more) {
            std::vector<sheet::SheetRecord> records;
            more = book->ReadRecords(16, records);
            for (const sheet::SheetRecord& record : records) {
                Require(record.Line >= 1 && record.Line <= 1048576, "a row is within a sheet");
                Require(record.Cells.size() == book->Header().size(),
                        "a row holds its header's cells");
                Require(sheet::CellCount(record) <= sheet::MostColumns,
                        "a row is no wider than a sheet");
                Require(sheet::CellCount(record) > record.Cells.size() ||
                            !record.Problems.empty() ||
                            std::any_of(record.Cells.begin(), record.Cells.end(),
                                        [](const std::string& cell) { return !cell.empty(); }),
                        "a row has a cell that is not empty");
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
