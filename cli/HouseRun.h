#pragma once

#include "HouseRows.h"
#include "HouseSheet.h"
#include "PlanRun.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cli {

enum ExitStatus { AllCalculated = 0, SomeRejected = 1, UsageOrUnreadable = 2 };

struct RunOptions {
    std::vector<std::string> Files; // "-" for standard input
    QString OutputFile;             // empty: standard output; ".xlsx": a workbook
    std::uint32_t Seed = 0;
    unsigned Jobs = 1;
    std::optional<char> Delimiter; // of CSV results; by default the first CSV input's
    sheet::Encoding InputEncoding = sheet::Encoding::Detect;
    bool ByteOrderMark = true;
    std::size_t MaxErrors = 100; // row messages shown; the rest are counted
    // The economics columns; also when an input has a column of the economics inputs.
    bool Economics = false;
    // Values for every row whose cell is empty or whose sheet lacks the column (--set).
    sheet::FieldDefaults Defaults;
    // An empty cell of a field's column rejects the row instead of taking a value (--strict).
    bool Strict = false;
    // The problems of the rows as a table, when a file is named (--problems).
    QString ProblemsFile;
    // The capital plan of the calculated houses (--budget), its file when one is named.
    std::optional<stock::PlanRequest> Plan;
};

// Calculates every house of the inputs and writes the results, block after block of rows: rows
// are read, checked, calculated on `Jobs` threads and written in input order, so memory does not
// grow with the inputs. Every header is read before any row: a header that stops the run stops it
// before anything is written. Messages go to standard error. Returns the exit status.
int RunHouses(const RunOptions& options);

} // namespace cli
