#pragma once

#include "NumberFormat.h"
#include "SystemMessage.h"

#include <algorithm>
#include <cstddef>
#include <memory>
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

// The character encoding of a sheet's text.
enum class Encoding {
    Detect,      // UTF-8 when the start of the text is valid UTF-8, else Windows-1251
    Utf8,        // with or without a byte-order mark
    Windows1251, // what office programs on a Russian desktop save as "CSV"
};

// Why a record cannot be read as it stands (a formula saved without its value, bytes that are no
// text): the row is rejected with this message.
struct RecordProblem {
    std::optional<std::size_t> Column; // none: the whole row
    std::string What;
};

struct SheetRecord {
    std::size_t Line = 0; // physical line (from 1) on which the record starts
    // The workbook's sheet the record is on when it is not the first one read (a sheet that
    // continues it under the same header), by name; empty on the first sheet and in a CSV file.
    std::string Sheet;
    // The rows the record stands for: a workbook's row marked as repeated is one record for lines
    // Line to Line + Repeats - 1, so that a row repeated a million times is read and checked once.
    std::size_t Repeats = 1;
    std::vector<std::string> Cells;
    // The record's cell count when it has more than Cells keeps (cells past the header's width
    // are counted, not held), else 0.
    std::size_t Width = 0;
    std::vector<RecordProblem> Problems;
    // The columns, in order, whose cells a workbook stored as numbers: written plainly, with a
    // decimal point, they take the decimal mark of the results they are carried into.
    std::vector<std::size_t> NumberColumns;
};

// The number of cells a record has.
inline std::size_t CellCount(const SheetRecord& record) {
    return std::max(record.Width, record.Cells.size());
}

// The most columns a sheet may have: A to XFD. A wider header is refused.
inline constexpr std::size_t MostColumns = 16384;

// A CSV file as office spreadsheets save it: a header row of column names, then one record a row.
struct Sheet {
    char Delimiter = ',';
    std::vector<std::string> Header;
    std::size_t HeaderLine = 1; // physical line (from 1) of the header: blank lines may come first
    std::vector<SheetRecord> Records;       // rows whose cells are all empty are left out
    Encoding TextEncoding = Encoding::Utf8; // what the text was read as
};

// The longest record a sheet may have, in bytes of its text: a longer one (a stray quote that
// opens a cell to the end of the file, a file that is no sheet) ends the reading, without being
// held whole.
inline constexpr std::size_t LongestRecord = 1 << 20;

// How much of a text decides its encoding when it is detected.
inline constexpr std::size_t EncodingSample = 1 << 16;

// Reads a CSV text piece by piece and gives its records as they are complete, so a file of any
// size is read in the memory of a few records. A leading UTF-8 byte-order mark and blank lines
// before the header are skipped; quoted fields may hold delimiters, doubled quotes and line breaks;
// lines end in LF, CRLF or a lone CR. A text that is not valid UTF-8 is read as Windows-1251
// (unless the encoding is given); one that is not valid UTF-8 where its start was is refused at
// that line. SheetError for an empty text, binary data (control characters), a quote inside an
// unquoted field or after a closing quote, a quoted field left open at the end and a record longer
// than LongestRecord.
class SheetReader {
public:
    explicit SheetReader(Encoding encoding = Encoding::Detect);
    ~SheetReader();
    SheetReader(const SheetReader&) = delete;
    SheetReader& operator=(const SheetReader&) = delete;

    // The next piece of the text, of any size. Throws SheetError.
    void Feed(std::string_view piece);
    // The end of the text. Throws SheetError, also for a text without a header.
    void Finish();

    // Once the header has been read: its cells, line and delimiter.
    bool HasHeader() const;
    const std::vector<std::string>& Header() const;
    std::size_t HeaderLine() const;
    char Delimiter() const;
    // Once decided (after EncodingSample bytes or at the end): the encoding the text is read in.
    std::optional<Encoding> TextEncoding() const;

    // The records read since the last call, in order; the header is not among them.
    std::vector<SheetRecord> TakeRecords();
    std::size_t WaitingRecords() const;

    struct State; // the parser's callbacks reach it

private:
    std::unique_ptr<State> state_;
};

// Why a file is no text sheet, judged by its first bytes (a legacy .xls, a zip workbook given as
// text, a PDF or a picture), in the program's words; none when it may be one.
std::optional<std::string> NotATextSheet(std::string_view firstBytes);

// Whether the first bytes are those of a zip archive (.xlsx and .ods are).
bool IsZipArchive(std::string_view firstBytes);

// Whether the first bytes are those of a compound file: a legacy .xls, or an encrypted .xlsx.
bool IsCompoundFile(std::string_view firstBytes);

// The one-line note of a sheet read in another encoding than UTF-8, or empty.
std::string EncodingNote(Encoding encoding);

// The delimiter of a header line: ';' when the line has one outside quotes, else ','.
char DetectDelimiter(std::string_view headerLine);

// The house field of each column of a header, as an index into model::HouseFields(), the headings
// matched by model::MatchHeading (names and the page's labels); none for a column that is no field.
// A column that is no field is carried: its cells go into the results unchanged; a column without
// a name is neither. A heading near a field's is taken for a misspelt field and is a problem, as is
// a field an earlier column took; problems are listed in column order. A header without any field
// column is a problem too (every column carried: every house would be the start-up one).
struct HeaderProblem {
    std::size_t Column = 0;
    std::optional<std::size_t> RepeatedField;  // none: the name is misspelt
    std::optional<std::size_t> SuggestedField; // the field a misspelt name is close to
    bool NoField = false;                      // no column of the header is a field
};
struct HeaderFields {
    std::vector<std::string> Headings; // as the register writes them
    std::vector<std::optional<std::size_t>> FieldOfColumn;
    std::vector<std::size_t> CarriedColumns; // columns that are no field, in order
    // The column PlanYear ("Год плана"), the office's decision for the capital plan; carried too.
    std::optional<std::size_t> PlanYearColumn;
    std::vector<bool> Nameless; // per column: it has no name
    std::vector<HeaderProblem> Problems;
};
HeaderFields MapHeader(const std::vector<std::string>& header);

// A note when the header has no column for any of the key fields (entrances, floors, tariff):
// every house takes their start-up values, which the note names. Empty when it has one of them.
std::string KeyFieldsNote(const HeaderFields& header);

// How the numbers of a sheet are read: with a decimal comma or point, whatever the delimiter (with
// ',' between cells a decimal comma needs a quoted cell, "2,5").
std::vector<model::NumberLocale> NumberLocalesOf(const Sheet& sheet);
std::vector<model::NumberLocale> NumberLocalesOf(char delimiter);

// One field written for a CSV file: quoted, with quotes doubled, when it needs it.
std::string CsvField(std::string_view text, char delimiter);

// One row of a CSV file, ended by CR LF as spreadsheets write it.
std::string CsvRow(const std::vector<std::string>& cells, char delimiter);

// The messages of a header's problems, as "file:line: column: what is wrong".
std::vector<std::string> HeaderMessages(const Sheet& sheet, const HeaderFields& header,
                                        std::string_view fileName);
std::vector<std::string> HeaderMessages(const std::vector<std::string>& headerCells,
                                        std::size_t headerLine, const HeaderFields& header,
                                        std::string_view fileName);

// A text cell of the results that a spreadsheet would take for a formula (it begins with '=', '+',
// '-', '@', a tab or a carriage return and is no number) with a leading apostrophe, so that it
// shows as text; any other text as it is.
std::string SafeText(std::string_view text);

} // namespace sheet
