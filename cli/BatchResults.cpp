#include "BatchResults.h"

#include "InputSheet.h"
#include "ResultOutput.h"

namespace cli {

ResultWriter::ResultWriter(const QString& fileName, const ResultFormat& format,
                           const std::vector<std::string>& carriedColumns, bool economics,
                           std::uint32_t seed)
    : economics_(economics), seed_(seed) {
    const ResultKind kind = ResultKindOf(fileName);
    locale_ = sheet::CellLocale(kind == ResultKind::Csv ? format.Delimiter : ',');
    output_ = kind == ResultKind::Workbook ? WorkbookResults(fileName)
              : kind == ResultKind::OpenDocument
                  ? OdsResults(fileName)
                  : CsvResults(fileName, {format.Delimiter, format.ByteOrderMark});
    std::vector<std::string> names = carriedColumns;
    const std::vector<std::string> resultNames = sheet::ResultColumns(economics);
    names.insert(names.end(), resultNames.begin(), resultNames.end());
    std::vector<bool> numbers(carriedColumns.size(), false);
    const std::vector<bool> resultNumbers = sheet::NumberResultColumns(economics);
    numbers.insert(numbers.end(), resultNumbers.begin(), resultNumbers.end());
    output_->Header(names, numbers);
}

ResultWriter::~ResultWriter() = default;

void ResultWriter::Write(std::span<const BatchHouse> houses) {
    for (const BatchHouse& house : houses) {
        cells_ = house.Carried;
        const std::vector<std::string> results =
            sheet::ResultCells(house.Source, house.Figures, seed_, locale_, economics_);
        cells_.insert(cells_.end(), results.begin(), results.end());
        output_->Row(cells_);
    }
    output_->Flush();
}

void ResultWriter::Finish() {
    output_->Finish();
}

} // namespace cli
