#include "BatchResults.h"

#include "InputSheet.h"
#include "ResultOutput.h"

#include <algorithm>

namespace stock {

ResultWriter::ResultWriter(const QString& fileName, const ResultFormat& format,
                           const std::vector<std::string>& carriedColumns, bool economics,
                           std::uint32_t seed)
    : economics_(economics), seed_(seed), resultNumbers_(sheet::NumberResultColumns(economics)) {
    const ResultKind kind = ResultKindOf(fileName);
    locale_ = sheet::CellLocale(kind == ResultKind::Csv ? format.Delimiter : ',');
    followInput_ = kind == ResultKind::Csv && format.Delimiter == ',' &&
                   format.InputDelimiter == format.Delimiter;
    output_ = kind == ResultKind::Workbook ? WorkbookResults(fileName)
              : kind == ResultKind::OpenDocument
                  ? OdsResults(fileName)
                  : CsvResults(fileName, {format.Delimiter, format.ByteOrderMark});
    std::vector<std::string> names = carriedColumns;
    const std::vector<std::string> resultNames = sheet::ResultColumns(economics);
    names.insert(names.end(), resultNames.begin(), resultNames.end());
    output_->Header(names);
}

ResultWriter::~ResultWriter() = default;

void ResultWriter::FollowInputNumbers(std::span<const BatchHouse> houses) {
    followInput_ = false;
    for (const BatchHouse& house : houses) {
        if (house.DecimalMark) {
            locale_.DecimalSeparator.assign(1, *house.DecimalMark);
            return;
        }
    }
}

void ResultWriter::Write(std::span<const BatchHouse> houses) {
    if (followInput_) {
        FollowInputNumbers(houses);
    }
    for (const BatchHouse& house : houses) {
        cells_ = house.Carried;
        numbers_.assign(cells_.size(), false);
        for (std::size_t c = 0; c < std::min(cells_.size(), house.CarriedNumbers.size()); ++c) {
            if (house.CarriedNumbers[c]) {
                // A workbook's number, written plainly with a point: the results' mark instead.
                numbers_[c] = true;
                std::replace(cells_[c].begin(), cells_[c].end(), '.',
                             locale_.DecimalSeparator.front());
            }
        }
        const std::vector<std::string> results =
            sheet::ResultCells(house.Source, house.Figures, seed_, locale_, economics_);
        cells_.insert(cells_.end(), results.begin(), results.end());
        numbers_.insert(numbers_.end(), resultNumbers_.begin(), resultNumbers_.end());
        output_->Row(cells_, numbers_);
    }
    output_->Flush();
}

void ResultWriter::Finish() {
    output_->Finish();
}

} // namespace stock
