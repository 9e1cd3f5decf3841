#pragma once

#include "BatchRun.h"
#include "ResultOutput.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace stock {

struct ResultFormat {
    char Delimiter = ';';      // of CSV results; ';' writes decimal commas, ',' points
    bool ByteOrderMark = true; // of CSV results
    // The delimiter of the first input when it is CSV. Results with ',' between cells, as it has,
    // write decimal commas (quoted) when its first rows' numbers have them.
    std::optional<char> InputDelimiter;
};

// The rows of a run written as virasvet-calc writes them: the carried columns, then the result
// columns, one row a house (a rejected one without figures) in the order given.
class ResultWriter {
public:
    // Opens the results (a workbook when the name ends in ".xlsx", an OpenDocument spreadsheet in
    // ".ods", CSV to standard output when it is empty; an extension nothing here writes is
    // refused) and writes the header. Throws std::runtime_error with the message.
    ResultWriter(const QString& fileName, const ResultFormat& format,
                 const std::vector<std::string>& carriedColumns, bool economics,
                 std::uint32_t seed);
    ~ResultWriter();

    // The rows of these houses; what is written so far goes out.
    void Write(std::span<const BatchHouse> houses);
    // The file takes its name: the whole results or nothing.
    void Finish();

private:
    // Takes the input's decimal comma from the first of these houses whose numbers show a mark.
    void FollowInputNumbers(std::span<const BatchHouse> houses);

    std::unique_ptr<ResultOutput> output_;
    model::NumberLocale locale_;
    bool followInput_ = false; // until the first rows are written
    bool economics_;
    std::uint32_t seed_;
    std::vector<std::string> cells_;
    std::vector<bool> numbers_;
    std::vector<bool> resultNumbers_;
};

} // namespace stock
