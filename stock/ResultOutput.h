#pragma once

#include <QString>

#include <memory>
#include <string>
#include <vector>

namespace stock {

// Where the rows of results go, row after row as they are ready: CSV to standard output or to a
// file, or an .xlsx workbook. A file is written atomically: it takes its name only at Finish, so a
// run that fails leaves an existing file whole. Failures throw std::runtime_error with the message.
class ResultOutput {
public:
    virtual ~ResultOutput() = default;
    // The first sheet, "Результаты", and its header row.
    virtual void Header(const std::vector<std::string>& names) { Sheet("Результаты", names); }
    // A sheet of this name and its header row: the first one, or the next one of a workbook (CSV
    // holds one sheet: a second raises std::logic_error).
    virtual void Sheet(const std::string& name, const std::vector<std::string>& names) = 0;
    // numbers[i]: cell i holds a number with a decimal point (or comma, in CSV), written as a
    // number; the others are text. A workbook writes as text a cell that does not read whole as a
    // number, so no digit is lost.
    virtual void Row(const std::vector<std::string>& cells, const std::vector<bool>& numbers) = 0;
    // What is written so far goes out (standard output flows as the run goes).
    virtual void Flush() = 0;
    virtual void Finish() = 0;
};

struct CsvOptions {
    char Delimiter = ';';
    bool ByteOrderMark = true; // what Excel needs to read UTF-8
};

// CSV results: to standard output when the file name is empty. Text cells that a spreadsheet would
// take for formulas get a leading apostrophe (sheet::SafeText).
std::unique_ptr<ResultOutput> CsvResults(const QString& fileName, const CsvOptions& options);

// An .xlsx workbook of one sheet: numbers as numbers, a bold frozen header, columns as wide as
// their names. Written in the library's constant-memory mode.
std::unique_ptr<ResultOutput> WorkbookResults(const QString& fileName);

// An OpenDocument spreadsheet (.ods) of one sheet a million rows: numbers as numbers.
std::unique_ptr<ResultOutput> OdsResults(const QString& fileName);

// What a results file is written as, by its extension: CSV (none, .csv, .txt), .xlsx or .ods.
// Throws std::runtime_error for another extension (.xls, .pdf), which nothing here writes.
enum class ResultKind { Csv, Workbook, OpenDocument };
ResultKind ResultKindOf(const QString& fileName);

// Refuses a name that exists and is neither a regular file nor a folder (a device, a pipe, a
// socket, or a link to one): a file put in its place would replace it.
void CheckOutputName(const QString& fileName);

// Writes text to standard output whole; throws std::runtime_error when it cannot.
void WriteStandardOutput(std::string_view text);

// Writes text to a file atomically; throws std::runtime_error naming the file and the reason.
void WriteTextFile(const QString& fileName, std::string_view text);

} // namespace stock
