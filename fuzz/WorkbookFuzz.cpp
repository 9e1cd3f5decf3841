// The sheets of a workbook as virasvet-calc reads them: any bytes given as the file, read as an
// .xlsx workbook (fuzz_xlsx) or an OpenDocument spreadsheet (fuzz_ods, built with
// FUZZ_OPEN_DOCUMENT). Only SheetError leaves the reading; rows are numbered within a sheet's
// bounds, none holds more cells than its header (their count past it is only counted), none is
// empty. What was read, written as results in the same format, reads back: the program never
// writes a workbook it (or an office) cannot read.
#include "FuzzCheck.h"
#include "ResultOutput.h"
#include "WorkbookSheet.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string_view>

using fuzz::Require;

namespace {
#ifdef FUZZ_OPEN_DOCUMENT
constexpr sheet::WorkbookFormat Format = sheet::WorkbookFormat::OpenDocument;
constexpr const char* Written = "results.ods";
#else
constexpr sheet::WorkbookFormat Format = sheet::WorkbookFormat::Xlsx;
constexpr const char* Written = "results.xlsx";
#endif

// The rows written back: enough for every shape of cell, few enough to stay fast.
constexpr std::size_t MostWritten = 64;

// A heading as it reads back, line ends aside (XML reads a carriage return as a line feed, an
// .ods cell's lines are paragraphs): U+FFFE and U+FFFF are written as U+FFFD.
std::string AsReadBack(std::string text) {
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    for (std::size_t at = text.find("\xEF\xBF"); at != std::string::npos;
         at = text.find("\xEF\xBF", at + 1)) {
        if (at + 2 < text.size() && (text[at + 2] == '\xBE' || text[at + 2] == '\xBF')) {
            text[at + 2] = '\xBD';
        }
    }
    return text;
}

// Writes the header and rows as results into a folder of the fuzzer's own and reads them back.
void WriteAndReadBack(const std::vector<std::string>& header,
                      const std::vector<sheet::SheetRecord>& records) {
    static const std::string folder = [] {
        char name[] = "/tmp/fuzz-workbook-XXXXXX";
        return std::string(::mkdtemp(name) != nullptr ? name : "/tmp");
    }();
    const std::string file = folder + "/" + Written;
    try {
        const std::unique_ptr<stock::ResultOutput> output =
            Format == sheet::WorkbookFormat::Xlsx
                ? stock::WorkbookResults(QString::fromStdString(file))
                : stock::OdsResults(QString::fromStdString(file));
        output->Header(header);
        for (const sheet::SheetRecord& record : records) {
            output->Row(record.Cells, {});
        }
        output->Finish();
    } catch (const std::runtime_error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        Require(false, "results of what was read are written");
    }
    try {
        const std::unique_ptr<sheet::WorkbookSheet> back = sheet::OpenWorkbook(file, Format);
        std::vector<std::string> expected = header;
        std::vector<std::string> read = back->Header();
        std::transform(expected.begin(), expected.end(), expected.begin(), AsReadBack);
        std::transform(read.begin(), read.end(), read.begin(), AsReadBack);
        Require(sheet::TrimmedHeader(read) == sheet::TrimmedHeader(expected),
                "the header written reads back");
        std::vector<sheet::SheetRecord> rows;
        while (back->ReadRecords(16, rows)) {
        }
        Require(rows.size() <= records.size(), "no more rows read back than written");
    } catch (const sheet::SheetError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        Require(false, "a workbook the program wrote reads back");
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        const std::unique_ptr<sheet::WorkbookSheet> book = sheet::WorkbookFromBytes(bytes, Format);
        Require(std::any_of(book->Header().begin(), book->Header().end(),
                            [](const std::string& cell) { return !cell.empty(); }),
                "the header has a cell that is not empty");
        bool more = true;
        std::vector<sheet::SheetRecord> kept;
        while (more) {
            std::vector<sheet::SheetRecord> records;
            more = book->ReadRecords(16, records);
            for (sheet::SheetRecord& record : records) {
                Require(record.Line >= 1 && record.Repeats >= 1 &&
                            record.Line + record.Repeats - 1 <= 1048576,
                        "a row, repeated or not, is within a sheet");
                Require(record.Cells.size() == book->Header().size(),
                        "a row holds its header's cells");
                Require(sheet::CellCount(record) <= sheet::MostColumns,
                        "a row is no wider than a sheet");
                Require(sheet::CellCount(record) > record.Cells.size() ||
                            !record.Problems.empty() ||
                            std::any_of(record.Cells.begin(), record.Cells.end(),
                                        [](const std::string& cell) { return !cell.empty(); }),
                        "a row has a cell that is not empty");
                if (kept.size() < MostWritten) {
                    kept.push_back(std::move(record));
                }
            }
        }
        WriteAndReadBack(book->Header(), kept);
    } catch (const sheet::SheetError& e) {
        Require(std::string_view(e.what()).size() > 0, "a refused workbook says why");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        Require(false, "reading a workbook raises only SheetError");
    }
    return 0;
}
