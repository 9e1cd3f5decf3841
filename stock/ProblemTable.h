#pragma once

#include "BatchRun.h"

#include <QString>

#include <memory>
#include <span>
#include <string>
#include <vector>

namespace stock {

class ResultOutput;

// The problems of a run as one table, a row a problem, in the register's own words: the window's
// "Проблемы" tab shows it, virasvet-calc's --problems and the window's "Сохранить проблемы…"
// write it. Columns: the file (only with `withFile`, for a run of several), the line, the address,
// the column's heading as the register writes it, the field's caption, the cell as written, what
// is wrong and what became of the row.
std::vector<std::string> ProblemColumns(bool withFile = false);

// The column of the line, whose cells are numbers; the others are text.
std::vector<bool> ProblemNumberColumns(bool withFile = false);

// What became of a row, in words: "строка отклонена", "посчитана со значением по умолчанию".
std::string OutcomeText(sheet::RowOutcome outcome);

// The table's rows of one house's problems, in the order of ProblemColumns.
std::vector<std::vector<std::string>> ProblemRows(const BatchHouse& house, bool withFile = false);

// A problems file, written as the houses come and named only when finished: CSV (';', a decimal
// comma, a byte-order mark), an .xlsx workbook or an .ods spreadsheet by the name's extension.
// Text cells are kept from being taken for formulas. Throws std::runtime_error with the message.
class ProblemWriter {
public:
    ProblemWriter(const QString& fileName, bool withFile = false);
    ~ProblemWriter();
    ProblemWriter(const ProblemWriter&) = delete;
    ProblemWriter& operator=(const ProblemWriter&) = delete;

    void Write(std::span<const BatchHouse> houses);
    void Finish();

private:
    std::unique_ptr<ResultOutput> output_;
    bool withFile_;
    std::vector<bool> numbers_;
};

} // namespace stock
