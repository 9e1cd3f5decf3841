#pragma once

#include "HouseSheet.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sheet {

// How far a reading is, for a display on another thread: the bytes of the file behind the part
// being read, the furthest so far (finding a workbook's header may take the whole file).
using ReadingProgress = std::atomic<std::uint64_t>;

// The work of reading a workbook: its steps (XML tokens read, entries looked up), which tests
// compare with the file's size, the flag that stops it and where it shows how far it is.
struct ReadingWork {
    std::uint64_t Steps = 0;
    const std::atomic<bool>* Stop = nullptr; // set: the reading ends at its next piece
    ReadingProgress* Progress = nullptr;
};

// What a stopped reading throws (SheetError's message).
inline constexpr const char* ReadingStopped = "чтение остановлено";

// The houses of an office workbook, read row by row: the first visible sheet, then every later
// visible sheet whose header is the same (a continuation, as virasvet-calc writes a million rows
// and more); a note names the others. A sheet's first row that is not empty is its header, each
// later one a record whose Line is the row's number. Cells hold text as written, numbers with a
// decimal point (SheetRecord::NumberColumns), percentages as shown ("5%"), dates as "05.01.2024",
// true and false as 1 and 0; a formula saved without a value is a problem of its record. A record
// has the header's number of cells, unless it holds a value past the header (its Width says how
// many). An .xlsx workbook's cells are read as its styles show them, an .ods spreadsheet's cells
// marked as repeated as often as they repeat, and a row marked so as one record with its count
// (SheetRecord::Repeats; a sheet holds at most 1,048,576 rows).
class WorkbookSheet {
public:
    virtual ~WorkbookSheet() = default;
    WorkbookSheet(const WorkbookSheet&) = delete;
    WorkbookSheet& operator=(const WorkbookSheet&) = delete;

    // Adds the next records, at least `wanted` unless the sheets end first; false once they have.
    // Throws SheetError past MostBookRows.
    bool ReadRecords(std::size_t wanted, std::vector<SheetRecord>& records);

    const std::vector<std::string>& Header() const { return header_; }
    std::size_t HeaderLine() const { return headerLine_; }
    // Bytes of the file behind what has been read.
    virtual std::uint64_t BytesRead() const = 0;
    // The sheets not read and why (hidden, another header), or empty.
    const std::string& Note() const { return note_; }
    // The work the reading has done so far, in steps: XML tokens read and entries looked up. It
    // grows with the size of the file, never faster, whatever the file holds.
    std::uint64_t Steps() const { return work_.Steps; }

protected:
    // `stop`, when given, ends the reading (its header too) at its next piece once set.
    // `progress`, when given, grows as the file is read, its header too.
    WorkbookSheet(const std::atomic<bool>* stop, ReadingProgress* progress) {
        work_.Stop = stop;
        work_.Progress = progress;
    }
    // The next row of the sheets read that is not empty, with at most the header's cells and
    // one; false after the last.
    virtual bool NextRecord(SheetRecord& record) = 0;
    // Once the file is open: its header, the header's row and the sheets not read with why.
    void SetHeader(std::vector<std::string> header, std::size_t line,
                   const std::vector<std::string>& notRead);
    ReadingWork* Work() { return &work_; }

private:
    ReadingWork work_;
    std::size_t records_ = 0; // of every sheet read
    std::vector<std::string> header_;
    std::size_t headerLine_ = 1;
    std::string note_;
};

// The most rows with data a workbook may have over all its sheets read: four full sheets. A row
// repeated counts once here; the houses it makes, a line each, count where they are made.
inline constexpr std::size_t MostBookRows = std::size_t{4} << 20;
// The message past it.
std::string TooManyBookRows();

enum class WorkbookFormat { Xlsx, OpenDocument };

// Opens a workbook file, or one held in memory (tests, fuzzing; the bytes outlive the workbook),
// in its format and reads its header. Throws SheetError for a file that is not such a workbook,
// and SheetError(ReadingStopped) once `stop` is set; `progress` shows how far the reading is.
std::unique_ptr<WorkbookSheet> OpenWorkbook(const std::string& fileName, WorkbookFormat format,
                                            const std::atomic<bool>* stop = nullptr,
                                            ReadingProgress* progress = nullptr);
std::unique_ptr<WorkbookSheet> WorkbookFromBytes(std::string_view bytes, WorkbookFormat format,
                                                 const std::atomic<bool>* stop = nullptr);

// A header row as compared with another sheet's: without empty cells at its end.
std::vector<std::string> TrimmedHeader(std::vector<std::string> cells);

} // namespace sheet
