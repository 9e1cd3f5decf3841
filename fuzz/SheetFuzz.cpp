// A spreadsheet of houses as virasvet-calc reads it: the raw bytes are parsed, the header is
// mapped to the house fields by name and every record is read as a house. Only SheetError leaves
// the parsing and nothing leaves the reading of a row (a text that is no number is a row error);
// records start on lines that exist, in order, after the header; a house read without errors
// lies within the page's ranges.
#include "FuzzCheck.h"
#include "HouseInput.h"
#include "HouseRows.h"
#include "HouseSheet.h"
#include "PageRanges.h"
#include "WholeSheet.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace {

using fuzz::Require;

// LF, CRLF and a lone CR each end a line.
std::size_t CountLineEnds(std::string_view text) {
    std::size_t ends = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) {
            ++ends;
        }
    }
    return ends;
}

bool HasText(const std::vector<std::string>& cells) {
    return std::any_of(cells.begin(), cells.end(), [](const auto& cell) { return !cell.empty(); });
}

void CheckHouse(const model::ProjectParameters& p) {
    fuzz::RequirePageRanges(p);
    for (const double hours :
         {p.PlannedHoursLanding, p.PlannedHoursBetween, p.PlannedHoursVestibule}) {
        Require(std::isfinite(hours), "planned burn hours, given or estimated, stay finite");
    }
}

// Reads one record through the program's own reading.
void ReadRecord(const sheet::Sheet& sheet, const sheet::SheetRecord& record,
                const sheet::HeaderFields& header) {
    const std::span<const model::HouseField> fields = model::HouseFields();
    const std::vector<model::NumberLocale> locales = sheet::NumberLocalesOf(sheet);
    sheet::HouseRow row;
    try {
        row = sheet::ReadHouseRow(sheet, header, record, "f");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        Require(false, "reading a row raises nothing: its faults are row messages");
    }
    Require(row.House.has_value() == row.Messages.empty(),
            "a row is calculated exactly when it has no message");
    const std::string where = "f:" + std::to_string(record.Line) + ": ";
    for (const std::string& message : row.Messages) {
        Require(message.starts_with(where) && message.size() > where.size(),
                "a row message names the file and line and says what is wrong");
    }
    // A number field whose text no decimal separator of the sheet reads is a row message.
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const model::FieldKind kind = fields[i].Kind;
        if (!row.Texts[i] || kind == model::FieldKind::Text || kind == model::FieldKind::Flag ||
            row.Texts[i]->find_first_not_of(" \t") == std::string_view::npos) {
            continue;
        }
        double ignored = 0;
        const bool number = std::any_of(locales.begin(), locales.end(), [&](const auto& locale) {
            return model::TryParseReal(*row.Texts[i], locale, ignored);
        });
        const std::string column = where + std::string(fields[i].Name) + ": ";
        Require(number || std::any_of(row.Messages.begin(), row.Messages.end(),
                                      [&](const auto& m) { return m.starts_with(column); }),
                "a cell that is no number is reported against its column");
    }
    if (row.House) {
        CheckHouse(*row.House);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    sheet::Sheet sheet;
    try {
        sheet = sheet::ParseSheet(content);
    } catch (const sheet::SheetError& e) {
        Require(std::string_view(e.what()).size() > 0, "a refused sheet says why");
        bool refused = false;
        try {
            sheet::SheetReader reader;
            const std::size_t piece = size == 0 ? 1 : 1 + data[0] % 13;
            for (std::size_t at = 0; at < content.size(); at += piece) {
                reader.Feed(content.substr(at, piece));
            }
            reader.Finish();
        } catch (const sheet::SheetError&) {
            refused = true;
        }
        Require(refused, "a text refused whole is refused in pieces");
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        Require(false, "parsing raises only SheetError");
    }

    // Read piece by piece, as the program reads a file, the text gives the same sheet.
    const std::size_t piece = size == 0 ? 1 : 1 + data[0] % 13;
    try {
        sheet::SheetReader reader;
        std::vector<sheet::SheetRecord> records;
        for (std::size_t at = 0; at < content.size(); at += piece) {
            reader.Feed(content.substr(at, piece));
            for (sheet::SheetRecord& record : reader.TakeRecords()) {
                records.push_back(std::move(record));
            }
        }
        reader.Finish();
        for (sheet::SheetRecord& record : reader.TakeRecords()) {
            records.push_back(std::move(record));
        }
        Require(reader.Header() == sheet.Header && reader.HeaderLine() == sheet.HeaderLine &&
                    reader.Delimiter() == sheet.Delimiter,
                "the header read in pieces is the header read whole");
        Require(records.size() == sheet.Records.size(), "as many records in pieces as whole");
        for (std::size_t i = 0; i < records.size(); ++i) {
            Require(records[i].Line == sheet.Records[i].Line &&
                        records[i].Cells == sheet.Records[i].Cells,
                    "each record read in pieces is the record read whole");
        }
    } catch (const sheet::SheetError&) {
        Require(false, "a text read whole is read in pieces too");
    }

    const std::size_t lines = CountLineEnds(content) + 1;
    Require(sheet.Delimiter == ';' || sheet.Delimiter == ',', "the delimiter is ';' or ','");
    Require(HasText(sheet.Header), "the header has a column name");
    Require(sheet.HeaderLine >= 1 && sheet.HeaderLine <= lines,
            "the header is on a line of the text");
    std::size_t previous = sheet.HeaderLine;
    for (const sheet::SheetRecord& record : sheet.Records) {
        Require(record.Line >= 1 && record.Line <= lines, "a record starts on a line of the text");
        Require(record.Line >= previous, "records come after the header, in line order");
        Require(HasText(record.Cells) || record.Width > 0 || !record.Problems.empty(),
                "a record has a cell that is not empty, or is rejected for what spoilt it");
        previous = record.Line;
    }

    // The program reads no record of a sheet with an unknown or repeated column.
    const sheet::HeaderFields header = sheet::MapHeader(sheet.Header);
    if (header.Problems.empty()) {
        for (const sheet::SheetRecord& record : sheet.Records) {
            ReadRecord(sheet, record, header);
        }
    }
    return 0;
}
