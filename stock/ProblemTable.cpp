#include "ProblemTable.h"

#include "HouseInput.h"
#include "ResultOutput.h"

namespace stock {

std::vector<std::string> ProblemColumns(bool withFile) {
    std::vector<std::string> columns = {"Строка",   "Адрес",     "Столбец", "Поле",
                                        "Значение", "Сообщение", "Итог"};
    if (withFile) {
        columns.insert(columns.begin(), "Файл");
    }
    return columns;
}

std::vector<bool> ProblemNumberColumns(bool withFile) {
    std::vector<bool> numbers(ProblemColumns(withFile).size());
    numbers[withFile ? 1 : 0] = true;
    return numbers;
}

std::string OutcomeText(sheet::RowOutcome outcome) {
    return outcome == sheet::RowOutcome::Rejected ? "строка отклонена"
                                                  : "посчитана со значением по умолчанию";
}

std::vector<std::string> ProblemCells(const BatchHouse& house, std::size_t index, bool withFile) {
    const sheet::RowProblem& problem = house.Problems.at(index);
    std::vector<std::string> row;
    if (withFile) {
        row.push_back(house.Source.File);
    }
    // With the file's column the sheet is named there.
    row.push_back(withFile ? std::to_string(house.Source.Line)
                           : model::RowLine(house.Source.Line, house.Source.Sheet));
    row.push_back(house.Source.Address);
    row.push_back(problem.Column && problem.Heading.empty()
                      ? "столбец " + std::to_string(*problem.Column + 1)
                      : problem.Heading);
    row.push_back(problem.Field ? std::string(model::HouseFields()[*problem.Field].Label)
                                : std::string());
    row.push_back(problem.Cell);
    row.push_back(problem.What);
    row.push_back(OutcomeText(problem.Outcome));
    return row;
}

std::vector<std::vector<std::string>> ProblemRows(const BatchHouse& house, bool withFile) {
    std::vector<std::vector<std::string>> rows;
    for (std::size_t i = 0; i < house.Problems.size(); ++i) {
        rows.push_back(ProblemCells(house, i, withFile));
    }
    return rows;
}

namespace {

std::unique_ptr<ResultOutput> OutputFor(const QString& fileName) {
    switch (ResultKindOf(fileName)) {
    case ResultKind::Workbook:
        return WorkbookResults(fileName);
    case ResultKind::OpenDocument:
        return OdsResults(fileName);
    case ResultKind::Csv:
        break;
    }
    return CsvResults(fileName, CsvOptions{';', true});
}

} // namespace

ProblemWriter::ProblemWriter(const QString& fileName, bool withFile)
    : output_(OutputFor(fileName)), withFile_(withFile), numbers_(ProblemNumberColumns(withFile)) {
    output_->Header(ProblemColumns(withFile));
}

ProblemWriter::~ProblemWriter() = default;

void ProblemWriter::Write(std::span<const BatchHouse> houses) {
    for (const BatchHouse& house : houses) {
        for (const std::vector<std::string>& row : ProblemRows(house, withFile_)) {
            output_->Row(row, numbers_);
        }
    }
}

void ProblemWriter::Finish() {
    output_->Finish();
}

} // namespace stock
