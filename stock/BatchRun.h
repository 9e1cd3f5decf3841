#pragma once

#include "Calculation.h"
#include "HouseRows.h"
#include "HouseSheet.h"
#include "ResultSheet.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace stock {

struct BatchOptions {
    std::vector<std::string> Files; // "-" for standard input
    std::uint32_t Seed = 0;
    unsigned Jobs = 1;
    sheet::Encoding InputEncoding = sheet::Encoding::Detect;
    // The economics columns; also when an input has a column of the economics inputs or the
    // Defaults give one.
    bool Economics = false;
    // The economics figures even without their columns (the window's yearly savings, the plan).
    bool EconomicsFigures = false;
    // Rows of the first block: the first results come once it is calculated.
    std::size_t FirstBlock = 256;
    // Values for every row whose cell is empty or whose sheet lacks the column.
    sheet::FieldDefaults Defaults;
    // The most rows read over all inputs, for a receiver that holds them (the window); past it
    // the run ends as a reading failure after those rows. 0: no bound.
    std::size_t MostRows = 0;
    // An empty cell of a field's column rejects its row instead of taking a value.
    bool Strict = false;
};

// One row of the inputs once checked and calculated.
struct BatchHouse {
    sheet::HouseRowSource Source;
    // The rows it stands for: a rejected row a workbook repeats is one house for all its lines
    // (from Source.Line), its problems told once. A repeated row that reads is a house a line.
    std::size_t Rows = 1;
    std::vector<std::string> Carried;  // in the run's carried columns (BatchRun::CarriedColumns)
    std::vector<bool> CarriedNumbers;  // which carried cells a workbook stored as numbers
    model::PlanYearRule PlanYear;      // the office's decision for the capital plan
    std::optional<char> DecimalMark;   // of the row's numbers (sheet::HouseRow::DecimalMark)
    std::vector<std::string> Messages; // why the row is rejected, as "file:line: Column: ..."
    // Every problem of the row: why it is rejected, or the empty cells that took another value.
    std::vector<sheet::RowProblem> Problems;
    std::optional<model::HouseFigures> Figures; // none for a rejected row
    model::EconomicsInputs EconomicsInputs;     // of a calculated row
};

// What a run hands out, on the thread that runs it, in the order of the inputs.
class BatchReceiver {
public:
    virtual ~BatchReceiver() = default;
    // A file that cannot be read, a column that is not carried, how a file's text was read.
    virtual void FileMessage(const std::string& message) = 0;
    // A problem of a header, counted with the rows' messages.
    virtual void HeaderMessage(const std::string& message) = 0;
    // The next rows, calculated or rejected, in input order. May throw to end the run: the houses
    // being calculated are then finished and no new one is started, as after BatchRun::Stop().
    virtual void Houses(std::vector<BatchHouse>& houses) = 0;
    // About five times a second while the threads calculate, for a progress display.
    virtual void Waiting() {}
};

enum class BatchEnd {
    Complete,      // every row of every input handed out
    Stopped,       // Stop(): the rows finished before it were handed out, no others
    ReadingFailed, // an input could not be read further: Failure() says why
};

// The batch calculation of houses from spreadsheets: rows are read block by block, checked and
// calculated on `Jobs` threads and handed out in input order, so memory does not grow with the
// inputs. While the threads calculate one block the next is read and the one before is handed
// out. Used by virasvet-calc and by the window's housing stock.
class BatchRun {
public:
    explicit BatchRun(BatchOptions options);
    ~BatchRun();
    BatchRun(const BatchRun&) = delete;
    BatchRun& operator=(const BatchRun&) = delete;

    // Opens every input and reads its header, before any row. False when an input cannot be
    // opened or a header has a problem (the receiver has been told), or when stopped while a
    // workbook's header was sought (untold); nothing can run then.
    bool Open(BatchReceiver& receiver);

    // Once open: the carried columns of the results (the first input's; another input's go to the
    // column of the same name), whether the economics are calculated and the delimiter of the
    // first CSV input (none when every input is a workbook).
    const std::vector<std::string>& CarriedColumns() const { return carriedNames_; }
    bool Economics() const { return options_.Economics; }
    std::optional<char> FirstDelimiter() const;
    const BatchOptions& Options() const { return options_; }

    // Reads, checks and calculates every row. Throws what the receiver throws.
    BatchEnd Run(BatchReceiver& receiver);
    // After BatchEnd::ReadingFailed: "file: why".
    const std::string& Failure() const { return failure_; }

    // Ends the run soon, from any thread: the houses being calculated are finished, no new one is
    // started, and the rows before the first unfinished one are handed out.
    void Stop() { stop_ = true; }

    // Counters for a progress display, read from any thread.
    std::size_t Calculated() const { return calculated_; } // handed out with figures
    std::size_t Rejected() const { return rejected_; }     // rows handed out without, empty inputs
    // Calculated rows with an empty cell that took a start-up or a stock-wide value.
    std::size_t Filled() const { return filled_; }
    std::size_t HousesDone() const { return done_; } // checked and calculated on the threads
    std::size_t RowsRead() const { return rowsRead_; }
    std::uint64_t BytesRead() const { return bytesRead_; }
    std::uint64_t TotalBytes() const { return totalBytes_; } // 0 when unknown (standard input)

    struct Input;

private:
    void MapCarriedColumns();
    bool RunInput(Input& input);
    bool Read(Input& input, std::size_t wanted, std::vector<sheet::SheetRecord>& records);
    void Admit(Input& input, sheet::SheetRecord record, std::vector<sheet::SheetRecord>& records);
    void HandOut(std::vector<BatchHouse>& houses);

    BatchOptions options_;
    BatchReceiver* receiver_ = nullptr;
    std::vector<std::unique_ptr<Input>> inputs_;
    std::vector<std::string> carriedNames_;
    std::deque<sheet::SheetRecord> ahead_; // read beyond the last block of the input read
    bool beyondMost_ = false;              // rows past BatchOptions::MostRows were left
    std::string failure_;
    std::atomic<bool> stop_{false};
    std::atomic<std::size_t> calculated_{0};
    std::atomic<std::size_t> rejected_{0};
    std::atomic<std::size_t> filled_{0};
    std::atomic<std::size_t> done_{0};
    std::atomic<std::size_t> rowsRead_{0};
    std::atomic<std::uint64_t> bytesRead_{0};
    std::uint64_t totalBytes_ = 0;
};

// Whether a calculated row has empty cells that took another value.
bool HasFilledCells(const BatchHouse& house);

// Whether a header gives one of the economics inputs.
bool HasEconomicsColumn(const sheet::HeaderFields& header);
// Whether stock-wide values give one of the economics inputs: their columns are shown then too.
bool SetsEconomics(const sheet::FieldDefaults& defaults);

} // namespace stock
